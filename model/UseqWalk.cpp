// The walk of the scheme interpreter: attaching a project, the start with its settling run, the
// steps system by system, the row search over S lines, repeats and cycles, the preparation of each
// stroke, the execution of one cam system, the statistics and the findings.

#include "model/UCamCodes.h"
#include "model/UProject.h"
#include "model/UseqInternal.h"
#include "model/Usequencer.h"

#include <algorithm>
#include <limits>

using seq::Args;
using seq::Find;

namespace {
constexpr std::uint8_t stCycle = 2; // an S line of type 2 walks a range of S lines

void IncrementSaturated(std::int32_t& Value) {
    if (Value < std::numeric_limits<std::int32_t>::max())
        ++Value;
}

void MarkUsed(MUnvBase* Module) {
    if (Module)
        Module->UsedMark = 1;
}
} // namespace

MprogramSequencer::MprogramSequencer() {
    const auto log = [this](const MPTerror& Finding) { LogFinding(Finding, false); };
    FrontBed.FindingLog = log;
    RearBed.FindingLog = log;
    ClearRunState();
    Regs.Finished = true;
}

MprogramSequencer::~MprogramSequencer() = default;

// ---- Attaching

void MprogramSequencer::SetProject(MProject* Project) {
    if (Project) {
        const MUnvC& c = Project->Program().C.GetC(1); // a project without a setup scheme cannot run
        const std::int32_t width = WorkingWidth(c);
        FProject = Project;
        Width = width;
        Gauge = Project->Program().Machine.Gauge;
        FrontBed.Palette = RearBed.Palette = SelectionBed.Palette = &Project->Palette();
    } else {
        FProject = nullptr;
    }
    // A run belongs to the project it was started on.
    Regs.Finished = true;
}

void MprogramSequencer::ReadMachine() {
    // C entry 1 may have changed since the project was attached; without it nothing can be placed.
    Gauge = FProject->Program().Machine.Gauge;
    const MUnvC* c = Find<MUnvC>(FProject->Program().C, 1);
    Width = c ? WorkingWidth(*c) : 0;
    FrontBed.Palette = RearBed.Palette = SelectionBed.Palette = &FProject->Palette();
}

int MprogramSequencer::SystemsCount() const {
    if (!FProject)
        return 1;
    return std::clamp(FProject->Program().Machine.Category, 1, ZSystems);
}

void MprogramSequencer::ClearRunState() {
    RestartStatistics();
    SavedValid = false;
    UsesPositioning = false;
    Regs.Reset();
    SavedRegs.Reset();
}

void MprogramSequencer::RestartStatistics() {
    for (MJacquardBed* bed : {&FrontBed, &RearBed}) {
        bed->NeedleMin = 0;
        bed->NeedleMax = 0;
        bed->CachedLine = 0;
        bed->CachedSLine = 0;
    }
    Statistics = MRunStatistics();
}

void MprogramSequencer::SaveRegisters() {
    SavedRegs.Assign(Regs);
    SavedValid = true;
}

bool MprogramSequencer::OddRow() const {
    return IsOdd(Regs.ZRow);
}

int MprogramSequencer::FirstSystemOf(std::int32_t ZRow) const {
    return IsOdd(ZRow) ? 1 : SystemsCount();
}

// ---- Findings

void MprogramSequencer::ClearLog() {
    FLog.clear();
    FDropped = 0;
}

void MprogramSequencer::LogFinding(const MPTerror& Finding, bool Held) {
    if (int(FLog.size()) < LogLimit)
        FLog.push_back({Finding, Held});
    else if (FDropped < std::numeric_limits<int>::max())
        ++FDropped;
}

void MprogramSequencer::AddRunError(int Code, const QString& Text, int ListKind, int Number) {
    MPTerror f;
    f.SetError(Code);
    f.Args = Text;
    f.ListKind = ListKind;
    f.Number = Number;
    // Finding 112 stays until the next start.
    const bool held = Regs.Error.ErrorId == pteOffsetZero;
    if (!held)
        Regs.Error = f;
    LogFinding(f, held);
}

// ---- The start

