#pragma once
// The program test: judges a knitting program before and while it runs. The static checks read the
// ten lists; then the program runs system step by system step through a stitch simulation, and
// after every step the registers, the yarn carriers and the needle actions of the step are checked.
// Every problem becomes one finding, listed once, in the order found. The window of the program
// test and `lsttool test` both drive this class: it holds no widget, and the stepping is the
// caller's, so that a window can process its events between two steps.

#include "model/UGtstEng.h"
#include "model/Ucommon.h"
#include "model/Usequencer.h"

#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

class MProject;
class MResultView;
class MUnvFS;
class MUnvS;
class MUnvZ;

// What the program test needs of a stitch simulation: its registers, the needle actions of the last
// step, the racking of the current row, and the restart and the step.
class MProgramTestEngine {
public:
    virtual ~MProgramTestEngine() = default;
    virtual MRegisters& Registers() = 0;
    // The needle actions of the last step (nsNone .. nsReceive), Side 0 front, 1 rear.
    virtual const MJacquardBed& ResultBed(int Side) const = 0;
    // The main racking of the current Z row: rear needle n + racking faces front needle n.
    virtual std::int32_t GetRacking() const = 0;
    // The working width that carrier positions are decoded against.
    virtual std::int32_t WorkingWidth() const = 0;
    virtual int SystemsCount() const = 0;
    // Restarts the run at the program's first row; an error of the restart stays in the registers.
    // False when the start failed part-way: the run is then finished.
    virtual bool ResetTest() = 0;
    // Executes one cam system; errors go into the registers' finding.
    virtual void StepTest() = 0;
};

// The stitch simulation as the program test sees it: the needle actions are the action beds, as the
// system set them, not the state beds that the carriers' knitting consumes.
class MGtestProgramEngine : public MProgramTestEngine {
public:
    explicit MGtestProgramEngine(MGtestEngine& Engine) : FEngine(Engine) {}
    MRegisters& Registers() override { return FEngine.Sequencer.Regs; }
    const MJacquardBed& ResultBed(int Side) const override { return FEngine.ActionBeds[Side == 1 ? 1 : 0]; }
    std::int32_t GetRacking() const override { return FEngine.GetRacking(); }
    std::int32_t WorkingWidth() const override { return FEngine.Sequencer.Width; }
    int SystemsCount() const override { return FEngine.SystemsCount(); }
    bool ResetTest() override { return FEngine.ResetTest() != srStartFailed; }
    void StepTest() override { FEngine.StepTest(); }

private:
    MGtestEngine& FEngine;
};

// Where in the test a finding was listed.
enum class TPtPhase { Static, Start, First, Step, End };

// One listed finding, with the S line and Z row of the step after which it was listed (0 for the
// static and start findings).
struct MPtFinding {
    MPTerror Error;
    TPtPhase Phase = TPtPhase::Static;
    std::int32_t SLine = 0;
    std::int32_t ZRow = 0;
    // Listed after a step: SLine and ZRow tell which.
    bool AfterStep() const { return Phase != TPtPhase::Static && Phase != TPtPhase::Start; }
};

// How a run of RunProgramTest ended.
enum class TPtRunEnd {
    Idle,     // the run had already finished: nothing was stepped
    Finished, // the program ended; the end checks ran
    Stopped,  // a stop was requested; the end checks did not run
    Replaced, // a newer run began while this one pumped events; nothing more was touched
};

// Needle state results of BedKnitState.
constexpr int ptBedKnits = 502;
constexpr int ptBedIdle = 501;

class MProgramTestRun {
public:
    // Neither is owned; the project is the one the engine runs.
    MProgramTestRun(MProject& Project, MProgramTestEngine& Engine);
    MProgramTestRun(const MProgramTestRun&) = delete;
    MProgramTestRun& operator=(const MProgramTestRun&) = delete;

