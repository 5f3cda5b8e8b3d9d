#include "app/UPrjContainer.h"

#include "app/BusCodes.h"
#include "app/LBoardFr.h"
#include "app/LBoardWindow.h"
#include "app/UNewProj.h"
#include "app/UProjectFiles.h"
#include "app/UStation.h"
#include "app/UStripImport.h"
#include "model/Ucommon.h"
#include "platform/Errors.h"
#include "ui/FileUtil.h"
#include "ui/Image_m.h"
#include "ui/LanguagePack.h"
#include "ui/Speedbutton_m.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// The buttons in their order on the bar, with their window index (-1: Import) and hints.
struct TButtonSpec {
    const char* Name;
    int Index;
    const char* Glyph;
    const char* Arabic;
    const char* English;
};
constexpr TButtonSpec ButtonSpecs[] = {
    {"P_Btn", prjwin::P, "P", "موضع حاملات الخيوط", "Yarn Carrier position"},
    {"N_Btn", prjwin::N, "N", "إعداد الإبر", "Needle Setup"},
    {"Z_Btn", prjwin::Z, "Z", "مخطط الحياكة", "Knitting Scheme"},
    {"R_Btn", prjwin::R, "R", "التكرار", "Repeat"},
    {"S_Btn", prjwin::S, "S", "معالجة المخطط", "Scheme process"},
    {"W_Btn", prjwin::W, "W", "مفتاح المنتقي", "Selector Switch"},
    {"FS_Btn", prjwin::FS, "FS", "طول الغرزة الثابت", "Static Stitch Length"},
    {"FD_Btn", prjwin::FD, "FD", "طول الغرزة المتغير", "Dynamic Stitch Length"},
    {"FE_Btn", prjwin::FE, "FE", "إعداد طول الغرزة", "Stitch Length setup"},
    {"C_Btn", prjwin::C, "C", "مخطط الإعداد", "Setup Scheme"},
    {"btnT", prjwin::Drawing, "", "نافذة الرسم", "Drawing window"},
    {"btnPTest", prjwin::ProgramTest, "", "اختبار البرنامج", "Program Test"},
    {"btnGTest", prjwin::GraphicTest, "", "الاختبار الرسومي", "Graphic Test"},
    {"btnImport", -1, "", "استيراد", "Import"},
};

constexpr int ButtonSize = 40;
constexpr int ButtonStep = 44;
constexpr int ButtonLeft = 12;
constexpr int ButtonTop = 15;
// Where the bar is first placed in the main window's client area.
constexpr int BarLeft = 100;
constexpr int BarTop = 50;

// The order in which the module windows store their edited rows (the Setup Scheme window last, and
// only for ApplyAllEdits).
constexpr int EditOrder[] = {prjwin::S,  prjwin::W,  prjwin::P,  prjwin::N, prjwin::R,
                             prjwin::FS, prjwin::FD, prjwin::FE, prjwin::Z, prjwin::C};
constexpr int ModuleWindowsBeforeC = 9;

// GotoModuleItem's kinds 1..10 (the list numbering) and their windows.
constexpr int KindWindow[] = {prjwin::P, prjwin::N,  prjwin::Z,  prjwin::R,  prjwin::S,
                              prjwin::W, prjwin::FS, prjwin::FD, prjwin::FE, prjwin::C};

std::map<int, TPrjContainer::TChildCreator>& Creators() {
    static std::map<int, TPrjContainer::TChildCreator> creators;
    return creators;
}

TPrjContainer::TImportRunner& ImportRunner() {
    static TPrjContainer::TImportRunner runner;
    return runner;
}

// The background of the bar, drawn here: a deep blue shade under the columns of a knitted rib.
QPixmap BarBackground(QSize Size) {
    QPixmap pm(Size);
    QPainter p(&pm);
    QLinearGradient shade(0, 0, 0, Size.height());
    shade.setColorAt(0, QColor(70, 96, 140));
    shade.setColorAt(1, QColor(34, 52, 86));
    p.fillRect(pm.rect(), shade);
    const int column = 8, stitch = 6;
    for (int x = 0; x < Size.width(); x += column) {
        // Knit columns stand out, purl columns sink in.
        const bool knit = (x / column) % 2 == 0;
        p.setPen(QPen(knit ? QColor(255, 255, 255, 36) : QColor(0, 0, 0, 40), 1));
        for (int y = (x / column) % 2 * stitch / 2; y < Size.height(); y += stitch) {
            p.drawLine(x + 1, y, x + column / 2, y + stitch - 1);
            p.drawLine(x + column - 1, y, x + column / 2, y + stitch - 1);
        }
    }
    return pm;
}

