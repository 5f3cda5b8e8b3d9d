#pragma once
// The export window: writes a range of S lines of a project, with every module it reaches and its
// part of the pattern picture, as an entry of the module library (or, with "Fixed prog.", as a
// fixed program of Export/Fixed/). The S window's Export button opens it.

#include "app/UExportEntry.h"
#include "app/UFormFixedProg.h"

class MEdit;

class TFormExport : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormExport(TPrjContainer& Project, QWidget* Parent = nullptr);

    MEdit* edtModuleName;
    MNumEdit* MnumFromS;
    MNumEdit* MnumToS;
    MCheckBox* chkFixedProgram;
    MComboBox* ComboType = nullptr;
    MNumEdit* numColors;
    MButton* btnOK;
    MButton* btnCancel;

    TPrjContainer& Project() const { return FProject; }
    // What the fields ask.
    MExportRequest Request() const;
    // The entry written by the last OK (its header among others).
    const ModuleHeader& WrittenHeader() const { return FWritten; }

protected:
    void DOAfterLanguageChange(int aNewLanguage) override;

private:
    void chkFixedProgramClick();
    // Checks the fields, asks before an entry is replaced and writes the entry; a refusal or a
    // failure is shown and the window stays open.
    void btnOKClick();

    TPrjContainer& FProject;
    ModuleHeader FWritten;
};

// Opens the export window over a project (the S window's Export button).
void RunExportWindow(TPrjContainer& Project);
// Gives the S window's Export button the export window.
void InstallExportWindow();
