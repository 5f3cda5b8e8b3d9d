// libFuzzer target: the BMP reader (and the writers on what it reads).
#include "FuzzPicture.h"

namespace {
std::uint32_t U32LE(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The core header holds 16-bit sides, every other header 32-bit ones.
    if (size >= 26) {
        const bool core = U32LE(data + 14) == 12;
        const std::int64_t width = core ? data[18] | (data[19] << 8) : std::int32_t(U32LE(data + 18));
        const std::int64_t height = core ? data[20] | (data[21] << 8) : std::int32_t(U32LE(data + 22));
        if (!FuzzSizeAllowed(width, height))
            return 0;
    }
    return FuzzPicture(data, size, [size](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        ReadBMP(s, b, std::int64_t(size), r, p);
    });
}
