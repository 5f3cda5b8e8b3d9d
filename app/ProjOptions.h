#pragma once
// The Options dialog: the three external program paths, the two list options of the module editors,
// the autosave interval and the automatic hiding of the drawing toolbars. The main window fills it
// from its settings, shows it modally and takes the values back only on OK.

#include "ui/ModalForm.h"

#include <QString>

class MButton;
class MCheckBox;
class MLabel;
class MNumEdit;
class MPanel;
class TFilenameEdit;
struct TMainSettings;

class TFormProjOptions : public MModalForm {
    Q_OBJECT
public:
    explicit TFormProjOptions(QWidget* Parent = nullptr);
    ~TFormProjOptions() override;

    // Shows the dialog modally; true when it was left with OK.
    bool Execute();
    bool Accepted() const { return FAccepted; }

    // A path the file-name edit refuses stands in it as it is; the edit's error is shown once.
    void SetBrowserPath(const QString& Path);
    void SetJxw666Path(const QString& Path);
    void SetZodeZidadedPath(const QString& Path);
    // Checks "Cancel auto check in list boxes" when validation is off.
    void SetAutoValidate(bool Value);
    // Checks "Don't show hint in List Boxes" when hints are off.
    void SetShowHint(bool Value);
    void SetMinutes(int Value);
    void SetAutoHide(bool Value);

    QString GetBrowserPath() const;
    QString GetJxw666Path() const;
    QString GetZodeZidadedPath() const;
    bool GetAutoValidate() const;
    bool GetShowHint() const;
    // The edit's minutes held to 1..99; the held value is written back into the edit.
    int GetMinutes();
    bool GetAutoHide() const;

    MPanel* MPanel1;
    MLabel* LblZodeZidaded;
    TFilenameEdit* FNEdtZodeZidaded;
    MLabel* LblBrowser;
    TFilenameEdit* FNEdtBrowser;
    MLabel* LblJxw666;
    TFilenameEdit* FNEdtJxw666;
    MCheckBox* chkCancelHint;
    MCheckBox* chkCancelValidate;
    MCheckBox* chkAutoHideTools;
    MLabel* LblMinutes1;
    MNumEdit* MNumMinutes;
    MLabel* LblMinutes2;
    MButton* btnOK;
    MButton* btnCancel;

private:
    void SetPath(TFilenameEdit* Edit, const QString& Path);
    void PlaceEdits();
    bool FAccepted = false;
};

// Tools > Options: fills the dialog from Settings, shows it and, on OK, takes the values back (the
// tick limit follows the minutes); Cancel leaves Settings as they were. True on OK.
bool ExecuteProjOptions(TMainSettings& Settings);
