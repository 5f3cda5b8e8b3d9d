// Yarn-carrier movement: which of the two carriers of a number knits (rail 1 or rail 2), where it is
// brought into play, where it stops, whether its twin on the other rail stops it, and the settling
// of the start positions after the settling run, written into the setup scheme.

#include "model/UProject.h"
#include "model/UseqInternal.h"
#include "model/Usequencer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

using seq::Args;
using seq::Find;
using seq::Narrow;

namespace {
std::int64_t Magnitude(std::int32_t Value) {
    return std::abs(std::int64_t(Value));
}
} // namespace

MYcData& MprogramSequencer::CarrierOf(int Rail, int Carrier) {
    return Regs.Carrier(Rail, Carrier + 1);
}

const MYcData& MprogramSequencer::CarrierOf(int Rail, int Carrier) const {
    return const_cast<MRegisters&>(Regs).Carrier(Rail, Carrier + 1);
}

// ---- Values of the setup scheme

std::int32_t MprogramSequencer::OffsetValue(int Carrier, bool Left) {
    // Offset table k: the value of the system's carrier set, else the S line's offset number.
    const MProgramLists& program = FProject->Program();
    int k = Regs.Row.Carriers[std::size_t(Regs.System - 1)].Value;
    if (k == 0) {
        const MUnvS* s = Find<MUnvS>(program.S, Regs.SLine);
        k = s ? s->Offset : 0;
    }
    std::int32_t value = 0;
    const MUnvC* c = Find<MUnvC>(program.C, 1);
    if (c && k >= 1 && k <= 8) {
        const MOffsetTable& table = c->OffsetTables[std::size_t(k - 1)];
        value = (Left ? table.L : table.R)[std::size_t(Carrier)];
    }
    if (value == 0)
        AddRunError(pteOffsetZero, QString::number(Carrier + 1), lkC, 1);
    return value;
}

std::int32_t MprogramSequencer::StartOffset(int Carrier) {
    return OffsetValue(Carrier, OddRow());
}

std::int32_t MprogramSequencer::EndOffset(int Carrier) {
    return OffsetValue(Carrier, !OddRow());
}

std::int64_t MprogramSequencer::Clearance(int Carrier) const {
    const MUnvC* c = FProject ? Find<MUnvC>(FProject->Program().C, 1) : nullptr;
    const bool ft = c && c->CarrierStarts[std::size_t(Carrier)].FT != 0;
    return std::int64_t(ft ? 10 : 3) * Gauge;
}

// ---- Where a carrier stands

bool MprogramSequencer::WaitsAtEntry(const MYcData& Y) const {
    return Y.InUse() && !Y.Current.Absolute && (OddRow() ? Y.Current.Offset < 0 : Y.Current.Offset > 0);
}

bool MprogramSequencer::StandsAtExit(const MYcData& Y) const {
    return Y.InUse() && !Y.Current.Absolute && (OddRow() ? Y.Current.Offset > 0 : Y.Current.Offset < 0);
}

bool MprogramSequencer::PathsOverlap(int Carrier1, int Rail1, int Carrier2, int Rail2) const {
    const MYcData& a = CarrierOf(Rail1, Carrier1);
    const MYcData& b = CarrierOf(Rail2, Carrier2);
    if (!a.InUse() || !b.InUse())
        return true;
    const auto path = [&](const MYcData& y) {
        const std::int32_t p = MYcData::DecodePosition(y.Previous, Width);
        const std::int32_t c = MYcData::DecodePosition(y.Current, Width);
        return std::pair{std::min(p, c), std::max(p, c)};
    };
    const auto [lo1, hi1] = path(a);
    const auto [lo2, hi2] = path(b);
    return lo1 <= hi2 && lo2 <= hi1;
}

// ---- Moves