// The glyphs of the buttons, drawn here: the kind's letters on a tile, or a small picture.
QPixmap ButtonGlyph(const TButtonSpec& Spec) {
    const int s = 32;
    QPixmap pm(s, s);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(1.5, 1.5, s - 3, s - 3);
    if (*Spec.Glyph) {
        QLinearGradient g(0, 0, 0, s);
        g.setColorAt(0, QColor(250, 236, 196));
        g.setColorAt(1, QColor(222, 186, 110));
        p.setBrush(g);
        p.setPen(QPen(QColor(120, 84, 30), 1.2));
        p.drawRoundedRect(tile, 5, 5);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(std::strlen(Spec.Glyph) > 1 ? 13 : 17);
        p.setFont(f);
        p.setPen(QColor(60, 36, 10));
        p.drawText(tile, Qt::AlignCenter, QString::fromLatin1(Spec.Glyph));
        return pm;
    }
    p.setPen(QPen(QColor(40, 40, 60), 1.2));
    switch (Spec.Index) {
    case prjwin::Drawing: {
        // A pattern of coloured cells.
        const QColor cells[] = {QColor(0, 187, 0), QColor(220, 60, 60), QColor(60, 90, 220),
                                QColor(240, 200, 40)};
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p.fillRect(QRectF(4 + x * 6, 4 + y * 6, 6, 6), cells[(x + y * 3) % 4]);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(4, 4, 24, 24));
        break;
    }
    case prjwin::ProgramTest:
        // A list with a check mark.
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(5, 3, 20, 26));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(9, 9 + i * 5), QPointF(21, 9 + i * 5));
        p.setPen(QPen(QColor(0, 150, 0), 3));
        p.drawLine(QPointF(16, 22), QPointF(21, 27));
        p.drawLine(QPointF(21, 27), QPointF(30, 14));
        break;
    case prjwin::GraphicTest:
        // Two knitted loops under a lens.
        p.setPen(QPen(QColor(200, 40, 40), 2));
        p.drawArc(QRectF(5, 8, 10, 14), 0, 180 * 16);
        p.drawArc(QRectF(13, 8, 10, 14), 0, 180 * 16);
        p.setPen(QPen(QColor(40, 40, 60), 2.2));
        p.setBrush(QColor(180, 220, 255, 110));
        p.drawEllipse(QRectF(6, 4, 18, 18));
        p.drawLine(QPointF(21, 20), QPointF(29, 28));
        break;
    default:
        // Import: an arrow into a tray.
        p.setBrush(QColor(120, 180, 90));
        p.drawRect(QRectF(4, 20, 24, 8));
        p.setPen(QPen(QColor(30, 80, 160), 3));
        p.drawLine(QPointF(16, 3), QPointF(16, 19));
        p.drawLine(QPointF(10, 13), QPointF(16, 19));
        p.drawLine(QPointF(22, 13), QPointF(16, 19));
        break;
    }
    return pm;
}

// Sets both captions of a bilingual form and shows the one of the language in force.
void SetPairCaption(MForm& Form, const QString& Arabic, const QString& English) {
    Form.M_Caption().SetCaptions({Arabic, English});
    Form.SetCaption(ArabicShown() ? Arabic : English);
}

// The window cursor shows the hourglass while the guard lives.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

std::function<bool(const TSaveImageRequest&, QString&)> TPrjContainer::SaveAsDialog;

MBusProject* NewProjectContainer(TFormMain& Main) {
    auto* c = new TPrjContainer(&Main);
    c->setAttribute(Qt::WA_DeleteOnClose);
    return c;
}

void TPrjContainer::SetChildCreator(int Index, TChildCreator Creator) {
    if (Creator)
        Creators()[Index] = std::move(Creator);
    else
        Creators().erase(Index);
}

bool TPrjContainer::HasChildCreator(int Index) {
    return Creators().contains(Index);
}

void TPrjContainer::SetImportRunner(TImportRunner Runner) {
    ImportRunner() = std::move(Runner);
}

// ============================================================================ Construction

TPrjContainer::TPrjContainer(TFormMain* Main, QWidget* Parent)
    : MForm(Parent), FMain(Main), FLists(std::make_unique<MProgramLists>()), FHeader(this) {
    setObjectName(QStringLiteral("PrjContainer"));
    FActiveChild = nullptr;
    FModified = FNeedsAutosave = false;
    FBusy = true;
    FReady = false;
    new MLanguageAdapter(this);
    if (DMLanguagePack)
        SetLanguagePack(DMLanguagePack->OLanguagePack);
    SetResourceLanguage(LanguageEnglish);
    LanguageDetail().Font().ApplyTo(this);
    FNewProj = std::make_unique<TOFormNewProj>(this);
    FNewProj->hide();
    FPositioning = true;
    FChildrenShown = true;
    setGeometry(BarLeft, BarTop, FixedWidth, 140);
    FPositioning = false;
    FProgramName.clear();
    FProjectName = NoName;
    MImage1 = new MImage(this, this);
    MImage1->setObjectName(QStringLiteral("MImage1"));
    BuildButtons();
    SetPairCaption(*this, NoName, NoName);
    FinishLoading();
    FormResize();
    FBusy = false;
    FReady = true;
}

