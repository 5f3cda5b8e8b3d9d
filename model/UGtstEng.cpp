#include "model/UGtstEng.h"

#include "model/UCamCodes.h"
#include "model/UProject.h"
#include "model/UseqInternal.h"

#include <algorithm>
#include <cstring>
#include <limits>

using seq::MColorSet;

namespace {
// The beds are read and written only at needles 1..W of the width they were filled to; these skip
// the growth and range checks of the bed's own accessors on the hot paths.
std::uint32_t Get(const MJacquardBed& Bed, std::int32_t Needle) {
    const std::uint8_t* p = Bed.Needles.Buffer().data() + std::size_t(Needle - 1) * 3;
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
}

void Put(MJacquardBed& Bed, std::int32_t Needle, std::uint32_t Value) {
    std::uint8_t* p = Bed.Needles.Buffer().data() + std::size_t(Needle - 1) * 3;
    p[0] = std::uint8_t(Value >> 16);
    p[1] = std::uint8_t(Value >> 8);
    p[2] = std::uint8_t(Value);
}

// Width needles, every one Value.
void Fill(MJacquardBed& Bed, std::int32_t Width, std::uint32_t Value) {
    std::vector<std::uint8_t>& bytes = Bed.Needles.Buffer();
    const std::size_t size = std::size_t(std::max(Width, 0)) * 3;
    bytes.resize(size);
    if (size > 0) {
        bytes[0] = std::uint8_t(Value >> 16);
        bytes[1] = std::uint8_t(Value >> 8);
        bytes[2] = std::uint8_t(Value);
        // The needles filled so far are copied after themselves.
        for (std::size_t have = 3; have < size; have *= 2)
            std::memcpy(bytes.data() + have, bytes.data(), std::min(have, size - have));
    }
    Bed.Needles.Seek(0);
}

bool Empty(std::uint32_t Stitch) {
    return (Stitch & stCodeMask) == stEmpty;
}

// The cam of a slot as the needle states read it: "JR+FK" with an intarsia tying mark knits as
// "  JR ", and "  NA " receives on every needle as " JNRR" does.
int EffectiveCam(const MUnvZ& Row, std::size_t Slot) {
    const int code = Row.CamCode[Slot];
    if (code == camJRFK && (Row.Tying[Slot] == 1 || Row.Tying[Slot] == 2))
        return camJR;
    if (code == camNA)
        return camJNRR;
    return code;
}

// Transfer cams move stitches between the beds instead of knitting.
bool TransferCam(int Code) {
    const int c = CamCodeClass(Code);
    return c == 103 || c == 104 || c == 107 || c == 108 || c == 109;
}

// The four-needle selection of a fixed cam (classes 102..104): every needle, the odd needles on
// the front and the even ones on the rear, or needles 1, 2 of each four on the front and 3, 4 on
// the rear. The transfer cams select by the front pattern on both beds.
bool FixedSelects(int Code, int Side, std::int32_t Needle) {
    const int cls = CamCodeClass(Code);
    const int side = cls == 103 || cls == 104 ? 0 : Side;
    const int phase = int((Needle - 1) % 4);
    switch (Code) {
    case cam11:
    case camF11:
    case camJU11:
    case camJN11:
        return (phase % 2 == 0) == (side == 0);
    case cam21:
    case camF21:
    case camJU21:
    case camJN21:
        return (phase < 2) == (side == 0);
    default: // "  RR ", "  F  ", " JURR", " JNRR"
        return true;
    }
}

std::uint32_t FixedAction(int Code) {
    switch (CamCodeClass(Code)) {
    case 103:
        return nsReceive;
    case 104:
        return nsTransferOut;
    default:
        return Code == camF || Code == camF11 || Code == camF21 ? nsTuck : nsKnit;
    }
}

// The actions of a jacquard cam (classes 106..109) for a colour of its LG set, of its KNF set, and
// of neither.
struct JacquardActions {
    std::uint32_t LG = nsNone;
    std::uint32_t KNF = nsNone;
    std::uint32_t None = nsNone;
};

JacquardActions JacquardOf(int Code) {
    JacquardActions a;
    switch (Code) {
    case camJR:
    case camJRLK:
    case camJRFK:
    case camJRJF:
        a.LG = nsKnit;
        break;
    case camJU:
    case camJUJN:
    case camJUNA:
        a.LG = nsTransferOut;
        break;
    default:
        break;
    }
    switch (Code) {
    case camJRK:
    case camJRLK:
        a.KNF = nsKnit;
        break;
    case camJF:
    case camJFK:
    case camJRFK:
    case camJRJF:
        a.KNF = nsTuck;
        break;
    case camJN:
    case camJUJN:
        a.KNF = nsReceive;
        break;
    default:
        break;
    }
    if (Code == camJUNA)
        a.None = nsReceive;
    return a;
}

// A stitch word with its transfer distance moved by Delta needles (the magnitude kept within its
// seven bits).
std::uint32_t WithDistance(std::uint32_t Stitch, std::int64_t Delta) {
    const std::int64_t magnitude = (Stitch >> stDistanceShift) & stDistanceMax;
    const std::int64_t old = (Stitch & stDistanceNegative) ? -magnitude : magnitude;
    const std::int64_t now = old + Delta;
    const std::uint32_t m = std::uint32_t(std::min<std::int64_t>(now < 0 ? -now : now, stDistanceMax));
    return (Stitch & 0xFFFF) | (m << stDistanceShift) | (now < 0 ? stDistanceNegative : 0);
}
} // namespace

