#pragma once
// The scheme interpreter and its registers: where it stands in the S lines and Z rows, the repeat
// passes, the effective Z row of the current stroke, the sixteen yarn carriers and the current
// finding. Two register sets (current and saved) let a step be looked at afterwards.

#include "model/UClrBed.h"
#include "model/UColors.h"
#include "model/Ucommon.h"
#include "model/UunvKinds.h"
#include "model/UunvZ.h"

#include <array>
#include <cstdint>
#include <vector>

// A needle position. Needles are counted from 1 at the left end of the working width W. An absolute
// record names a needle; a relative one keeps its distance from the bed, so that it follows W: an
// Offset above 0 lies that many needles right of needle W, one below 0 left of needle 1 (-1 is
// needle 0), 0 means no distance.
struct MYcPosition {
    bool Absolute = false;
    std::int32_t Offset = 0;   // relative: the distance; absolute: an auxiliary distance
    std::int32_t Position = 0; // absolute: the needle; 0 in a relative record

    bool operator==(const MYcPosition&) const = default;
};

// One yarn carrier.
class MYcData {
public:
    MYcData() { Clear(); }

    bool Selected = false; // knits in the system being executed
    bool FInUse = false;   // placed: has a start position and follows the program
    MYcPosition Previous;  // before the last move
    MYcPosition Current;
    MYcPosition Start; // where it was first placed
    // The start position came from the offset tables and may be shifted; False once a P entry fixed it.
    bool Changed = true;

    // Not selected, not in use, Changed, the three records relative with no distance.
    void Clear();
    void Assign(const MYcData& Source) { *this = Source; }
    // True also puts the carrier in use.
    void SetSelected(bool Value);
    // False also sets Changed.
    void SetInUse(bool Value);
    bool InUse() const { return FInUse; }

    // The needle of a record at working width Width.
    static std::int32_t DecodePosition(const MYcPosition& Record, std::int32_t Width);
    // Stores Needle in a record so that DecodePosition gives it back: on the bed absolute (Offset
    // kept), right of it relative with Offset Needle - Width, left of it relative with Offset
    // Needle - 1.
    static void EncodePosition(std::int32_t Needle, std::int32_t Width, MYcPosition& Record);
    std::int32_t GetPosition(std::int32_t Width) const { return DecodePosition(Current, Width); }
    // The needle where the carrier enters the bed in Z row ZRow: an absolute Current gives its
    // needle, a relative one left of the bed 1 and right of it Width; a carrier without a distance
    // (not in use, or in use but never moved off) enters at 1 in odd rows and at Width in even rows.
    std::int32_t EntryPoint(std::int32_t Width, std::int32_t ZRow) const;
};

constexpr int RailCount = 2;
constexpr int CarriersPerRail = 8;
using MRail = std::array<MYcData, CarriersPerRail>; // index 0..7 = carrier 1..8

class MRegisters {
public:
    MRegisters() = default;
    MRegisters(const MRegisters&) = delete;
    MRegisters& operator=(const MRegisters&) = delete;

    std::int32_t StepCount = 0; // Z rows started in this run
    bool Error43Reported = false;
    std::int32_t SLine = 0;  // 0 none
    std::int32_t CycleS = 0; // the S line whose cycle is walked; 0 outside a cycle
    std::int32_t ZRow = 0;   // -1 after a Z range is exhausted
    std::int32_t System = 0; // 1..number of systems
    std::int32_t BlockRepeat = 0;
    std::int32_t CycleRepeat = 0;
    bool NewS = false;
    bool NewZ = false;
    bool RepeatR = false;
    // The values above as they were when the last system finished.
    std::int32_t PrevSLine = 0;
    std::int32_t PrevBlockRepeat = 0;
    std::int32_t PrevCycleRepeat = 0;
    std::int32_t PrevZRow = 0;
    std::int32_t PrevSystem = 0;
    bool PrevNewS = false;
    bool PrevNewZ = false;
    bool PrevRepeatR = false;
    MUnvZ Row; // the effective Z row of the current stroke
    bool AutoPositioning = false;
    bool Finished = false;
    MRail Rail1;
    MRail Rail2;
    MPTerror Error; // the current finding
    // A row search that stopped at its transition limit and goes on at the next step: the state to
    // go on in (0 none), the S line it was about to enter and the S line it started from.
    std::int32_t SearchState = 0;
    std::int64_t SearchNextS = 0;
    std::int32_t SearchOldS = 0;

    // Carrier Carrier (1..8) of rail Rail (1..2); raises ERangeError outside.
    MYcData& Carrier(int Rail, int Carrier);

    // The start of a run: everything zero or off, System and PrevSystem 1, Row and every carrier
    // cleared. The finding is kept.
    void Reset();
    // Copies every field but Error43Reported and the finding; StepCount last.
    void Assign(const MRegisters& Source);
};

// ---- The scheme interpreter.

class MProject;