TPrjContainer::~TPrjContainer() {
    // The windows that hold the project go before the project's own members: a window may still read
    // the project while it is destroyed.
    FReady = false;
    FBusy = true;
    std::vector<MFormInfo> children;
    children.swap(FChildren);
    for (MFormInfo& r : children) {
        if (r.Index == prjwin::Drawing || !r.Window)
            continue;
        QWidget* frame = Frame(r.Window);
        delete frame;
    }
    if (FDrawingWindow && FDrawing && !FDrawing->StandAlone) {
        // A drawing left behind (the frame going down without closing) no longer belongs to a project.
        FDrawing->StandAlone = true;
    }
}

void TPrjContainer::BuildButtons() {
    MImage1->setGeometry(0, 0, FixedWidth, FixedHeight);
    MImage1->SetPicture(BarBackground(QSize(FixedWidth, FixedHeight)));
    MImage1->lower();
    int left = ButtonLeft;
    for (const TButtonSpec& spec : ButtonSpecs) {
        auto* b = new MSpeedButton(this, this);
        b->setObjectName(QLatin1String(spec.Name));
        b->SetBounds(left, ButtonTop, ButtonSize, ButtonSize);
        b->SetGlyph(ButtonGlyph(spec));
        b->setIconSize(QSize(32, 32));
        b->M_Hint().SetHints({QString::fromUtf8(spec.Arabic), QString::fromUtf8(spec.English)});
        b->M_Hint().ApplyHint(true);
        b->SetShowHint(true);
        left += ButtonStep;
        const int index = spec.Index;
        if (index < 0) {
            btnImport = b;
            connect(b, &QToolButton::clicked, this, [this] { OpenImportWindow(); });
        } else {
            FButtons[std::size_t(index)] = b;
            connect(b, &QToolButton::clicked, this, [this, index] { PressButton(index); });
        }
    }
    UpdateButtons();
}

void TPrjContainer::UpdateButtons() {
    for (int i = 0; i < prjwin::Count; ++i)
        if (FButtons[std::size_t(i)])
            FButtons[std::size_t(i)]->setEnabled(i == prjwin::Drawing ? IsChildOpen(i) : HasChildCreator(i));
    if (btnImport)
        btnImport->setEnabled(bool(ImportRunner()));
}

MSpeedButton* TPrjContainer::Button(int Index) const {
    return Index >= 0 && Index < prjwin::Count ? FButtons[std::size_t(Index)] : nullptr;
}

// ============================================================================ Size and state

void TPrjContainer::resizeEvent(QResizeEvent* Event) {
    MForm::resizeEvent(Event);
    FormResize();
}

void TPrjContainer::FormResize() {
    // Out of its first placing the container keeps its fixed size, whatever it is asked.
    if (!FPositioning)
        setFixedSize(FixedWidth, FixedHeight);
    SyncChildStates();
}

void TPrjContainer::SyncChildStates() {
    QWidget* frame = Frame(this);
    const Qt::WindowStates state = frame->windowState();
    if (state & Qt::WindowMaximized)
        return;
    if ((state & Qt::WindowMinimized) && FChildrenShown) {
        FChildrenShown = false;
        for (MFormInfo& r : FChildren) {
            if (!r.Window)
                continue;
            QWidget* f = Frame(r.Window);
            r.SavedState = f->windowState();
            f->showMinimized();
        }
    } else if (!(state & Qt::WindowMinimized) && !FChildrenShown) {
        FChildrenShown = true;
        for (MFormInfo& r : FChildren) {
            if (!r.Window)
                continue;
            QWidget* f = Frame(r.Window);
            if (r.SavedState & Qt::WindowMinimized)
                f->showMinimized();
            else if (r.SavedState & Qt::WindowMaximized)
                f->showMaximized();
            else
                f->showNormal();
        }
    }
}

QMdiSubWindow* TPrjContainer::SubWindow(const QWidget* Window) const {
    for (QWidget* p = Window ? Window->parentWidget() : nullptr; p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p))
            return sub;
    return nullptr;
}

QWidget* TPrjContainer::Frame(QWidget* Window) const {
    QMdiSubWindow* sub = SubWindow(Window);
    return sub ? static_cast<QWidget*>(sub) : Window;
}