int MprogramSequencer::StartProgram() {
    ClearLog();
    SettleSteps = 0;
    SystemExecuted = false;
    ExecutedMode = 0;
    if (!FProject)
        return srStarted;
    try {
        ReadMachine();
        ClearRunState();
        SaveRegisters();
        Regs.Error.Clear();

        MProgramLists& program = FProject->Program();
        // The first row: the first S line's range, or the range of the first line of its cycle.
        std::int32_t firstS = program.S.MinNumber();
        std::int32_t cycle = 0;
        std::int32_t firstZ = 0;
        if (firstS > 0) {
            const MUnvS* s = Find<MUnvS>(program.S, firstS);
            if (s && s->Type == stCycle) {
                cycle = firstS;
                firstS = s->First;
                const MUnvS* member = Find<MUnvS>(program.S, firstS);
                firstZ = member && member->Type != stCycle ? member->First : 0;
            } else if (s) {
                firstZ = s->First;
            }
        }

        if (firstZ <= 0) {
            Regs.Finished = true;
        } else {
            Regs.Finished = false;
            Regs.ZRow = firstZ;
            Regs.System = FirstSystemOf(firstZ);
            Regs.SLine = firstS;
            if (firstS != 0)
                Regs.BlockRepeat = Regs.PrevBlockRepeat = 1;
            Regs.CycleS = cycle;
            if (cycle != 0)
                Regs.CycleRepeat = Regs.PrevCycleRepeat = 1;
            Regs.StepCount = 1;
            Regs.PrevNewS = Regs.PrevNewZ = Regs.PrevRepeatR = false;
            Regs.NewS = Regs.NewZ = true;
            Regs.RepeatR = false;
            for (MRail* rail : {&Regs.Rail1, &Regs.Rail2})
                for (MYcData& y : *rail) {
                    y.SetInUse(false);
                    y.Changed = true;
                }
            MPatternSource* pattern = FProject->Pattern();
            MUnvC& c = program.C.GetC(1);
            c.X1 = 1;
            c.Y1 = 1;
            c.Width = pattern ? pattern->ImageWidth() : 0;
            c.Height = pattern ? pattern->ImageHeight() : 0;

            // The settling run: the whole program once, so that the real run begins with every
            // carrier it uses in play at its start position.
            MRegisters start;
            start.Assign(Regs);
            const std::int64_t limit = std::max<std::int64_t>(StepLimit, 0);
            while (!Regs.Finished && SettleSteps < limit) {
                const int r = DoStep();
                ++SettleSteps;
                if (r == srFinished || r == srSearchFailed)
                    break;
            }
            if (!Regs.Finished && SettleSteps >= limit)
                AddRunError(pteSettleLimit, QString::number(limit), 0, 0);
            SettleStarts();
            start.Rail1 = Regs.Rail1;
            start.Rail2 = Regs.Rail2;
            Regs.Assign(start); // the finding and the 43 flag stay as the settling run left them
        }
        SystemExecuted = false;
        ExecutedMode = 0;

        WriteCarrierStarts();
        MarkUsed(Find<MUnvS>(program.S, Regs.SLine));
        if (Regs.CycleS != 0)
            MarkUsed(Find<MUnvS>(program.S, Regs.CycleS));
        MarkUsed(Find<MUnvZ>(program.Z, Regs.ZRow));
        MarkUsed(Find<MUnvC>(program.C, 1));
    } catch (...) {
        // Any failure ends the start; the caller tells it by the result.
        Regs.Finished = true;
        return srStartFailed;
    }
    return srStarted;
}

// ---- Stepping

int MprogramSequencer::StepSystem() {
    ClearLog();
    return DoStep();
}

int MprogramSequencer::RunStroke() {
    ClearLog();
    const int n = SystemsCount();
    // A stopped search first finds its row; the stroke is then that whole row.
    int left = n;
    if (Regs.SearchState == 0 && Regs.System >= 1 && Regs.System <= n)
        left = OddRow() ? n - Regs.System + 1 : Regs.System;
    int result = srWentOn;
    for (int i = 0; i < left; ++i) {
        result = DoStep();
        // A row that does not exist knits nothing: its stroke ends there.
        if (result != srWentOn || !SystemExecuted)
            break;
    }
    return result;
}