void MprogramSequencer::PlaceCarrier(int Carrier, int Rail, bool Absolute, std::int32_t Offset,
                                     std::int32_t Position) {
    // A start on the side where the stroke ends becomes a fixed needle, counted in from the right
    // end for a negative offset and from the left end for a positive one.
    MYcPosition record{Absolute, Offset, Position};
    if (!Absolute) {
        if (!OddRow() && Offset < 0) {
            record.Absolute = true;
            record.Position = Narrow(std::int64_t(Width) + Offset + 1);
        } else if (OddRow() && Offset > 0) {
            record.Absolute = true;
            record.Position = Offset;
        }
    }
    MYcData& y = CarrierOf(Rail, Carrier);
    y.Previous = record;
    y.Start = record;
    y.Current = record;
    y.SetInUse(true);
}

int MprogramSequencer::MoveCarrierTo(int Carrier, int Rail, bool Absolute, std::int32_t Offset,
                                     std::int32_t Position) {
    const bool odd = OddRow();
    // A target on the side where the stroke begins becomes a fixed needle.
    MYcPosition target{Absolute, Offset, Position};
    if (!Absolute) {
        if (!odd && Offset > 0) {
            target.Absolute = true;
            target.Position = Offset;
        } else if (odd && Offset < 0) {
            target.Absolute = true;
            target.Position = Narrow(std::int64_t(Width) + Offset + 1);
        }
    }
    MYcData& y = CarrierOf(Rail, Carrier);
    if (!y.InUse()) {
        PlaceCarrier(Carrier, Rail, false, StartOffset(Carrier), 0);
        y.Changed = true;
    }
    const MYcData& twin = CarrierOf(3 - Rail, Carrier);
    if (!twin.InUse()) {
        y.Current = target;
        return 0;
    }
    // The twin on the other rail stops the carrier the clearance before it.
    const std::int64_t d = Clearance(Carrier);
    const std::int64_t cur = MYcData::DecodePosition(y.Current, Width);
    const std::int64_t tgt = MYcData::DecodePosition(target, Width);
    const std::int64_t other = MYcData::DecodePosition(twin.Current, Width);
    std::int64_t stop = 0;
    bool stopped = false;
    if (odd && cur <= other && tgt > other - d) {
        stop = other - d;
        stopped = true;
    } else if (!odd && cur >= other && tgt < other + d) {
        stop = other + d;
        stopped = true;
    }
    if (!stopped) {
        y.Current = target;
        return 0;
    }
    MYcPosition record = target;
    MYcData::EncodePosition(Narrow(stop), Width, record);
    if (y.Current.Absolute && record.Absolute)
        record.Offset = Narrow(std::int64_t(y.Current.Position) + y.Current.Offset - record.Position);
    y.Current = record;
    if (record.Absolute)
        AddRunError(pteStoppedByTwin, Args({Regs.ZRow, Carrier + 1}), lkZ, Regs.ZRow);
    return 1;
}

void MprogramSequencer::ChooseRails(int Carrier, int& First, int& Second) {
    enum { Undecided, Usable, Excluded };
    const bool odd = OddRow();
    const MYcData* y[2] = {&CarrierOf(1, Carrier), &CarrierOf(2, Carrier)};
    int state[2] = {Undecided, Undecided};
    for (int r = 0; r < 2; ++r) {
        if (StandsAtExit(*y[r]))
            state[r] = Excluded;
        else if (y[r]->InUse() && y[r]->Current.Absolute)
            state[r] = Usable;
    }
    if (state[0] == Undecided && state[1] == Undecided) {
        const bool bothWait = WaitsAtEntry(*y[0]) && WaitsAtEntry(*y[1]);
        if ((!y[0]->InUse() && !y[1]->InUse()) || bothWait) {
            const bool second = bothWait && Magnitude(y[1]->Current.Offset) < Magnitude(y[0]->Current.Offset);
            state[second ? 1 : 0] = Usable;
            state[second ? 0 : 1] = Excluded;
        }
    }
    for (int r = 0; r < 2; ++r)
        if (state[r] == Undecided && WaitsAtEntry(*y[r]))
            state[r] = Usable;
    First = Second = 0;
    if (state[0] == Usable && state[1] == Usable) {
        // The carrier further ahead in the carriage direction knits first; rail 1 on a tie.
        const std::int32_t p1 = y[0]->GetPosition(Width), p2 = y[1]->GetPosition(Width);
        const bool secondAhead = odd ? p2 > p1 : p2 < p1;
        First = secondAhead ? 2 : 1;
        Second = 3 - First;
    } else if (state[0] == Usable) {
        First = 1;
    } else if (state[1] == Usable) {
        First = 2;
    }
}