void TPrjContainer::WatchFrame() {
    QMdiSubWindow* sub = SubWindow(this);
    if (!sub || sub == FWatchedFrame)
        return;
    FWatchedFrame = sub;
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this] { SyncChildStates(); });
    if (QMdiArea* area = sub->mdiArea())
        connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* Active) {
            if (!Active || FBusy)
                return;
            if (Active == FWatchedFrame) {
                FormActivate();
                return;
            }
            for (const MFormInfo& r : FChildren)
                if (r.Window && SubWindow(r.Window) == Active) {
                    ChildActivated(r.Window);
                    return;
                }
        });
}

void TPrjContainer::showEvent(QShowEvent* Event) {
    MForm::showEvent(Event);
    WatchFrame();
}

void TPrjContainer::FormActivate() {
    WatchFrame();
    UpdateButtons();
    if (FMain)
        FMain->PrjContainerNotify(bus::NotifyGroup, bus::NotifyActivated, WindowNumber);
    if (FReady)
        ChildActivated(this);
    resize(FixedWidth, FixedHeight);
}

// ============================================================================ Child windows

void TPrjContainer::RegisterChild(int Index, QWidget* Window) {
    if (!Window || IsChildOpen(Index))
        return;
    FChildren.push_back({Index, Window, Qt::WindowNoState});
    connect(Window, &QObject::destroyed, this, [this](QObject* W) { ForgetChild(W); });
    if (Index == prjwin::Drawing && FButtons[prjwin::Drawing])
        FButtons[prjwin::Drawing]->setEnabled(true);
}

void TPrjContainer::ForgetChild(QObject* Window) {
    std::erase_if(FChildren, [Window](const MFormInfo& r) { return !r.Window || r.Window == Window; });
    if (FDrawingWindow == Window || !FDrawingWindow) {
        FDrawingWindow = nullptr;
        FDrawing = nullptr;
    }
}

void TPrjContainer::UnregisterChild(int Index) {
    std::erase_if(FChildren, [Index](const MFormInfo& r) { return r.Index == Index || !r.Window; });
    if (Index == prjwin::Drawing) {
        FDrawingWindow = nullptr;
        FDrawing = nullptr;
    }
}

bool TPrjContainer::IsChildOpen(int Index) const {
    return ChildWindow(Index) != nullptr;
}

QWidget* TPrjContainer::ChildWindow(int Index) const {
    for (const MFormInfo& r : FChildren)
        if (r.Index == Index && r.Window)
            return r.Window;
    return nullptr;
}

void TPrjContainer::ShowChild(QWidget* Window) {
    QWidget* frame = Frame(Window);
    frame->show();
    frame->raise();
    if (QMdiSubWindow* sub = SubWindow(Window))
        if (sub->mdiArea())
            sub->mdiArea()->setActiveSubWindow(sub);
    FActiveChild = Window;
}

void TPrjContainer::CreateChild(int Index) {
    const auto creator = Creators().find(Index);
    if (creator == Creators().end())
        return;
    // A failure reaches the caller; no record is added for it.
    QWidget* w = creator->second(*this);
    if (!w)
        return;
    if (FMain && !SubWindow(w))
        FMain->Client()->addSubWindow(w)->setAttribute(Qt::WA_DeleteOnClose);
    RegisterChild(Index, w);
    ShowChild(w);
}

void TPrjContainer::ToggleChild(int Index, bool MayMinimise) {
    QWidget* w = ChildWindow(Index);
    if (!w) {
        if (Index != prjwin::Drawing)
            CreateChild(Index);
        return;
    }
    QWidget* frame = Frame(w);
    if (frame->isMinimized()) {
        frame->showNormal();
        ShowChild(w);
    } else if (MayMinimise && w == FActiveChild) {
        frame->showMinimized();
        FActiveChild = nullptr;
    } else {
        ShowChild(w);
    }
}

void TPrjContainer::PressButton(int Index) {
    ToggleChild(Index, true);
}

void TPrjContainer::ChildActivated(QWidget* Window) {
    if (FBusy)
        return;
    if (Window != this)
        FActiveChild = Window;
    FBusy = true;
    for (int i = 0; i < ModuleWindowsBeforeC; ++i) {
        QWidget* w = ChildWindow(EditOrder[i]);
        if (!w || w == Window)
            continue;
        try {
            if (auto* child = dynamic_cast<MProjectChild*>(w))
                child->ApplyEdit();
        } catch (...) {
        }
    }
    FBusy = false;
}

bool TPrjContainer::ApplyAllEdits() {
    try {
        return StoreAllEdits();
    } catch (const std::exception& e) {
        TApplication::ShowException(e);
        return false;
    }
}

