#include "app/UModuleForms.h"

#include "app/USetupForm.h"

#include "editors/ModuleMenu.h"
#include "editors/RFDPanel_m.h"
#include "editors/RFEPanel_m.h"
#include "editors/RFSPanel_m.h"
#include "editors/RNPanel_m.h"
#include "editors/RPPanel_m.h"
#include "editors/RRPanel_m.h"
#include "editors/RSPanel_m.h"
#include "editors/RWPanel_m.h"
#include "editors/RZPanel_m.h"
#include "model/MClpBrd.h"
#include "ui/LanguagePack.h"
#include "ui/PopupMenu_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/ToolBar_m.h"
#include "ui/ULPackDM.h"
#include "ui/Umessage.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QTimer>

namespace {

// The kinds' titles by window index.
struct TKindTitle {
    const char* Arabic;
    const char* English;
};
constexpr const char* KindNames[] = {"N", "S", "Z", "W", "FS", "FE", "FD", "P", "R"};
constexpr TKindTitle KindTitles[] = {
    {"إعداد الإبر", "Needle Setup"},
    {"معالجة المخطط", "Scheme process"},
    {"مخطط الحياكة", "Knitting Scheme"},
    {"مفتاح المنتقي", "Selector Switch"},
    {"طول الغرزة الثابت", "Static Stitch Length"},
    {"إعداد طول الغرزة", "Stitch Length setup"},
    {"طول الغرزة المتغير", "Dynamic Stitch Length"},
    {"موضع حاملات الخيوط", "Yarn Carrier position"},
    {"التكرار", "Repeat"},
};

// The toolbar's buttons in their order; a null name is a narrow invisible spacer.
enum TGlyph { gExport, gNew, gDelete, gCut, gCopy, gInsert, gPaste, gSort, gGoto, gSpecFunc };
struct TToolSpec {
    const char* Name;
    TGlyph Glyph;
    const char* Arabic;
    const char* English;
};
constexpr TToolSpec ToolSpecs[] = {
    {"SaveBTN", gExport, "تصدير", "Export"},
    {nullptr, gNew, nullptr, nullptr},
    {"NewBTN", gNew, "عنصر جديد", "New Item"},
    {"DeleteBTN", gDelete, "حذف", "Delete"},
    {"CutBTN", gCut, "قص", "Cut"},
    {"CopyBTN", gCopy, "نسخ", "Copy"},
    {"InsertBTN", gInsert, "إدراج", "Insert"},
    {"PasteBTN", gPaste, "لصق", "Paste"},
    {nullptr, gNew, nullptr, nullptr},
    {"SortBTN", gSort, "ترتيب", "Sort"},
    {"GotoBtn", gGoto, "انتقال إلى", "Go to"},
    {nullptr, gNew, nullptr, nullptr},
    {"SpecFuncBtn", gSpecFunc, "وظائف خاصة", "Special functions"},
};
constexpr int SpacerWidth = 6;

// A sheet of paper with a folded corner.
void DrawSheet(QPainter& P, QRectF R) {
    QPainterPath path;
    path.moveTo(R.left(), R.top());
    path.lineTo(R.right() - 4, R.top());
    path.lineTo(R.right(), R.top() + 4);
    path.lineTo(R.right(), R.bottom());
    path.lineTo(R.left(), R.bottom());
    path.closeSubpath();
    P.setBrush(QColor(255, 255, 250));
    P.setPen(QPen(QColor(70, 70, 90), 1));
    P.drawPath(path);
}

// The glyphs of the toolbar, drawn here on 20 x 20 pixels.
QPixmap ToolGlyph(TGlyph Glyph) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (Glyph) {
    case gExport:
        // A disk with an arrow leaving it.
        p.setBrush(QColor(60, 90, 160));
        p.setPen(QPen(QColor(30, 40, 80), 1));
        p.drawRect(QRectF(2.5, 6.5, 12, 12));
        p.fillRect(QRectF(5, 7, 7, 4), QColor(230, 230, 240));
        p.setPen(QPen(QColor(0, 140, 0), 2));
        p.drawLine(QPointF(10, 4), QPointF(18, 4));
        p.drawLine(QPointF(15, 1), QPointF(18, 4));
        p.drawLine(QPointF(15, 7), QPointF(18, 4));
        break;
    case gNew:
        DrawSheet(p, QRectF(4.5, 2.5, 11, 15));
        p.setPen(QPen(QColor(220, 160, 0), 2));
        p.drawLine(QPointF(14, 2), QPointF(14, 10));
        p.drawLine(QPointF(10, 6), QPointF(18, 6));
        break;
    case gDelete:
        p.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(15, 15));
        p.drawLine(QPointF(15, 5), QPointF(5, 15));
        break;
    case gCut:
        // Scissors: two blades and their rings.
        p.setPen(QPen(QColor(60, 60, 70), 1.5));
        p.drawLine(QPointF(6, 2), QPointF(13, 13));
        p.drawLine(QPointF(14, 2), QPointF(7, 13));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(40, 60, 160), 1.5));
        p.drawEllipse(QRectF(3, 12, 5, 5));
        p.drawEllipse(QRectF(12, 12, 5, 5));
        break;
    case gCopy:
        DrawSheet(p, QRectF(2.5, 2.5, 9, 12));
        DrawSheet(p, QRectF(8.5, 6.5, 9, 12));
        break;
    case gInsert:
        // Lines of a list with an arrow pushing between them.
        p.setPen(QPen(QColor(70, 70, 90), 1.5));
        p.drawLine(QPointF(8, 4), QPointF(18, 4));
        p.drawLine(QPointF(8, 16), QPointF(18, 16));
        p.setPen(QPen(QColor(0, 140, 0), 2));
        p.drawLine(QPointF(2, 10), QPointF(16, 10));
        p.drawLine(QPointF(12, 6), QPointF(16, 10));
        p.drawLine(QPointF(12, 14), QPointF(16, 10));
        break;
    case gPaste:
        // A clipboard with its clip.
        p.setBrush(QColor(190, 140, 80));
        p.setPen(QPen(QColor(100, 70, 30), 1));
        p.drawRect(QRectF(3.5, 3.5, 13, 15));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(7.5, 1.5, 5, 4));
        p.fillRect(QRectF(6, 8, 8, 8), QColor(255, 255, 250));
        break;
    case gSort: {
        QFont f = p.font();
        f.setPixelSize(8);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(40, 40, 120));
        p.drawText(QRectF(1, 1, 10, 9), Qt::AlignCenter, QStringLiteral("1"));
        p.drawText(QRectF(1, 10, 10, 9), Qt::AlignCenter, QStringLiteral("9"));
        p.setPen(QPen(QColor(0, 140, 0), 2));
        p.drawLine(QPointF(15, 3), QPointF(15, 17));
        p.drawLine(QPointF(12, 14), QPointF(15, 17));
        p.drawLine(QPointF(18, 14), QPointF(15, 17));
        break;
    }
    case gGoto:
        // An arrow that points at a marked row.
        p.fillRect(QRectF(11, 8, 8, 4), QColor(250, 210, 60));
        p.setPen(QPen(QColor(70, 70, 90), 1));
        p.drawRect(QRectF(10.5, 7.5, 8, 5));
        p.setPen(QPen(QColor(30, 90, 200), 2));
        p.drawLine(QPointF(2, 10), QPointF(9, 10));
        p.drawLine(QPointF(6, 7), QPointF(9, 10));
        p.drawLine(QPointF(6, 13), QPointF(9, 10));
        break;
    case gSpecFunc: {
        QFont f = p.font();
        f.setPixelSize(14);
        f.setItalic(true);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(120, 40, 120));
        p.drawText(QRectF(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("f"));
        break;
    }
    }
    return pm;
}

