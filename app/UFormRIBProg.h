#pragma once
// The rib-program picker: the waistband at the start of a garment (Waist 1:1, Waist 2:1 or
// Tubular), with the offset row, and the name of its library entry in Export/Fixed/.

#include "app/UFormFixedProg.h"

class MRadioButton;

class TFormRIBProg : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormRIBProg(QWidget* Parent = nullptr);

    MGroupBox* MGroupBox1;
    MRadioButton* RdoRip11;
    MRadioButton* RdoRip21;
    MRadioButton* RdoRipTubular;
    MOffsetRow Offset;
    MButton* btnOK;
    MButton* btnCancel;

    // Only a project container is kept.
    void SetProject(TPrjContainer* Project);
    TPrjContainer* Project() const { return FProject; }
    // True when OK closed the dialog and the entry has a name.
    bool Execute();
    int GetOffset() const { return Offset.Offset(); }
    // "<L>RibWaist1", "<L>RibWaist2" or "<L>RibTubular"; RibProgramFileName is Export/Fixed/ and that
    // name. Empty without a project.
    QString RibProgramName() const;
    QString RibProgramFileName() const;

private:
    TPrjContainer* FProject = nullptr;
};
