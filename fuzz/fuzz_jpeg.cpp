// libFuzzer target: the JPEG reader (and the writers on what it reads).
#include "FuzzPicture.h"

namespace {
// Walks the markers to the first frame header; false when it declares a picture too large.
bool FrameSizeAllowed(const std::uint8_t* data, std::size_t size) {
    std::size_t pos = 2;
    while (pos + 4 <= size) {
        if (data[pos] != 0xFF)
            return true;
        const std::uint8_t code = data[pos + 1];
        if (code == 0xFF) {
            ++pos;
            continue;
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD9)) {
            pos += 2;
            continue;
        }
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame) {
            if (pos + 9 > size)
                return true;
            return FuzzSizeAllowed((data[pos + 7] << 8) | data[pos + 8],
                                   (data[pos + 5] << 8) | data[pos + 6]);
        }
        pos += 2 + ((std::size_t(data[pos + 2]) << 8) | data[pos + 3]);
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!FrameSizeAllowed(data, size))
        return 0;
    return FuzzPicture(data, size, ReadJPEG);
}
