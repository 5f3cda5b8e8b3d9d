#pragma once
// The setup scheme: the single machine setup record of a program (number 1) with the program-wide
// settings, the rectangle of the pattern picture, the needle areas, the carriers' start positions,
// the offset tables that S lines choose, the stitch length differences and the rack corrections.

#include "model/UunvBase.h"
#include "model/UunvKinds.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

// The start position record of one yarn carrier.
struct MCarrierStart {
    std::uint8_t FT = 0; // listed as "I"; carriers 1 and 8 must not have it
    std::uint8_t FF = 0; // 0..8
    std::array<std::int32_t, 8> Positions{};

    bool operator==(const MCarrierStart&) const = default;
};

// One offset table: a left and a right value per yarn carrier.
struct MOffsetTable {
    std::array<std::int32_t, 8> L{};
    std::array<std::int32_t, 8> R{};

    bool operator==(const MOffsetTable&) const = default;
};

// One entry of a rack correction table.
struct MRackCorrection {
    std::int32_t HV = 0;   // |HV| <= 99
    std::uint8_t UV = 0;   // 0 "G", 1 "U1", 2 "U2"
    std::int32_t KORR = 0; // |KORR| <= 999
    std::int32_t DEHN = 0; // |DEHN| <= 999
    std::int32_t GESH = 0; // 0 or 200..4999

    bool operator==(const MRackCorrection&) const = default;
};

constexpr int NeedleAreaCount = 8;
constexpr int RackCorrectionCount = 16;
// Only the first entries of a rack correction table are checked.
constexpr int RackCorrectionsChecked = 8;

class MUnvC : public MUnvBase {
public:
    MUnvC();

    std::int32_t WE = 1; // selector position 1..8 for W references
    std::int32_t ST = 0;
    std::int32_t LB = 0;
    std::int32_t WA = 100;
    std::int32_t TZ = 100;
    std::int32_t Time = 0; // seconds
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::array<std::int32_t, NeedleAreaCount> From{}; // needle area k in use when From or To is non-zero
    std::array<std::int32_t, NeedleAreaCount> To{};
    std::array<MCarrierStart, 8> CarrierStarts{};
    std::array<MOffsetTable, 8> OffsetTables{};
    MBedValues StitchDiff1{};
    MBedValues StitchDiff2{};
    std::array<MRackCorrection, RackCorrectionCount> RackCorrection1{};
    std::array<MRackCorrection, RackCorrectionCount> RackCorrection2{};

    int ListKind() const override { return lkC; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;

    // True when needle area k (0..7) is in use.
    bool AreaInUse(int k) const;
};
