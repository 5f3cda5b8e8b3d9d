#pragma once
// The "Module Data" picker: the entries of the module library that fit the project's machine, the
// preview of the selected entry's picture, and where its picture goes: the left column, the bottom
// line, the offset row of the setup scheme and the bottom line of the entry's lines below 11.
// The import window sets the machine, calls CheckModuleFiles and runs Execute; the chosen values
// are read through the Get functions.

#include "model/UModHeader.h"
#include "ui/ModalForm.h"

#include <functional>

class MButton;
class MCheckBox;
class MGroupBox;
class MImage;
class MLabel;
class MNumEdit;
class MPanel;
class MLibraryFileSteps;
class QListWidget;

class TFormImportData : public MModalForm {
    Q_OBJECT
public:
    explicit TFormImportData(QWidget* Parent = nullptr);

    QListWidget* LbxStripes;
    MPanel* pnlImage;
    MImage* imgModule;
    MLabel* lblX;
    MNumEdit* MnumX;
    MLabel* lblY;
    MNumEdit* MnumY;
    MCheckBox* chkAllOffset;
    MNumEdit* MNumAllOffset;
    MGroupBox* MGroupBox1;
    MLabel* lblYBelow;
    MNumEdit* MNumYBelow;
    MButton* btnOK;
    MButton* btnCancel;
    MButton* btnDelete;

    // The project's machine (0 until the import window sets it).
    int MachineSystems = 0;
    int MachineModel = 0;
    // The library folder listed (LibraryFolder() unless set otherwise, ending in "/").
    void SetFolder(const QString& Folder);
    QString Folder() const { return FFolder; }

    // The header of the selected entry and the first and last of its lines 1..10 (-1 when none).
    ModuleHeader Header;
    int FirstLowLine = -1;
    int LastLowLine = -1;

    // Lists the folder's entries again (sorted), all of them.
    void Refresh();
    // Leaves in the list only the entries that fit the machine and can be read (the others stay on
    // the disk).
    void CheckModuleFiles();
    // Reads the selected entry's picture and header: the preview, the header and the low-line group.
    // A file that cannot be read is reported (ShowError); the list stays as it is.
    void ShowModule();
    // Deletes the selected entry's four files, removes it from the list and shows the entry then
    // selected. An entry that cannot be deleted is reported and stays listed; files of a deleted
    // entry that could not be removed are named after it left the list.
    void DeleteSelected();

    // Shows the picker modally: true when OK closed it with an entry selected.
    bool Execute();
    bool Accepted() const { return FAccepted; }
    // The selected entry's base name, and the folder followed by it (empty without a selection).
    QString SelectedName() const;
    QString ModuleFileName() const;

    int GetImageX() const;
    int GetImageY() const;
    int GetOffset() const;
    int GetYBelow() const;

    // How an error is shown: the application's handler unless replaced (tests).
    std::function<void(const std::exception&)> ShowError;
    // The file steps of a deletion: the plain ones when null (tests install failing ones).
    MLibraryFileSteps* FileSteps = nullptr;

private:
    void SetPreview(const class TBitmap* Picture);
    void ClearSelectionState();

    QString FFolder;
    bool FAccepted = false;
};