MGtestEngine::MGtestEngine() {
    Sequencer.StatisticsOn = false;
}

void MGtestEngine::SetProject(MProject* Project) {
    Sequencer.SetProject(Project);
    ClearBeds(Project ? Sequencer.Width : 0);
}

int MGtestEngine::ResetTest() {
    DisplayRow = 1;
    PendingAdvance = false;
    StitchFlag = 0;
    const int result = Sequencer.StartProgram();
    // The start reads the working width again from C entry 1: the beds follow it.
    ClearBeds(GetProject() ? Sequencer.Width : 0);
    return result;
}

std::int32_t MGtestEngine::GetRacking() const {
    return Sequencer.Regs.Row.Racking[0].Position;
}

void MGtestEngine::ClearBeds(std::int32_t Width) {
    FWidth = std::max(Width, 0);
    for (int side = 0; side < 2; ++side) {
        Fill(StateBeds[std::size_t(side)], FWidth, nsNone);
        Fill(ActionBeds[std::size_t(side)], FWidth, nsNone);
    }
    for (int i = 0; i < 4; ++i)
        ClearStitchBed(i);
    Fill(NetBed, FWidth, 0);
}

void MGtestEngine::ClearStitchBed(int Index) {
    Fill(StitchBeds[std::size_t(Index)], FWidth, stEmpty);
}

void MGtestEngine::AdvanceDisplayRow() {
    const std::int64_t by = View == gvStitch ? RowAdvance : Style == gsYC ? 3 : 1;
    DisplayRow = std::int32_t(std::clamp<std::int64_t>(std::int64_t(DisplayRow) + by,
                                                       std::numeric_limits<std::int32_t>::min(),
                                                       std::numeric_limits<std::int32_t>::max()));
}

