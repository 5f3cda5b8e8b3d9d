#include "model/Usequencer.h"

#include "platform/Errors.h"

#include <algorithm>
#include <limits>

namespace {
// Positions far off the bed are kept at the ends of the 32-bit range rather than wrapped.
std::int32_t Clamped(std::int64_t Value) {
    return std::int32_t(std::clamp<std::int64_t>(Value, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}
} // namespace

void MYcData::Clear() {
    Selected = false;
    FInUse = false;
    Previous = {};
    Current = {};
    Start = {};
    Changed = true;
}

void MYcData::SetSelected(bool Value) {
    Selected = Value;
    if (Value)
        FInUse = true;
}

void MYcData::SetInUse(bool Value) {
    FInUse = Value;
    if (!Value)
        Changed = true;
}

std::int32_t MYcData::DecodePosition(const MYcPosition& Record, std::int32_t Width) {
    if (Record.Absolute)
        return Record.Position;
    if (Record.Offset > 0)
        return Clamped(std::int64_t(Width) + Record.Offset);
    if (Record.Offset < 0)
        return Clamped(std::int64_t(Record.Offset) + 1);
    return 0;
}

void MYcData::EncodePosition(std::int32_t Needle, std::int32_t Width, MYcPosition& Record) {
    if (Needle >= 1 && Needle <= Width) {
        Record.Absolute = true;
        Record.Position = Needle;
    } else if (Needle > Width && Needle >= 1) {
        Record.Absolute = false;
        Record.Offset = Clamped(std::int64_t(Needle) - Width);
        Record.Position = 0;
    } else {
        Record.Absolute = false;
        Record.Offset = Clamped(std::int64_t(Needle) - 1);
        Record.Position = 0;
    }
}

std::int32_t MYcData::EntryPoint(std::int32_t Width, std::int32_t ZRow) const {
    if (Current.Absolute)
        return Current.Position;
    if (Current.Offset < 0)
        return 1;
    if (Current.Offset > 0)
        return Width;
    // No distance: the side the row starts from, also for a carrier in use (it has not moved off).
    return IsOdd(ZRow) ? 1 : Width;
}

MYcData& MRegisters::Carrier(int Rail, int Carrier) {
    if (Rail < 1 || Rail > RailCount || Carrier < 1 || Carrier > CarriersPerRail)
        throw ERangeError(QStringLiteral("No yarn carrier %1 on rail %2").arg(Carrier).arg(Rail));
    return (Rail == 1 ? Rail1 : Rail2)[std::size_t(Carrier - 1)];
}

void MRegisters::Reset() {
    StepCount = 0;
    Error43Reported = false;
    SLine = 0;
    CycleS = 0;
    ZRow = 0;
    System = 1;
    BlockRepeat = 0;
    CycleRepeat = 0;
    NewS = false;
    NewZ = false;
    RepeatR = false;
    PrevSLine = 0;
    PrevBlockRepeat = 0;
    PrevCycleRepeat = 0;
    PrevZRow = 0;
    PrevSystem = 1;
    PrevNewS = false;
    PrevNewZ = false;
    PrevRepeatR = false;
    Row.Clear();
    AutoPositioning = false;
    Finished = false;
    SearchState = 0;
    SearchNextS = 0;
    SearchOldS = 0;
    for (MYcData& c : Rail1)
        c.Clear();
    for (MYcData& c : Rail2)
        c.Clear();
}

void MRegisters::Assign(const MRegisters& Source) {
    if (&Source == this)
        return;
    SLine = Source.SLine;
    CycleS = Source.CycleS;
    ZRow = Source.ZRow;
    System = Source.System;
    BlockRepeat = Source.BlockRepeat;
    CycleRepeat = Source.CycleRepeat;
    NewS = Source.NewS;
    NewZ = Source.NewZ;
    RepeatR = Source.RepeatR;
    PrevSLine = Source.PrevSLine;
    PrevBlockRepeat = Source.PrevBlockRepeat;
    PrevCycleRepeat = Source.PrevCycleRepeat;
    PrevZRow = Source.PrevZRow;
    PrevSystem = Source.PrevSystem;
    PrevNewS = Source.PrevNewS;
    PrevNewZ = Source.PrevNewZ;
    PrevRepeatR = Source.PrevRepeatR;
    Row.Assign(Source.Row);
    AutoPositioning = Source.AutoPositioning;
    Finished = Source.Finished;
    Rail1 = Source.Rail1;
    Rail2 = Source.Rail2;
    SearchState = Source.SearchState;
    SearchNextS = Source.SearchNextS;
    SearchOldS = Source.SearchOldS;
    StepCount = Source.StepCount;
}