int MprogramSequencer::RunToEnd() {
    ClearLog();
    if (Regs.Finished)
        return srFinished;
    int result = srWentOn;
    for (std::int64_t steps = 0; !Regs.Finished && steps < StepLimit; ++steps) {
        result = DoStep();
        if (result == srFinished || result == srSearchFailed)
            break;
    }
    return result;
}

int MprogramSequencer::DoStep() {
    SaveRegisters();
    SystemExecuted = false;
    ExecutedMode = 0;
    if (Regs.Finished || !FProject)
        return srFinished;
    // A search that stopped at its limit goes on before anything else.
    if (Regs.SearchState != 0) {
        const int r = NextZRow();
        Regs.System = FirstSystemOf(Regs.ZRow);
        if (r != srWentOn)
            return r;
    }
    const int n = SystemsCount();
    const bool odd = OddRow();
    const int first = odd ? 1 : n;
    const int last = odd ? n : 1;
    if (Regs.System < 1 || Regs.System > n)
        Regs.System = first;
    if (Regs.System == first && !PrepareStroke()) {
        // A row that does not exist is never knitted: the search goes on as after a finished range.
        AddRunError(pteMissingZRow, Args({Regs.SLine, Regs.ZRow}), lkS, Regs.SLine);
        Regs.ZRow = -1;
        const int r = Search(2, Regs.SLine, 0);
        Regs.System = FirstSystemOf(Regs.ZRow);
        return r;
    }
    int result = ExecuteSystem();
    // A failed carrier move was recorded (106); the run goes on as after a normal step.
    Regs.PrevSLine = Regs.SLine;
    Regs.PrevBlockRepeat = Regs.BlockRepeat;
    Regs.PrevCycleRepeat = Regs.CycleRepeat;
    Regs.PrevZRow = Regs.ZRow;
    Regs.PrevSystem = Regs.System;
    Regs.PrevNewS = Regs.NewS;
    Regs.PrevNewZ = Regs.NewZ;
    Regs.PrevRepeatR = Regs.RepeatR;
    const MUnvS* s = Find<MUnvS>(FProject->Program().S, Regs.SLine);
    if (Regs.AutoPositioning || (s && s->PFirst > 0))
        UsesPositioning = true;
    if (StatisticsOn)
        CollectStatistics();
    Regs.NewZ = false;
    if (Regs.System == last) {
        const int next = NextZRow();
        Regs.System = FirstSystemOf(Regs.ZRow);
        if (result == srWentOn)
            result = next;
    } else {
        Regs.System += odd ? 1 : -1;
    }
    return result;
}

// ---- The row search

int MprogramSequencer::NextZRow() {
    if (Regs.SearchState != 0) {
        const int state = Regs.SearchState;
        Regs.SearchState = 0;
        return Search(state, Regs.SearchOldS, Regs.SearchNextS);
    }
    return Search(1, Regs.SLine, 0);
}

std::int32_t MprogramSequencer::CheckedCount(const MUnvS& Line, std::int32_t Number) {
    const std::int32_t count = FProject->ResolveValue(Line.Counter);
    if (Line.Counter.Kind == ckR && (!FProject->Program().R.Contains(Line.Counter.Value) || count < 1)) {
        AddRunError(pteBadRCounter, Args({Number, Line.Counter.Value}), lkS, Number);
        Regs.ZRow = -1;
    }
    return count;
}

