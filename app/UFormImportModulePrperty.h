#pragma once
// The stripe dialog of the import window: renames a stripe (its name in an edit) or divides it
// (from its first S line, shown, to the last S line of its first part, entered).

#include "app/UPictureDialogs.h"

class MEdit;
class MPanel;

class TFormModulePrperty : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormModulePrperty(QWidget* Parent = nullptr);

    MPanel* pnlRename = nullptr;
    MEdit* edtModuleName;
    MPanel* pnlDivide = nullptr;
    MLabel* lblS1;
    MNumEdit* MNumS2;
    MButton* btnOK;
    MButton* btnCancel;

    // Rename shows the name's panel, divide the other one.
    void SetMode(bool Rename);
    bool RenameMode() const { return FRename; }
    void SetModuleName(const QString& Name);
    QString GetModuleName() const;
    // The caption "S" and the number.
    void SetFromS(int N);
    void SetToS(int N);
    int GetToS() const;

protected:
    void DOAfterLanguageChange(int aNewLanguage) override;

private:
    bool FRename = true;
};
