#include "platform/SysColors.h"

#include <array>

namespace {

// The fixed values, 0x00BBGGRR, in index order: the classic grey desktop scheme.
constexpr std::array<TColor, SysColorCount> FixedColors = {
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xFF0000, 0xC8D0D4};

std::array<TColor, SysColorCount>& Table() {
    static std::array<TColor, SysColorCount> table = FixedColors;
    return table;
}

std::uint32_t Generation = 0;

} // namespace

TColor GetSysColor(int Index) {
    return Index >= 0 && Index < SysColorCount ? Table()[std::size_t(Index)] : 0;
}

TColor ColorToRGB(TColor Color) {
    if (IsSystemColor(Color))
        return GetSysColor(int(Color & 0xFFu));
    return Color & 0xFFFFFFu;
}

void SetSysColor(int Index, TColor Value) {
    if (Index < 0 || Index >= SysColorCount)
        return;
    Table()[std::size_t(Index)] = Value & 0xFFFFFFu;
    ++Generation;
}

void ResetSysColors() {
    Table() = FixedColors;
    ++Generation;
}

std::uint32_t SysColorGeneration() {
    return Generation;
}
