#pragma once
// The program test of a project (its child window 11): Start runs the static checks of the ten lists
// and then the program, system step by system step, through the window's own stitch simulation, with
// the checks after every step; every finding is one line of the list in the language shown, and a
// double click on a line opens the module window at the entry. Stop halts the run, continue resumes
// it, Exit frees the window; its close box stops a run and minimises it.
//
// The run lets the events through after every step. The run's state (engine, checks, findings) is
// shared with the loop running it, so that a window freed while the events went through (its
// project closing) leaves the loop a state to unwind on: the loop stops at once and touches nothing
// of the window. The window's own Exit waits for the loop to unwind before it frees the window.

#include "app/UPrjContainer.h"
#include "model/UGtstEng.h"
#include "model/UPtestRun.h"
#include "ui/Adapter.h"

#include <QPointer>

#include <memory>

class MButton;
class MImage;
class MLabel;
class MListBox;
class MProject;

// The catalogue texts of the program test window (code 11).
namespace ptestmsg {
constexpr int Code = 11;
constexpr int NoSetupScheme = 4944; // the project has no setup scheme: the program is not tested
} // namespace ptestmsg

class TFormPTwindow : public MForm, public MProjectChild {
    Q_OBJECT
public:
    // Project: the program to test (a project container is also told of the window's activation and
    // asked to open module windows); not owned.
    explicit TFormPTwindow(MProject& Project, QWidget* Parent = nullptr);
    ~TFormPTwindow() override;

    static constexpr int WindowIndex = 11;
    static constexpr int FormWidth = 510;
    static constexpr int MinHeight = 200;
    static constexpr int ListMargin = 3;
    // The modes.
    static constexpr int ModeRunning = 1;
    static constexpr int ModeIdle = 2;

    MButton* btnStart;
    MButton* btnContinue;
    MButton* btnEnd;
    MListBox* OListBoxErrors;
    MLabel* lblSvalue;
    MLabel* lblZvalue;
    MLabel* lblZ;
    MLabel* lblS;
    MImage* MImage1;

    bool MayClose = false;
    int Mode() const { return FMode; }
    MProgramTestRun& Run() { return FState->Run; }
    MGtestEngine& Engine() { return FState->Engine; }
    TPrjContainer* Container() const { return FContainer; }

    void UpdateCaption();
    // ---- MProjectChild: the window edits no rows; a renamed project is named again in its caption.
    bool ApplyEdit() override { return true; }
    void ShowCaption() override { UpdateCaption(); }
    void SetRunning(bool Running);
    void ShowRegisters();
    // The text of a finding in the language shown.
    QString FindingText(const MPTerror& Finding) const;

    void btnStartClick();
    void btnContinueClick();
    void btnEndClick();
    void OListBoxErrorsDblClick();

protected:
    void DOAfterLanguageChange(int aNewLanguage) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    // The engine, its view for the checks and the checks with their findings.
    struct TRunState {
        explicit TRunState(MProject& Project) : Run(Project, Adapter) {}
        MGtestEngine Engine;
        MGtestProgramEngine Adapter{Engine};
        MProgramTestRun Run;
    };

    void FormResize();
    void FormActivate();
    // Attaches the project to the engine: false, with the engine as it was, for a project that has
    // no setup scheme (no C entry 1), the one failure expected; other errors pass on.
    bool AttachProject();
    // Runs the test (Start) or resumes it; the window may be gone when it returns.
    void RunLoop(bool Start);
    void ShowFinding(const MPtFinding& Finding);
    void RefillList();
    QWidget* Frame();

    MProject& FProject;
    QPointer<TPrjContainer> FContainer;
    std::shared_ptr<TRunState> FState;
    int FMode = ModeIdle;
    bool FEndGuard = false;
    bool FCreated = false;
    // Run loops on the stack, and an Exit waiting for them to unwind.
    int FLoopDepth = 0;
    bool FCloseWhenUnwound = false;
    QPointer<QWidget> FWatched;
};

// Gives the project container its creator of child window 11.
void InstallProgramTest();
