#pragma once
// Stand-in LZW codecs for the GIF fuzz target and the GIF writer: the decoder skips the image's
// data sub-blocks and gives index 0 for every pixel, the encoder writes the indices uncoded. They
// let the fuzzer reach the code after the image data; the station itself sets no LZW hook.

#include "imaging/ImageIO.h"

#include <cstring>

inline void FuzzGifDecoder(ByteReader& stream, int height, int width, bool, std::uint8_t* indices) {
    stream.ReadU8(); // the minimum code size
    while (const std::size_t n = stream.ReadU8())
        stream.Skip(n);
    std::memset(indices, 0, std::size_t(width) * std::size_t(height));
}

inline void FuzzGifEncoder(ByteWriter& stream, int height, int width, bool, const std::uint8_t* indices,
                           int bits) {
    stream.WriteU8(std::uint8_t(bits));
    const std::size_t total = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < total; i += 255) {
        const std::size_t n = total - i < 255 ? total - i : 255;
        stream.WriteU8(std::uint8_t(n));
        stream.WriteBytes(indices + i, n);
    }
    stream.WriteU8(0);
}
