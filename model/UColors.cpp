#include "model/UColors.h"

#include <bit>

namespace {
constexpr std::array<TColor, PaletteSize> DefaultColorTable = {
    0x000000, 0xFE0000, 0x0000FF, 0xFF00FF, 0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF,
    0x000077, 0x777777, 0x0077CC, 0x990099, 0xFFBB00, 0x008888, 0x967EFF, 0x00BB00,
    0x0050A0, 0x00B4FF, 0x8C50A0, 0x80003C, 0x008C00, 0x006400, 0x003C00, 0x500050,
    0x0000BB, 0x00B6B6, 0x3D3D3D, 0xAAAAAA, 0x808000, 0xA0A000, 0x9632D2, 0x7878BE,
};
constexpr const char DefaultSymbols[PaletteSize + 1] = "VO*()+/^<>=#IX.-%&$ABCDEFGHJKLMN";
} // namespace

const std::array<TColor, PaletteSize>& MPalette::DefaultColors() {
    return DefaultColorTable;
}

void MPalette::ResetPalette() {
    DefaultColor = ReservedColor;
    Colors = DefaultColorTable;
    for (int i = 0; i < PaletteSize; ++i)
        Symbols[i] = QString(QLatin1Char(DefaultSymbols[i]));
}

int MPalette::IndexOf(TColor Color) const {
    for (int i = 0; i < PaletteSize; ++i)
        if (Colors[i] == Color)
            return i;
    return -1;
}

void MbitsMap::SetBit(int Index, int Value) {
    if (Index < 0 || Index >= 32)
        return;
    const std::uint8_t mask = std::uint8_t(1u << (Index % 8));
    std::uint8_t& b = Bits[std::size_t(Index / 8)];
    b = Value ? std::uint8_t(b | mask) : std::uint8_t(b & ~mask);
}

void MbitsMap::SetWord(std::uint16_t W) {
    Bits[0] = std::uint8_t(W);
    Bits[1] = std::uint8_t(W >> 8);
}

void MbitsMap::SetDWord(std::uint32_t D) {
    for (int i = 0; i < 4; ++i)
        Bits[std::size_t(i)] = std::uint8_t(D >> (8 * i));
}

void MbitsMap::SetDWordBE(std::uint32_t D) {
    for (int i = 0; i < 4; ++i)
        Bits[std::size_t(i)] = std::uint8_t(D >> (8 * (3 - i)));
}

std::uint32_t MbitsMap::GetDWord() const {
    return std::uint32_t(Bits[0]) | (std::uint32_t(Bits[1]) << 8) | (std::uint32_t(Bits[2]) << 16) |
           (std::uint32_t(Bits[3]) << 24);
}

int MbitsMap::First() const {
    const std::uint32_t d = GetDWord();
    return d ? std::countr_zero(d) : -1;
}

int MbitsMap::Last() const {
    const std::uint32_t d = GetDWord();
    return d ? 31 - std::countl_zero(d) : -1;
}

int MbitsMap::Count() const {
    return std::popcount(GetDWord());
}

void MbitsMap::KeepFirst(int N) {
    int kept = 0;
    for (int i = 0; i < 32; ++i)
        if (IsSet(i) && kept++ >= N)
            SetBit(i, 0);
}

void MbitsMap::BitText(int Lo, int Hi, QString& Text) const {
    Text.clear();
    for (int i = Lo; i <= Hi; ++i)
        Text += IsSet(i) ? QLatin1Char('1') : QLatin1Char('0');
}

void MffMap::Assign(const MbitsMap& Source) {
    MbitsMap::Assign(Source);
    if (const auto* ff = dynamic_cast<const MffMap*>(&Source))
        Value = ff->Value;
}

void MffMap::SetBit(int Index, int Value) {
    if (Index < 0 || Index > 7)
        return;
    MbitsMap::SetBit(Index, Value);
}
