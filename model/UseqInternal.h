#pragma once
// Small helpers shared by the interpreter's sources: module lookups that answer null instead of
// raising, checked narrowing of position arithmetic, and the argument texts of findings.

#include "model/UunvList.h"
#include "platform/Errors.h"

#include <QString>

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

} // namespace seq