int MprogramSequencer::Search(int State, std::int32_t OldS, std::int64_t NextS) {
    int result = srEnded;
    Regs.NewS = Regs.NewZ = Regs.RepeatR = false;
    if (FProject) {
        MProgramLists& program = FProject->Program();
        try {
            bool done = false;
            for (int transitions = 1; !done; ++transitions) {
                if (transitions > SearchLimit) {
                    // Kept, so that the next step goes on from here.
                    Regs.SearchState = State;
                    Regs.SearchNextS = NextS;
                    Regs.SearchOldS = OldS;
                    result = srSearchStopped;
                    break;
                }
                switch (State) {
                case 1: { // the next row of the range
                    const MUnvS* s = Find<MUnvS>(program.S, Regs.SLine);
                    Regs.ZRow = s ? s->NextInRange(Regs.ZRow) : -1;
                    if (Regs.ZRow == -1) {
                        State = 2;
                    } else if (!program.Z.Contains(Regs.ZRow)) {
                        AddRunError(pteMissingZRow, Args({Regs.SLine, Regs.ZRow}), lkS, Regs.SLine);
                        Regs.ZRow = -1;
                        State = 2;
                    } else {
                        IncrementSaturated(Regs.StepCount);
                        result = srWentOn;
                        done = true;
                    }
                    break;
                }
                case 2: { // another pass of the S line's range
                    const MUnvS* s = Find<MUnvS>(program.S, Regs.SLine);
                    if (!s) {
                        State = 3;
                        break;
                    }
                    const std::int32_t count = CheckedCount(*s, Regs.SLine);
                    if (count > Regs.BlockRepeat) {
                        Regs.RepeatR = s->Counter.Kind == ckR;
                        ++Regs.BlockRepeat;
                        Regs.ZRow = s->First;
                        IncrementSaturated(Regs.StepCount);
                        result = srWentOn;
                        done = true;
                    } else {
                        State = 3;
                    }
                    break;
                }
                case 3: { // the next S line
                    const MUnvS* c = Regs.CycleS != 0 ? Find<MUnvS>(program.S, Regs.CycleS) : nullptr;
                    if (!c) {
                        NextS = std::int64_t(Regs.CycleS != 0 ? Regs.CycleS : Regs.SLine) + 1;
                        State = 4;
                        break;
                    }
                    const std::int32_t next = c->NextInRange(Regs.SLine);
                    if (next != -1) {
                        Regs.SLine = next;
                        Regs.BlockRepeat = 0;
                        State = 5;
                        break;
                    }
                    const std::int32_t count = CheckedCount(*c, Regs.CycleS);
                    if (count > Regs.CycleRepeat) {
                        ++Regs.CycleRepeat;
                        Regs.BlockRepeat = 0;
                        Regs.SLine = c->First;
                        State = 5;
                    } else {
                        NextS = std::int64_t(Regs.CycleS) + 1;
                        State = 4;
                    }
                    break;
                }
                case 4: { // enter S line NextS
                    const MUnvS* s = Find<MUnvS>(program.S, NextS);
                    if (!s || s->RangeIsEmpty()) {
                        State = 6;
                        break;
                    }
                    Regs.BlockRepeat = 0;
                    Regs.CycleRepeat = 0;
                    if (s->Type == stCycle) {
                        Regs.CycleS = std::int32_t(NextS);
                        Regs.SLine = s->First;
                        Regs.CycleRepeat = 1; // the first pass of the cycle
                        State = 5;
                    } else {
                        Regs.CycleS = 0;
                        Regs.SLine = std::int32_t(NextS);
                        State = 2;
                    }
                    break;
                }
                case 5: { // an S line inside a cycle
                    const MUnvS* s = Find<MUnvS>(program.S, Regs.SLine);
                    if (!s) {
                        AddRunError(pteMissingCycleLine, Args({Regs.CycleS, Regs.SLine}), lkS, Regs.CycleS);
                        State = 3;
                    } else if (s->Type == stCycle) {
                        AddRunError(pteNestedCycle, QString::number(Regs.SLine), lkS, Regs.SLine);
                        State = 3;
                    } else {
                        State = 2;
                    }
                    break;
                }
                default: // 6: the end
                    Regs.Finished = true;
                    done = true;
                    break;
                }
            }
        } catch (...) {
            result = srSearchFailed;
        }
    }
    try {
        if (Regs.SLine != OldS) {
            Regs.NewS = true;
            if (FProject) {
                MarkUsed(Find<MUnvS>(FProject->Program().S, Regs.SLine));
                if (Regs.CycleS != 0)
                    MarkUsed(Find<MUnvS>(FProject->Program().S, Regs.CycleS));
            }
        }
        Regs.NewZ = true;
        if (FProject)
            MarkUsed(Find<MUnvZ>(FProject->Program().Z, Regs.ZRow));
    } catch (...) {
    }
    return result;
}

