#include "app/UGtestWindow.h"

#include "app/UGTCtrl.h"
#include "app/UPrjContainer.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

namespace {

constexpr int NewBoardColumns = MGtestDrawing::NewBoardColumns;

} // namespace

TGTWindow::TGTWindow(QWidget* Parent)
    : TknitWindow(nullptr, Parent), FEngine(std::make_unique<MGtestEngine>()),
      FDrawing(std::make_unique<MGtestDrawing>(*this, *FEngine)) {
    setObjectName(QStringLiteral("GTWindow"));
    StandAlone = false;
    FDrawing->OnRowsWritten = [this](int Top, int Bottom) {
        LastRepaintTop = Top;
        LastRepaintBottom = Bottom;
        RepaintCells({0, Top}, {ImageWidth() - 1, Bottom});
    };
    FDrawing->OnBoardChanged = [this] { RefreshView(); };

    OPopupMenu = new MPopupMenu(this, this);
    OPopupMenu->setObjectName(QStringLiteral("OPopupMenu"));
    auto item = [this](const QString& Name, const QString& Arabic, const QString& English) {
        auto* i = new MMenuItem(this);
        i->setObjectName(Name);
        i->M_Caption().SetCaptions({Arabic, English});
        i->setText(English);
        OPopupMenu->addAction(i);
        return i;
    };
    Grid = item(QStringLiteral("Grid"), QStringLiteral("إظهار الشبكة"), QStringLiteral("Show grid"));
    Grid->setCheckable(true);
    connect(Grid, &QAction::triggered, this, [this] {
        SetPGrid(Grid->isChecked());
        RefreshView();
    });
    for (int z = 1; z <= 10; ++z) {
        MMenuItem* i = item(QStringLiteral("zoom%1_1").arg(z), QStringLiteral("تكبير %1:1").arg(z),
                            QStringLiteral("Zoom %1:1").arg(z));
        ZoomItems[std::size_t(z - 1)] = i;
        connect(i, &QAction::triggered, this, [this, z] {
            SetPAmpFac(z);
            RefreshView();
        });
    }
    LargeStitch =
        item(QStringLiteral("LargeStitch"), QStringLiteral("غرزة كبيرة"), QStringLiteral("Large Stitch"));
    SmallStitch =
        item(QStringLiteral("SmallStitch"), QStringLiteral("غرزة صغيرة"), QStringLiteral("Small Stitch"));
    LargeStitch->setVisible(false);
    SmallStitch->setVisible(false);
    connect(LargeStitch, &QAction::triggered, this, [this] { SetLargeStitch(true); });
    connect(SmallStitch, &QAction::triggered, this, [this] { SetLargeStitch(false); });

    FPanel = new TFormGTControl(*this);
    NewPictureColor = 0xFFFFFF;
    BrushColor = 0xFFFFFF;
    FCreated = true;
    FDrawing->ClearNeedleCache();
}

TGTWindow::~TGTWindow() {
    FStopRequested = true;
    FClosing = true;
    // The panel reads the engine: it goes first.
    delete FPanel;
    FPanel = nullptr;
}

// ============================================================================ Project

void TGTWindow::SetProject(MProject* Project) {
    FEngine->SetProject(Project);
    FContainer = dynamic_cast<TPrjContainer*>(Project);
    FPanel->AttachProject();
}

int TGTWindow::SystemsCount() const {
    return FEngine->SystemsCount();
}

void TGTWindow::UpdateCaption() {
    if (!FEngine->GetProject())
        return;
    const QString program = FContainer ? FContainer->ProgramName() : QString();
    const QString caption =
        QStringLiteral("GTest") + ProjectCaptionTail(program, FEngine->GetProject()->Program().Machine);
    setWindowTitle(caption);
    if (Frame() != this)
        Frame()->setWindowTitle(caption);
}

void TGTWindow::NewTest() {
    FEngine->ResetTest();
    const int lines = std::max(ViewQRect().height() / std::max(PAmpFac(), 1), MGtestDrawing::GrowLines);
    FDrawing->AreaLines = lines;
    FDrawing->NewBoard(NewBoardColumns, lines);
    RefreshView();
    FDrawing->BuildStitchGlyphs();
}

void TGTWindow::SetStitchMode(int Mode) {
    FEngine->View = Mode;
    const bool stitch = Mode == gvStitch;
    if (stitch) {
        SetPAmpFac(1);
        RefreshView();
    }
    for (MMenuItem* i : ZoomItems)
        i->setVisible(!stitch);
    LargeStitch->setVisible(stitch);
    SmallStitch->setVisible(stitch);
}

void TGTWindow::SetLargeStitch(bool Large) {
    FDrawing->LargeStitch = Large;
    FEngine->RowAdvance = Large ? 14 : 10;
    FDrawing->BuildStitchGlyphs();
}

// ============================================================================ Stepping

void TGTWindow::RestartWhenFinished() {
    if (FEngine->Sequencer.Regs.Finished)
        NewTest();
}

void TGTWindow::DrawStep() {
    LastRepaintTop = LastRepaintBottom = -1;
    FDrawing->DrawStep();
}

void TGTWindow::NextSystem() {
    if (!FEngine->GetProject())
        return;
    RestartWhenFinished();
    FEngine->StepTest();
    DrawStep();
}

int TGTWindow::StepsOfZ() const {
    const MRegisters& regs = FEngine->Sequencer.Regs;
    const int steps = regs.ZRow % 2 != 0 ? SystemsCount() - regs.System + 1 : regs.System;
    // Always a step: a run loop must move on.
    return std::max(steps, 1);
}

