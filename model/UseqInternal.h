#pragma once
// Small helpers shared by the interpreter's sources and the stitch simulation: module lookups that
// answer null instead of raising, checked narrowing of position arithmetic, the argument texts of
// findings and the colour sets tested needle by needle.

#include "model/UColors.h"
#include "model/UunvList.h"
#include "platform/Errors.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <limits>

namespace seq {

// The module numbered Number of a typed list; null when there is none (or the number cannot be one).
template <typename T>
T* Find(const MUnvList& List, std::int64_t Number) {
    if (Number < std::numeric_limits<int>::min() || Number > std::numeric_limits<int>::max())
        return nullptr;
    return static_cast<T*>(List.Lookup(int(Number)));
}

// Position arithmetic is worked in 64 bits; a result outside the 32-bit records fails the move.
inline std::int32_t Narrow(std::int64_t Value) {
    if (Value < std::numeric_limits<std::int32_t>::min() || Value > std::numeric_limits<std::int32_t>::max())
        RaiseOverflow();
    return std::int32_t(Value);
}

// Finding arguments: the values in decimal joined by ";".
inline QString Args(std::initializer_list<std::int64_t> Values) {
    QString s;
    for (const std::int64_t v : Values) {
        if (!s.isEmpty())
            s += QLatin1Char(';');
        s += QString::number(v);
    }
    return s;
}

// The palette colours of a colour set, for the scans that test every needle against it
// (the needle selection, and the needle states of the stitch simulation).
class MColorSet {
public:
    MColorSet() = default;
    MColorSet(const MPalette& Palette, const MclrMap& Set) {
        for (int i = 0; i < PaletteSize; ++i)
            if (Set.IsSet(i))
                FColors[std::size_t(FCount++)] = Palette.Color(i);
    }
    void Add(TColor Colour) { FColors[std::size_t(FCount++)] = Colour; }
    bool Contains(TColor Colour) const {
        return std::find(FColors.begin(), FColors.begin() + FCount, Colour) != FColors.begin() + FCount;
    }
    bool Empty() const { return FCount == 0; }

private:
    std::array<TColor, 2 * PaletteSize> FColors{};
    int FCount = 0;
};

} // namespace seq
