#pragma once
// The graphic test of a project (its child window 12): runs the knitting program through the stitch
// simulation one system, one Z row or the whole program at a time, or up to an S line, Z row or
// pattern line, and draws the fabric into its board as it grows (MGtestDrawing). Its control panel
// holds the buttons and options.
//
// The run loops let the events through after each Z row, so the panel's Stop and the close box work
// during a run; every return from the event loop checks that the window still lives, and once the
// window closes the loops let no more events through. The close box stops a run and minimises the
// window; the panel's Exit frees it.

#include "app/UGtestDraw.h"
#include "app/UPrjContainer.h"
#include "app/UknitWindow.h"
#include "model/UGtstEng.h"

#include <QPointer>

#include <memory>

class MMenuItem;
class MPopupMenu;
class MProject;
class TFormGTControl;

class TGTWindow : public TknitWindow {
    Q_OBJECT
public:
    explicit TGTWindow(QWidget* Parent = nullptr);
    ~TGTWindow() override;

    static constexpr int WindowIndex = 12;

    MGtestEngine& Engine() { return *FEngine; }
    MGtestDrawing& Drawing() { return *FDrawing; }
    TFormGTControl& Panel() { return *FPanel; }
    TGtestColors& Colors() { return FDrawing->Colors; }
    // The board lines a step wrote last (board rows, top first); -1 none.
    int LastRepaintTop = -1, LastRepaintBottom = -1;

    MPopupMenu* OPopupMenu;
    MMenuItem* Grid;
    std::array<MMenuItem*, 10> ZoomItems{};
    MMenuItem* LargeStitch;
    MMenuItem* SmallStitch;

    bool MayClose = false;
    bool Closing() const { return FClosing; }
    bool Running() const { return FRunning > 0; }

    // Attaches the project (a project container also becomes the window's project); raises, and
    // changes nothing, for a project without C entry 1.
    void SetProject(MProject* Project);
    TPrjContainer* Container() const { return FContainer; }
    void UpdateCaption();
    void NewTest();
    void SetStitchMode(int Mode);
    void SetLargeStitch(bool Large);
    int StitchWidth() const { return FDrawing->StitchSize(); }
    int StitchHeight() const { return FDrawing->StitchSize(); }
    int SystemsCount() const;

    // ---- The stepping.
    void NextSystem();
    void NextZ();
    // The steps NextZ makes from the registers' state.
    int StepsOfZ() const;
    void ContinueRun();
    // The panel's targets; 0 ignored.
    void ContinueTo();
    void ContinueTo(int S, int Z, int Y);
    void StopRun() { FStopRequested = true; }
    bool StopRequested() const { return FStopRequested; }
    void DrawStep();

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // One NextZ of a run loop.
    void RunStroke();
    void RestartWhenFinished();
    // Places itself in the MDI area's viewport and the panel beside it.
    void PlaceWindow();
    void PlacePanel();
    void FrameStateChanged();
    void Activated();
    // Lets the events through; false when the window went away meanwhile.
    bool PumpEvents();

    std::unique_ptr<MGtestEngine> FEngine;
    std::unique_ptr<MGtestDrawing> FDrawing;
    TFormGTControl* FPanel = nullptr;
    QPointer<TPrjContainer> FContainer;
    bool FStopRequested = false;
    bool FClosing = false;
    bool FCreated = false;
    bool FPlaced = false;
    int FRunning = 0;
    QPointer<QWidget> FWatched;
};

// Gives the project container its creator of child window 12.
void InstallGraphicTest();
