#include "model/UPtestRun.h"

#include "model/UCamCodes.h"
#include "model/UProject.h"
#include "model/UcstmExp.h"
#include "model/UseqInternal.h"
#include "model/UunvC.h"
#include "model/UunvF.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using seq::Args;
using seq::Find;

// The result values of one bed at the working width; nsNone outside 1..Width and past the bed's
// end, so that nothing is read outside the bed.
class MResultView {
public:
    MResultView(const MJacquardBed& Bed, std::int32_t Width)
        : FBed(Bed), FCount(std::min(std::max(Width, 0), Bed.Width())), FWidth(std::max(Width, 0)) {}
    std::uint32_t At(std::int64_t Needle) const {
        return Needle < 1 || Needle > FCount ? nsNone : FBed.GetNeedle(int(Needle));
    }
    std::int32_t Width() const { return FWidth; }

private:
    const MJacquardBed& FBed;
    std::int32_t FCount;
    std::int32_t FWidth;
};

namespace {
constexpr std::uint8_t stZRange = 1; // an S line of type 1 walks a range of Z rows
constexpr int camClassTransfer = 102;
constexpr int camClassJacquard = 106;

// Finding ids of the checks.
constexpr int ptRacking = 1, ptMixedRow = 2, ptEmptySlot = 3, ptNoKnitting = 4, ptTransferPairs = 6,
              ptKnitPairs = 7, ptKnitLine = 8, ptIdleLine = 9, ptFirstUV = 10, ptFirstWA2 = 11,
              ptFirstTZ = 12, ptFirstFS = 13, ptFirstST = 14, ptFSRange = 15, ptStitchValue = 16, ptWA2 = 17,
              ptCamTable = 28, ptNoS1 = 50, ptParity = 52, ptMixedS = 55, ptTransferN = 56, ptKnitNoN = 57,
              ptRNotKnit = 58, ptOddEnd = 80, ptNotBack = 81, ptLastUV = 82, ptLastHV = 83, ptLeftStarts = 88,
              ptCarrierPaths = 104, ptClearance = 107;
// The record of a finding that no check gives and that is never listed.
constexpr int ptDroppedId = 5;
// The validation failure of a Z row that the test passes over (a cam without its colours).
constexpr int zColourSubCode = 24;
constexpr int cFirstAreaSubCode = 26;

bool CamOfClass(int Cam, int A, int B) {
    const int c = CamCodeClass(Cam);
    return c == A || c == B;
}

// The allowed cam codes of the three rows of the slot table of models 720 and 721.
bool CamAllowed(int Row, int Cam) {
    static const std::array<std::vector<int>, 3> rows{{
        {camNone, camJA, camJN, camNA, camA, camJNRR, camJN11, camJN21},
        {camNone, camJA, camJU, camA, camJURR, camJU11, camJU21},
        {camNone, camJA, camJR, camJF, camJRJF, camA, camRR, camF, cam11, camF11, cam21, camF21},
    }};
    const std::vector<int>& allowed = rows[std::size_t(Row)];
    return std::find(allowed.begin(), allowed.end(), Cam) != allowed.end();
}

bool Is720(int Model) {
    return Model == 720 || Model == 721;
}

bool SameParity(std::int32_t A, std::int32_t B) {
    return ((A ^ B) & 1) == 0;
}

// The stitch value range of a gauge; false for a gauge whose values all pass.
bool GaugeRange(int Gauge, std::int32_t& Hi) {
    if (Gauge >= 2 && Gauge <= 4)
        Hi = 240;
    else if (Gauge >= 5 && Gauge <= 8)
        Hi = 140;
    else if (Gauge >= 10 && Gauge <= 14)
        Hi = 80;
    else
        return false;
    return true;
}

// Visits the carriers, carrier by carrier and rail 1 before rail 2, until Visit answers true;
// answers whether it did.
template <typename F>
bool AnyCarrier(const MRegisters& Regs, F Visit) {
    for (int i = 1; i <= CarriersPerRail; ++i)
        for (const MRail* rail : {&Regs.Rail1, &Regs.Rail2})
            if (Visit(i, (*rail)[std::size_t(i - 1)]))
                return true;
    return false;
}

// What tells two findings apart: the fields MPTerror::Equals compares.
QString Key(const MPTerror& F) {
    return QStringLiteral("%1/%2/%3/%4/").arg(F.Code).arg(F.SubCode).arg(F.ListKind).arg(F.Number) + F.Args;
}
} // namespace