void MprogramSequencer::ComputeTargets(int Mode, int Carrier, MSegment& T1, MSegment& T2) {
    T1 = MSegment();
    T2 = MSegment();
    const bool odd = OddRow();
    const std::int64_t w = Width;
    int first = 0, second = 0;
    ChooseRails(Carrier, first, second);
    if (Mode == 2)
        SelectNeedles(Carrier + 1);
    const auto more = [&] { AddRunError(pteMoreSegments, Args({Regs.ZRow, Carrier + 1}), lkZ, Regs.ZRow); };
    MSegment seg;
    if (second) {
        const std::int64_t from = CarrierOf(second, Carrier).EntryPoint(Width, Regs.ZRow);
        const std::int64_t to =
            std::int64_t(CarrierOf(first, Carrier).EntryPoint(Width, Regs.ZRow)) + (odd ? -1 : 1);
        const int n = FindSegments(Mode, from, to, seg);
        if (n > 1)
            more();
        if (n >= 1) {
            T2 = seg;
            T2.Rail = second;
        }
    }
    if (first) {
        const std::int64_t from = CarrierOf(first, Carrier).EntryPoint(Width, Regs.ZRow);
        const int n = FindSegments(Mode, from, odd ? w : 1, seg);
        // Segments beyond the first are offered to the other rail below when it has none yet.
        if (n > 1 && T2.Rail)
            more();
        if (n >= 1) {
            T1 = seg;
            T1.Rail = first;
        }
    }
    if (T1.Rail && !T2.Rail) {
        // The other rail may take one more segment: right of T1, then left of it.
        const int other = 3 - T1.Rail;
        const std::int64_t parts[2][2] = {
            {odd ? std::int64_t(T1.Last) + 1 : w, odd ? w : std::int64_t(T1.First) + 1},
            {odd ? 1 : std::int64_t(T1.Last) - 1, odd ? std::int64_t(T1.First) - 1 : 1}};
        for (const auto& part : parts) {
            if (odd ? part[0] > part[1] : part[0] < part[1])
                continue;
            const int n = FindSegments(Mode, part[0], part[1], seg);
            if (n == 0)
                continue;
            int taken = 0;
            if (!CarrierOf(other, Carrier).InUse() && !T2.Rail) {
                T2 = seg;
                T2.Rail = other;
                taken = 1;
            }
            if (n > taken)
                more();
        }
    }
    if (!T1.Rail && !T2.Rail) {
        int free[2] = {0, 0};
        int freeCount = 0;
        for (int r = 1; r <= RailCount; ++r)
            if (!CarrierOf(r, Carrier).InUse())
                free[freeCount++] = r;
        const int n = FindSegments(Mode, odd ? 1 : w, odd ? w : 1, seg);
        if (n > freeCount)
            more();
        if (n >= 1 && freeCount >= 1) {
            T1 = seg;
            T1.Rail = free[0];
            if (freeCount >= 2 && n >= 2) {
                MSegment next;
                if (FindSegments(Mode, odd ? std::int64_t(T1.Last) + 1 : std::int64_t(T1.Last) - 1,
                                 odd ? w : 1, next) >= 1) {
                    T2 = next;
                    T2.Rail = free[1];
                }
            }
        }
    }
    // T1 is the segment met first in the carriage direction.
    if (!T1.Rail && T2.Rail)
        std::swap(T1, T2);
    else if (T1.Rail && T2.Rail && (odd ? T1.First > T2.First : T1.First < T2.First))
        std::swap(T1, T2);
}

