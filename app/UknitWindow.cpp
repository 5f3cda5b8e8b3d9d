#include "app/UknitWindow.h"

#include "app/BusCodes.h"
#include "app/UFontDlg.h"
#include "app/UMain.h"
#include "app/UMainTools.h"
#include "app/UPictureDialogs.h"
#include "platform/Errors.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

TknitWindow::TknitWindow(TFormMain* Main, QWidget* Parent)
    : TGraphicWindow(Parent), Main(Main), FFontDlg(std::make_unique<TFormFontDlg>()) {
    setObjectName(QStringLiteral("knitWindow"));
    setWindowTitle(NoName);
    Host = this;
    // A drawing of the main window keeps the reserved colour out of its picture.
    SetOwnedByMain(Main != nullptr);
    TextDialog = [this](TTextRequest& Request) {
        if (!FFontDlg->Execute())
            return false;
        Request.Lines = FFontDlg->GetLines();
        Request.Font = FFontDlg->Font;
        Request.Fit = FFontDlg->GetFit();
        return true;
    };
}

TknitWindow::~TknitWindow() = default;

// ============================================================================ Needle rows

int TknitWindow::ReadNeedleRow(ByteWriter& Stream, int Line, int First, int Offset) {
    return Pattern().ReadNeedleRow(Stream, Line, First, Offset);
}

void TknitWindow::RepeatNeedleRow(ByteWriter& Stream, int Period, int Total) {
    Pattern().RepeatNeedleRow(Stream, Period, Total);
}

void TknitWindow::WriteColorRun(ByteWriter& Stream, TColor Colour, int N) {
    ::WriteColorRun(Stream, Colour, N);
}

void TknitWindow::WriteNeedleRow(const ByteWriter& Stream, int Line, int First, int Count) {
    Pattern().WriteNeedleRow(Stream, Line, First, Count);
}

// ============================================================================ The bus's fields

void TknitWindow::SyncTools() {
    ToolFamily = Tools.ToolFamily;
    ToolId = Tools.Tool;
    PenWidth = Tools.PenWidth;
    PenStyle = Tools.PenStyle;
    BrushStyle = Tools.BrushStyle;
    PenColor = Tools.PenColor;
    BrushColor = Tools.BrushColor;
    TBoardWindow::AutoFit = MBusDrawing::AutoFit;
    if (MBusDrawing::MaxWidth > 0 && MBusDrawing::MaxHeight > 0) {
        TBoardWindow::MaxWidth = MBusDrawing::MaxWidth;
        TBoardWindow::MaxHeight = MBusDrawing::MaxHeight;
    }
    TBoardSheet::GridColor = MBusDrawing::GridColor;
    if (PGrid() != MBusDrawing::Grid)
        SetPGrid(MBusDrawing::Grid);
    DestRect = ToBoardRect(StretchRect);
    // The repeat the main window set after a paste goes to the paste buffer once: it is used up
    // when the paste is written.
    if (PasteCountX != 1 || PasteCountY != 1 || PasteDiagonal) {
        PasteBuffer.RepeatX = PasteCountX;
        PasteBuffer.RepeatY = PasteDiagonal ? -1 : PasteCountY;
        PasteCountX = PasteCountY = 1;
        PasteDiagonal = false;
    }
}

void TknitWindow::PutMarks() {
    Changed = Modified;
    MBusDrawing::UndoAvailable = TGraphicWindow::UndoAvailable();
}

// ============================================================================ MBusDrawing

void TknitWindow::SetTool(int Tool) {
    SyncTools();
    TGraphicWindow::SetTool(Tool);
}

void TknitWindow::SelectionOperation(int Code, int Param) {
    SyncTools();
    if (Code == bus::CmdUndo)
        Undo();
    else
        SelectionCommand(Code, Param);
    PutMarks();
}

QRect TknitWindow::WorkRect() const {
    return ToQRect(GetWorkRect());
}

void TknitWindow::Repaint() {
    SyncTools();
    update();
}

void TknitWindow::HomePosition() {
    TGraphicWindow::HomePosition();
}

int TknitWindow::CopySelectionToPattern(TBitmap& Pattern) {
    SyncTools();
    return SelectionToPattern(Pattern);
}

void TknitWindow::ReduceColors(int Count) {
    SyncTools();
    TBoardFormats::ReduceColors(Count);
    PutMarks();
}

void TknitWindow::GrayScale() {
    SyncTools();
    TBoardFormats::GrayScale();
    PutMarks();
}

void TknitWindow::BlackWhite(int Method) {
    SyncTools();
    TBoardFormats::BlackWhite(Method);
    PutMarks();
}

void TknitWindow::ResizePicture() {
    TFormImageResize* dialog = Main ? Main->FormImageResize.get() : nullptr;
    if (!dialog || !RasterValid())
        return;
    // New rows take the brush colour chosen last, also when the pointer has not crossed the drawing
    // since.
    SyncTools();
    dialog->SetWidth(ImageWidth());
    dialog->SetLength(ImageHeight());
    if (!dialog->Execute())
        return;
    if (dialog->GetStretch())
        StretchImage(dialog->GetWidth(), dialog->GetLength());
    else
        ResizeCanvas(dialog->GetWidth(), dialog->GetLength());
    PutMarks();
}

int TknitWindow::CountColors() {
    SyncTools();
    return ColorCount();
}

void TknitWindow::WritePicture(const QString& FileName, int FileType) {
    SyncTools();
    SaveImageFile(FileName, FileType);
    SetFileName(FileName);
    PutMarks();
}

