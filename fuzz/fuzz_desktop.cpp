// The desktop list reader: any bytes give pairs of non-empty UTF-8 names without line breaks, and
// writing what was read and reading it again gives the same pairs.

#include "app/UDeskTopList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size > std::size_t(MaxDeskTopListBytes))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    const auto pairs = ParseDeskTopList(bytes);
    for (const TDeskTopPair& p : pairs)
        if (p.ReopenName.isEmpty() || p.OwnName.isEmpty() || p.ReopenName.contains(QLatin1Char('\n')) ||
            p.OwnName.contains(QLatin1Char('\n')))
            std::abort();
    if (ParseDeskTopList(FormatDeskTopList(pairs)) != pairs)
        std::abort();
    return 0;
}