int MprogramSequencer::MoveCarrier(int Carrier, int Mode) {
    try {
        const bool odd = OddRow();
        const std::int32_t end = EndOffset(Carrier);
        MYcData& y1 = CarrierOf(1, Carrier);
        MYcData& y2 = CarrierOf(2, Carrier);
        int state = 10;
        for (int transitions = 1; transitions <= MoveLimit; ++transitions) {
            switch (state) {
            case 10:
                state = Mode == 1 ? 11 : 12;
                break;
            case 11: { // across the whole bed
                int rail = 0;
                const bool w1 = WaitsAtEntry(y1), w2 = WaitsAtEntry(y2);
                if (w1 && w2)
                    rail = Magnitude(y2.Current.Offset) < Magnitude(y1.Current.Offset) ? 2 : 1;
                else if (w1 || w2)
                    rail = w1 ? 1 : 2;
                else if (!y1.InUse() || !y2.InUse())
                    rail = !y1.InUse() ? 1 : 2;
                if (rail == 0) {
                    AddRunError(pteNoCarrier, Args({Regs.ZRow, Carrier + 1}), lkZ, Regs.ZRow);
                } else {
                    MYcData& y = CarrierOf(rail, Carrier);
                    if (y.InUse())
                        y.Previous = y.Current;
                    MoveCarrierTo(Carrier, rail, false, end, 0);
                    y.SetSelected(true);
                }
                state = 13;
                break;
            }
            case 12: { // the needle segments
                MSegment t1, t2;
                ComputeTargets(Mode, Carrier, t1, t2);
                if (!t1.Rail && !t2.Rail && y1.InUse() && y2.InUse() && !y1.Current.Absolute &&
                    !y2.Current.Absolute)
                    AddRunError(pteNoSegment, Args({Regs.ZRow, Carrier + 1}), lkZ, Regs.ZRow);
                for (const MSegment& t : {t1, t2}) {
                    if (!t.Rail)
                        continue;
                    MYcData& y = CarrierOf(t.Rail, Carrier);
                    if (!y.InUse()) {
                        MYcPosition at;
                        MYcData::EncodePosition(Narrow(std::int64_t(t.First) + StartOffset(Carrier)), Width,
                                                at);
                        PlaceCarrier(Carrier, t.Rail, at.Absolute, at.Offset, at.Position);
                        y.Changed = false;
                    }
                    MYcPosition to;
                    MYcData::EncodePosition(Narrow(std::int64_t(t.Last) + end), Width, to);
                    y.Previous = y.Current;
                    MoveCarrierTo(Carrier, t.Rail, to.Absolute, to.Offset, to.Position);
                    // How far the carrier stands past its segment.
                    if (y.Current.Absolute)
                        y.Current.Offset = Narrow(std::int64_t(y.Current.Position) - t.Last);
                    y.SetSelected(true);
                }
                state = 13;
                break;
            }
            case 13: // automatic positioning moves on a carrier left standing against the stroke
                if (Mode == 3)
                    for (int r = 1; r <= RailCount; ++r) {
                        MYcData& y = CarrierOf(r, Carrier);
                        if (!y.InUse() || y.Selected || !y.Current.Absolute ||
                            !(odd ? y.Current.Offset < 0 : y.Current.Offset > 0))
                            continue;
                        y.Previous = y.Current;
                        const std::int32_t to =
                            Narrow(std::int64_t(y.Current.Position) - y.Current.Offset + std::int64_t(end));
                        MoveCarrierTo(Carrier, r, y.Current.Absolute, end, to);
                        y.SetSelected(true);
                    }
                state = 14;
                break;
            default: // 14
                return srWentOn;
            }
        }
    } catch (...) {
        // Any failure (a position beyond the 32-bit records, a lost module) fails the move.
    }
    return srMoveFailed;
}

