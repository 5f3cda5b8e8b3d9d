#pragma once
// The three stitch-length kinds: static stitch lengths per bed (FS), ranges of stitch length setup
// lines per bed (FD) and the stitch length setup line itself (FE).

#include "model/UColors.h"
#include "model/UunvBase.h"
#include "model/UunvKinds.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

// ---- Static stitch length: two counters per bed, each a direct value (D) or a selector switch
// line (W). Machines 708, 710, 745 and 748 also use the beds 2n .. 4n - 1 of a second group.
class MUnvFS : public MUnvBase {
public:
    MUnvFS();

    std::array<MCounter, BedCount> CountersA{};
    std::array<MCounter, BedCount> CountersB{};

    int ListKind() const override { return lkFS; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;
};

// ---- Dynamic stitch length: per bed a signed range of FE lines; a bed whose first line and count
// are both 0 has none.
class MUnvFD : public MUnvBase {
public:
    MUnvFD();

    MBedValues FirstFE{};
    MBedValues CountFE{};

    int ListKind() const override { return lkFD; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;
};

// ---- Stitch length setup: how the stitch length changes across the areas of some colours.
class MUnvFE : public MUnvBase {
public:
    MUnvFE();

    std::int32_t Difference = 0;     // total stitch length difference, signed
    std::int32_t VerticalStep = 0;   // 1 .. |Difference|
    std::int32_t HorizontalStep = 0; // 1 .. 2000
    std::uint8_t StartPoint = 0;     // 0 "A0" behind, 1 "A1" centre, 2 "A2" in front of the colour
    std::int32_t Offset = 0;         // -2000 .. 2000
    MclrMap Colors;

    int ListKind() const override { return lkFE; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;
};
