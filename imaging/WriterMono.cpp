#include "imaging/WriterMono.h"

#include "imaging/ImageProc.h"

#include <cstring>

namespace {

const TBGRColor Black{0, 0, 0};
const TBGRColor White{255, 255, 255};

bool IsSingleColor(const TBitmap& bitmap) {
    const std::uint8_t* first = bitmap.ScanLine(0);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x)
            if (std::memcmp(row + 3 * x, first, 3) != 0)
                return false;
    }
    return true;
}

// Clears the bits past the width in the last byte of every row.
void ClearTailBits(TBitmap& mono) {
    const int rest = mono.Width() % 8;
    if (rest == 0)
        return;
    const auto mask = std::uint8_t(0xFF << (8 - rest));
    const int last = mono.Width() / 8;
    for (int y = 0; y < mono.Height(); ++y)
        mono.ScanLine(y)[last] &= mask;
}

} // namespace

TWriterMono::TWriterMono(const TBitmap& picture, TColours colours)
    : FSource(&picture), FColors{Black, White} {
    if (picture.Empty())
        return;
    if (picture.PixelFormat() == pf1bit) {
        const int rest = picture.Width() % 8;
        bool clean = true;
        for (int y = 0; y < picture.Height() && rest && clean; ++y)
            clean = (picture.ScanLine(y)[picture.Width() / 8] & (0xFF >> rest)) == 0;
        if (!clean) {
            FCopy = picture;
            ClearTailBits(FCopy);
            FSource = &FCopy;
        }
        return;
    }
    TBitmap wide;
    const TBitmap& colour = As24Bit(picture, wide);
    TBGRColor c0, c1;
    if (auto mono = MakeTwoColorBitmap(colour, c0, c1)) {
        FCopy = std::move(*mono);
        ClearTailBits(FCopy);
        if (colours == Kept)
            FColors = {c0, c1};
    } else if (colours == Kept && IsSingleColor(colour)) {
        const std::uint8_t* p = colour.ScanLine(0);
        const TBGRColor c{p[0], p[1], p[2]};
        FCopy = TBitmap(colour.Width(), colour.Height(), pf1bit);
        FColors = {c, c == Black ? White : Black};
    } else {
        FCopy = colour;
        TProgressRec none;
        OrderedDither(FCopy, none);
    }
    FSource = &FCopy;
}