// Result codes of the stepping operations.
constexpr int srWentOn = 0;   // the step went on (the row search found a next row)
constexpr int srFinished = 2; // the program had already finished: nothing was done
constexpr int srStarted = 3;  // the start (also without a project, which leaves the run finished)
constexpr int srEnded = 4;    // the program ended with this step
constexpr int srSearchStopped =
    5; // the row search stopped after its transitions; the next step goes on with it
constexpr int srStartFailed = 6;    // the start failed part-way (no C entry 1, ...): the run is finished
constexpr int srMoveFailed = 15;    // a yarn-carrier move failed (finding 106); the run goes on
constexpr int srSearchFailed = 199; // an unexpected failure in the row search

// Findings of the interpreter (code 5030, the number as subcode). The bed loader's are in UClrBed.
constexpr int pteNotOneXEntry = 43;     // modes 2 and 3 need one X entry as wide as W
constexpr int pteMissingZRow = 54;      // a Z row of an S line's range does not exist
constexpr int pteMissingCycleLine = 59; // an S line of a cycle does not exist
constexpr int pteNestedCycle = 60;      // an S line inside a cycle is a cycle itself
constexpr int pteBadRCounter = 61;      // an R counter names a missing R entry or counts below 1
constexpr int pteNoCarrier = 101;       // mode 1: no rail has a usable carrier of the number
constexpr int pteMoreSegments = 102;    // more needle segments than carriers to knit them
constexpr int pteStartsTooClose = 104;  // after settling, the two carriers of a number start too close
constexpr int pteStoppedByTwin = 105;   // a carrier was stopped inside the bed by its twin
constexpr int pteMoveFailed = 106;      // a carrier move failed
constexpr int pteNoPEntry = 108;        // no P entry of the S line's range applies to the carrier
constexpr int pteVBWithoutEnd = 109;    // a VB entry finds a start colour but no end colour
constexpr int pteWWWithoutEnd = 110;    // a WW entry finds a start pair but no end pair
constexpr int pteNothingSelected = 111; // P entries apply but select no needle
constexpr int pteOffsetZero = 112; // the carrier offset in the setup scheme is 0 (held until the next start)
constexpr int pteNoSegment = 113;  // no segment, and both carriers of the number wait outside the bed
constexpr int pteShiftOutside = 114; // an R line shift leaves 1..picture height
constexpr int pteOverlap = 115;      // two carriers of one system have overlapping paths
constexpr int pteSettleLimit = 116;  // the settling run did not end within the step limit

// What a run gathers for the stripe import, after every executed system while StatisticsOn.
struct MRunStatistics {
    bool UsesPositioning = false;
    std::int32_t NeedleMin = 0; // the needle extent of the beds' parts
    std::int32_t NeedleMax = 0;
    std::int32_t LineMin = 0; // the smallest jacquard pattern line of 11 or more; 0 none yet
    std::int32_t LineMax = 0;
    std::array<bool, 10> FixedLineUsed{}; // jacquard pattern lines 1..10
};

// One finding as the run log keeps it. Held: the hold of finding 112 kept it from becoming current.
struct MRunFinding {
    MPTerror Finding;
    bool Held = false;
};

// A run of needles to knit: First is its first needle in scan order, Last its last; Rail 0 none.
struct MSegment {
    int Rail = 0;
    std::int32_t First = 0;
    std::int32_t Last = 0;
};

// Runs the knitting program of a project the way the machine would: S lines, Z rows with their
// repeats and cycles, one cam system per step, yarn carriers moved and needles selected, every
// problem recorded as a finding. It keeps no copy of the lists: a module edited between two steps
// is read as edited at its next use. Nothing raises to the caller once a project is attached, and
// every call returns in bounded time.
class MprogramSequencer {
public:
    static constexpr std::int64_t DefaultStepLimit = 1000000;
    static constexpr int SearchLimit = 1000; // transitions of one row search
    static constexpr int MoveLimit = 1000;   // transitions of one carrier move
    static constexpr int LogLimit = 1000;    // findings logged per call; the rest are counted

    MprogramSequencer();
    ~MprogramSequencer();
    MprogramSequencer(const MprogramSequencer&) = delete;
    MprogramSequencer& operator=(const MprogramSequencer&) = delete;

    MUnvZ StrokeRow; // the Z row while a stroke is prepared
    bool SavedValid = false;
    MJacquardBed SelectionBed; // the needle-selection marks of mode 2 (1 selected)
    std::int32_t Gauge = 12;
    std::int32_t MarkCount = 0; // marking calls of the last needle selection
    std::int32_t Width = 0;     // the working width W
    MRegisters Regs;
    MRegisters SavedRegs;  // Regs as they were before the last step
    MJacquardBed FrontBed; // the pattern colours of the executed system's front and rear slot
    MJacquardBed RearBed;
    bool UsesPositioning = false;
    bool StatisticsOn = false;
    MRunStatistics Statistics;
    // The most system steps RunToEnd (and the settling run of the start) makes.
    std::int64_t StepLimit = DefaultStepLimit;
    // The last step ran a cam system, and the mode it ran in (1..3; 0 when none ran).
    bool SystemExecuted = false;
    int ExecutedMode = 0;
    // The step calls of the last start's settling run.
    std::int64_t SettleSteps = 0;