int MGtestEngine::StepTest() {
    const int result = Sequencer.StepSystem();
    StitchFlag = 0;
    FCourseArmed = {true, true};
    StitchBeds[2].ClearNeedles();
    StitchBeds[3].ClearNeedles();
    // Only a step that ran a cam system knits: after the end, a stopped row search or a missing row
    // the beds stay as they are.
    if (!Sequencer.SystemExecuted || !GetProject())
        return result;
    // The interpreter's width changes only when it is started or attached; the beds follow it.
    if (Sequencer.Width != FWidth || StitchBeds[0].Width() != FWidth || StitchBeds[1].Width() != FWidth)
        ClearBeds(Sequencer.Width);
    if (PendingAdvance) {
        AdvanceDisplayRow();
        PendingAdvance = false;
        ClearStitchBed(0);
        ClearStitchBed(1);
    }
    const MRegisters& regs = Sequencer.Regs;
    const int system = std::clamp(regs.PrevSystem, 1, ZSystems);
    SetNeedleStates(0, system);
    SetNeedleStates(1, system);
    ApplyNetRear(system);
    DropUnmatchedReceives(system);
    ActionBeds[0].Assign(StateBeds[0]);
    ActionBeds[1].Assign(StateBeds[1]);

    const std::size_t front = std::size_t(2 * (system - 1));
    if (TransferCam(regs.Row.CamCode[front]) || TransferCam(regs.Row.CamCode[front + 1])) {
        // A transfer system moves the stitches once, whatever carriers it names.
        Transfer();
    } else {
        const MffMap& set = regs.Row.Carriers[std::size_t(system - 1)];
        for (int c = 1; c <= CarriersPerRail; ++c) {
            if (!set.IsSet(c - 1))
                continue;
            for (int r = 1; r <= RailCount; ++r) {
                const MYcData& y = (r == 1 ? regs.Rail1 : regs.Rail2)[std::size_t(c - 1)];
                if (!y.Selected)
                    continue;
                Knit(MYcData::DecodePosition(y.Previous, FWidth), MYcData::DecodePosition(y.Current, FWidth),
                     std::uint32_t(2 * c + r - 2));
            }
        }
        // What no carrier's path reached is knitted without yarn.
        Knit(1, FWidth, stNoCarrier);
    }
    if (StitchFlag == 1 && Style != gsNormal)
        PendingAdvance = true;
    return result;
}

// ---- Needle states

void MGtestEngine::SetNeedleStates(int Side, int System) {
    MJacquardBed& bed = StateBeds[std::size_t(Side)];
    Fill(bed, FWidth, nsNone);
    const MUnvZ& row = Sequencer.Regs.Row;
    const std::size_t slot = std::size_t(2 * (System - 1) + Side);
    const int cam = EffectiveCam(row, slot);
    const int cls = CamCodeClass(cam);
    if (cls >= 102 && cls <= 104) {
        const std::uint32_t action = FixedAction(cam);
        for (std::int32_t n = 1; n <= FWidth; ++n)
            if (FixedSelects(cam, Side, n))
                Put(bed, n, action);
        return;
    }
    if (cls < 106 || cls > 109)
        return; // "  A  ", "  JA " and an empty slot leave the bed idle
    const JacquardActions actions = JacquardOf(cam);
    const MPalette& palette = GetProject()->Palette();
    const MColorSet lg(palette, row.LG[slot]);
    const MColorSet knf(palette, row.KNF[slot]);
    const MJacquardBed& colours = Side == 0 ? Sequencer.FrontBed : Sequencer.RearBed;
    // The pattern row may hold fewer needles than the bed (no needle setup): the rest read as 0.
    const std::int32_t held = std::min(colours.Width(), FWidth);
    const auto actionOf = [&](TColor Colour) {
        return knf.Contains(Colour) ? actions.KNF : lg.Contains(Colour) ? actions.LG : actions.None;
    };
    // Pattern rows hold runs of one colour: the action of the last colour is kept.
    TColor last = 0;
    std::uint32_t action = actionOf(0);
    for (std::int32_t n = 1; n <= FWidth; ++n) {
        const TColor colour = n <= held ? Get(colours, n) : 0;
        if (colour != last) {
            last = colour;
            action = actionOf(colour);
        }
        if (action != nsNone)
            Put(bed, n, action);
    }
}

