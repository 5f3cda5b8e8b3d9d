#pragma once
// The limits every picture reader holds to, in one place: a reader refuses a picture above them
// before it allocates anything large, so a tiny hostile file cannot exhaust memory.

#include <cstdint>

namespace ImageLimits {

// The largest picture any reader accepts, in pixels.
inline constexpr std::int64_t MaxPixels = std::int64_t(1) << 28;
// The largest pixel buffer a bitmap accepts, in bytes.
inline constexpr std::int64_t MaxImageBytes = std::int64_t(1) << 30;
// The largest picture file any reader reads: the largest pixel buffer and room for the headers,
// colour tables and other chunks around it. A larger file is refused without being read.
inline constexpr std::int64_t MaxFileBytes = MaxImageBytes + (std::int64_t(1) << 24);
// The most bytes deflate (zlib) data can inflate to per compressed byte: its best ratio is about
// 1032:1, so decoded data larger than this times the compressed size cannot be in the file.
inline constexpr std::int64_t MaxInflateRatio = 1032;

// The largest picture a drawing (WMF, EMF) is drawn onto, in pixels (4096 x 4096). A drawing's size
// comes from its header alone, which a file of a few bytes can set to anything, while a raster file
// must hold data in step with its size; so drawings have a cap of their own, far below MaxPixels.
inline constexpr std::int64_t MaxDrawingPixels = std::int64_t(1) << 24;

// True when a picture of Width x Height pixels has both sides at least 1 and at most Limit pixels.
// Any int sides are safe: the product is taken only once both are within range.
constexpr bool PixelsWithinLimit(std::int64_t Width, std::int64_t Height, std::int64_t Limit = MaxPixels) {
    return Width >= 1 && Height >= 1 && Width <= Limit && Height <= Limit && Width * Height <= Limit;
}

// The most bytes CompressedBytes of deflate data can inflate to.
constexpr std::int64_t InflateBound(std::int64_t CompressedBytes) {
    return CompressedBytes < 0 ? 0 : CompressedBytes * MaxInflateRatio;
}

} // namespace ImageLimits