    MProject* GetProject() const { return FProject; }
    // Attaches a project (gauge, working width and palette taken from it) or, with null, detaches.
    // Either way the run is marked finished until the next start. A project without C entry 1
    // raises and leaves the sequencer as it was.
    void SetProject(MProject* Project);
    // The cam systems of the project's machine (1, 2 or 4; a model not known runs one system).
    int SystemsCount() const;
    void ClearRunState();
    void SaveRegisters();
    // Gathers the statistics afresh from the next step on: the needle extent then counts only the
    // needle setups read from there (the beds read their rows and setups again).
    void RestartStatistics();

    // Restarts at the program's first row, with the settling run that brings every carrier the
    // program uses into play at its start position; writes the starts into C entry 1. Returns 3, or
    // 6 when the start failed part-way (C entry 1 gone since the project was attached, ...): the
    // run is then finished, so that no step runs on a half-made start.
    int StartProgram();
    // Executes one cam system; see the result codes.
    int StepSystem();
    // The systems left in the current stroke, up to the first result other than 0.
    int RunStroke();
    // Steps until the run is finished, fails (2, 199) or has made StepLimit steps; goes on through
    // results 5 and 15. Returns the last result.
    int RunToEnd();
    // Records a finding as the current one, unless finding 112 is held (it stays until the next
    // start); either way it is logged.
    void AddRunError(int Code, const QString& Text, int ListKind, int Number);

    // The findings recorded since the caller's last call into StartProgram, StepSystem, RunStroke
    // or RunToEnd (the bed loader's included), in order; at most LogLimit, the rest counted.
    const std::vector<MRunFinding>& Findings() const { return FLog; }
    int FindingsDropped() const { return FDropped; }

    // ---- The row search. Starts after the current row, or goes on with a search that stopped.
    int NextZRow();

    // ---- Needle selection for the executed system.
    // Fills SelectionBed for carrier 1..8 from the P entries of the S line's P range.
    void SelectNeedles(int Carrier);
    // Marks needles A..B of the front (Side 0) or rear (Side 1) pattern side.
    void MarkRange(int Side, std::int64_t A, std::int64_t B);
    bool ColorInSet(TColor Colour, const MclrMap& Set) const;
    // The needle segments between From and To (scanned from From towards To): Mode 2 from
    // SelectionBed, Mode 3 from the pattern colours and cams; the first one goes into Segment.
    int FindSegments(int Mode, std::int64_t From, std::int64_t To, MSegment& Segment);

    // ---- Yarn-carrier movement; Carrier is 0..7, Rail 1..2.
    int MoveCarrier(int Carrier, int Mode);
    void ComputeTargets(int Mode, int Carrier, MSegment& T1, MSegment& T2);
    void ChooseRails(int Carrier, int& First, int& Second);
    // 1 when the twin on the other rail stopped the carrier, else 0.
    int MoveCarrierTo(int Carrier, int Rail, bool Absolute, std::int32_t Offset, std::int32_t Position);
    void PlaceCarrier(int Carrier, int Rail, bool Absolute, std::int32_t Offset, std::int32_t Position);
    bool PathsOverlap(int Carrier1, int Rail1, int Carrier2, int Rail2) const;
    // After the settling run: moves default starts apart, finding 104, every carrier to its start.
    void SettleStarts();
    // Writes the carriers' starts and the picture's rectangle into C entry 1.
    void WriteCarrierStarts();

private:
    void ReadMachine();
    void LogFinding(const MPTerror& Finding, bool Held);
    void ClearLog();
    int DoStep();
    int Search(int State, std::int32_t OldS, std::int64_t NextS);
    int FirstSystemOf(std::int32_t ZRow) const;
    bool PrepareStroke();
    void CarryOver(const MUnvZ& Previous);
    void MarkStitchModules();
    void ShiftLines();
    int ExecuteSystem();
    void CheckNeedleSetup();
    void CollectStatistics();
    std::int32_t CheckedCount(const MUnvS& Line, std::int32_t Number);
    // Offsets of the setup scheme for carrier 0..7 in the executed system.
    std::int32_t OffsetValue(int Carrier, bool Left);
    std::int32_t StartOffset(int Carrier);
    std::int32_t EndOffset(int Carrier);
    std::int64_t Clearance(int Carrier) const;
    bool WaitsAtEntry(const MYcData& Carrier) const;
    bool StandsAtExit(const MYcData& Carrier) const;
    MYcData& CarrierOf(int Rail, int Carrier);
    const MYcData& CarrierOf(int Rail, int Carrier) const;
    std::int64_t GapLimit() const { return std::int64_t(Gauge) * 4; }
    bool OddRow() const;

    MProject* FProject = nullptr;
    std::vector<MRunFinding> FLog;
    int FDropped = 0;
};