void MGtestEngine::ApplyNetRear(int System) {
    Fill(NetBed, FWidth, 0);
    const MUnvZ& row = Sequencer.Regs.Row;
    const int code = row.NetRear[std::size_t(System - 1)];
    const bool asRequired = code == NetRearAsRequired;
    const int letter = code / 10, digit = code % 10;
    if (!asRequired && (letter < 1 || letter > 6 || digit < 1 || digit > 3))
        return;
    const int model = GetProject()->Program().Machine.Model;
    const bool model72x = model == 720 || model == 721;
    if (model72x && (System == 1 || System == 4))
        return;
    const std::size_t front = std::size_t(2 * (System - 1));
    for (const std::size_t slot : {front, front + 1}) {
        int variant = 0, family = 0;
        SplitCamCode(row.CamCode[slot], variant, family);
        if (variant != 4 && family != 2)
            return;
    }
    const int target = row.NetRearFront[std::size_t(System - 1)] ? 0 : 1;
    MJacquardBed& targetBed = StateBeds[std::size_t(target)];
    const MJacquardBed& sourceBed = StateBeds[std::size_t(1 - target)];

    if (asRequired) {
        for (std::int32_t n = 1; n <= FWidth; ++n)
            Put(NetBed, n, Get(targetBed, n) != nsNone ? 1 : 0);
    } else {
        // Digit 1 every L-th needle from needle 1; digits 2 and 3 every 2L-th needle from needle 1
        // in one phase and from needle L + 1 in the other. The phase goes by system and flips in
        // even rows.
        bool phase2 = model72x ? System == 3 : System == 2 || System == 4;
        if (!IsOdd(Sequencer.Regs.PrevZRow))
            phase2 = !phase2;
        const std::int64_t step = digit == 1 ? letter : 2 * letter;
        const bool fromL = digit != 1 && (digit == 2) == phase2;
        const std::int64_t first = fromL ? letter + 1 : 1;
        for (std::int64_t n = first; n <= FWidth; n += step)
            Put(NetBed, std::int32_t(n), 1);
    }
    for (std::int32_t n = 1; n <= FWidth; ++n)
        Put(targetBed, n, Get(sourceBed, n) == nsNone && Get(NetBed, n) != 0 ? nsKnit : nsNone);
}

void MGtestEngine::DropUnmatchedReceives(int System) {
    const MUnvZ& row = Sequencer.Regs.Row;
    const std::size_t front = std::size_t(2 * (System - 1));
    const std::int64_t racking = GetRacking();
    // A partner off the bed does nothing.
    const auto partner = [&](int Side, std::int64_t Needle) {
        return Needle >= 1 && Needle <= FWidth ? Get(StateBeds[std::size_t(Side)], std::int32_t(Needle))
                                               : nsNone;
    };
    for (int side = 0; side < 2; ++side) {
        const int cam = row.CamCode[front + std::size_t(side)];
        if (cam != camNA && cam != camJUNA)
            continue;
        MJacquardBed& bed = StateBeds[std::size_t(side)];
        for (std::int32_t n = 1; n <= FWidth; ++n)
            if (Get(bed, n) == nsReceive &&
                partner(1 - side, side == 0 ? n + racking : n - racking) != nsTransferOut)
                Put(bed, n, nsNone);
    }
}

// ---- Knitting

void MGtestEngine::Knit(std::int64_t From, std::int64_t To, std::uint32_t Code) {
    // The needles between the two ends, as far as they lie on the bed.
    const std::int64_t lo = std::max<std::int64_t>(std::min(From, To), 1);
    const std::int64_t hi = std::min<std::int64_t>(std::max(From, To), FWidth);
    if (lo > hi)
        return;
    KnitSide(0, std::int32_t(lo), std::int32_t(hi), Code);
    KnitSide(1, std::int32_t(lo), std::int32_t(hi), Code | stRear);
}

