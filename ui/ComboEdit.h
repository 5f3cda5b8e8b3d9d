#pragma once
// The edit box with a small button at its right end, and the file-name edit built on it: the person
// types a file name or presses the button (or Alt+Down) to pick one in the open-file dialog. The
// edit holds paths, so it reads left to right in both languages.

#include "platform/Errors.h"
#include "ui/BiDi.h"
#include "ui/GlyphCtrls.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QStringList>

#include <functional>
#include <memory>

// An invalid file name given to the file-name edit ("Invalid file name - %s").
class EComboEditError : public Exception {
public:
    using Exception::Exception;
};

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

// The pictures of the button, drawn here: the opening folder (14 x 12, magenta bottom-left pixel),
// the three dots and the drop-down arrow. Made once and shared.
const QImage& DefaultFileGlyph();
const QImage& EllipsisGlyph();
const QImage& DropDownGlyph();

class TCustomComboEdit;

// The button inside the edit: a speed button whose click is the edit's click.
class TEditButton : public TGlyphSpeedButton {
    Q_OBJECT
public:
    TEditButton(TCustomComboEdit* Edit, QWidget* Parent);
    void Click() override;

protected:
    void PaintButton(QImage& Canvas) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    TCustomComboEdit* FEdit;
};

class TCustomComboEdit : public QLineEdit, public virtual MTag {
    Q_OBJECT
public:
    explicit TCustomComboEdit(QWidget* Parent = nullptr);

    TEditButton* Button() const { return FButton; }
    QWidget* ButtonContainer() const { return FBtnControl; }
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    QString ButtonHint() const { return FButton->toolTip(); }
    void SetButtonHint(const QString& Value) { FButton->setToolTip(Value); }
    // The button's picture; setting one makes the kind custom.
    const QImage& Glyph() const { return FButton->Glyph(); }
    void SetGlyph(const QImage& Value);
    int NumGlyphs() const { return FButton->NumGlyphs(); }
    void SetNumGlyphs(int Value);
    TGlyphKind GlyphKind() const { return FGlyphKind; }
    void SetGlyphKind(TGlyphKind Value);
    QKeySequence ClickKey = QKeySequence(Qt::ALT | Qt::Key_Down);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // Off: the text can only be changed through the button.
    bool DirectInput() const { return FDirectInput; }
    void SetDirectInput(bool Value);
    // On: the button works also while ReadOnly.
    bool AlwaysEnable = false;
    bool AutoSelect = true;
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool PopupVisible() const { return false; }

    // The click of the button, of ClickKey and of the program: nothing while ReadOnly (unless
    // AlwaysEnable), else ButtonClick.
    void EditButtonClick();

    TNotifyEvent OnButtonClick;

protected:
    // The button's work; the base fires OnButtonClick.
    virtual void ButtonClick();
    // The default number of glyph cells of the kind gkDefault.
    int DefNumGlyphs = 1;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    void UpdateControls();
    void UpdateEditable();
    TEditButton* FButton;
    QWidget* FBtnControl;
    int FButtonWidth = 21;
    TGlyphKind FGlyphKind = gkCustom;
    bool FReadOnly = false;
    bool FDirectInput = true;
    TAlignment FAlignment = taLeftJustify;
};

// ---- The open-file dialog.

enum TDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
enum TFileEditStyle { fsEdit, fsComboBox };
enum TOpenOption : unsigned {
    ofReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofHideReadOnly = 1u << 2,
    ofAllowMultiSelect = 1u << 9,
    ofPathMustExist = 1u << 11,
    ofFileMustExist = 1u << 12,
};

// What a file dialog is shown with and what it gives back.
struct TFileDialogSettings {
    QString DefaultExt;
    TFileEditStyle FileEditStyle = fsEdit;
    QString FileName;
    QString Filter = QStringLiteral("All files (*.*)|*.*");
    int FilterIndex = 1;
    QString InitialDir;
    QStringList HistoryList;
    QStringList Files;
    unsigned Options = ofHideReadOnly;
    QString Title = QStringLiteral("Browse");
};

// A "description|pattern|description|pattern" filter as name filters of QFileDialog: each pattern
// made to match without regard to case ("*.exe" finds "DM.EXE"), "*.*" every file.
QStringList ConvertFileFilter(const QString& Filter);

// The dialog the edit shows; the program's is a QFileDialog, tests install their own.
class MFileDialog {
public:
    virtual ~MFileDialog() = default;
    // Shows the dialog; on acceptance FileName (and Files) hold the choice.
    virtual bool Execute(TDialogKind Kind, TFileDialogSettings& Settings, QWidget* Parent) = 0;
};
using TFileDialogFactory = std::function<std::unique_ptr<MFileDialog>()>;
// Null puts the program's back.
void SetFileDialogFactory(TFileDialogFactory Factory);
std::unique_ptr<MFileDialog> MakeFileDialog();

class TFileDirEdit : public TCustomComboEdit {
    Q_OBJECT
public:
    explicit TFileDirEdit(QWidget* Parent = nullptr);

    // On: files dropped from the desktop are taken.
    bool AcceptFiles() const { return FAcceptFiles; }
    void SetAcceptFiles(bool Value);
    // Dropped files are collected in the dialog's file list instead of replacing the text.
    bool MultipleFiles() const { return FMultipleFiles; }
    void SetMultipleFiles(bool Value);

    std::function<void(QObject* Sender, QString& Name, bool& Action)> OnBeforeDialog;
    std::function<void(QObject* Sender, QString& Name, bool& Action)> OnAfterDialog;
    TNotifyEvent OnDropFiles;

protected:
    // A file dropped: the edit takes it (as the file-name setter would).
    virtual void TakeDroppedFile(const QString& Name) = 0;
    virtual void CollectDroppedFiles(const QStringList& Names) = 0;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    bool FAcceptFiles = false;
    bool FMultipleFiles = false;
};

class TFilenameEdit : public TFileDirEdit {
    Q_OBJECT
public:
    explicit TFilenameEdit(QWidget* Parent = nullptr);

    // The text when it names an existing file; else its first command-line token.
    QString GetFileName() const;
    QString FileName() const { return GetFileName(); }
    // Raises EComboEditError for a name whose program part is not a valid file name (the text is
    // kept); otherwise the text, in double quotes when it holds a blank.
    void SetFileName(const QString& Value);

    TDialogKind DialogKind() const { return FDialogKind; }
    void SetDialogKind(TDialogKind Value) { FDialogKind = Value; }
    TFileDialogSettings& Dialog() { return FDialog; }
    const TFileDialogSettings& Dialog() const { return FDialog; }
    QString Filter() const { return FDialog.Filter; }
    void SetFilter(const QString& Value) { FDialog.Filter = Value; }
    QString InitialDir() const { return FDialog.InitialDir; }
    void SetInitialDir(const QString& Value) { FDialog.InitialDir = Value; }
    QString DialogTitle() const { return FDialog.Title; }
    void SetDialogTitle(const QString& Value) { FDialog.Title = Value; }
    unsigned DialogOptions() const { return FDialog.Options; }
    void SetDialogOptions(unsigned Value);

protected:
    void ButtonClick() override;
    void TakeDroppedFile(const QString& Name) override;
    void CollectDroppedFiles(const QStringList& Names) override;

private:
    TDialogKind FDialogKind = dkOpen;
    TFileDialogSettings FDialog;
};