// The containers of the kinds with the kinds' arguments.
template <class TContainer>
TContainer* MakeContainer(QObject* Owner, TPrjContainer& Project);

template <>
MRNContainerPanel* MakeContainer(QObject* Owner, TPrjContainer&) {
    return new MRNContainerPanel(Owner);
}
template <>
MRWContainerPanel* MakeContainer(QObject* Owner, TPrjContainer&) {
    return new MRWContainerPanel(Owner);
}
template <>
MRZContainerPanel* MakeContainer(QObject* Owner, TPrjContainer& Project) {
    const MMachineInfo& m = Project.Program().Machine;
    return new MRZContainerPanel(Owner, m.Category, m.Model, &Project.Palette());
}
template <>
MRFSContainerPanel* MakeContainer(QObject* Owner, TPrjContainer& Project) {
    const MMachineInfo& m = Project.Program().Machine;
    return new MRFSContainerPanel(Owner, m.Category, m.Model);
}
template <>
MRFDContainerPanel* MakeContainer(QObject* Owner, TPrjContainer& Project) {
    const MMachineInfo& m = Project.Program().Machine;
    return new MRFDContainerPanel(Owner, m.Category, m.Model);
}
template <>
MRFEContainerPanel* MakeContainer(QObject* Owner, TPrjContainer& Project) {
    return new MRFEContainerPanel(Owner, &Project.Palette());
}
template <>
MRPContainerPanel* MakeContainer(QObject* Owner, TPrjContainer& Project) {
    return new MRPContainerPanel(Owner, &Project.Palette());
}
template <>
MRRContainerPanel* MakeContainer(QObject* Owner, TPrjContainer& Project) {
    return new MRRContainerPanel(Owner, Project.Program().Machine.Category);
}
template <>
MRSContainerPanel* MakeContainer(QObject* Owner, TPrjContainer&) {
    return new MRSContainerPanel(Owner);
}

} // namespace

