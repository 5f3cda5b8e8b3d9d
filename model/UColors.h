#pragma once
// The project palette (32 colours with a symbol each) and the 32-number bit sets that modules use
// for colours and yarn carriers.

#include "platform/Color.h"

#include <QString>

#include <array>
#include <cstdint>

// The reserved colour (pure blue) that no palette entry holds, and the value that stands in for it.
constexpr TColor ReservedColor = 0xFF0000;
constexpr TColor ReservedSubstitute = 0xFE0000;
constexpr int PaletteSize = 32;

class MPalette {
public:
    MPalette() { ResetPalette(); }

    TColor DefaultColor = ReservedColor;
    std::array<TColor, PaletteSize> Colors{};
    std::array<QString, PaletteSize> Symbols;

    void ResetPalette();
    TColor Color(int Index) const { return Index >= 0 && Index < PaletteSize ? Colors[Index] : DefaultColor; }
    int IndexOf(TColor Color) const;
    QString Symbol(int Index) const { return Index >= 0 && Index < PaletteSize ? Symbols[Index] : QString(); }
    // The value a colour takes when it is put into the palette: the reserved colour becomes its
    // substitute.
    static TColor Admissible(TColor Color) { return Color == ReservedColor ? ReservedSubstitute : Color; }

    static const std::array<TColor, PaletteSize>& DefaultColors();
};

// A set of the numbers 0..31 in four bytes: number i is bit (i mod 8) of byte (i div 8).
class MbitsMap {
public:
    MbitsMap() = default;
    virtual ~MbitsMap() = default;
    MbitsMap(const MbitsMap&) = default;
    MbitsMap& operator=(const MbitsMap&) = default;

    std::array<std::uint8_t, 4> Bits{};

    virtual void Assign(const MbitsMap& Source) { Bits = Source.Bits; }
    virtual void Validate() const {}
    virtual void Clear() { Bits.fill(0); }

    virtual void SetBit(int Index, int Value);
    void SetBitBool(int Index, bool Value) { SetBit(Index, Value ? 1 : 0); }
    int GetBit(int Index) const { return IsSet(Index) ? 1 : 0; }
    bool IsSet(int Index) const {
        return Index >= 0 && Index < 32 && (Bits[std::size_t(Index / 8)] >> (Index % 8)) & 1;
    }

    void SetByte(std::uint8_t B) { Bits[0] = B; }
    void SetWord(std::uint16_t W);
    void SetDWord(std::uint32_t D);
    // Byte 0 takes the most significant byte of D: four file bytes read as they lie give bit i =
    // number i of the file's big-endian value.
    void SetDWordBE(std::uint32_t D);
    std::uint8_t GetByte() const { return Bits[0]; }
    std::uint16_t GetWord() const { return std::uint16_t(Bits[0] | (Bits[1] << 8)); }
    std::uint32_t GetDWord() const;

    int First() const;
    int Last() const;
    int Count() const;
    void KeepFirst(int N);
    // One "0" or "1" per number from Lo up to Hi.
    void BitText(int Lo, int Hi, QString& Text) const;
    QString BitText(int Lo, int Hi) const {
        QString s;
        BitText(Lo, Hi, s);
        return s;
    }

    bool SameBits(const MbitsMap& Other) const { return Bits == Other.Bits; }
};

// A set of palette colours.
class MclrMap : public MbitsMap {};

// A set of yarn carriers (numbers 0..7 = carriers 1..8) with one value byte kept beside it.
class MffMap : public MbitsMap {
public:
    std::uint8_t Value = 0;

    void Assign(const MbitsMap& Source) override;
    void Clear() override {
        MbitsMap::Clear();
        Value = 0;
    }
    void SetBit(int Index, int Value) override;
};
