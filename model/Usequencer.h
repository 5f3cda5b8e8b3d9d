#pragma once
// The registers of the scheme interpreter: where it stands in the S lines and Z rows, the repeat
// passes, the effective Z row of the current stroke, the sixteen yarn carriers and the current
// finding. Two register sets (current and saved) let a step be looked at afterwards.

#include "model/Ucommon.h"
#include "model/UunvZ.h"

#include <array>
#include <cstdint>

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

    // Carrier Carrier (1..8) of rail Rail (1..2); raises ERangeError outside.
    MYcData& Carrier(int Rail, int Carrier);

    // The start of a run: everything zero or off, System and PrevSystem 1, Row and every carrier
    // cleared. The finding is kept.
    void Reset();
    // Copies every field but Error43Reported and the finding; StepCount last.
    void Assign(const MRegisters& Source);
};