void TGTWindow::NextZ() {
    if (!FEngine->GetProject())
        return;
    RestartWhenFinished();
    const int steps = StepsOfZ();
    for (int i = 0; i < steps && !FEngine->Sequencer.Regs.Finished; ++i) {
        FEngine->StepTest();
        DrawStep();
    }
}

bool TGTWindow::PumpEvents() {
    if (FClosing)
        return true;
    QPointer<TGTWindow> self(this);
    QApplication::processEvents();
    return !self.isNull();
}

void TGTWindow::RunStroke() {
    // An error out of the stroke leaves the window idle, so that its buttons step it again.
    try {
        NextZ();
    } catch (...) {
        --FRunning;
        throw;
    }
}

void TGTWindow::ContinueRun() {
    if (!FEngine->GetProject())
        return;
    RestartWhenFinished();
    FStopRequested = false;
    ++FRunning;
    while (!FEngine->Sequencer.Regs.Finished && !FStopRequested) {
        RunStroke();
        // A window freed while the events went through is left at once.
        if (!PumpEvents())
            return;
    }
    --FRunning;
}

void TGTWindow::ContinueTo() {
    ContinueTo(FPanel->TargetS(), FPanel->TargetZ(), FPanel->TargetY());
}

void TGTWindow::ContinueTo(int S, int Z, int Y) {
    if (!FEngine->GetProject())
        return;
    RestartWhenFinished();
    FStopRequested = false;
    ++FRunning;
    const MRegisters& regs = FEngine->Sequencer.Regs;
    while (!regs.Finished && !FStopRequested) {
        bool reached = (S != 0 && regs.PrevSLine == S) || (Z != 0 && regs.PrevZRow == Z);
        const int system = regs.PrevSystem;
        if (Y != 0 && system >= 1 && 2 * system <= int(regs.Row.PatternLine.size()))
            reached = reached || regs.Row.PatternLine[std::size_t(2 * (system - 1))] == Y ||
                      regs.Row.PatternLine[std::size_t(2 * (system - 1) + 1)] == Y;
        if (reached) {
            FStopRequested = true;
        } else {
            RunStroke();
        }
        if (!PumpEvents())
            return;
    }
    --FRunning;
}

// ============================================================================ The window's life

void TGTWindow::closeEvent(QCloseEvent* Event) {
    FStopRequested = true;
    FClosing = true;
    FPanel->Closing = true;
    if (!MayClose) {
        Event->ignore();
        Frame()->showMinimized();
        return;
    }
    FPanel->hide();
    if (FContainer)
        FContainer->UnregisterChild(WindowIndex);
    Event->accept();
    Frame()->deleteLater();
}

void TGTWindow::showEvent(QShowEvent* Event) {
    TknitWindow::showEvent(Event);
    QWidget* frame = Frame();
    if (frame != FWatched) {
        FWatched = frame;
        if (frame != this)
            frame->installEventFilter(this);
        if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
            if (QMdiArea* area = sub->mdiArea())
                connect(area, &QMdiArea::subWindowActivated, this, [this, sub](QMdiSubWindow* Active) {
                    if (Active && Active == sub)
                        Activated();
                });
    }
    if (!FPlaced) {
        FPlaced = true;
        PlaceWindow();
    }
    FrameStateChanged();
}

void TGTWindow::PlaceWindow() {
    QWidget* frame = Frame();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
        if (QMdiArea* area = sub->mdiArea()) {
            const QSize room = area->viewport()->size();
            const int w = std::max(room.width() - TFormGTControl::FormWidth - 5, 200);
            const int h = std::max(room.height() - 24 - 30, 200);
            sub->setGeometry(0, 0, w, h);
        }
    PlacePanel();
}

void TGTWindow::PlacePanel() {
    QWidget* frame = Frame();
    const QPoint at = frame->mapToGlobal(QPoint(frame->width() + 2, 32));
    FPanel->move(at);
}

bool TGTWindow::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FWatched && Watched != this && Event->type() == QEvent::WindowStateChange)
        FrameStateChanged();
    return TknitWindow::eventFilter(Watched, Event);
}

void TGTWindow::FrameStateChanged() {
    QWidget* frame = Frame();
    if (frame->isMinimized()) {
        FPanel->hide();
        return;
    }
    if (frame->isMaximized())
        frame->showNormal();
    // A restored window wakes its panel again, also after its close box was used.
    FClosing = false;
    FPanel->Closing = false;
    if (isVisible())
        FPanel->show();
}

void TGTWindow::Activated() {
    if (!FCreated)
        return;
    FormActivate();
    if (FContainer)
        FContainer->ChildActivated(this);
    FClosing = false;
    FPanel->Closing = false;
}

void TGTWindow::contextMenuEvent(QContextMenuEvent* Event) {
    Grid->setChecked(PGrid());
    OPopupMenu->Popup(Event->globalPos().x(), Event->globalPos().y());
}

// ============================================================================ The project's creator

void InstallGraphicTest() {
    TPrjContainer::SetChildCreator(TGTWindow::WindowIndex, [](TPrjContainer& C) -> QWidget* {
        // Its frame is the container's to free: no parent holds it.
        auto w = std::make_unique<TGTWindow>();
        w->SetProject(&C);
        w->NewTest();
        w->RefreshView();
        w->UpdateCaption();
        return w.release();
    });
}
