// libFuzzer target: the BMP reader (and the writers on what it reads).
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPicture(data, size, [size](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        ReadBMP(s, b, std::int64_t(size), r, p);
    });
}
