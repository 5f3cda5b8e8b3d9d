#pragma once
// The machine-file dialog: the user browses the folders for machine program files and narrows the
// list to one machine and gauge by the endings of the files' names. Return in the folder tree opens
// the folder; elsewhere it presses OK, which opens the selected file. It keeps its English captions in
// either language. The main window makes it once, hidden, and shows it for Open Project.

#include "app/UPictureDialogs.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class TFormOpenProj : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormOpenProj(QWidget* Parent = nullptr);

    // The folder tree: the folders from the root down to the current one, then its subfolders.
    QListWidget* DirectoryListBox1;
    // The file-system roots.
    QComboBox* DriveComboBox1;
    // The machine files of the current folder that match both lists.
    QListWidget* FileListBox1;
    // Hidden: gives the file list its mask.
    QComboBox* FilterComboBox1;
    // "All" and the known machines; "All" and the gauges 2 to 15.
    QComboBox* cmpMachineNr;
    QComboBox* cmpGaugeNr;
    QPushButton* BtnOK;
    QPushButton* btnCancel;

    // The chosen file (full path) after Execute answered true.
    QString FileName;

    // Clears the chosen name, shows the dialog modally and answers whether a file was chosen.
    bool Execute();
    // The current folder; raises EFOpenError when Folder is not a folder.
    void SetDirectory(const QString& Folder);
    QString Directory() const { return FDirectory; }
    // Takes the mask from a filter "Description|mask".
    void SetFileMask(const QString& Filter);
    QString FileMask() const { return FMask; }
    // Reads the folder's files again and narrows them by the two lists.
    void ReadFiles();
    // Removes the files whose names do not end in a machine and gauge the lists choose.
    void FilterMachineFiles();
    // OK: with a file selected, takes its full path and closes accepted; otherwise nothing.
    void OkClick();

protected:
    void showEvent(QShowEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ReadFolders();
    void FolderActivated(QListWidgetItem* Item);
    bool MachineMatches(int Model) const;
    bool GaugeMatches(int Gauge) const;

    QString FDirectory;
    QString FMask;
};
