#pragma once
// Colour values as the program stores them: 0x00BBGGRR, red in the low byte. The Qt conversions
// live in ColorQt.h so that this header needs QtCore only.

#include <cstdint>

using TColor = std::uint32_t;

constexpr std::uint8_t GetRValue(TColor c) {
    return std::uint8_t(c);
}
constexpr std::uint8_t GetGValue(TColor c) {
    return std::uint8_t(c >> 8);
}
constexpr std::uint8_t GetBValue(TColor c) {
    return std::uint8_t(c >> 16);
}
constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// Rounds to the nearest integer, halves to even (0.5 -> 0, 1.5 -> 2, -2.5 -> -2). A value outside the
// 64-bit range, or not a number, raises EIntOverflow.
std::int64_t Round(double value);
