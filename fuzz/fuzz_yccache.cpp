// The graphic test's colour cache reader: any bytes give either nothing or a whole table of 21
// colours, and a table written and read again is the same table.

#include "app/UGtestDraw.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size > 4096)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    const std::optional<TGtestColors> colours = ParseYcCache(bytes);
    if (colours.has_value() != (Size == std::size_t(YcCacheSize)))
        std::abort();
    if (!colours)
        return 0;
    for (TColor c : *colours)
        if (c > 0xFFFFFF)
            std::abort();
    if (ParseYcCache(YcCacheBytes(*colours)) != colours)
        std::abort();
    return 0;
}
