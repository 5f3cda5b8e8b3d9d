// Needle selection: the P entries of an S line mark the needles a yarn carrier knits (by needle
// ranges or by the pattern colours), and the marks or the pattern colours are read as needle
// segments, runs of needles separated by gaps of at least 4 x Gauge needles.

#include "model/UCamCodes.h"
#include "model/UProject.h"
#include "model/UseqInternal.h"
#include "model/Usequencer.h"

#include <algorithm>

using seq::Args;
using seq::Find;
using seq::MColorSet;

namespace {
// P entry modes: SY1..SY4 limit systems 1..4 by a needle range; the others go by colours.
constexpr std::uint8_t pmSY4 = 3, pmMF = 4, pmVB = 5, pmWW = 6, pmIF = 7, pmAF = 8;
// P entry directions: both, odd rows only (">"), even rows only ("<").
constexpr std::uint8_t pdBoth = 0, pdOdd = 1, pdEven = 2;

// The needles 1..W in scan order.
class MScan {
public:
    MScan(std::int32_t Width, bool Upwards) : FWidth(Width), FUp(Upwards) {}
    std::int32_t Count() const { return FWidth; }
    // The i-th needle scanned (i from 0).
    std::int32_t Needle(std::int32_t I) const { return FUp ? I + 1 : FWidth - I; }

private:
    std::int32_t FWidth;
    bool FUp;
};

// A run of needles a colour mode collects: opened at a needle, continued, and ended once too many
// needles in a row (Gap) did not continue it.
struct MRun {
    bool Open = false;
    std::int32_t Start = 0, End = 0;
    std::int64_t Gap = 0;

    void Begin(std::int32_t Needle) {
        Open = true;
        Start = End = Needle;
        Gap = 0;
    }
    void Continue(std::int32_t Needle) {
        End = Needle;
        Gap = 0;
    }
};
} // namespace

bool MprogramSequencer::ColorInSet(TColor Colour, const MclrMap& Set) const {
    if (!FProject)
        return false;
    const MPalette& palette = FProject->Palette();
    for (int i = 0; i < PaletteSize; ++i)
        if (Set.IsSet(i) && palette.Color(i) == Colour)
            return true;
    return false;
}