MProgramTestRun::MProgramTestRun(MProject& Project, MProgramTestEngine& Engine)
    : FProject(Project), FEngine(Engine) {}

int MProgramTestRun::Systems() const {
    return std::clamp(FEngine.SystemsCount(), 1, ZSystems);
}

// ---- The run.

TPtRunEnd MProgramTestRun::StartProgramTest() {
    ++FGeneration;
    FirstStepPending = true;
    CarrierReported.fill(false);
    FFindings.clear();
    FListed.clear();
    FSteps = 0;
    FPhase = TPtPhase::Static;
    CheckModules();
    LastNewZRow = 0;
    CheckFirstSLine();
    FStartFailed = !FEngine.ResetTest();
    FPhase = TPtPhase::Start;
    if (FEngine.Registers().Error.ErrorId != 0)
        ReportRunError();
    return RunProgramTest();
}

void MProgramTestRun::StepOnce() {
    FEngine.StepTest();
    ++FSteps;
    if (FirstStepPending) {
        FPhase = TPtPhase::First;
        CheckFirstStep();
        FirstStepPending = false;
    }
    FPhase = TPtPhase::Step;
    CheckStep();
}

TPtRunEnd MProgramTestRun::RunProgramTest() {
    if (Finished())
        return TPtRunEnd::Idle;
    FStopRequested = false;
    const std::uint64_t generation = FGeneration;
    while (!Finished() && !FStopRequested) {
        StepOnce();
        if (Pump) {
            Pump();
            if (generation != FGeneration)
                return TPtRunEnd::Replaced;
        }
    }
    if (FStopRequested)
        return TPtRunEnd::Stopped;
    FPhase = TPtPhase::End;
    CheckProgramEnd();
    return TPtRunEnd::Finished;
}

// ---- Findings.

void MProgramTestRun::AddFinding(int Id, const QString& Text, int Kind, int Number) {
    AddValidationFinding(PTErrorCode, Id, Text, Kind, Number);
}

void MProgramTestRun::AddValidationFinding(int Code, int SubCode, const QString& Text, int Kind, int Number) {
    MPTerror f;
    f.ErrorId = SubCode;
    f.Code = Code;
    f.SubCode = SubCode;
    f.Args = Text;
    f.ListKind = Kind;
    f.Number = Number;
    ShowTestError(f);
}

void MProgramTestRun::ReportRunError() {
    MPTerror& held = FEngine.Registers().Error;
    const MPTerror copy = held;
    held.SetError(0);
    ShowTestError(copy);
}

void MProgramTestRun::ShowTestError(const MPTerror& Finding) {
    // Only the test's own id 5 is dropped: a validation failure with subcode 5 is listed.
    if (Finding.Code == PTErrorCode && Finding.ErrorId == ptDroppedId)
        return;
    const QString key = Key(Finding);
    if (FListed.contains(key))
        return;
    FListed.insert(key);
    MPtFinding listed;
    listed.Error = Finding;
    listed.Phase = FPhase;
    if (listed.AfterStep()) {
        listed.SLine = FEngine.Registers().PrevSLine;
        listed.ZRow = FEngine.Registers().PrevZRow;
    }
    FFindings.push_back(listed);
    if (OnFinding)
        OnFinding(FFindings.back(), int(FFindings.size()) - 1);
}

void MProgramTestRun::ReportHeld(std::initializer_list<int> Ids) {
    const int id = FEngine.Registers().Error.ErrorId;
    if (std::find(Ids.begin(), Ids.end(), id) != Ids.end())
        ReportRunError();
}

// ---- Static checks.

int MProgramTestRun::RowCamFamily(const MUnvZ& Row, int Systems) {
    int v = 0;
    for (int i = 0; i < 2 * std::clamp(Systems, 1, ZSystems); ++i) {
        const int f = CamCodeFamily(Row.CamCode[std::size_t(i)]);
        if (v == 0)
            v = f;
        else if (f != v)
            v = 3;
    }
    return v;
}

