#include "ui/ComboEdit.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/FileUtil.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <cstring>

// ---- Artwork

namespace {

// A picture from rows of letters: each letter one colour of the legend.
QImage Art(std::initializer_list<const char*> Rows, std::initializer_list<std::pair<char, TColor>> Legend) {
    const int h = int(Rows.size()), w = int(std::strlen(*Rows.begin()));
    QImage img = NewImage(w, h, clWhite);
    int y = 0;
    for (const char* row : Rows) {
        for (int x = 0; x < w && row[x]; ++x)
            for (const auto& [letter, colour] : Legend)
                if (row[x] == letter)
                    PutPixel(img, x, y, colour);
        ++y;
    }
    return img;
}

} // namespace

const QImage& DefaultFileGlyph() {
    // An opening folder in four of the sixteen standard colours on magenta.
    static const QImage glyph = Art(
        {
            "MMMMMMMMMMMMMM",
            "MMKKKKMMMMMMMM",
            "MKYWYWKKKKKMMM",
            "MKWYWYWYWYKMMM",
            "MKYWYWYWYWKMMM",
            "MKWYWKKKKKKKKK",
            "MKYWKOOOOOOOOK",
            "MKWKOOOOOOOOKM",
            "MKYKOOOOOOOKMM",
            "MKKOOOOOOOKMMM",
            "MKKKKKKKKKMMMM",
            "MMMMMMMMMMMMMM",
        },
        {{'M', clFuchsia}, {'K', clBlack}, {'Y', 0x00FFFF}, {'W', clWhite}, {'O', 0x008080}});
    return glyph;
}

const QImage& EllipsisGlyph() {
    static const QImage glyph = Art(
        {
            "...........",
            ".XX..XX..XX",
            ".XX..XX..XX",
            "...........",
        },
        {{'X', clBlack}});
    return glyph;
}

const QImage& DropDownGlyph() {
    static const QImage glyph = Art(
        {
            "XXXXXXX",
            ".XXXXX.",
            "..XXX..",
            "...X...",
        },
        {{'X', clBlack}});
    return glyph;
}

// ---- TEditButton

TEditButton::TEditButton(TCustomComboEdit* Edit, QWidget* Parent) : TGlyphSpeedButton(Parent), FEdit(Edit) {
    setCursor(Qt::ArrowCursor);
}

void TEditButton::Click() {
    FEdit->EditButtonClick();
}

void TEditButton::PaintButton(QImage& Canvas) {
    TGlyphSpeedButton::PaintButton(Canvas);
    if (State() == bsDown || State() == bsExclusive)
        return;
    // A face line along the left edge, the highlight one pixel further in.
    PolyLine(Canvas, {QPoint(0, 0), QPoint(0, height())}, clBtnFace);
    PolyLine(Canvas, {QPoint(1, 0), QPoint(1, height())}, clBtnHighlight);
}

void TEditButton::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton && (FEdit->focusPolicy() & Qt::TabFocus) && FEdit->isEnabled() &&
        !FEdit->hasFocus())
        FEdit->setFocus(Qt::MouseFocusReason);
    TGlyphSpeedButton::mousePressEvent(Event);
}

// ---- TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget* Parent) : QLineEdit(Parent) {
    // Paths read left to right in both languages.
    setLayoutDirection(Qt::LeftToRight);
    FBtnControl = new QWidget(this);
    FBtnControl->setCursor(Qt::ArrowCursor);
    FBtnControl->resize(21, 17);
    FButton = new TEditButton(this, FBtnControl);
    FButton->resize(21, 17);
    QPalette p = palette();
    p.setColor(QPalette::Disabled, QPalette::Text, SysQColor(clGrayText));
    setPalette(p);
    const QFontMetrics fm(font());
    const QFontMetrics sys(QApplication::font());
    setMinimumHeight(std::min(fm.height(), sys.height()) + 4 * smBorder + 1);
    resize(121, 21);
    UpdateControls();
}

void TCustomComboEdit::SetButtonWidth(int Value) {
    if (Value == FButtonWidth || Value < 0)
        return;
    FButtonWidth = Value;
    UpdateControls();
}

void TCustomComboEdit::SetGlyph(const QImage& Value) {
    FButton->SetGlyph(Value);
    FGlyphKind = gkCustom;
}

void TCustomComboEdit::SetNumGlyphs(int Value) {
    if (FGlyphKind == gkDropDown || FGlyphKind == gkEllipsis)
        Value = 1;
    else if (FGlyphKind == gkDefault)
        Value = DefNumGlyphs;
    FButton->SetNumGlyphs(Value);
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind Value) {
    if (Value == FGlyphKind)
        return;
    FGlyphKind = Value;
    switch (Value) {
    case gkDefault:
        FButton->SetGlyph(DefaultFileGlyph());
        FButton->SetNumGlyphs(DefNumGlyphs);
        SetButtonWidth(std::max(DefaultFileGlyph().width() / DefNumGlyphs + 6, FButtonWidth));
        break;
    case gkDropDown:
        FButton->SetGlyph(DropDownGlyph());
        FButton->SetNumGlyphs(1);
        SetButtonWidth(smVScroll);
        break;
    case gkEllipsis:
        FButton->SetGlyph(EllipsisGlyph());
        FButton->SetNumGlyphs(1);
        break;
    case gkCustom:
        break;
    }
}

void TCustomComboEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    UpdateEditable();
}

void TCustomComboEdit::SetDirectInput(bool Value) {
    FDirectInput = Value;
    UpdateEditable();
}

void TCustomComboEdit::UpdateEditable() {
    setReadOnly(FReadOnly || !FDirectInput);
}

void TCustomComboEdit::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    setAlignment(AbsoluteAlignment(Value) | Qt::AlignVCenter);
}

void TCustomComboEdit::UpdateControls() {
    // The text area stops short of the button; the button sits inside the frame at the right end.
    const int bw = FButtonWidth;
    FBtnControl->setVisible(bw >= 2);
    FBtnControl->setGeometry(width() - bw - 2, 2, bw, std::max(height() - 4, 0));
    FButton->setGeometry(0, 0, bw, FBtnControl->height());
    setTextMargins(0, 0, bw >= 2 ? bw + 2 : 0, 0);
}

void TCustomComboEdit::resizeEvent(QResizeEvent* Event) {
    QLineEdit::resizeEvent(Event);
    UpdateControls();
}

void TCustomComboEdit::changeEvent(QEvent* Event) {
    QLineEdit::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        UpdateControls();
}

void TCustomComboEdit::EditButtonClick() {
    if (FReadOnly && !AlwaysEnable)
        return;
    ButtonClick();
}

void TCustomComboEdit::ButtonClick() {
    if (OnButtonClick)
        OnButtonClick(this);
}

void TCustomComboEdit::keyPressEvent(QKeyEvent* Event) {
    QLineEdit::keyPressEvent(Event);
    if (QKeySequence(Event->keyCombination()) == ClickKey && FButtonWidth > 0 && FBtnControl->isVisible()) {
        EditButtonClick();
        Event->accept();
    }
}

void TCustomComboEdit::focusInEvent(QFocusEvent* Event) {
    QLineEdit::focusInEvent(Event);
    if (AutoSelect && FDirectInput && QApplication::mouseButtons() == Qt::NoButton)
        selectAll();
}

// ---- The file dialog

QStringList ConvertFileFilter(const QString& Filter) {
    QStringList result;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (QString p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            QString glob;
            for (QChar c : p)
                glob += c.isLetter() && c.toUpper() != c.toLower()
                            ? QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper())
                            : QString(c);
            patterns << glob;
        }
        if (!patterns.isEmpty())
            result << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                          QLatin1Char(')');
    }
    if (result.isEmpty())
        result << QStringLiteral("* (*)");
    return result;
}