bool TPrjContainer::StoreAllEdits() {
    for (int index : EditOrder) {
        QWidget* w = ChildWindow(index);
        auto* child = dynamic_cast<MProjectChild*>(w);
        if (!child)
            continue;
        bool stored = false;
        try {
            stored = child->ApplyEdit();
        } catch (...) {
            // Not handled here: the window comes forward and the error goes on to be shown.
            BringForward(w);
            throw;
        }
        if (!stored) {
            BringForward(w);
            return false;
        }
    }
    return true;
}

bool TPrjContainer::EditsPending() const {
    for (int index : EditOrder)
        if (const auto* child = dynamic_cast<const MProjectChild*>(ChildWindow(index));
            child && child->EditPending())
            return true;
    return false;
}

std::unique_ptr<MProgramLists> TPrjContainer::ListsWithEdits() const {
    auto lists = std::make_unique<MProgramLists>();
    CopyLists(*FLists, *lists);
    for (int index : EditOrder)
        if (const auto* child = dynamic_cast<const MProjectChild*>(ChildWindow(index)))
            child->LayEditOver(*lists);
    return lists;
}

void TPrjContainer::BringForward(QWidget* Window) {
    if (!Window)
        return;
    // The other windows are not asked to store meanwhile: the refused row is the one to mend.
    const bool busy = FBusy;
    FBusy = true;
    QWidget* frame = Frame(Window);
    if (frame->isMinimized())
        frame->showNormal();
    ShowChild(Window);
    FBusy = busy;
}

void TPrjContainer::GotoModuleItem(int Kind, int Number) {
    if (Kind < 1 || Kind > int(std::size(KindWindow)))
        return;
    const int index = KindWindow[Kind - 1];
    // A window that is already the active child is brought forward, never minimised first.
    ToggleChild(index, false);
    if (index == prjwin::C)
        return;
    if (auto* child = dynamic_cast<MProjectChild*>(ChildWindow(index)))
        child->GotoItem(Number);
}

void TPrjContainer::RefreshSetupForm() {
    if (auto* setup = dynamic_cast<MProjectChild*>(ChildWindow(prjwin::C)))
        setup->ReloadRows();
}

void TPrjContainer::OpenImportWindow() {
    if (!ImportRunner())
        return;
    // The rows being edited are stored first: after the import nothing edited before it is stored
    // over the imported entries, and a row that cannot be stored keeps the import from starting.
    if (!ApplyAllEdits())
        return;
    const QWidget* frame = Frame(this);
    const bool loaded = ImportRunner()(*this, QPoint(frame->x(), frame->y() + frame->height()));
    if (!loaded)
        return;
    for (int index : EditOrder)
        if (auto* child = dynamic_cast<MProjectChild*>(ChildWindow(index)))
            child->ReloadRows();
}

// ============================================================================ Marks and names

TBoardFormats* TPrjContainer::Board() const {
    return FDrawingWindow ? dynamic_cast<TBoardFormats*>(FDrawing) : nullptr;
}

MBusDrawing* TPrjContainer::Drawing() const {
    return FDrawingWindow ? FDrawing : nullptr;
}

const TBitmap& TPrjContainer::Picture() const {
    const TBoardFormats* board = Board();
    return board ? board->Raster() : FLoosePicture;
}

MPatternSource* TPrjContainer::Pattern() {
    TBoardFormats* board = Board();
    return board ? &board->Pattern() : nullptr;
}

bool TPrjContainer::ListsMarked(bool MUnvList::*Mark) const {
    const MListSet lists = FLists->Lists();
    return std::any_of(lists.begin(), lists.end(), [Mark](const MUnvList* l) { return l->*Mark; });
}

void TPrjContainer::MarkLists(bool MUnvList::*Mark, bool Value) {
    for (MUnvList* l : FLists->Lists())
        l->*Mark = Value;
}

bool TPrjContainer::IsModified() const {
    // Asking stores nothing: a row being edited that differs from its entry is a change.
    const MBusDrawing* d = Drawing();
    const TBoardFormats* board = Board();
    return FModified || ListsMarked(&MUnvList::Modified) || (d && d->Changed) || (board && board->Modified) ||
           EditsPending();
}

void TPrjContainer::SetModified(bool Value) {
    FModified = Value;
    MarkLists(&MUnvList::Modified, Value);
    if (MBusDrawing* d = Drawing())
        d->Changed = Value;
    if (TBoardFormats* board = Board())
        board->Modified = Value;
}

bool TPrjContainer::NeedsAutosave() const {
    const TBoardFormats* board = Board();
    if (FNeedsAutosave || ListsMarked(&MUnvList::NeedsAutosave) || (board && board->ChangedSinceAutosave))
        return true;
    // Rows being edited are nowhere but in their windows: the copy takes them as they change.
    if (!EditsPending())
        return !FCopiedEdits.isEmpty();
    return ProjectMachineImage(*ListsWithEdits()) != FCopiedEdits;
}