void MprogramSequencer::SelectNeedles(int Carrier) {
    SelectionBed.ClearNeedles();
    SelectionBed.Needles.Buffer().assign(std::size_t(std::max(Width, 0)) * 3, 0);
    MarkCount = 0;
    if (!FProject || Carrier < 1 || Carrier > CarriersPerRail)
        return;
    MProgramLists& program = FProject->Program();
    const bool odd = OddRow();
    const int system = Regs.System;
    const std::size_t front = std::size_t(2 * (system - 1));

    // The P range in ascending order; a number without an entry is passed over as one that does
    // not apply. A negative count names first + count .. first.
    std::vector<MUnvBase*> entries;
    if (const MUnvS* s = Find<MUnvS>(program.S, Regs.SLine)) {
        const std::int64_t a = s->PFirst, b = std::int64_t(s->PFirst) + s->PCount;
        entries = program.P.ModulesInRange(std::min(a, b), std::max(a, b));
    }

    const MPalette& palette = FProject->Palette();
    const std::int64_t limit = GapLimit();
    int firstApplying = 0;
    for (int side = 0; side < 2; ++side) {
        const MJacquardBed& bed = side == 0 ? FrontBed : RearBed;
        for (const MUnvBase* entry : entries) {
            const auto* p = static_cast<const MUnvP*>(entry);
            const bool direction = p->Dir == pdBoth || (p->Dir == pdOdd && odd) || (p->Dir == pdEven && !odd);
            if (!p->Carriers[std::size_t(Carrier - 1)] || !direction ||
                (p->Mode <= pmSY4 && p->Mode + 1 != system))
                continue;
            if (firstApplying == 0)
                firstApplying = p->Number;
            // The rear side of a system whose slots share their line adds nothing of its own.
            if (side == 1 && Regs.Row.PatternLine[front] == Regs.Row.PatternLine[front + 1])
                continue;
            if (p->Mode <= pmSY4) {
                MarkRange(side, p->L, p->R);
                continue;
            }
            const MColorSet left(palette, p->ClrsL);
            const MColorSet right(palette, p->ClrsR);
            const MScan scan(Width, odd || p->Mode == pmVB);
            MRun run;
            bool hasEnd = false;
            TColor kept = 0;
            // The run ends (its needles marked) after Limit needles in a row that do not continue it.
            const auto miss = [&] {
                if (++run.Gap >= limit) {
                    MarkRange(side, run.Start, run.End);
                    run.Open = false;
                }
            };
            switch (p->Mode) {
            case pmMF: // from a colour of ClrsL to the last needle of those colours
                for (std::int32_t i = 0; i < scan.Count(); ++i) {
                    const std::int32_t n = scan.Needle(i);
                    const bool hit = left.Contains(bed.GetNeedle(n));
                    if (!run.Open) {
                        if (hit)
                            run.Begin(n);
                    } else if (hit) {
                        run.Continue(n);
                    } else {
                        miss();
                    }
                }
                if (run.Open)
                    MarkRange(side, run.Start, run.End);
                break;
            case pmVB: // from a colour of ClrsL to the next colour of ClrsR, scanned upwards
                for (std::int32_t i = 0; i < scan.Count(); ++i) {
                    const std::int32_t n = scan.Needle(i);
                    const TColor colour = bed.GetNeedle(n);
                    if (!run.Open) {
                        if (left.Contains(colour)) {
                            run.Begin(n);
                            hasEnd = false;
                        }
                    } else if (!hasEnd) {
                        if (right.Contains(colour)) {
                            run.Continue(n);
                            hasEnd = true;
                        }
                    } else if (left.Contains(colour)) {
                        hasEnd = false;
                        run.Gap = 0;
                    } else {
                        miss();
                    }
                }
                if (run.Open && !hasEnd)
                    AddRunError(pteVBWithoutEnd, Args({p->Number, p->Number}), lkP, p->Number);
                else if (run.Open)
                    MarkRange(side, run.Start, run.End);
                break;
            case pmWW: { // from a change between the two start colours to one between the end colours
                // The palette colours of the lowest and the highest colour number of a set.
                const auto pair = [&](const MclrMap& set) {
                    return std::pair{palette.Color(set.First()), palette.Color(set.Last())};
                };
                const auto [s1, s2] = pair(p->ClrsL);
                const auto [e1, e2] = pair(p->ClrsR);
                const auto matches = [](TColor a, TColor b, TColor x, TColor y) {
                    return (a == x && b == y) || (a == y && b == x);
                };
                for (std::int32_t i = 1; i < scan.Count(); ++i) {
                    const std::int32_t n = scan.Needle(i);
                    const TColor before = bed.GetNeedle(scan.Needle(i - 1));
                    const TColor colour = bed.GetNeedle(n);
                    if (!run.Open) {
                        if (matches(before, colour, s1, s2)) {
                            run.Begin(n);
                            hasEnd = false;
                        }
                    } else if (matches(before, colour, e1, e2)) {
                        run.Continue(n);
                        hasEnd = true;
                    } else if (hasEnd) {
                        miss(); // the gap counts only once the run has its end pair
                    }
                }
                if (run.Open && !hasEnd)
                    AddRunError(pteWWWithoutEnd, Args({p->Number, p->Number}), lkP, p->Number);
                else if (run.Open)
                    MarkRange(side, run.Start, run.End);
                break;
            }
            case pmIF: // the first needle of a colour of ClrsL
                for (std::int32_t i = 0; i < scan.Count(); ++i) {
                    const std::int32_t n = scan.Needle(i);
                    const TColor colour = bed.GetNeedle(n);
                    if (!run.Open) {
                        if (left.Contains(colour)) {
                            run.Begin(n);
                            kept = colour;
                        }
                    } else if (colour == kept) {
                        run.Gap = 0;
                    } else {
                        miss(); // the run is its first needle alone
                    }
                }
                if (run.Open)
                    MarkRange(side, run.Start, run.Start);
                break;
            case pmAF: { // a colour of ClrsL up to its last needle, back to the start at another colour
                bool movedBack = false;
                for (std::int32_t i = 0; i < scan.Count(); ++i) {
                    const std::int32_t n = scan.Needle(i);
                    const TColor colour = bed.GetNeedle(n);
                    if (!run.Open) {
                        if (left.Contains(colour)) {
                            run.Begin(n);
                            kept = colour;
                            movedBack = false;
                        }
                    } else if (colour == kept) {
                        run.Continue(n);
                    } else {
                        if (!movedBack) {
                            run.End = run.Start;
                            movedBack = true;
                        }
                        miss();
                    }
                }
                if (run.Open)
                    MarkRange(side, run.Start, run.End);
                break;
            }
            default: // a mode no P entry can hold marks nothing
                break;
            }
        }
    }
    if (firstApplying != 0 && MarkCount == 0)
        AddRunError(pteNothingSelected, Args({firstApplying, firstApplying}), lkP, firstApplying);
    else if (firstApplying == 0)
        AddRunError(pteNoPEntry, Args({Regs.ZRow, Carrier}), lkZ, Regs.ZRow);
}