namespace {

class TQtFileDialog : public MFileDialog {
public:
    bool Execute(TDialogKind Kind, TFileDialogSettings& S, QWidget* Parent) override {
        QFileDialog d(Parent, S.Title, S.InitialDir);
        d.setOption(QFileDialog::DontUseNativeDialog);
        d.setOption(QFileDialog::HideNameFilterDetails);
        const bool save = Kind == dkSave || Kind == dkSavePicture;
        d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        d.setFileMode(save                               ? QFileDialog::AnyFile
                      : (S.Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                                                         : QFileDialog::ExistingFile);
        if (save && !(S.Options & ofOverwritePrompt))
            d.setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList filters = ConvertFileFilter(S.Filter);
        d.setNameFilters(filters);
        if (S.FilterIndex >= 1 && S.FilterIndex <= filters.size())
            d.selectNameFilter(filters[S.FilterIndex - 1]);
        if (!S.DefaultExt.isEmpty())
            d.setDefaultSuffix(S.DefaultExt);
        if (!S.HistoryList.isEmpty())
            d.setHistory(S.HistoryList);
        if (!S.FileName.isEmpty())
            d.selectFile(S.FileName);
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
            return false;
        S.Files = d.selectedFiles();
        S.FileName = S.Files.first();
        S.FilterIndex = int(filters.indexOf(d.selectedNameFilter())) + 1;
        return true;
    }
};

TFileDialogFactory& Factory() {
    static TFileDialogFactory factory;
    return factory;
}

QString Quoted(const QString& Name) {
    return Name.contains(QLatin1Char(' ')) && !Name.startsWith(QLatin1Char('"'))
               ? QLatin1Char('"') + Name + QLatin1Char('"')
               : Name;
}

} // namespace

void SetFileDialogFactory(TFileDialogFactory F) {
    Factory() = std::move(F);
}

std::unique_ptr<MFileDialog> MakeFileDialog() {
    if (Factory())
        return Factory()();
    return std::make_unique<TQtFileDialog>();
}

// ---- TFileDirEdit

TFileDirEdit::TFileDirEdit(QWidget* Parent) : TCustomComboEdit(Parent) {
    SetGlyphKind(gkDefault);
}

void TFileDirEdit::SetAcceptFiles(bool Value) {
    FAcceptFiles = Value;
}

void TFileDirEdit::SetMultipleFiles(bool Value) {
    FMultipleFiles = Value;
    if (!Value)
        CollectDroppedFiles({});
}

namespace {
// The local files of a drop; empty when anything else is in it.
QStringList LocalFiles(const QMimeData* Mime) {
    QStringList files;
    if (!Mime || !Mime->hasUrls())
        return files;
    for (const QUrl& u : Mime->urls()) {
        if (!u.isLocalFile())
            return {};
        files << u.toLocalFile();
    }
    return files;
}

// Answers a drag that carries links: taken when files are welcome and every link is a local file,
// refused otherwise. False for any other drag, which the line edit answers as text.
bool AnswerLinkDrag(QDragMoveEvent* Event, bool AcceptFiles) {
    if (!Event->mimeData()->hasUrls())
        return false;
    if (AcceptFiles && !LocalFiles(Event->mimeData()).isEmpty())
        Event->acceptProposedAction();
    else
        Event->ignore();
    return true;
}
} // namespace

void TFileDirEdit::dragEnterEvent(QDragEnterEvent* Event) {
    if (!AnswerLinkDrag(Event, FAcceptFiles))
        QLineEdit::dragEnterEvent(Event);
}

void TFileDirEdit::dragMoveEvent(QDragMoveEvent* Event) {
    if (!AnswerLinkDrag(Event, FAcceptFiles))
        QLineEdit::dragMoveEvent(Event);
}

void TFileDirEdit::dropEvent(QDropEvent* Event) {
    if (!Event->mimeData()->hasUrls()) {
        QLineEdit::dropEvent(Event);
        return;
    }
    const QStringList files = LocalFiles(Event->mimeData());
    if (!FAcceptFiles || files.isEmpty()) {
        Event->ignore();
        return;
    }
    Event->acceptProposedAction();
    if (FMultipleFiles)
        CollectDroppedFiles(files);
    else
        TakeDroppedFile(files.first());
    if (OnDropFiles)
        OnDropFiles(this);
}

// ---- TFilenameEdit

TFilenameEdit::TFilenameEdit(QWidget* Parent) : TFileDirEdit(Parent) {}

QString TFilenameEdit::GetFileName() const {
    const QString t = text();
    if (!t.isEmpty() && QFileInfo(t).isFile())
        return t;
    QString program, params;
    SplitCommandLine(t, program, params);
    return program;
}

void TFilenameEdit::SetFileName(const QString& Value) {
    if (!Value.isEmpty()) {
        QString program = Value;
        if (!QFileInfo(Value).isFile()) {
            QString params;
            SplitCommandLine(Value, program, params);
        }
        if (!IsValidFileName(program))
            throw EComboEditError(QStringLiteral("Invalid file name - %1").arg(Value));
    }
    setText(Quoted(Value));
    FDialog.Files.clear();
}

void TFilenameEdit::SetDialogOptions(unsigned Value) {
    FDialog.Options = Value;
    SetMultipleFiles(Value & ofAllowMultiSelect);
}

void TFilenameEdit::TakeDroppedFile(const QString& Name) {
    setText(Quoted(Name));
    FDialog.Files.clear();
}

void TFilenameEdit::CollectDroppedFiles(const QStringList& Names) {
    FDialog.Files = Names;
}

void TFilenameEdit::ButtonClick() {
    TFileDirEdit::ButtonClick();
    QString name = GetFileName();
    bool action = true;
    if (OnBeforeDialog)
        OnBeforeDialog(this, name, action);
    if (!action)
        return;
    try {
        if (IsValidFileName(name)) {
            const QString folder = FolderPartOf(name);
            if (!folder.isEmpty() && IsDirectory(folder))
                FDialog.InitialDir = folder;
            const QString part = name.mid(folder.size());
            if (part.isEmpty() || !IsValidFileName(part))
                name.clear();
            FDialog.FileName = name;
        }
    } catch (const std::exception&) {
        // The name only prepares the dialog; the click goes on without it.
    }
    std::unique_ptr<MFileDialog> dialog = MakeFileDialog();
    const bool accepted = dialog->Execute(FDialogKind, FDialog, this);
    if (accepted)
        name = FDialog.FileName;
    if (focusPolicy() != Qt::NoFocus && isEnabled() && isVisible())
        setFocus(Qt::OtherFocusReason);
    action = accepted;
    if (OnAfterDialog)
        OnAfterDialog(this, name, action);
    if (action) {
        setText(Quoted(name));
        FDialog.InitialDir = FolderPartOf(FDialog.FileName);
    }
}
