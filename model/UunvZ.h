#pragma once
// A knitting row (Z module): for each of the four cam systems its yarn carriers, and for each of the
// eight needle beds (slot 2s front, slot 2s + 1 rear of system s) its colours, pattern line, tying and
// cam code; for the whole row the machine settings that apply while it is knitted. The row also keeps
// the numbers of the machine-file sub-records it is written through.

#include "model/UColors.h"
#include "model/UunvBase.h"

#include <array>
#include <cstdint>

constexpr int ZSystems = 4;
constexpr int ZSlots = 8;

// One racking record: position (sign = direction, positive to the right), transfer position
// (0 none, 1 "G", 2 "U1", 3 "U2") and correction table (0 none, 1, 2).
struct MZRacking {
    std::int32_t Position = 0;
    std::uint8_t Transfer = 0;
    std::uint8_t Correction = 0;
    bool operator==(const MZRacking&) const = default;
    bool IsZero() const { return Position == 0 && Transfer == 0 && Correction == 0; }
};

// Upper fabric take-down: mode 0 "WA", 1 "WA*".
struct MZWA1 {
    std::int32_t Value = 0;
    std::uint8_t Mode = 0;
    bool operator==(const MZWA1&) const = default;
};

// Lower fabric take-down: mode as the upper one; step 0 none, 1 "R", 2 "^", 3 "v".
struct MZWA2 {
    std::int32_t Value = 0;
    std::uint8_t Step = 0;
    std::uint8_t Mode = 0;
    bool operator==(const MZWA2&) const = default;
};

// Take-down pulse overshot.
struct MZPB {
    std::uint8_t Mode = 0;
    std::int32_t Value = 0;
    bool operator==(const MZPB&) const = default;
};

// Positions of the sub-record numbers.
constexpr int zsrSecondLevel = 0, zsrPatternLines = 1, zsrKNF = 2, zsrLG = 3;
constexpr int zsr2Cams = 0, zsr2Carriers = 1, zsr2FSFront = 2, zsr2FSRear = 3, zsr2FD = 4, zsr2Racking = 5,
              zsr2Settings1 = 6, zsr2Settings2 = 7;

// Net rear codes: 0 off, 64 "*" as required, 11..63 automatic selection A1..F3.
constexpr int NetRearAsRequired = 64;
// Entries of the net rear choice list: 0 off, 1 "*", 2..19 A1..F3.
constexpr int NetRearChoiceCount = 20;

class MUnvZ : public MUnvBase {
public:
    MUnvZ();

    // File links (not compared by Equals).
    std::array<std::int32_t, 4> SubRecords{};
    std::array<std::int32_t, 8> SubRecords2{};
    std::array<std::uint8_t, 4> OwnRecord{};
    std::array<std::uint8_t, 8> OwnRecord2{};

    // Per system.
    std::array<MffMap, ZSystems> Carriers;
    // Per slot.
    std::array<MclrMap, ZSlots> LG;
    std::array<MclrMap, ZSlots> KNF;
    std::array<std::int32_t, ZSlots> PatternLine{};
    std::array<std::uint8_t, ZSlots> Tying{};
    std::array<std::uint8_t, ZSlots> CamCode{};
    // Machine-wide, with the per-system flags and codes.
    std::uint8_t BlowerCleaning = 0;
    std::array<std::uint8_t, ZSystems> Unipress{};
    std::array<std::uint8_t, ZSystems> NetRear{};
    std::array<std::uint8_t, ZSystems> NetRearFront{};
    std::int32_t PR = 0;
    std::uint8_t JV = 0;
    std::array<MZRacking, 2> Racking{};
    std::uint8_t FSFront = 0;
    std::uint8_t FSRear = 0;
    std::uint8_t FD = 0;
    std::uint8_t FDMirror = 0;
    MclrMap FDColors;
    MZWA1 WA1;
    MZWA2 WA2;
    MZPB PB;
    std::uint8_t TZ = 0;
    std::uint8_t PA = 0;
    std::uint8_t ST = 0;

    // Scratch of the program test (0 none, 1 transfer, 2 knitting, 3 mixed): copied by Assign, reset by
    // Clear, neither compared nor stored in a file.
    std::int32_t CamFamily = 0;

    int ListKind() const override { return lkZ; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;

    // Exchanges system s with system Systems - 1 - s for the first half of the systems.
    void Mirror(int Systems);
    // Moves every pattern line above 10 by Delta, keeping it within 11..1999.
    void ShiftPatternLine(int Delta);
    // Stores the net rear code of a choice-list index (0 off, 1 "*", 2..19 A1..F3).
    void SetNetRear(int System, int Index);
    // The choice-list index of a system's net rear code; 0 for a code the list cannot show.
    int GetNetRear(int System) const;
    // The first system (0..3) whose front and rear cams do not fit together (CamPairFits); -1 when
    // every system's pair fits.
    int UnfittingCamSystem() const;
    // Marks the sub-records that hold data before the row is written.
    void PrepareFileLinks();
    // Compares one sub-record with another row's; when equal, shares the other row's record.
    bool SameSubRecord(const MUnvZ& Other, bool FirstLevel, int Index);

private:
    bool SameSettings1(const MUnvZ& Other) const;
    bool SameSettings2(const MUnvZ& Other) const;
    bool Settings1Present() const;
    bool Settings2Present() const;
};
