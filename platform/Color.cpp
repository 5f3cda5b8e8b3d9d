#include "platform/Color.h"

#include "platform/Errors.h"

#include <cfenv>
#include <cmath>

std::int64_t Round(double value) {
    // nearbyint follows the current rounding mode, which the program never changes from
    // round-to-nearest-even.
    const double r = std::nearbyint(value);
    if (!std::isfinite(r) || r < -9223372036854775808.0 || r >= 9223372036854775808.0)
        RaiseOverflow();
    return std::int64_t(r);
}