void TPrjContainer::SetNeedsAutosave(bool Value) {
    FNeedsAutosave = Value;
    MarkLists(&MUnvList::NeedsAutosave, Value);
    if (TBoardFormats* board = Board())
        board->ChangedSinceAutosave = Value;
}

void TPrjContainer::SetProjectName(const QString& Name) {
    FProjectName = Name;
    const MMachineInfo& m = FLists->Machine;
    QString base = Name.trimmed(), program = Name.trimmed();
    if (Name != NoName) {
        program = BaseNameOf(Name).trimmed();
        const QString folder = FolderPartOf(Name);
        base = folder + program;
    }
    const QString caption = base + QStringLiteral("    %1  E%2").arg(m.Model).arg(m.Gauge);
    SetPairCaption(*this, caption, caption);
    FProgramName = program;
    if (MBusDrawing* d = Drawing(); d && Name != NoName) {
        const QString picture = ProjectNamesOf(Name).PictureFile;
        if (TBoardFormats* board = Board())
            board->SetFileName(picture);
        d->FileName = picture;
    }
    ShowDrawingCaption(ArabicShown());
    for (const MFormInfo& r : FChildren)
        if (auto* child = dynamic_cast<MProjectChild*>(r.Window.data()))
            child->ShowCaption();
}

QString ProjectCaptionTail(const QString& ProgramName, const MMachineInfo& Machine) {
    // Filled in one pass, so a "%2" in a program name stays as it is.
    return QStringLiteral("  Prog:%1  Machine:%2  E:%3  ")
        .arg(ProgramName, QString::number(Machine.Model), QString::number(Machine.Gauge));
}

void TPrjContainer::ShowDrawingCaption(bool Arabic) {
    MBusDrawing* d = Drawing();
    if (!d)
        return;
    const QString tail = ProjectCaptionTail(FProgramName, FLists->Machine);
    const QString arabic = QStringLiteral("صورة") + tail, english = QStringLiteral("Image") + tail;
    QWidget* w = d->BusWidget();
    if (auto* form = dynamic_cast<MForm*>(w)) {
        SetPairCaption(*form, arabic, english);
    } else {
        // A drawing that is no bilingual form is given the caption of the language in force, again at
        // every change of language.
        w->setWindowTitle(Arabic ? arabic : english);
        Frame(w)->setWindowTitle(w->windowTitle());
    }
}

void TPrjContainer::DOAfterLanguageChange(int aNewLanguage) {
    MForm::DOAfterLanguageChange(aNewLanguage);
    ShowDrawingCaption(aNewLanguage == LanguageArabic);
}

TColor TPrjContainer::ReservedColor() const {
    return FMain ? ::ReservedColor : 0;
}

TColor TPrjContainer::ReservedColorSubstitute() const {
    return FMain ? ::ReservedSubstitute : 0;
}

// ============================================================================ Files

void TPrjContainer::MakeDrawing(TBitmap&& Picture) {
    if (!FMain) {
        FLoosePicture = std::move(Picture);
        return;
    }
    MBusDrawing* d = FMain->NewKnitWindow(false, false);
    QPointer<QWidget> w = d->BusWidget();
    try {
        if (TBoardFormats* board = dynamic_cast<TBoardFormats*>(d)) {
            TImageIO io;
            io.SetAttachedBitmap(&Picture);
            board->AdoptPicture(io);
        } else {
            FLoosePicture = std::move(Picture);
        }
        d->RefreshView();
        Frame(w)->showNormal();
        PlaceDrawing(w);
        d->StandAlone = false;
        FDrawingWindow = w;
        FDrawing = d;
        RegisterChild(prjwin::Drawing, w);
    } catch (...) {
        FDrawingWindow = nullptr;
        FDrawing = nullptr;
        if (w) {
            d->StandAlone = true;
            d->Changed = false;
            delete Frame(w);
        }
        throw;
    }
}

void TPrjContainer::ShowBar() {
    QWidget* frame = Frame(this);
    if (frame == this || frame->isVisible())
        return;
    frame->adjustSize();
    frame->move(BarLeft, BarTop);
    frame->show();
    // Shown, the bar is the active child of the frame: the main window hears of it.
    if (const QMdiSubWindow* sub = SubWindow(this);
        sub && sub->mdiArea() && sub->mdiArea()->activeSubWindow() == sub)
        FormActivate();
}