std::function<void(TPrjContainer& Project)> MModuleForm::ExportRunner;

// ============================================================================ Project children

MProjectChildForm::MProjectChildForm(TPrjContainer& Project, int Index, const char* ArabicTitle,
                                     const char* EnglishTitle)
    : MForm(nullptr), FProject(Project), FIndex(Index), FArabicTitle(QString::fromUtf8(ArabicTitle)),
      FEnglishTitle(QString::fromUtf8(EnglishTitle)) {
    new MLanguageAdapter(this);
    if (DMLanguagePack)
        SetLanguagePack(DMLanguagePack->OLanguagePack);
    SetResourceLanguage(LanguageEnglish);
    LanguageDetail().Font().ApplyTo(this);
    ShowCaption();
}

MProjectChildForm::~MProjectChildForm() {
    FReady = false;
    DestroyComponents();
}

void MProjectChildForm::ShowCaption() {
    const QString tail = ProjectCaptionTail(FProject.ProgramName(), FProject.Program().Machine);
    const QString arabic = FArabicTitle + tail, english = FEnglishTitle + tail;
    M_Caption().SetCaptions({arabic, english});
    SetCaption(ArabicShown() ? arabic : english);
    if (FFrame)
        FFrame->setWindowTitle(windowTitle());
}

bool MProjectChildForm::event(QEvent* Event) {
    switch (Event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
        WatchFrame();
        break;
    case QEvent::WindowActivate:
        if (!FFrame)
            FormActivate();
        break;
    default:
        break;
    }
    return MForm::event(Event);
}

void MProjectChildForm::WatchFrame() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || sub == FFrame)
        return;
    FFrame = sub;
    sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint);
    sub->setWindowTitle(windowTitle());
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates Old, Qt::WindowStates New) { FrameStateChanged(Old, New); });
    connect(this, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
    FramePlaced(sub);
}

void MProjectChildForm::PlaceFrame(QMdiSubWindow* Frame, QPoint At) {
    // The frame's area places a new sub-window by its own rule when it first shows it: the window's
    // place is given after that.
    QPointer<QMdiSubWindow> frame = Frame;
    QMetaObject::invokeMethod(
        this,
        [frame, At] {
            if (frame)
                frame->move(At);
        },
        Qt::QueuedConnection);
    Frame->move(At);
}

void MProjectChildForm::FrameStateChanged(Qt::WindowStates Old, Qt::WindowStates New) {
    if (!(Old & Qt::WindowActive) && (New & Qt::WindowActive))
        FormActivate();
}

void MProjectChildForm::FormActivate() {
    if (FReady)
        FProject.ChildActivated(this);
}

// ============================================================================ Module windows

MModuleForm::MModuleForm(TPrjContainer& Project, int Index, const char* ArabicTitle, const char* EnglishTitle)
    : MProjectChildForm(Project, Index, ArabicTitle, EnglishTitle) {
    setObjectName(QStringLiteral("T%1_Form").arg(QLatin1String(KindNames[Index])));
    FResizing = true;
    setGeometry(100, 100, 275, 120);
    FResizing = false;
    BuildToolBar();
    MPopupMenu1 = MakeModulePopupMenu(this, Index == wiZ);
}

MModuleForm::~MModuleForm() = default;

