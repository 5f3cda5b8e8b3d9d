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
