// The scanner side of the I/O component: a scanned picture replaces the attached bitmap.

#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"
#include "imaging/imgtwain.h"

#include <memory>

namespace {
// Frees an acquired picture (or a multi-transfer's pictures) when the scope ends.
struct TAcquiredPicture {
    TTwainHandle Handle;
    ~TAcquiredPicture() { TwainFreeAcquired(Handle); }
};

// The parameters of a picture of the given bits per pixel.
void SamplesOfDepth(int bits, int& bitsPerSample, int& samplesPerPixel) {
    switch (bits) {
    case 1:
    case 4:
    case 8:
        bitsPerSample = bits;
        samplesPerPixel = 1;
        break;
    case 15:
        bitsPerSample = 5;
        samplesPerPixel = 3;
        break;
    default:
        bitsPerSample = 8;
        samplesPerPixel = 3;
        break;
    }
}
} // namespace

bool TImageIO::Acquire() {
    if (!FBitmap)
        return false;
    const TTwainHandle handle = TwainAcquire(nullptr, 0, false);
    if (handle == nullptr)
        return false;
    TAcquiredPicture picture{handle};
    TBitmap scanned;
    const int bits = CopyDIBToBitmap(handle->Bytes.data(), handle->Bytes.size(), scanned);
    *FBitmap = std::move(scanned);
    SamplesOfDepth(bits, FParams.BitsPerSample, FParams.SamplesPerPixel);
    FParams.DpiX = TwainXResolution();
    FParams.DpiY = TwainYResolution();
    FParams.Width = FBitmap->Width();
    FParams.Height = FBitmap->Height();
    FParams.ColorMap.clear();
    Refresh();
    return true;
}

bool TImageIO::SelectSource() {
    return TwainSelectSource(nullptr);
}