void MModuleForm::BuildToolBar() {
    MToolBar1 = new MToolBar(this, this);
    MToolBar1->setObjectName(QStringLiteral("MToolBar1"));
    MToolBar1->setMovable(false);
    MToolBar1->setIconSize(QSize(20, 20));
    MToolBar1->setContentsMargins(0, 0, 0, 0);
    PlaceToolBar();
    MSpeedButton** targets[] = {&SaveBTN,  nullptr, &NewBTN,  &DeleteBTN, &CutBTN, &CopyBTN,    &InsertBTN,
                                &PasteBTN, nullptr, &SortBTN, &GotoBtn,   nullptr, &SpecFuncBtn};
    // The buttons stand at their own places on the bar, never folded away when the window is narrow.
    int left = 2;
    for (std::size_t i = 0; i < std::size(ToolSpecs); ++i) {
        const TToolSpec& spec = ToolSpecs[i];
        // The S window alone exports; the N window has no leading spacer.
        if (i == 0 && WindowIndex() != wiS)
            continue;
        if (i == 1 && WindowIndex() == wiN)
            continue;
        if (!spec.Name) {
            left += SpacerWidth;
            continue;
        }
        auto* b = new MSpeedButton(this, MToolBar1);
        b->setObjectName(QLatin1String(spec.Name));
        b->SetFlat(true);
        b->SetGlyph(ToolGlyph(spec.Glyph));
        b->SetBounds(left, (ToolBarHeight - ButtonHeight) / 2, ButtonWidth, ButtonHeight);
        left += ButtonWidth;
        b->M_Hint().SetHints({QString::fromUtf8(spec.Arabic), QString::fromUtf8(spec.English)});
        b->M_Hint().ApplyHint(ArabicShown());
        b->SetShowHint(true);
        *targets[i] = b;
    }
    if (SaveBTN) {
        SaveBTN->setEnabled(bool(ExportRunner));
        connect(SaveBTN, &QToolButton::clicked, this, [this] { SaveBTNClick(); });
    }
}

void MModuleForm::PlaceToolBar() {
    // The bar spans the window: the tool bar would otherwise shrink itself to its own few actions
    // when it is shown, and hide the buttons placed on it.
    MToolBar1->setFixedWidth(width());
    MToolBar1->SetBounds(0, 0, width(), ToolBarHeight);
}

void MModuleForm::Build(MRContainerPanel* Container, MUnvList& List) {
    FContainer = Container;
    FContainer->setObjectName(QStringLiteral("Container"));
    FContainer->Project = &Project();
    FContainer->setParent(this);
    FContainer->InitLayout(MToolBar1->y() + ToolBarHeight);
    FContainer->SetClipboard(::MUnvClipBoard);
    FContainer->ToolButtons = {NewBTN,   DeleteBTN, CopyBTN, CutBTN,     InsertBTN,
                               PasteBTN, GotoBtn,   SortBTN, SpecFuncBtn};
    FContainer->SetPopupMenu(MPopupMenu1);
    FContainer->SetHost(this);
    FContainer->AttachToolButtons();
    FContainer->show();
    FinishLoading();
    SetItems(List);
    FReady = true;
}

void MModuleForm::SetItems(MUnvList& List) {
    FItems = &List;
    if (FContainer)
        FContainer->SetItems(&List);
}

template <class TContainer, int Index>
TModuleForm<TContainer, Index>::TModuleForm(TPrjContainer& Project)
    : MModuleForm(Project, Index, KindTitles[Index].Arabic, KindTitles[Index].English) {
    Build(MakeContainer<TContainer>(this, Project), Project.Program().List(ListKindOfWindowIndex(Index)));
}

// ============================================================================ Storing and resizing

bool MModuleForm::ApplyEdits() {
    return !FContainer || FContainer->ApplyEditingRow();
}

bool MModuleForm::EditPending() const {
    const MRBasePanel* row = FContainer ? FContainer->EditingRow() : nullptr;
    return row && row->Unstored();
}

void MModuleForm::LayEditOver(MProgramLists& Lists) const {
    const MRBasePanel* row = FContainer ? FContainer->EditingRow() : nullptr;
    if (row && FItems)
        row->LayOver(Lists.List(FItems->Kind));
}

void MModuleForm::GotoItem(int Number) {
    if (FContainer)
        FContainer->GotoItem(Number);
}

void MModuleForm::ReloadRows() {
    if (FItems)
        SetItems(*FItems);
}

void MModuleForm::SetContainerClientSize(QSize Size) {
    const bool resizing = FResizing;
    FResizing = true;
    resize(Size);
    PlaceToolBar();
    // The frame holds the window exactly: the snap happens in the sub-window.
    if (QMdiSubWindow* frame = FrameWindow()) {
        const QSize decoration = frame->size() - frame->contentsRect().size();
        frame->resize(Size + decoration);
    }
    FResizing = resizing;
}

void MModuleForm::resizeEvent(QResizeEvent* Event) {
    MForm::resizeEvent(Event);
    if (MToolBar1)
        PlaceToolBar();
    FormResize();
}