void MProgramTestRun::CheckModules() {
    MProgramLists& program = FProject.Program();
    const MMachineInfo& machine = program.Machine;
    for (MUnvList* list : program.Lists()) {
        const int kind = list->Kind;
        for (int i = 0; i < list->Count(); ++i) {
            MUnvBase& entry = list->ItemAt(i);
            const int number = entry.Number;
            const QString self = QString::number(number);
            try {
                switch (kind) {
                case lkZ: {
                    auto& z = static_cast<MUnvZ&>(entry);
                    if (std::abs(std::int64_t(z.Racking[0].Position)) > machine.Gauge ||
                        std::abs(std::int64_t(z.Racking[1].Position)) > machine.Gauge)
                        AddFinding(ptRacking, self, lkZ, number);
                    z.CamFamily = RowCamFamily(z, Systems());
                    if (z.CamFamily == 3)
                        AddFinding(ptMixedRow, self, lkZ, number);
                    if (Is720(machine.Model) && CheckCamTable(z))
                        AddFinding(ptCamTable, self, lkZ, number);
                    entry.Validate();
                    break;
                }
                case lkS:
                    CheckSLine(static_cast<MUnvS&>(entry));
                    entry.Validate();
                    break;
                case lkFS:
                    entry.Validate();
                    if (CheckFSRange(static_cast<MUnvFS&>(entry)))
                        AddFinding(ptFSRange, self, lkFS, number);
                    break;
                case lkC: {
                    entry.Validate();
                    const auto& c = static_cast<const MUnvC&>(entry);
                    if (c.From[0] == 0 || c.To[0] <= c.From[0])
                        throw MException(ValidationCodeOfKind(lkC), cFirstAreaSubCode, self);
                    break;
                }
                default:
                    entry.Validate();
                    break;
                }
            } catch (const MException& e) {
                if (!(kind == lkZ && e.Code == ValidationCodeOfKind(lkZ) && e.SubCode == zColourSubCode))
                    AddValidationFinding(e.Code, e.SubCode, e.Args, kind, number);
            } catch (const Exception&) {
                // A check that cannot read what it needs finds nothing; the next entry is checked.
            }
        }
    }
}

bool MProgramTestRun::CheckCamTable(const MUnvZ& Entry) const {
    const bool odd = IsOdd(Entry.Number);
    for (int slot = 0; slot < ZSlots; ++slot) {
        int row = 0;
        if (slot >= 2 && slot <= 5)
            row = 2;
        else if (odd ? (slot == 1 || slot == 6) : (slot == 0 || slot == 7))
            row = 1;
        if (!CamAllowed(row, Entry.CamCode[std::size_t(slot)]))
            return true;
    }
    return false;
}

bool MProgramTestRun::CheckSLine(const MUnvS& Entry) {
    if (Entry.Type != stZRange)
        return false;
    std::int64_t first = Entry.First;
    std::int64_t last = std::int64_t(Entry.First) + Entry.Count;
    if (first > last)
        std::swap(first, last);
    first = std::max<std::int64_t>(first, 0);
    last = std::max<std::int64_t>(last, 0);
    // No Z row is numbered above the kind's largest number.
    last = std::min<std::int64_t>(last, MaxNumberOfKind(lkZ));
    const MZList& rows = FProject.Program().Z;
    int v = 0;
    for (std::int64_t n = first; n <= last; ++n) {
        const MUnvZ* z = Find<MUnvZ>(rows, n);
        if (!z)
            continue;
        if (v == 0) {
            v = z->CamFamily;
        } else if (z->CamFamily != v) {
            v = 3;
            break;
        }
    }
    const QString self = QString::number(Entry.Number);
    bool broken = false;
    const auto report = [&](bool Hit, int Id) {
        if (Hit) {
            AddFinding(Id, self, lkS, Entry.Number);
            broken = true;
        }
    };
    report(v == 3, ptMixedS);
    report(v == 1 && Entry.NFirst != 0, ptTransferN);
    report(v == 2 && Entry.NFirst == 0, ptKnitNoN);
    report(v != 2 && Entry.Counter.Kind == ckR, ptRNotKnit);
    return broken;
}

bool MProgramTestRun::CheckFSRange(const MUnvFS& Entry) {
    std::int32_t hi = 0;
    if (!GaugeRange(FProject.Program().Machine.Gauge, hi))
        return false;
    for (int i = 0; i < 2 * Systems(); ++i)
        for (const auto* set : {&Entry.CountersA, &Entry.CountersB}) {
            const std::int32_t v = FProject.ResolveValue((*set)[std::size_t(i)]);
            if (v < 0 || v > hi)
                return true;
        }
    return false;
}