void MprogramSequencer::MarkRange(int Side, std::int64_t A, std::int64_t B) {
    if (A > B)
        std::swap(A, B);
    ++MarkCount;
    const std::int64_t w = std::min<std::int64_t>(Width, SelectionBed.Width());
    const std::int64_t limit = GapLimit();
    const auto marked = [&](std::int64_t n) { return SelectionBed.GetNeedle(int(n)) != 0; };
    const auto mark = [&](std::int64_t from, std::int64_t to) {
        for (std::int64_t n = std::max<std::int64_t>(from, 1); n <= std::min(to, w); ++n)
            SelectionBed.SetNeedle(int(n), 1);
    };
    // The nearest marked needle from From outwards (Step -1 or +1); 0 once Limit unmarked needles
    // have been passed. Needles off the bed count as unmarked.
    const auto nearest = [&](std::int64_t from, int step) -> std::int64_t {
        std::int64_t passed = 0;
        if (step < 0 && from > w) {
            passed = from - w;
            from = w;
        } else if (step > 0 && from < 1) {
            passed = 1 - from;
            from = 1;
        }
        if (passed > 0 && passed >= limit)
            return 0;
        for (std::int64_t n = from; n >= 1 && n <= w; n += step) {
            if (marked(n))
                return n;
            if (++passed >= limit)
                return 0;
        }
        return 0;
    };
    if (Side == 0) {
        mark(A, B);
        if (const std::int64_t l = nearest(A - 1, -1))
            mark(l, A - 1);
        if (const std::int64_t r = nearest(B + 1, +1))
            mark(B + 1, r);
        return;
    }
    // The rear side joins the front marks next to it, from the side the carriage comes from.
    std::int64_t l = nearest(A - 1, -1);
    std::int64_t r = nearest(B + 1, +1);
    if (l && r)
        (OddRow() ? r : l) = 0;
    if (l)
        mark(l, B);
    else if (r)
        mark(A, r);
}

int MprogramSequencer::FindSegments(int Mode, std::int64_t From, std::int64_t To, MSegment& Segment) {
    if (!FProject)
        return 0;
    MColorSet front, rear;
    if (Mode == 3) {
        const std::size_t f = std::size_t(2 * (Regs.System - 1));
        // "JR+FK" with an intarsia tying mark works as "  JR ".
        const auto cam = [&](std::size_t slot) {
            const int code = Regs.Row.CamCode[slot];
            return code == camJRFK && (Regs.Row.Tying[slot] == 1 || Regs.Row.Tying[slot] == 2) ? camJR : code;
        };
        const int fc = cam(f), rc = cam(f + 1);
        if (CamCodeClass(fc) == 102 || CamCodeClass(rc) == 102) {
            Segment.First = std::int32_t(From);
            Segment.Last = std::int32_t(To);
            return 1;
        }
        if (CamCodeClass(fc) != 106 && CamCodeClass(rc) != 106)
            return 0;
        const MPalette& palette = FProject->Palette();
        const auto colours = [&](std::size_t slot, int code, MColorSet& set) {
            const bool lg = code == camJR || code == camJRFK || code == camJRJF || code == camJRLK;
            const bool knf = code == camJRK || code == camJF || code == camJFK || code == camJRFK ||
                             code == camJRJF || code == camJRLK;
            for (int i = 0; i < PaletteSize; ++i)
                if ((lg && Regs.Row.LG[slot].IsSet(i)) || (knf && Regs.Row.KNF[slot].IsSet(i)))
                    set.Add(palette.Color(i));
        };
        colours(f, fc, front);
        colours(f + 1, rc, rear);
        if (front.Empty() && rear.Empty())
            return 0;
    } else if (Mode != 2) {
        return 0;
    }
    const auto hit = [&](std::int32_t n) {
        if (Mode == 2)
            return SelectionBed.GetNeedle(n) != 0;
        return front.Contains(FrontBed.GetNeedle(n)) || rear.Contains(RearBed.GetNeedle(n));
    };
    // Needles off the bed are never hits: the scan keeps to 1..W.
    const int step = To >= From ? 1 : -1;
    const std::int64_t lo = std::max<std::int64_t>(std::min(From, To), 1);
    const std::int64_t hi = std::min<std::int64_t>(std::max(From, To), Width);
    if (lo > hi)
        return 0;
    const std::int64_t limit = GapLimit();
    int count = 0;
    bool open = false;
    std::int64_t gap = 0;
    for (std::int64_t n = step > 0 ? lo : hi; n >= lo && n <= hi; n += step) {
        if (hit(std::int32_t(n))) {
            if (!open) {
                open = true;
                ++count;
                if (count == 1)
                    Segment.First = std::int32_t(n);
            }
            if (count == 1)
                Segment.Last = std::int32_t(n);
            gap = 0;
        } else if (open && ++gap >= limit) {
            open = false;
        }
    }
    return count;
}
