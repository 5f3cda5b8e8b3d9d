#pragma once
// Small shared pieces of the image library: the colour hash that counts distinct colours, the row
// and bit helpers of device-independent bitmaps and the progress context handed to the codecs
// and the picture routines.

#include "imaging/Bitmap.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A progress handler: (Sender, per) with per running 0 to 100.
using TProgressEvent = std::function<void(QObject* Sender, int per)>;

// The progress context handed to the codecs and the module routines: the handler, the component
// that reports, a row counter and a factor (100 divided by the number of rows).
struct TProgressRec {
    TProgressEvent OnProgress;
    QObject* Sender = nullptr;
    double Factor = 0;
    int Counter = 0;

    // Calls the handler, when one is set, with per.
    void Report(int per) const;
};

// A fixed hash of 32-bit keys that counts the distinct keys inserted. The table never grows;
// colliding keys are chained. A slot holds the key itself or the number of its chain; chains are
// kept apart from the slots, each as one sorted block of keys so that long chains (a picture of a
// million colours in 8192 slots) are still searched quickly.
class THash1 {
public:
    explicit THash1(int HashBits);
    THash1(const THash1&) = delete;
    THash1& operator=(const THash1&) = delete;

    // True when the key was not present and has been added.
    bool Insert(std::uint32_t Key);
    int Count() const { return FCount; }
    int TableSize() const { return FTableSize; }
    int HashBits() const { return FHashBits; }

private:
    int FHashBits;
    int FTableSize;
    int FCount = 0;
    std::unique_ptr<std::uint32_t[]> FSlots; // the key (state 1) or the chain's number (state 2)
    std::unique_ptr<std::uint8_t[]> FStates; // 0 empty, 1 one key, 2 chain
    std::vector<std::vector<std::uint32_t>> FChains;
};

// Skips the zero bits from bit 0, then counts the consecutive one bits (0x7C00 gives 5).
int MaskRunLength(std::uint32_t mask);
// Bytes of one device-independent bitmap row, padded to 4 bytes.
int RowSize(int width, int bits);
// Bits per pixel of a pixel format as row sizes count them (pfDevice 0, 15-bit 16).
int PixelFormatBits(TPixelFormat format);
// The value with its 32 bits in reverse order.
void ReverseBits32(std::uint32_t& value);
// Snaps the point so that the line from the anchor is vertical, horizontal or diagonal.
void ConstrainToAxisOrDiagonal(int x0, int y0, int& x, int& y);

// Resolution of the picture files: pixels per metre to dots per inch, rounded (halves to even), 0
// for none (a value of 0 or less); and back, rounded and at least 0. Both results fit in 32 bits.
int DpiOfPixelsPerMetre(std::int64_t pixelsPerMetre);
std::int32_t PixelsPerMetreOfDpi(int dpi);

// How the two-colour table of a 1-bit file maps onto a 1-bit bitmap (bit 0 black, bit 1 white): black
// and white stays 1 bit as it is, white and black stays 1 bit with every bit inverted, any other pair
// (or a table of fewer than two entries) is expanded to colour. Only the first two entries count.
enum class TOneBitTable { Colour, BlackWhite, WhiteBlack };
TOneBitTable OneBitTableOf(const std::vector<TBGRColor>& table);
// Copies the bytes of a 1-bit row that hold its width pixels (dst may be src), inverted for a
// white-and-black table, with the bits past the width cleared.
void CopyOneBitRow(const std::uint8_t* src, std::uint8_t* dst, int width, TOneBitTable table);

// The line walker: calls visit(x, y, step) for every pixel of the line from (x1, y1) towards (x2, y2),
// the end point left out, one step at a time along the longer axis (step counts from 0 at the start).
// Only the pixels inside the rectangle left..right × top..bottom (inclusive) are visited; the walk
// starts and stops near it, so a long line costs no more than its visible part.
template <typename Visit>
void LineDDA(int x1, int y1, int x2, int y2, int left, int top, int right, int bottom, Visit visit) {
    const long long dx = (long long)x2 - x1, dy = (long long)y2 - y1;
    const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const long long n = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    if (n == 0 || left > right || top > bottom)
        return;
    // The steps whose long-axis coordinate lies inside, and whose other coordinate may (one step of
    // margin each way).
    auto range = [](long long from, int s, long long lo, long long hi, long long& first, long long& last) {
        long long a = s > 0 ? lo - from : from - hi, b = s > 0 ? hi - from : from - lo;
        first = a < 0 ? 0 : a;
        last = b;
    };
    long long first, last;
    range(xMajor ? x1 : y1, xMajor ? sx : sy, xMajor ? left : top, xMajor ? right : bottom, first, last);
    {
        // The other axis moves minor/n per step.
        const long long from = xMajor ? y1 : x1, lo = xMajor ? top : left, hi = xMajor ? bottom : right;
        const int s = xMajor ? sy : sx;
        if (minor == 0) {
            if (from < lo || from > hi)
                return;
        } else {
            long long a = s > 0 ? lo - from : from - hi, b = s > 0 ? hi - from : from - lo;
            // Steps k where the other coordinate has moved between a and b pixels.
            const long long kFirst = a <= 0 ? 0 : (long long)((__int128)(a - 1) * n / minor);
            const long long kLast = b < 0 ? -1 : (long long)((__int128)(b + 1) * n / minor + 1);
            first = first > kFirst ? first : kFirst;
            last = last < kLast ? last : kLast;
        }
    }
    if (last > n - 1)
        last = n - 1;
    if (first > last)
        return;
    // The error term and the other coordinate after `first` steps.
    const long long e0 = n / 2;
    const __int128 moved = (__int128)first * minor - e0 + n - 1;
    const long long m = moved > 0 ? (long long)(moved / n) : 0;
    const long long err0 = (long long)((__int128)e0 - (__int128)first * minor + (__int128)m * n);
    long long err = err0;
    long long major = (xMajor ? x1 : y1) + (long long)(xMajor ? sx : sy) * first;
    long long other = (xMajor ? y1 : x1) + (long long)(xMajor ? sy : sx) * m;
    for (long long i = first; i <= last; ++i) {
        const long long x = xMajor ? major : other, y = xMajor ? other : major;
        if (x >= left && x <= right && y >= top && y <= bottom)
            visit(int(x), int(y), i);
        major += xMajor ? sx : sy;
        err -= minor;
        if (err < 0) {
            other += xMajor ? sy : sx;
            err += n;
        }
    }
}