void MProgramTestRun::CheckFirstSLine() {
    if (!FProject.Program().S.Contains(1))
        AddFinding(ptNoS1, QString(), lkS, 0);
}

// ---- After the first step.

bool MProgramTestRun::StartFlag(int Carrier) const {
    const MUnvC* c = Find<MUnvC>(FProject.Program().C, 1);
    return c && Carrier >= 1 && Carrier <= 8 && c->CarrierStarts[std::size_t(Carrier - 1)].FT != 0;
}

void MProgramTestRun::CheckFirstStep() {
    MRegisters& regs = FEngine.Registers();
    const MUnvZ& row = regs.Row;
    const std::int32_t z = regs.PrevZRow;
    if (row.Racking[0].Transfer == 0)
        AddFinding(ptFirstUV, QString(), lkZ, z);
    if (row.WA2.Value == 0)
        AddFinding(ptFirstWA2, QString(), lkZ, z);
    if (row.TZ == 0)
        AddFinding(ptFirstTZ, QString(), lkZ, z);
    if (row.FSFront == 0 || row.FSRear == 0)
        AddFinding(ptFirstFS, QString(), lkZ, z);
    if (row.ST == 0)
        AddFinding(ptFirstST, QString(), lkZ, z);
    for (int i = 1; i <= CarriersPerRail; ++i) {
        const MYcData& a = regs.Rail1[std::size_t(i - 1)];
        const MYcData& b = regs.Rail2[std::size_t(i - 1)];
        if (a.InUse() && b.InUse() && !a.Start.Absolute && !b.Start.Absolute && a.Start.Offset < 0 &&
            b.Start.Offset < 0 && StartFlag(i))
            AddFinding(ptLeftStarts, QString::number(i), lkC, 1);
    }
}

// ---- After every step.

std::int32_t MProgramTestRun::CyclePass(const MRegisters& Regs) {
    return Regs.PrevCycleRepeat > 1 ? Regs.PrevCycleRepeat - 1 : 0;
}

bool MProgramTestRun::RuleB(const MRegisters& Regs) {
    return ((Regs.PrevBlockRepeat == 1 || Regs.PrevBlockRepeat == 2) && CyclePass(Regs) <= 1) ||
           Regs.PrevRepeatR;
}

bool MProgramTestRun::RuleC(const MRegisters& Regs) {
    return (Regs.PrevBlockRepeat == 1 && CyclePass(Regs) <= 1) || Regs.PrevRepeatR;
}

bool MProgramTestRun::RuleD(const MRegisters& Regs) {
    return Regs.PrevBlockRepeat == 1 && CyclePass(Regs) <= 1;
}

MResultView MProgramTestRun::View(int Side) const {
    return MResultView(FEngine.ResultBed(Side), FEngine.WorkingWidth());
}

int MProgramTestRun::BedKnitState(int Side) const {
    const MResultView bed = View(Side);
    for (std::int32_t n = 1; n <= bed.Width(); ++n) {
        const std::uint32_t v = bed.At(n);
        if (v == nsKnit || v == nsTuck)
            return ptBedKnits;
    }
    return ptBedIdle;
}

bool MProgramTestRun::CheckCarrierPaths() {
    MRegisters& regs = FEngine.Registers();
    const std::int32_t width = FEngine.WorkingWidth();
    bool reported = false;
    AnyCarrier(regs, [&](int a, const MYcData& moving) {
        if (!moving.Selected)
            return false;
        const std::int64_t from = MYcData::DecodePosition(moving.Previous, width);
        const std::int64_t posA = MYcData::DecodePosition(moving.Current, width);
        const std::int64_t lo = std::min(from, posA);
        const std::int64_t hi = std::max(from, posA);
        AnyCarrier(regs, [&](int b, const MYcData& parked) {
            if (parked.Selected || !parked.InUse())
                return false;
            const std::int64_t pos = MYcData::DecodePosition(parked.Current, width);
            bool hit = false;
            if (parked.Current.Absolute && !StartFlag(b) && lo <= pos && pos <= hi) {
                hit = true;
            } else if (!reported) {
                const std::int64_t limit = std::int64_t(PTLimit3) + (StartFlag(b) || StartFlag(a) ? 7 : 0);
                hit = std::abs(posA - pos) <= limit;
            }
            if (hit) {
                AddFinding(ptCarrierPaths, Args({regs.ZRow, b, a}), lkZ, regs.PrevZRow);
                reported = true;
            }
            return false;
        });
        return false;
    });
    return reported;
}