void TknitWindow::WriteExchangePicture(const QString& FileName, bool MapColors) {
    SyncTools();
    ExportPicture(FileName, MapColors);
    PutMarks();
}

void TknitWindow::ReadExchangePicture(const QString& FileName) {
    SyncTools();
    ImportPicture(FileName);
    PutMarks();
}

void TknitWindow::LoadPicture(const QString& FileName, int FileType) {
    // The reader is chosen by the file's contents and name; the bus's type adds nothing to it.
    (void)FileType;
    SyncTools();
    LoadImageFile(FileName);
    PutMarks();
}

void TknitWindow::NewPicture(int Width, int Length) {
    SyncTools();
    SetFileName(NoName);
    NewImage(Width, Length);
    PutMarks();
}

void TknitWindow::TakePicture(TImageIO& Source) {
    SyncTools();
    SetFileName(NoName);
    AdoptPicture(Source);
    // A scanned picture is kept nowhere else yet: closing its window asks first.
    Modified = true;
    PutMarks();
}

void TknitWindow::RefreshView() {
    SyncTools();
    TGraphicWindow::RefreshView();
    // A new child of the main window shows itself once its first picture is laid out, sized to the
    // picture within the room the main window offers.
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || FFrameShown || !RasterValid())
        return;
    FFrameShown = true;
    if (sub->isVisible())
        return;
    sub->show();
    const QSize room = FreeClientArea();
    if (room.width() < 1 || room.height() < 1)
        return;
    // Sized from the corner of the room the language reads from.
    sub->move(0, 0);
    const bool fit = TBoardWindow::AutoFit;
    TBoardWindow::AutoFit = true;
    TBoardWindow::MaxWidth = room.width();
    TBoardWindow::MaxHeight = room.height();
    FitWindowToPicture();
    TBoardWindow::AutoFit = fit;
    TGraphicWindow::RefreshView();
}

void TknitWindow::SetFileName(const QString& Name) {
    TGraphicWindow::SetFileName(Name);
    FileName = Name;
    setWindowTitle(Name);
    if (QWidget* frame = Frame(); frame != this)
        frame->setWindowTitle(Name);
}

// ============================================================================ MGraphicHost

void TknitWindow::GraphicNotify(int Code, int Param, int Param2) {
    // A colour the picker took is the drawing's pen or brush colour from now on.
    if (Code == bus::NotifyPenPicked)
        Tools.PenColor = TColor(Param);
    else if (Code == bus::NotifyBrushPicked)
        Tools.BrushColor = TColor(Param);
    PutMarks();
    if (Main)
        Main->KnitWindowNotify(bus::NotifyGroup, Code, Param, Param2);
}

const TBitmap* TknitWindow::FillPattern() const {
    return Main && Main->Tools() ? &Main->Tools()->PatternBitmap() : nullptr;
}

QSize TknitWindow::FreeClientArea() const {
    if (!Main)
        return QSize(-1, -1);
    const QSize client = Main->MainClientSize();
    return QSize(client.width() - Main->ReservedClientWidth(),
                 client.height() - Main->ReservedClientHeight());
}

// ============================================================================ The window's life

QWidget* TknitWindow::Frame() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

void TknitWindow::FormActivate() {
    TGraphicWindow::FormActivate(WindowNumber);
    if (StandAlone || !Main)
        return;
    if (MBusProject* project = Main->FindPrjOfKnitWindow(this))
        project->ChildActivated();
}

void TknitWindow::WatchFrame() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || sub == FWatchedFrame)
        return;
    FWatchedFrame = sub;
    // The border icons are always the system menu, minimise and maximise.
    sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    sub->setWindowTitle(windowTitle());
    if (QMdiArea* area = sub->mdiArea())
        connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* Active) {
            if (Active && Active == FWatchedFrame)
                FormActivate();
        });
}

void TknitWindow::KeepFrameInside() {
    QWidget* frame = Frame();
    if (frame->isMaximized())
        return;
    const QPoint at = frame->pos();
    if (at.x() < 0 || at.y() < 0)
        frame->move(std::max(at.x(), 0), std::max(at.y(), 0));
}

void TknitWindow::showEvent(QShowEvent* Event) {
    TGraphicWindow::showEvent(Event);
    WatchFrame();
}

void TknitWindow::resizeEvent(QResizeEvent* Event) {
    TGraphicWindow::resizeEvent(Event);
    KeepFrameInside();
}

void TknitWindow::mousePressEvent(QMouseEvent* Event) {
    TGraphicWindow::mousePressEvent(Event);
    PutMarks();
}

void TknitWindow::mouseReleaseEvent(QMouseEvent* Event) {
    TGraphicWindow::mouseReleaseEvent(Event);
    PutMarks();
}

void TknitWindow::closeEvent(QCloseEvent* Event) {
    // A project's drawing is only minimised; it closes with its project.
    if (!StandAlone) {
        Event->ignore();
        Frame()->showMinimized();
        return;
    }
    // The main window asks about saving; a cancelled question keeps the window open.
    if (Main) {
        try {
            Main->KnitWindowNotify(bus::NotifyGroup, bus::NotifyClosing, WindowNumber);
        } catch (const EAbort&) {
            Event->ignore();
            return;
        }
        // The main window's drawing is freed with its frame.
        Frame()->deleteLater();
    }
    Event->accept();
}

MBusDrawing* MakeKnitWindow(TFormMain& Main) {
    return new TknitWindow(&Main);
}