void MGtestEngine::KnitSide(int Side, std::int32_t Lo, std::int32_t Hi, std::uint32_t Code) {
    MJacquardBed& states = StateBeds[std::size_t(Side)];
    MJacquardBed& stitches = StitchBeds[std::size_t(Side)];
    if (FCourseArmed[std::size_t(Side)]) {
        // Knitting over a stitch of the current course completes it.
        bool complete = false;
        for (std::int32_t n = Lo; n <= Hi && !complete; ++n) {
            const std::uint32_t s = Get(stitches, n);
            complete = Get(states, n) == nsKnit && !(s & stOld) && !(Empty(s) && (s & 0xFF00) == 0);
        }
        if (complete) {
            FCourseArmed[std::size_t(Side)] = false;
            StitchBeds[std::size_t(2 + Side)].Assign(stitches);
            for (std::int32_t n = 1; n <= FWidth; ++n)
                Put(stitches, n, Get(stitches, n) | stOld);
            if (Side == RenderedSide())
                AdvanceDisplayRow();
        }
    }
    bool placed = false;
    for (std::int32_t n = Lo; n <= Hi; ++n) {
        const std::uint32_t state = Get(states, n);
        if (state == nsNone)
            continue;
        Put(states, n, nsNone);
        if (state == nsKnit) {
            Put(stitches, n, Code);
            placed = true;
        } else if (state == nsTuck) {
            // A tuck makes a stitch only where there is none of this course.
            const std::uint32_t s = Get(stitches, n);
            if (Empty(s) || (s & (stOld | stDropped))) {
                Put(stitches, n, Code);
                placed = true;
            }
        }
    }
    if (placed && (Side == 0 || RenderedSide() == 1))
        StitchFlag = 1;
}

// ---- Transfers

void MGtestEngine::Transfer() {
    const std::int64_t racking = GetRacking();
    const MJacquardBed& front = StateBeds[0];
    const MJacquardBed& rear = StateBeds[1];
    // Front needle n faces rear needle n + racking; a needle facing no needle of the bed faces no
    // action.
    for (std::int32_t n = 1; n <= FWidth; ++n) {
        const std::int64_t m = n + racking;
        const bool onBed = m >= 1 && m <= FWidth;
        const std::uint32_t f = Get(front, n);
        const std::uint32_t r = onBed ? Get(rear, std::int32_t(m)) : nsNone;
        if (f == nsTransferOut && r == nsReceive) {
            Move(0, n, 1, std::int32_t(m));
        } else if (f == nsReceive && r == nsTransferOut) {
            Move(1, std::int32_t(m), 0, n);
        } else {
            // A stitch given with nothing to take it is dropped.
            if (f == nsTransferOut && (r == nsNone || r == nsTransferOut))
                Drop(0, n);
            if (r == nsTransferOut && (f == nsNone || f == nsTransferOut))
                Drop(1, std::int32_t(m));
        }
    }
    for (std::int32_t m = 1; m <= FWidth; ++m) {
        const std::int64_t n = m - racking;
        if ((n < 1 || n > FWidth) && Get(rear, m) == nsTransferOut)
            Drop(1, m);
    }
}

void MGtestEngine::Drop(int Side, std::int32_t Needle) {
    MJacquardBed& bed = StitchBeds[std::size_t(Side)];
    const std::uint32_t s = Get(bed, Needle);
    if (Empty(s) && (s & stOld))
        return; // an old empty needle has nothing to drop
    Put(bed, Needle, s | stDropped);
    StitchFlag = 1;
}

void MGtestEngine::Move(int FromSide, std::int32_t From, int ToSide, std::int32_t To) {
    MJacquardBed& giver = StitchBeds[std::size_t(FromSide)];
    std::uint32_t s = Get(giver, From);
    // An empty needle hands over nothing but in the transfer style, and a dropped one never.
    if (Empty(s) && (Style != gsTransfer || (s & stDropped)))
        return;
    const std::int64_t racking = GetRacking();
    s = WithDistance(s, FromSide == 1 ? -racking : racking);
    s &= ~stOld;
    s |= racking == 0 ? stMovedStraight : racking > 0 ? stMovedRight : stMovedLeft;
    Put(StitchBeds[std::size_t(ToSide)], To, s);
    Put(giver, From, stEmpty);
    StitchFlag = 1;
}