bool MProgramTestRun::ScanForAction(std::int64_t Needle) const {
    const MResultView front = View(0), rear = View(1);
    const std::int64_t lo = std::max<std::int64_t>(Needle - PTLimit4, 1);
    const std::int64_t hi = std::min<std::int64_t>(Needle + std::int64_t(PTLimit4), front.Width());
    for (std::int64_t n = lo; n <= hi; ++n)
        if (front.At(n) != nsNone || rear.At(n) != nsNone)
            return true;
    return false;
}

bool MProgramTestRun::CheckCarrierClearance() {
    MRegisters& regs = FEngine.Registers();
    const std::int32_t width = FEngine.WorkingWidth();
    bool reported = false;
    AnyCarrier(regs, [&](int i, const MYcData& y) {
        if (CarrierReported[std::size_t(i - 1)] || !y.InUse())
            return false;
        bool hit = y.Current.Absolute && ScanForAction(MYcData::DecodePosition(y.Current, width));
        if (!hit && !reported && y.Selected && y.Previous.Absolute)
            hit = ScanForAction(MYcData::DecodePosition(y.Previous, width));
        if (hit) {
            AddFinding(ptClearance, Args({regs.ZRow, i}), lkZ, regs.PrevZRow);
            CarrierReported[std::size_t(i - 1)] = true;
            reported = true;
        }
        return false;
    });
    return reported;
}

bool MProgramTestRun::CheckTransferPairs() const {
    if (FEngine.Registers().Row.Racking[0].Transfer > 1)
        return false;
    const std::int64_t r = FEngine.GetRacking();
    const MResultView front = View(0), rear = View(1);
    for (std::int32_t n = 1; n <= front.Width(); ++n) {
        const std::uint32_t f = front.At(n);
        if (f != nsTransferOut && f != nsReceive)
            continue;
        const std::uint32_t b = rear.At(n + r);
        if ((f == nsTransferOut && b == nsReceive) || (f == nsReceive && b == nsTransferOut))
            return true;
    }
    return false;
}

bool MProgramTestRun::CheckKnitPairs() const {
    const MRegisters& regs = FEngine.Registers();
    const int s = regs.PrevSystem;
    if (regs.Row.Racking[0].Transfer != 3 || s < 1 || s > ZSystems ||
        regs.Row.NetRear[std::size_t(s - 1)] != 0)
        return false;
    const std::int64_t r = FEngine.GetRacking();
    const MResultView front = View(0), rear = View(1);
    const auto knits = [](std::uint32_t v) { return v == nsKnit || v == nsTuck; };
    for (std::int32_t n = 1; n <= front.Width(); ++n)
        if (knits(front.At(n)) && knits(rear.At(n + r)))
            return true;
    return false;
}

bool MProgramTestRun::CheckStitchValue() {
    const MRegisters& regs = FEngine.Registers();
    const int s = regs.PrevSystem;
    if (s < 1 || s > ZSystems)
        return false;
    const int s2 = Is720(FProject.Program().Machine.Model) && s > 1 ? s - 1 : s;
    for (int k = 0; k < 2; ++k) {
        if (!CamOfClass(regs.Row.CamCode[std::size_t(2 * (s - 1) + k)], camClassTransfer, camClassJacquard))
            continue;
        const MUnvFS* fs = Find<MUnvFS>(FProject.Program().FS, k == 0 ? regs.Row.FSFront : regs.Row.FSRear);
        std::int32_t v = 0;
        if (fs) {
            const auto& set = IsOdd(regs.PrevZRow) ? fs->CountersA : fs->CountersB;
            v = FProject.ResolveValue(set[std::size_t(2 * (s2 - 1) + k)]);
        }
        if (v < PTLimit1)
            return true;
    }
    return false;
}

