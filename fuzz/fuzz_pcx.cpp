// libFuzzer target: the PCX reader (and the writers on what it reads).
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The header gives the picture's first and last column and row.
    if (size >= 12) {
        auto u16 = [&](std::size_t at) { return std::int64_t(data[at] | (data[at + 1] << 8)); };
        if (!FuzzSizeAllowed(u16(8) - u16(4) + 1, u16(10) - u16(6) + 1))
            return 0;
    }
    return FuzzPicture(data, size, [size](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        ReadPCX(s, b, p, r, std::int64_t(size));
    });
}
