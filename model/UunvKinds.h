#pragma once
// The counter record and the five small module kinds that the scheme process strings together:
// yarn-carrier positions (P), needle setup (N), repeats (R), the scheme process itself (S) and the
// selector switches (W). Also the text and check helpers that every kind's listing, label and
// validation share.

#include "model/UColors.h"
#include "model/Ustrings.h"
#include "model/UunvBase.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

// ---- Per-bed eights: index 2s is the front bed of cam system s ("V", numbered 2s + 1), index
// 2s + 1 its rear bed ("H", numbered 2s + 2).
constexpr int BedCount = 8;
using MBedValues = std::array<std::int32_t, BedCount>;

// ---- Counter kinds: a repeat count, a selector switch line (W module), a repeat module (R).
constexpr std::uint8_t ckD = 1, ckW = 2, ckR = 3;

// A repeat count or a reference that resolves to one.
struct MCounter {
    std::uint8_t Kind = ckD;
    std::int32_t Value = 0;

    void Clear() {
        Kind = ckD;
        Value = 0;
    }
    bool operator==(const MCounter&) const = default;
};

// ---- Text helpers of the listings and labels.
// Decimal value padded with leading zeros to Digits digits, "-" in front of a negative value and,
// with ShowPlus, "+" in front of the others.
inline QString ZText(int Value, int Digits, bool ShowPlus = false) {
    return IntToStrPadded(Value, Digits, ShowPlus);
}
// The digits of the absolute value followed by blanks up to Width characters, "-" in front of a
// negative value and, with ShowPlus, "+" in front of the others.
QString BText(int Value, int Width, bool ShowPlus = false);
// A counter in a listing: "D" and the value for a repeat count, otherwise "W" and the value (the
// modules that use it know no third kind).
QString CounterDW(const MCounter& Counter);
// Drawn where a value read from outside does not fit the table that the text looks it up in.
inline QString PlaceholderText(int Width) {
    return QString(Width, QLatin1Char('?'));
}
// Line end of the multi-line listings and labels.
inline QLatin1String CrLf() {
    return QLatin1String("\r\n");
}

// ---- Check helpers of the validations.
inline bool ValueInRange(std::int64_t Value, std::int64_t Lo, std::int64_t Hi) {
    return Value >= Lo && Value <= Hi;
}
// A signed range {First, Count} covers First .. First + Count; both ends must lie in Lo..Hi.
inline bool SignedRangeIn(std::int64_t First, std::int64_t Count, std::int64_t Lo, std::int64_t Hi) {
    return ValueInRange(First, Lo, Hi) && ValueInRange(First + Count, Lo, Hi);
}

// Runs the checks of one module in order; a failing check replaces the subcode of any earlier one.
class MCheckList {
public:
    void Check(bool Failed, int SubCode) {
        if (Failed)
            FLast = SubCode;
    }
    int Last() const { return FLast; }

private:
    int FLast = 0;
};

// ---- Yarn carrier position: stroke limitation of the yarn carriers.
// Modes 0..3 limit system 1..4 by needles (L, R); 4 with colours, 5 from colour to colour, 6 from
// colour change to colour change, 7 into colours, 8 out of colours.
class MUnvP : public MUnvBase {
public:
    MUnvP();

    std::uint8_t Dir = 0;                   // 0 none, 1 ">", 2 "<"
    std::uint8_t Mode = 0;                  // 0..8
    std::array<std::uint8_t, 8> Carriers{}; // carrier i + 1 is positioned when non-zero
    std::int32_t L = 0;                     // left needle, modes 0..3
    std::int32_t R = 0;                     // right needle, modes 0..3
    MclrMap ClrsL;                          // colours, modes 4..8
    MclrMap ClrsR;                          // second colours, modes 5 and 6

    int ListKind() const override { return lkP; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;
};

// ---- Needle setup: a range of pattern draft columns (type 1 "X") or of N lines (type 2 "N").
class MUnvN : public MUnvBase {
public:
    MUnvN();

    std::uint8_t Type = 1;
    std::int32_t Start = 0;
    std::int32_t Count = 0; // signed: the sign gives the direction
    MCounter Counter;       // D or W

    int ListKind() const override { return lkN; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;
};

// ---- Repeat: a counter and, per bed, the pattern draft lines added to the bed's line.
class MUnvR : public MUnvBase {
public:
    MUnvR();

    MCounter Counter; // D or W
    MBedValues Offsets{};

    int ListKind() const override { return lkR; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;
};

// ---- Scheme process: one step of the program, a range of Z rows (type 1) or a cycle over a range
// of S lines (type 2), with its repeat counter, N range, P range and offset table.
class MUnvS : public MUnvBase {
public:
    MUnvS();

    std::uint8_t Type = 1;
    std::int32_t First = 0;
    std::int32_t Count = 0;
    MCounter Counter; // D, W or R
    std::int32_t NFirst = 0;
    std::int32_t NCount = 0;
    std::int32_t PFirst = 0;
    std::int32_t PCount = 0;
    std::uint8_t Offset = 1;  // offset table 1..8 of the setup scheme
    std::int32_t StripId = 0; // the named S-line range that covers the line, 0 for none

    int ListKind() const override { return lkS; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;

    // True when the Z or S range is empty (First and Count both 0).
    bool RangeIsEmpty() const { return First == 0 && Count == 0; }
    // The number after Current in the range's direction; -1 once the range has ended and always
    // for a Count of 0.
    int NextInRange(int Current) const;
};

// ---- Selector switch: the repeat values that selector levels 1..8 choose between.
class MUnvW : public MUnvBase {
public:
    MUnvW();

    std::array<std::int32_t, 8> Levels{}; // level k + 1 at index k

    int ListKind() const override { return lkW; }
    std::unique_ptr<MUnvBase> CreateNew() const override;
    std::unique_ptr<MUnvBase> Clone() const override;
    bool Equals(const MUnvBase& Other) const override;
    void Assign(const MUnvBase& Source) override;
    void Validate() const override;
    void Clear() override;
    void GetListingLine(QString& Text) const override;
    void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const override;
};