// ---- The start positions

void MprogramSequencer::SettleStarts() {
    for (int c = 0; c < CarriersPerRail; ++c) {
        MYcData& y1 = CarrierOf(1, c);
        MYcData& y2 = CarrierOf(2, c);
        const std::int64_t d = Clearance(c);
        // Worked on needles and stored back through the encoding, so that a start never reaches the
        // other side of the bed through the sign of an offset.
        const auto needle = [&](const MYcData& y) {
            return std::int64_t(MYcData::DecodePosition(y.Start, Width));
        };
        const auto put = [&](MYcData& y, std::int64_t n) {
            MYcData::EncodePosition(Narrow(n), Width, y.Start);
        };
        if (y1.InUse() && y2.InUse() && !y1.Start.Absolute && !y2.Start.Absolute) {
            const std::int32_t o1 = y1.Start.Offset, o2 = y2.Start.Offset;
            if (o1 == o2) {
                MYcData* y = y1.Changed ? &y1 : y2.Changed ? &y2 : nullptr;
                if (y && Magnitude(o1) > d)
                    put(*y, needle(*y) + (o1 > 0 ? -d : d));
            } else if (std::abs(needle(y1) - needle(y2)) < d) {
                if (o1 < 0 && o2 < 0) { // left of the bed: nearer the bed is the higher needle
                    if (needle(y1) > needle(y2) && y1.Changed)
                        put(y1, needle(y2) + d);
                    if (needle(y2) > needle(y1) && y2.Changed)
                        put(y2, needle(y1) + d);
                } else if (o1 > 0 && o2 > 0) {
                    if (needle(y1) < needle(y2) && y1.Changed)
                        put(y1, needle(y2) - d);
                    if (needle(y2) < needle(y1) && y2.Changed)
                        put(y2, needle(y1) - d);
                }
            }
        }
        if (y1.InUse() && y2.InUse() && std::abs(needle(y1) - needle(y2)) < d)
            AddRunError(pteStartsTooClose, Args({Regs.PrevZRow, c + 1, c + 1}), lkZ, Regs.PrevZRow);
        for (MYcData* y : {&y1, &y2})
            if (y->InUse())
                y->Current = y->Start;
    }
}

void MprogramSequencer::WriteCarrierStarts() {
    MUnvC& c = FProject->Program().C.GetC(1);
    for (MCarrierStart& record : c.CarrierStarts)
        record.Positions.fill(0);
    const auto clamped = [](std::int64_t v) {
        return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max()));
    };
    for (int k = 0; k < CarriersPerRail; ++k) {
        std::array<std::int32_t, 8>& p = c.CarrierStarts[std::size_t(k)].Positions;
        for (int rail = 1; rail <= RailCount; ++rail) {
            const MYcData& y = CarrierOf(rail, k);
            if (!y.InUse())
                continue;
            bool left = true;
            std::int32_t v = y.Start.Offset;
            if (y.Start.Absolute) {
                v = y.Start.Position;
                left = v <= Width;
            } else if (y.Start.Offset > 0) {
                v = clamped(std::int64_t(Width) + y.Start.Offset);
                left = false;
            }
            // Two starts on one side: position 1 holds the smaller (8 the larger), 2 (7) the other.
            if (left) {
                if (p[0] != 0 && p[0] < v) {
                    p[1] = v;
                } else {
                    p[1] = p[0];
                    p[0] = v;
                }
            } else if (p[7] != 0 && p[7] > v) {
                p[6] = v;
            } else {
                p[6] = p[7];
                p[7] = v;
            }
        }
    }
    MPatternSource* pattern = FProject->Pattern();
    c.X1 = 1;
    c.Width = pattern ? pattern->ImageWidth() : 0;
    c.Y1 = 1;
    c.Height = pattern ? pattern->ImageHeight() : 0;
    FProject->RefreshSetupForm();
}