// ---- The stroke

bool MprogramSequencer::PrepareStroke() {
    const MUnvZ* z = Find<MUnvZ>(FProject->Program().Z, Regs.ZRow);
    if (!z)
        return false;
    StrokeRow.Assign(*z);
    CarryOver(Regs.Row);
    ShiftLines();
    Regs.Row.Assign(StrokeRow);
    return true;
}

void MprogramSequencer::CarryOver(const MUnvZ& Previous) {
    MUnvZ& row = StrokeRow;
    if (row.FSFront == 0)
        row.FSFront = Previous.FSFront;
    if (row.FSRear == 0)
        row.FSRear = Previous.FSRear;
    MarkStitchModules();
    if (row.WA1.Value == 0)
        row.WA1 = Previous.WA1;
    switch (row.WA2.Step) {
    case 2: // "^": one more than the previous row
        row.WA2.Value = Previous.WA2.Value < std::numeric_limits<std::int32_t>::max() ? Previous.WA2.Value + 1
                                                                                      : Previous.WA2.Value;
        break;
    case 3: // "v": one less, while the previous row has some
        if (Previous.WA2.Value > 0)
            row.WA2.Value = Previous.WA2.Value - 1;
        break;
    case 0:
        if (row.WA2.Value == 0)
            row.WA2 = Previous.WA2;
        break;
    default:
        break;
    }
    for (std::size_t i = 0; i < row.Racking.size(); ++i)
        if (row.Racking[i].Transfer == 0)
            row.Racking[i] = Previous.Racking[i];
    if (row.TZ == 0)
        row.TZ = Previous.TZ;
    if (row.PA == 1)
        Regs.AutoPositioning = true;
    else if (row.PA == 2)
        Regs.AutoPositioning = false;
}

void MprogramSequencer::MarkStitchModules() {
    MProgramLists& program = FProject->Program();
    for (const int number : {int(StrokeRow.FSFront), int(StrokeRow.FSRear)}) {
        MUnvFS* fs = Find<MUnvFS>(program.FS, number);
        if (!fs)
            continue;
        fs->UsedMark = 1;
        for (const auto* counters : {&fs->CountersA, &fs->CountersB})
            for (const MCounter& counter : *counters)
                if (counter.Kind == ckW)
                    MarkUsed(Find<MUnvW>(program.W, counter.Value));
    }
    MUnvFD* fd = Find<MUnvFD>(program.FD, StrokeRow.FD);
    if (!fd)
        return;
    fd->UsedMark = 1;
    for (int slot = 0; slot < ZSlots; ++slot) {
        const std::int64_t a = fd->FirstFE[std::size_t(slot)];
        if (a <= 0)
            continue;
        const std::int64_t b = a + fd->CountFE[std::size_t(slot)];
        for (MUnvBase* fe : program.FE.ModulesInRange(std::min(a, b), std::max(a, b)))
            fe->UsedMark = 1;
    }
}

void MprogramSequencer::ShiftLines() {
    if (Regs.BlockRepeat <= 0)
        return;
    MProgramLists& program = FProject->Program();
    const MUnvS* s = Find<MUnvS>(program.S, Regs.SLine);
    if (!s || s->Counter.Kind != ckR)
        return;
    const MUnvR* r = Find<MUnvR>(program.R, s->Counter.Value);
    if (!r)
        return;
    const MUnvC* c = Find<MUnvC>(program.C, 1);
    const std::int64_t height = c ? c->Height : 0;
    for (int slot = 0; slot < ZSlots; ++slot) {
        std::int32_t& line = StrokeRow.PatternLine[std::size_t(slot)];
        if (line <= 10) // the fixed lines 1..10 are never shifted
            continue;
        const std::int64_t shifted =
            std::int64_t(line) + std::int64_t(r->Offsets[std::size_t(slot)]) * (Regs.BlockRepeat - 1);
        if (shifted < 1 || shifted > height) {
            AddRunError(pteShiftOutside, Args({Regs.SLine, shifted, Regs.ZRow}), lkS, Regs.SLine);
            line = 0;
        } else {
            line = std::int32_t(shifted);
        }
    }
}