bool MProgramTestRun::CheckWA2() const {
    const MRegisters& regs = FEngine.Registers();
    const int s = regs.PrevSystem;
    if (s < 1 || s > ZSystems)
        return false;
    const MUnvZ& row = regs.Row;
    const bool cam =
        CamOfClass(row.CamCode[std::size_t(2 * (s - 1))], camClassTransfer, camClassJacquard) ||
        CamOfClass(row.CamCode[std::size_t(2 * (s - 1) + 1)], camClassTransfer, camClassJacquard);
    return cam && row.WA2.Step != 1 && row.WA2.Value < PTLimit2;
}

void MProgramTestRun::CheckStep() {
    MRegisters& regs = FEngine.Registers();
    const std::int32_t z = regs.PrevZRow;
    const QString row = QString::number(z);
    ReportHeld({pteNoCarrier, pteMoreSegments, pteStoppedByTwin, pteMoveFailed, pteOverlap});
    CheckCarrierPaths();
    CheckCarrierClearance();
    if (RuleB(regs)) {
        if (CheckTransferPairs())
            AddFinding(ptTransferPairs, row, lkZ, z);
        if (CheckKnitPairs())
            AddFinding(ptKnitPairs, row, lkZ, z);
    }
    if (RuleC(regs)) {
        ReportHeld({pteVBWithoutEnd, pteWWWithoutEnd, pteNothingSelected, pteNoSegment, pteShiftOutside});
        if (BedKnitState(0) == ptBedIdle && BedKnitState(1) == ptBedIdle) {
            if (AnyCarrier(regs, [](int, const MYcData& y) { return y.Selected && !y.Previous.Absolute; }))
                AddFinding(ptNoKnitting, row, lkZ, z);
        }
    }
    if (!RuleD(regs))
        return;
    ReportHeld({pteNeedleOutsidePicture, pteMissingNMember, pteNestedReference, pteNotOneXEntry,
                pteMissingNEntry, pteMissingZRow, pteMissingCycleLine, pteNestedCycle, pteBadRCounter,
                pteNoPEntry, pteOffsetZero});
    if (regs.PrevNewZ) {
        if (LastNewZRow != 0 && SameParity(LastNewZRow, z))
            AddFinding(ptParity, QString::number(regs.PrevSLine), lkS, regs.PrevSLine);
        LastNewZRow = z;
    }
    const MUnvZ& r = regs.Row;
    for (int i = 0; i < 2 * Systems(); ++i)
        if (r.CamCode[std::size_t(i)] == camNone) {
            AddFinding(ptEmptySlot, row, lkZ, z);
            break;
        }
    const int s = regs.PrevSystem;
    if (s >= 1 && s <= ZSystems) {
        const std::size_t front = std::size_t(2 * (s - 1));
        const std::int32_t a = r.PatternLine[front];
        const std::int32_t b = r.PatternLine[front + 1];
        if (CamCodeFamily(r.CamCode[front]) == cfKnitting) {
            const MUnvC* c = Find<MUnvC>(FProject.Program().C, 1);
            const std::int32_t height = c ? c->Height : 0;
            if (a < 1 || a > height || b < 1 || b > height)
                AddFinding(ptKnitLine, row, lkZ, z);
        } else if (a != 0 || b != 0) {
            AddFinding(ptIdleLine, row, lkZ, z);
        }
    }
    if (CheckStitchValue())
        AddFinding(ptStitchValue, row, lkZ, z);
    if (CheckWA2())
        AddFinding(ptWA2, row, lkZ, z);
}

// ---- At the end.

void MProgramTestRun::CheckProgramEnd() {
    const MRegisters& regs = FEngine.Registers();
    // The Z row register has moved past the end; the last row executed is the previous one.
    if (IsOdd(regs.PrevZRow))
        AddFinding(ptOddEnd, QString(), 0, 0);
    AnyCarrier(regs, [this](int i, const MYcData& y) {
        const MYcPosition& p = y.Current;
        const MYcPosition& s = y.Start;
        const bool moved = p.Absolute != s.Absolute || (!p.Absolute && p.Offset != s.Offset) ||
                           (p.Absolute && p.Position != s.Position);
        if (y.InUse() && moved)
            AddFinding(ptNotBack, QString::number(i), 0, 0);
        return false;
    });
    if (regs.Row.Racking[0].Transfer != 1)
        AddFinding(ptLastUV, QString(), 0, 0);
    if (regs.Row.Racking[0].Position != 0)
        AddFinding(ptLastHV, QString(), 0, 0);
}
