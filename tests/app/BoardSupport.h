#pragma once
// The drawing board's tests: pictures built in code, a sheet that records what it asked to repaint,
// and cell reads of a picture.

#include "app/LBoardSh.h"
#include "model/UmapRect.h"

#include <functional>
#include <vector>

namespace boardtest {

// A 24-bit picture whose cell (X, Y) has the colour Of(X, Y).
inline TBitmap Picture(int W, int H, const std::function<TColor(int, int)>& Of) {
    TBitmap b(W, H, pf24bit);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            PutCellColor(b.ScanLine(y) + 3 * x, Of(x, y));
    return b;
}

// A colour that tells every cell apart.
inline TColor Tag(int X, int Y) {
    return TColor(0x010000 * (X + 1) + 0x000100 * (Y + 1) + 0x20);
}

inline TColor CellOf(const TBitmap& B, int X, int Y) {
    return CellColorOf(B.ScanLine(Y) + 3 * X);
}

// A buffer of W x H pixels, pixel (X, Y) of colour Of(X, Y).
inline MmapRect Buffer(int W, int H, const std::function<TColor(int, int)>& Of) {
    MmapRect m;
    m.Width = W;
    m.Height = H;
    m.InitPixels();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            m.SetPixel(x, y, Of(x, y));
    return m;
}

// A sheet that records the pixel rectangles it asked to repaint.
class RecordingSheet : public TBoardSheet {
public:
    std::vector<TBoardRect> Invalidated;

protected:
    void Invalidate(const TBoardRect& R) override { Invalidated.push_back(R); }
};

} // namespace boardtest