void TPrjContainer::PlaceDrawing(QWidget* Window) {
    auto* view = dynamic_cast<TBoardWindow*>(Window);
    QWidget* frame = Frame(Window);
    QWidget* bar = Frame(this);
    if (!view || frame == Window || !view->RasterValid())
        return;
    const QWidget* area = frame->parentWidget();
    const int top = bar->isVisible() ? bar->y() + bar->height() : BarTop;
    const QSize room(area->width() - BarLeft, area->height() - top);
    // The whole picture at the largest zoom up to 8 that leaves room for the window's margins.
    const QSize decoration = frame->size() - Window->size();
    const int margin = 40;
    int zoom = 1;
    while (zoom < 8 && (zoom + 1) * view->ImageWidth() + margin + decoration.width() <= room.width() &&
           (zoom + 1) * view->ImageHeight() + margin + decoration.height() <= room.height())
        ++zoom;
    if (view->PAmpFac() == 0)
        view->SetPAmpFac(zoom);
    const int z = view->PAmpFac();
    frame->resize(std::min(z * view->ImageWidth() + margin + decoration.width(), room.width()),
                  std::min(z * view->ImageHeight() + margin + decoration.height(), room.height()));
    frame->move(BarLeft, top);
    view->RefreshView();
}

void TPrjContainer::OpenProject(const QString& FileName) {
    struct Marks {
        TPrjContainer& C;
        ~Marks() {
            C.SetNeedsAutosave(true);
            C.SetModified(false);
        }
    } marks{*this};
    // Everything is read before anything of the container changes.
    std::unique_ptr<MProjectFiles> files = OpenProjectFiles(FileName);
    ShowBar();
    MakeDrawing(std::move(files->Picture));
    FLists.swap(files->Lists);
    FPalette = files->Palette;
    for (int i = 32; i < MProjHeader::ValueCount; ++i)
        FHeader.Values[std::size_t(i)] = files->Header.Values[std::size_t(i)];
    FHeaderFile = files->Names.HeaderFile;
    FMachineFile = files->Names.MachineFile;
    FImageFile = files->Names.PictureFile;
    SetProjectName(FHeaderFile);
}

void TPrjContainer::NewProject() {
    FHeaderFile = FMachineFile = NoName;
    FImageFile = NoName;
    ShowBar();
    FNewProj->SetMachineIndex(MachineIndex);
    FNewProj->SetGaugeIndex(GaugeIndex);
    if (!FNewProj->Execute()) {
        SetModified(false);
        SetNeedsAutosave(true);
        QWidget* frame = Frame(this);
        if (frame == this)
            hide();
        else
            frame->close();
        return;
    }
    MachineIndex = FNewProj->GetMachineIndex();
    GaugeIndex = FNewProj->GetGaugeIndex();
    std::unique_ptr<MProjectFiles> files = NewProjectFiles(FNewProj->GetMachine(), FNewProj->GetGauge(),
                                                           FNewProj->GetWidth(), FNewProj->GetLength());
    MakeDrawing(std::move(files->Picture));
    FLists.swap(files->Lists);
    FPalette = files->Palette;
    SetProjectName(NoName);
    SetModified(false);
    SetNeedsAutosave(true);
}

bool TPrjContainer::SaveProject(const QString& FileName) {
    if (!StoreAllEdits())
        return false;
    // A paste still floating goes into the picture first, as the drawing's own save does.
    if (TBoardFormats* board = Board())
        board->ApplyPaste();
    const MProjectNames names = SaveProjectFiles(FileName, *FLists, FPalette, FHeader, Picture());
    FHeaderFile = names.HeaderFile;
    FMachineFile = names.MachineFile;
    FImageFile = names.PictureFile;
    SetProjectName(names.HeaderFile);
    SetModified(false);
    SetNeedsAutosave(false);
    return true;
}

bool TPrjContainer::SaveProjectAs() {
    const MMachineInfo& m = FLists->Machine;
    // The ending makes the machine-file dialog list the saved project.
    const QString proposed = ProgramNameWithEnding(
        FProgramName.isEmpty() || FProgramName == NoName ? QStringLiteral("Project") : FProgramName, m.Model,
        m.Gauge);
    TSaveImageRequest request;
    request.Title = QStringLiteral("Save Project As");
    request.Filters = {QStringLiteral("Machine files (*.LST)")};
    const QString folder = FMain ? FMain->Settings().SaveProjectPath : QString();
    request.InitialFolder = folder.isEmpty() ? proposed : QDir(folder).filePath(proposed);
    QString name;
    bool chosen = false;
    if (SaveAsDialog) {
        chosen = SaveAsDialog(request, name);
    } else {
        int index = 0;
        chosen = ExecuteSaveImageDialog(request, name, index);
    }
    if (!chosen || name.isEmpty())
        return false;
    // A name typed without its machine's ending is saved with it, so Open Project lists it too.
    const MProjectNames typed = ProjectNamesOf(name);
    if (!typed.ProgramName.isEmpty()) {
        const QString program = ProgramNameWithEnding(typed.ProgramName, m.Model, m.Gauge);
        if (program != typed.ProgramName) {
            const QString withEnding = QDir(typed.Folder).filePath(program);
            if (!ReplaceAsked(name, withEnding))
                return false;
            name = withEnding;
        }
    }
    // The folder is remembered for the next dialog only once the project is stored there.
    if (!SaveProject(name))
        return false;
    if (FMain)
        FMain->Settings().SaveProjectPath = QFileInfo(name).absolutePath();
    return true;
}

