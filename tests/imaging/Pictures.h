#pragma once
// Small picture helpers of the image library's tests.

#include "imaging/Bitmap.h"

#include <cstdint>
#include <functional>

namespace imgtest {

inline TBGRColor C(int b, int g, int r) {
    return TBGRColor{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)};
}
inline TBGRColor Grey(int v) {
    return C(v, v, v);
}
inline TBGRColor Pixel(const TBitmap& bmp, int x, int y) {
    return ReadPixel(bmp.ScanLine(y), x, bmp.PixelFormat(), bmp.Palette());
}
inline void SetPixel(TBitmap& bmp, int x, int y, TBGRColor c) {
    WritePixel(bmp.ScanLine(y), x, bmp.PixelFormat(), bmp.Palette(), c);
}
// A 24-bit picture whose pixel (x, y) is f(x, y).
inline TBitmap Picture(int w, int h, const std::function<TBGRColor(int, int)>& f) {
    TBitmap bmp(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixel(bmp, x, y, f(x, y));
    return bmp;
}
inline TBitmap Uniform(int w, int h, TBGRColor c) {
    return Picture(w, h, [c](int, int) { return c; });
}
inline bool Bit(const TBitmap& bmp, int x, int y) {
    return (bmp.ScanLine(y)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

} // namespace imgtest

inline std::ostream& operator<<(std::ostream& os, const TBGRColor& c) {
    return os << "(b " << int(c.b) << ", g " << int(c.g) << ", r " << int(c.r) << ")";
}
