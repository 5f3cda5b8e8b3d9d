// libFuzzer target: the TIFF reader (and the writers on what it reads). A stand-in LZW decoder
// hands out rows of zeros, so that LZW strips reach the row code too. Seed it with the fixtures:
//   build/fuzz/fuzz/fuzz_tiff CORPUS tests/imaging/data/tiff
#include "FuzzPicture.h"
#include "imaging/TIFFilt.h"

#include <vector>

namespace {

const std::uint8_t* ZeroRows(const std::uint8_t* strip, int rowBytes, int& state) {
    static std::vector<std::uint8_t> row;
    if (!strip)
        return nullptr;
    ++state;
    if (row.size() < std::size_t(rowBytes))
        row.resize(std::size_t(rowBytes));
    return row.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPicture(data, size, [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        p.TiffLzwDecoder = ZeroRows;
        int count = 0;
        ReadTIFF(s, b, count, r, p);
        // As the loader does: no picture of that number is an error.
        if (count <= p.TiffImageIndex)
            throw EInvalidGraphic(QStringLiteral("TIFF image not found"));
    });
}
