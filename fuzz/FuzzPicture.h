#pragma once
// Shared by the picture fuzz targets: runs one reader over the input and, when it gave a small
// picture, writes that picture back in every format the station writes.

#include "imaging/BMPFilt.h"
#include "imaging/JPEGFilt.h"
#include "imaging/PNGFilt.h"

#include <cstddef>
#include <cstdint>

template <typename Read>
int FuzzPicture(const std::uint8_t* data, std::size_t size, Read read) {
    ByteReader stream(data, size);
    TBitmap bitmap;
    TIOParamsVals params;
    TProgressRec progress;
    try {
        read(stream, bitmap, params, progress);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    if (std::int64_t(bitmap.Width()) * bitmap.Height() > 4096)
        return 0;
    // Every writer must take what a reader gave.
    params.BitsPerSample = int(size % 3) == 0 ? 1 : 8;
    params.SamplesPerPixel = int(size % 2) ? 1 : 3;
    params.BmpCompressed = true;
    ByteWriter out;
    WriteBMP(out, bitmap, params, progress);
    WritePNG(out, bitmap, params, progress);
    WriteJPEG(out, bitmap, params, progress);
    return 0;
}
