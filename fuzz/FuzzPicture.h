#pragma once
// Shared by the picture fuzz targets: runs one reader over the input and, when it gave a small
// picture, writes that picture back as BMP, PNG and JPEG, as TIFF in one coding and as PCX or GIF
// in one layout chosen from the input's bytes.

#include "FuzzLzw.h"
#include "imaging/BMPFilt.h"
#include "imaging/GIFFilter.h"
#include "imaging/JPEGFilt.h"
#include "imaging/PCXFilter.h"
#include "imaging/PNGFilt.h"
#include "imaging/TIFFilt.h"

#include <cstddef>
#include <cstdint>

// The largest picture a fuzz input may declare. The readers accept far larger ones, bounded by
// what the file's data can hold, but decoding them takes a long time: inputs that declare more are
// skipped so that each target runs several hundred inputs per second within libFuzzer's default
// memory limit.
constexpr std::int64_t FuzzMaxPixels = std::int64_t(1) << 18;

inline bool FuzzSizeAllowed(std::int64_t width, std::int64_t height) {
    if (width < 0)
        width = -width;
    if (height < 0)
        height = -height;
    return width <= FuzzMaxPixels && height <= FuzzMaxPixels && width * height <= FuzzMaxPixels;
}

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
    // Palette files only for pictures whose colours fit in the palette: the quantiser that learns
    // a palette of more reads no outside data and is slow under coverage instrumentation.
    const bool few = std::int64_t(bitmap.Width()) * bitmap.Height() <= 256;
    params.SamplesPerPixel = few && int(size % 2) ? 1 : 3;
    params.BmpCompressed = true;
    ByteWriter out;
    WriteBMP(out, bitmap, params, progress);
    WritePNG(out, bitmap, params, progress);
    WriteJPEG(out, bitmap, params, progress);
    // TIFF in one coding per input, chosen by its last byte: none, the four fax codings or PackBits.
    static const std::uint8_t tiffCodings[] = {0, 1, 2, 3, 4, 8};
    params.TiffCompression = tiffCodings[data[size - 1] % 6];
    WriteTIFF(out, false, bitmap, progress, params);
    // PCX or GIF, which may take a palette, only for the smallest pictures too.
    if (!few)
        return 0;
    const std::uint8_t choice = data[size / 2];
    params.BitsPerSample = 1 + choice % 8;
    params.SamplesPerPixel = (choice & 8) ? 3 : 1;
    params.PcxCompressed = (choice & 16) != 0;
    params.GifInterlaced = (choice & 32) != 0;
    params.GifLzwEncoder = FuzzGifEncoder;
    if (choice & 64)
        WritePCX(out, bitmap, params, progress);
    else
        WriteGIF(out, bitmap, params, progress);
    return 0;
}
