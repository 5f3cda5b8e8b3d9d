#pragma once
// Picture processing: the colour and integer helpers, the module routines the codecs share
// (two-colour test, 1-bit expansion, ordered dither, DIB copy, bitmap copies, bit helpers).

#include "imaging/Bitmap.h"
#include "imaging/ImgUtils.h"
#include "platform/Color.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// ---- Colour and integer helpers ----

TBGRColor CreateRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// A TBGRColor as a 32-bit value: red × 65536 + green × 256 + blue.
std::uint32_t BGRValue(TBGRColor c);
// The TColor of a TBGRColor given as a 32-bit value (first and third bytes exchanged).
TColor TRGB2TColor(std::uint32_t bgr);
// System colours (high byte 0x80, the index in the low byte) resolve to their fixed values first.
void TColor2TRGB(TColor color, TBGRColor& out);
TBGRColor TColor2TRGB(TColor color);
// The grey of a colour: (30 × red + 59 × green + 11 × blue) div 100.
inline int GreyOf(TBGRColor c) {
    return (30 * c.r + 59 * c.g + 11 * c.b) / 100;
}

inline int IntMax(int a, int b) {
    return a > b ? a : b;
}
inline int IntMin(int a, int b) {
    return a < b ? a : b;
}
inline int ClampInt(int value, int low, int high) {
    return IntMin(IntMax(value, low), high);
}
inline std::uint8_t ClampByte(int value) {
    return value < 0 ? 0 : value > 255 ? 255 : std::uint8_t(value);
}
inline void SwapInt(int& a, int& b) {
    const int t = a;
    a = b;
    b = t;
}
inline void SwapByte(std::uint8_t& a, std::uint8_t& b) {
    const std::uint8_t t = a;
    a = b;
    b = t;
}
void OrderRect(int& x1, int& y1, int& x2, int& y2);
// Ceil: Trunc + 1 when the fraction is above 0; Floor: Trunc − 1 when the fraction is below 0.
int CeilExt(double x);
int FloorExt(double x);

// ---- Bit helpers (1-bit rows, most significant bit first) ----

inline bool GetBit(const std::uint8_t* row, int x) {
    return (row[x >> 3] & (0x80 >> (x & 7))) != 0;
}
inline void SetBit(std::uint8_t* row, int x, bool value) {
    if (value)
        row[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
    else
        row[x >> 3] &= std::uint8_t(~(0x80 >> (x & 7)));
}
// Copies count bits from source bit srcBit to destination bit dstBit.
void CopyBits(std::uint8_t* dst, const std::uint8_t* src, int dstBit, int count, int srcBit);
// Inverts every bit of every row of a 1-bit bitmap.
void Invert1Bit(TBitmap& bitmap);
// Exchanges the first and third byte of count pixels.
void SwapRedBlue(TBGRColor* row, int count);

// ---- Module routines ----

// A new 1-bit bitmap when the 24-bit picture has exactly two colours (bit 0 the darker, C0;
// bit 1 the lighter, C1), else nullptr.
std::unique_ptr<TBitmap> MakeTwoColorBitmap(const TBitmap& bitmap, TBGRColor& C0, TBGRColor& C1);
// The destination becomes the 24-bit picture of a 1-bit one: bit 1 white, bit 0 black.
void Expand1BitTo24Bit(const TBitmap& source, TBitmap& dest, TProgressRec& progress);
// The picture a writer of 24-bit rows takes: the bitmap itself when it has 24 bits, else a 24-bit
// copy made in temp (1 bit as Expand1BitTo24Bit gives it, every other format pixel by pixel).
const TBitmap& As24Bit(const TBitmap& bitmap, TBitmap& temp);
// A 24-bit picture becomes 1 bit per pixel by the 8 × 8 ordered dither; others are left alone.
void OrderedDither(TBitmap& bitmap, TProgressRec& progress);
// Fills the destination from a packed device-independent bitmap (40-byte information header,
// masks or colour table, pixels) of size bytes; bits, when given, points to the pixels
// (bitsSize bytes). Returns the DIB's bits per pixel. A block too short for what its header
// promises raises EInvalidGraphic; palette indices past the table give black.
int CopyDIBToBitmap(const std::uint8_t* dib, std::size_t size, TBitmap& dest,
                    const std::uint8_t* bits = nullptr, std::size_t bitsSize = 0);
// The destination becomes a copy of the source: format, palette, size (1 × 1 for an empty
// source) and pixels.
void CopyBitmap(const TBitmap& source, TBitmap& dest);
// The destination becomes the rectangle X1..X2 × Y1..Y2 (inclusive) of the source; X2 = 0 or past
// the width means the last column, likewise Y2. 24- and 1-bit pixels are copied.
void CopyBitmapRect(const TBitmap& source, TBitmap& dest, int X1, int Y1, int X2, int Y2);

// ---- The processing component ----

#include "imaging/ImgViewLink.h"
#include "imaging/Resample.h"

#include <QObject>

// Changes one attached 24-bit (or 1-bit) picture in place: colour reduction, grey, black and
// white, resampling, rotation and colour counting, keeping one undo copy. It does not own the
// attached bitmap. Operations on a missing picture, or on a pixel format they do not handle, do
// nothing. An attached view also lends its selection as the working area. The background fills the
// corners that a rotation uncovers (of a 1-bit picture: with bit 1 unless the component's own
// background is black).
class TImageProc : public TPictureComponent {
public:
    explicit TImageProc(QObject* owner = nullptr);
    ~TImageProc() override;

    // Every processing operation first saves the picture into the undo copy.
    bool AutoUndo = true;
    // The working rectangle in pixels, inclusive; −1 in SelX1 means the whole picture.
    int SelX1 = -1, SelY1 = -1, SelX2 = -1, SelY2 = -1;
    // Called once per row of work with a percentage.
    TProgressEvent OnProgress;

    const TBitmap& UndoBitmap() const { return FUndoBitmap; }

    virtual void SaveUndo();
    virtual void Undo();
    // Whether the undo copy holds a picture.
    bool CanUndo() const { return FHasUndo; }

    void ReduceColors(int N);
    void ToGrayScale();
    void ConvertToBWThreshold(int Threshold = -1);
    void ConvertToBWDither();
    void Resample(int NewWidth, int NewHeight, TResampleFilter Filter);
    void Rotate(int Angle, bool AntiAlias);
    int CountColors();

private:
    struct Area {
        int X1, Y1, X2, Y2;
        // The points of a polygon selection of the attached view, picture pixels; empty otherwise.
        std::vector<QPoint> Polygon;
    };
    // The working area, clamped to the picture (empty when X1 > X2 or Y1 > Y2): the attached view's
    // selection when it has one, else the component's own rectangle.
    Area WorkingArea() const;
    void GreyRows(TBitmap& bitmap, int X1, int Y1, int X2, int Y2, int areaTop, double factor);
    // The common frame of the colour operations: false (nothing to do) without a 24-bit picture.
    bool BeginColorOperation();
    void Refresh();
    void ReportRow(int rowsDone, double factor);

    TBitmap FUndoBitmap;
    bool FHasUndo = false;
};
