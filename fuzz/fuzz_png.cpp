// libFuzzer target: the PNG reader (and the writers on what it reads).
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPicture(data, size, ReadPNG);
}
