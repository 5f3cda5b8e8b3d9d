#pragma once
// The colours of a needle-row stream's entries, in order (an incomplete last entry is left out).

#include "model/UPattern.h"

#include <vector>

inline std::vector<TColor> NeedleEntries(const ByteWriter& Stream) {
    std::vector<TColor> v;
    const auto& b = Stream.Buffer();
    for (std::size_t i = 0; i + NeedleEntrySize <= b.size(); i += NeedleEntrySize)
        v.push_back((TColor(b[i]) << 16) | (TColor(b[i + 1]) << 8) | TColor(b[i + 2]));
    return v;
}