bool TPrjContainer::ReplaceAsked(const QString& Chosen, const QString& Name) {
    // The file dialog asked before the name chosen there was replaced; the project's files under
    // the name with its ending, which the dialog never saw, are asked about here.
    const MProjectNames names = ProjectNamesOf(Name);
    if (names.HeaderFile == FHeaderFile)
        return true;
    const QString given = QFileInfo(Chosen).absoluteFilePath();
    bool present = false;
    for (const QString& file : {names.MachineFile, names.PictureFile, names.HeaderFile}) {
        if (file == given)
            return true;
        present = present || QFileInfo(file).exists() || QFileInfo(file).isSymLink();
    }
    if (!present)
        return true;
    return MessageBox && MessageBox->ShowCodeMessage(containermsg::Code, containermsg::ReplaceProject,
                                                     CatalogueArg(names.Base()), mbYes | mbNo) == mbYes;
}

void TPrjContainer::SaveDeskTopCopy(const QString& CopyBase) {
    // The rows being edited are laid over a scratch copy of the lists: the project's own lists and
    // the windows' focus stay as they are.
    const std::unique_ptr<MProgramLists> lists = ListsWithEdits();
    // The copy takes the picture with a floating paste composed in; the drawing keeps it floating.
    // Without one the picture is written as it stands, not copied first (the file puts the
    // reserved colour back in its rows), and files that still hold their bytes are not written.
    const TBoardFormats* board = Board();
    const auto* window = dynamic_cast<const TBoardWindow*>(board);
    TBitmap composed;
    if (window && window->PasteBuffer.Floating)
        composed = window->PictureWithPaste();
    SaveProjectCopy(CopyBase + QStringLiteral(".LST"), *lists, FPalette, FHeader,
                    composed.Empty() ? Picture() : composed);
    FCopiedEdits = EditsPending() ? ProjectMachineImage(*lists) : QByteArray();
}

void TPrjContainer::ApplyMachineColors() {
    TBoardFormats* board = Board();
    if (!board)
        return;
    TWaitCursor wait;
    board->MapColorsToPalette(FPalette.Colors.data(), PaletteSize);
    if (MBusDrawing* d = Drawing())
        d->Repaint();
}

// ============================================================================ Closing

bool TPrjContainer::AskToSave() {
    if (!IsModified())
        return true;
    const int answer = MessageBox ? MessageBox->ShowCodeMessage(containermsg::Code, containermsg::SaveChanged,
                                                                FProjectName, mbYes | mbNo | mbCancel)
                                  : mbClosed;
    if (answer == mbNo)
        return true;
    if (answer != mbYes)
        return false;
    try {
        return FProjectName == NoName ? SaveProjectAs() : SaveProject(FProjectName);
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        // The project stays open with its work: the error shows and the closing is cancelled.
        TApplication::ShowException(e);
        return false;
    }
}

bool TPrjContainer::CloseWithMain() {
    FMain->PrjContainerNotify(bus::NotifyGroup, bus::NotifyClosing, WindowNumber);
    MBusDrawing* d = Drawing();
    if (!d)
        return true;
    QPointer<QWidget> w = FDrawingWindow;
    d->StandAlone = true;
    bool closed = false;
    try {
        closed = Frame(w)->close();
    } catch (const EAbort&) {
        closed = false;
    } catch (const std::exception& e) {
        TApplication::ShowException(e);
        closed = false;
    }
    if (closed || !w)
        return true;
    d->StandAlone = false;
    FMain->RestoreDetachedContainer();
    return false;
}

void TPrjContainer::closeEvent(QCloseEvent* Event) {
    if (!FMain) {
        MForm::closeEvent(Event);
        return;
    }
    // Every row being edited is stored first, so that the question counts it; a row that cannot be
    // stored keeps the project open with its window in front.
    if (!ApplyAllEdits() || !AskToSave()) {
        Event->ignore();
        return;
    }
    FClosing = true;
    const bool closed = CloseWithMain();
    FClosing = false;
    if (!closed) {
        Event->ignore();
        return;
    }
    Event->accept();
}