void MModuleForm::FormResize() {
    if (FResizing || FMinimized || !FReady || !FContainer)
        return;
    FResizing = true;
    try {
        // The editing row goes first; a refused row is shown by the row and stays.
        FContainer->StoreEditingRow();
        int n = 0;
        if (FFirstResize) {
            FFirstResize = false;
            n = FContainer->RowsThatFit(0);
        } else {
            n = FContainer->RowsThatFit(height() - ToolBarHeight);
        }
        if (n != FContainer->VisibleRows())
            FContainer->SetVisibleRows(n);
        else
            FContainer->LayoutRows();
    } catch (...) {
        FResizing = false;
        throw;
    }
    FResizing = false;
}

// ============================================================================ Events

void MModuleForm::FramePlaced(QMdiSubWindow* Frame) {
    PlaceFrame(Frame, QPoint(100, 100));
    // The last other window that took the activation.
    if (QMdiArea* area = Frame->mdiArea())
        connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* S) {
            if (S && S != FrameWindow())
                FTakeOverTarget = S;
        });
}

void MModuleForm::FrameStateChanged(Qt::WindowStates Old, Qt::WindowStates New) {
    FMinimized = New & Qt::WindowMinimized;
    if ((Old & Qt::WindowMinimized) && !(New & Qt::WindowMinimized) && FContainer) {
        // Restored: the window takes the size of its rows again.
        const bool resizing = FResizing;
        FResizing = true;
        FContainer->LayoutRows();
        FResizing = resizing;
    }
    if ((Old & Qt::WindowActive) && !(New & Qt::WindowActive) && FContainer && !FHoldingRefused)
        StoreOnTakeOver();
    MProjectChildForm::FrameStateChanged(Old, New);
}

void MModuleForm::StoreOnTakeOver() {
    // Another window takes over: the edited row is stored whatever it is.
    if (FContainer->StoreEditingRow())
        return;
    // A refused entry has shown its message once. It stays in the row, which stores nothing while
    // the other window takes the activation and the focus; the row then gets back its editing mark,
    // and the activation stays where it went.
    QPointer<MRBasePanel> row = FContainer->EditingRow();
    if (!row)
        return;
    row->Locked = true;
    FHoldingRefused = true;
    QTimer::singleShot(0, this, [this, row] {
        QMdiSubWindow* frame = FrameWindow();
        QMdiArea* area = frame ? frame->mdiArea() : nullptr;
        if (area && area->activeSubWindow() == frame && FTakeOverTarget && FTakeOverTarget != frame)
            area->setActiveSubWindow(FTakeOverTarget);
        FHoldingRefused = false;
        if (row) {
            row->Locked = false;
            row->SetEditing(true);
        }
    });
}

void MModuleForm::closeEvent(QCloseEvent* Event) {
    if (FContainer && !FContainer->StoreEditingRow()) {
        // The refused row keeps its edits and the window stays open.
        Event->ignore();
        return;
    }
    Project().UnregisterChild(WindowIndex());
    setAttribute(Qt::WA_DeleteOnClose);
    Event->accept();
}

void MModuleForm::SaveBTNClick() {
    if (ExportRunner)
        ExportRunner(Project());
}

// ============================================================================ The kinds

template class TModuleForm<MRNContainerPanel, wiN>;
template class TModuleForm<MRZContainerPanel, wiZ>;
template class TModuleForm<MRWContainerPanel, wiW>;
template class TModuleForm<MRFSContainerPanel, wiFS>;
template class TModuleForm<MRFEContainerPanel, wiFE>;
template class TModuleForm<MRFDContainerPanel, wiFD>;
template class TModuleForm<MRPContainerPanel, wiP>;
template class TModuleForm<MRRContainerPanel, wiR>;
template class TModuleForm<MRSContainerPanel, wiS>;

MModuleForm* NewModuleForm(TPrjContainer& Project, int Index) {
    switch (Index) {
    case wiN:
        return new TN_Form(Project);
    case wiZ:
        return new TZ_Form(Project);
    case wiW:
        return new TW_Form(Project);
    case wiFS:
        return new TFS_Form(Project);
    case wiFE:
        return new TFE_Form(Project);
    case wiFD:
        return new TFD_Form(Project);
    case wiP:
        return new TP_Form(Project);
    case wiR:
        return new TR_Form(Project);
    case wiS:
        return new TS_Form(Project);
    default:
        return nullptr;
    }
}

void InstallModuleWindows() {
    for (int index = wiN; index <= wiR; ++index) {
        TPrjContainer::SetChildCreator(
            index, [index](TPrjContainer& C) -> QWidget* { return NewModuleForm(C, index); });
    }
    TPrjContainer::SetChildCreator(wiC, [](TPrjContainer& C) -> QWidget* { return new TC_Form(C); });
}
