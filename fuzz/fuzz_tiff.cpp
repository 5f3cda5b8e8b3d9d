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

// Whether the size that the first directory declares is small enough for the fuzz run.
bool DeclaredSizeAllowed(const std::uint8_t* d, std::size_t n) {
    if (n < 8 || d[0] != d[1] || (d[0] != 'I' && d[0] != 'M'))
        return true;
    const bool big = d[0] == 'M';
    auto u16 = [&](std::size_t o) -> std::uint32_t {
        return big ? (d[o] << 8) | d[o + 1] : d[o] | (d[o + 1] << 8);
    };
    auto u32 = [&](std::size_t o) { return big ? (u16(o) << 16) | u16(o + 2) : u16(o) | (u16(o + 2) << 16); };
    const std::uint32_t dir = u32(4);
    if (dir > n - 2)
        return true;
    std::int64_t size[2] = {-1, -1};
    for (std::uint32_t i = 0; i < u16(dir) && dir + 2 + 12 * std::size_t(i + 1) <= n; ++i) {
        const std::size_t e = dir + 2 + 12 * std::size_t(i);
        const std::uint32_t tag = u16(e), type = u16(e + 2);
        const std::uint32_t v = type == 3 ? u16(e + 8) : type == 4 ? u32(e + 8) : type == 1 ? d[e + 8] : 0;
        if ((tag == 256 || tag == 257) && size[tag - 256] < 0)
            size[tag - 256] = v;
    }
    return FuzzSizeAllowed(size[0], size[1]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!DeclaredSizeAllowed(data, size))
        return 0;
    return FuzzPicture(data, size, [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        p.TiffLzwDecoder = ZeroRows;
        int count = 0;
        ReadTIFF(s, b, count, r, p);
        // As the loader does: no picture of that number is an error.
        if (count <= p.TiffImageIndex)
            throw EInvalidGraphic(QStringLiteral("TIFF image not found"));
    });
}