// ---- One cam system

int MprogramSequencer::ExecuteSystem() {
    const int system = Regs.System;
    const std::size_t front = std::size_t(2 * (system - 1));
    const std::size_t rear = front + 1;
    FrontBed.LoadJacquardRow(FProject, Regs.Error, Regs.Row.PatternLine[front], Regs.SLine);
    RearBed.LoadJacquardRow(FProject, Regs.Error, Regs.Row.PatternLine[rear], Regs.SLine);
    for (MRail* rail : {&Regs.Rail1, &Regs.Rail2})
        for (MYcData& y : *rail)
            y.SetSelected(false);

    const MffMap& set = Regs.Row.Carriers[std::size_t(system - 1)];
    const MUnvS* s = Find<MUnvS>(FProject->Program().S, Regs.SLine);
    int mode = 1;
    if (Regs.AutoPositioning && set.Count() == 1)
        mode = 3;
    else if (s && s->PFirst > 0)
        mode = 2;
    SystemExecuted = true;
    ExecutedMode = mode;
    if (mode != 1 && !Regs.Error43Reported)
        CheckNeedleSetup();

    std::vector<int> moved;
    for (int c = 0; c < CarriersPerRail; ++c) {
        if (!set.IsSet(c))
            continue;
        const int r = MoveCarrier(c, mode);
        if (r != srWentOn) {
            if (r == srMoveFailed)
                AddRunError(pteMoveFailed, Args({Regs.ZRow, c + 1}), lkZ, Regs.ZRow);
            return r;
        }
        for (int a = 1; a <= RailCount; ++a) {
            if (!CarrierOf(a, c).Selected)
                continue;
            for (const int e : moved)
                for (int b = 1; b <= RailCount; ++b)
                    if (CarrierOf(b, e).Selected && PathsOverlap(c, a, e, b))
                        AddRunError(pteOverlap, Args({Regs.ZRow, c + 1, e + 1}), lkZ, Regs.ZRow);
        }
        moved.push_back(c);
    }
    return srWentOn;
}

void MprogramSequencer::CheckNeedleSetup() {
    // Modes 2 and 3 read the pattern needle by needle: one X entry exactly as wide as W.
    MProgramLists& program = FProject->Program();
    const MUnvS* s = Find<MUnvS>(program.S, Regs.SLine);
    if (!s || s->NFirst <= 0)
        return;
    const MUnvN* n = s->NCount == 0 ? Find<MUnvN>(program.N, s->NFirst) : nullptr;
    const bool ok = n && n->Type == 1 && std::abs(std::int64_t(n->Count)) + 1 == Width;
    if (!ok) {
        AddRunError(pteNotOneXEntry, QString::number(Regs.SLine), lkS, Regs.SLine);
        Regs.Error43Reported = true;
    }
}

void MprogramSequencer::CollectStatistics() {
    Statistics.UsesPositioning = UsesPositioning;
    const std::size_t front = std::size_t(2 * (Regs.System - 1));
    for (const std::size_t slot : {front, front + 1}) {
        const int cls = CamCodeClass(Regs.Row.CamCode[slot]);
        if (cls < 106 || cls > 109)
            continue;
        const std::int32_t line = Regs.Row.PatternLine[slot];
        if (line >= 11) {
            if (Statistics.LineMin == 0 || line < Statistics.LineMin)
                Statistics.LineMin = line;
            Statistics.LineMax = std::max(Statistics.LineMax, line);
        } else if (line >= 1) {
            Statistics.FixedLineUsed[std::size_t(line - 1)] = true;
        }
    }
    // Both beds read the S line's needle setups: a row that reads the pattern on the rear only
    // counts as well.
    Statistics.NeedleMin = FrontBed.NeedleMin;
    Statistics.NeedleMax = FrontBed.NeedleMax;
    if (RearBed.NeedleMin > 0 && (Statistics.NeedleMin == 0 || RearBed.NeedleMin < Statistics.NeedleMin))
        Statistics.NeedleMin = RearBed.NeedleMin;
    Statistics.NeedleMax = std::max(Statistics.NeedleMax, RearBed.NeedleMax);
}
