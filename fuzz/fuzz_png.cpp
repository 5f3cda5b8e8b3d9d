// libFuzzer target: the PNG reader (and the writers on what it reads).
#include "FuzzPicture.h"

namespace {
std::int64_t U32BE(const std::uint8_t* p) {
    return (std::int64_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The header chunk comes first: its size is the picture's.
    if (size >= 24 && !FuzzSizeAllowed(U32BE(data + 16), U32BE(data + 20)))
        return 0;
    return FuzzPicture(data, size, ReadPNG);
}