    // Called between two steps of RunProgramTest, and where a window processes its events: it may
    // call RequestStop, or StartProgramTest (which replaces the run in progress).
    std::function<void()> Pump;
    // Told of every finding as it is listed, with its index in Findings().
    std::function<void(const MPtFinding&, int)> OnFinding;

    // ---- The run.
    // Clears the findings and the run's marks, runs the static checks, restarts the engine, lists an
    // error held by the restart, then RunProgramTest.
    TPtRunEnd StartProgramTest();
    // Steps until the program ends or a stop is requested, with the step checks after every step
    // and the pump between steps; the end checks when the program ended. Nothing when the run has
    // already finished.
    TPtRunEnd RunProgramTest();
    // Asks the running loop to stop after the step in progress.
    void RequestStop() { FStopRequested = true; }
    bool StopRequested() const { return FStopRequested; }
    bool Finished() const { return FEngine.Registers().Finished; }
    // Steps made since the last start.
    long long Steps() const { return FSteps; }
    // The last start failed part-way (the run is finished and was not stepped).
    bool StartFailed() const { return FStartFailed; }
    const std::vector<MPtFinding>& Findings() const { return FFindings; }
    const MRegisters& Registers() const { return FEngine.Registers(); }

    // ---- Finding operations.
    void AddFinding(int Id, const QString& Args, int Kind, int Number);
    void AddValidationFinding(int Code, int SubCode, const QString& Args, int Kind, int Number);
    // Lists a copy of the registers' finding and clears it there.
    void ReportRunError();
    // Lists a finding unless it is dropped (an id 5 of code 5030) or equals one already listed.
    void ShowTestError(const MPTerror& Finding);

    // ---- The check groups.
    void CheckModules();
    void CheckFirstSLine();
    void CheckFirstStep();
    void CheckStep();
    void CheckProgramEnd();

    // ---- Rule functions: each answers whether the rule is broken (those marked report themselves).
    bool CheckFSRange(const MUnvFS& Entry);
    bool CheckCamTable(const MUnvZ& Entry) const;
    bool CheckSLine(const MUnvS& Entry); // reports 55 to 58
    bool CheckTransferPairs() const;
    bool CheckKnitPairs() const;
    bool CheckStitchValue();
    bool CheckWA2() const;
    bool CheckCarrierPaths();     // reports 104
    bool CheckCarrierClearance(); // reports 107
    int BedKnitState(int Side) const;

    // The cycle pass as the checks count it: 0 in the first pass through a cycle and outside one,
    // 1 in its first repetition. The interpreter counts the first pass as 1.
    static std::int32_t CyclePass(const MRegisters& Regs);
    // The gating of the step checks over the registers of the step just executed.
    static bool RuleB(const MRegisters& Regs);
    static bool RuleC(const MRegisters& Regs);
    static bool RuleD(const MRegisters& Regs);
    // The cam family of the first 2 x Systems slots of a row: 0 none, 1 transfer, 2 knitting,
    // 3 mixed (an empty slot after a filled one mixes too).
    static int RowCamFamily(const MUnvZ& Row, int Systems);

    // The run's marks.
    bool FirstStepPending = false;
    std::array<bool, 8> CarrierReported{};
    std::int32_t LastNewZRow = 0;

private:
    int Systems() const;
    // The result values of a bed at the working width.
    MResultView View(int Side) const;
    bool ScanForAction(std::int64_t Needle) const;
    bool StartFlag(int Carrier) const; // the FT flag of start record 1..8 of C entry 1
    // Lists the registers' finding when its id is one of Ids.
    void ReportHeld(std::initializer_list<int> Ids);
    void StepOnce();

    MProject& FProject;
    MProgramTestEngine& FEngine;
    std::vector<MPtFinding> FFindings;
    QSet<QString> FListed; // the keys of the listed findings
    TPtPhase FPhase = TPtPhase::Static;
    bool FStopRequested = false;
    bool FStartFailed = false;
    long long FSteps = 0;
    std::uint64_t FGeneration = 0;
};
