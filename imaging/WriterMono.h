#pragma once
// The 1-bit picture that a writer stores when BitsPerSample is 1, chosen the same way by every
// picture format.

#include "imaging/Bitmap.h"

#include <array>

class TWriterMono {
public:
    // Whether the file keeps two colours of its own, or shows bit 0 black and bit 1 white.
    enum TColours { Kept, BlackAndWhite };

    // A 1-bit bitmap is taken as it is, with black and white. A picture of exactly two colours
    // becomes its two-colour conversion: bit 0 the darker colour, bit 1 the lighter. A picture of
    // one colour keeps it as entry 0 (entry 1 black, or white for a black picture) where colours
    // are kept. Any other picture is dithered to black and white. Pictures of other depths count
    // as 24 bits.
    explicit TWriterMono(const TBitmap& picture, TColours colours = Kept);
    TWriterMono(const TWriterMono&) = delete;
    TWriterMono& operator=(const TWriterMono&) = delete;

    // The 1-bit picture to write; the bits past the width of each row are 0.
    const TBitmap& Picture() const { return *FSource; }
    // The colours of bit 0 and bit 1 (black and white unless colours are kept).
    const std::array<TBGRColor, 2>& Colors() const { return FColors; }

private:
    TBitmap FCopy;
    const TBitmap* FSource = nullptr;
    std::array<TBGRColor, 2> FColors;
};
