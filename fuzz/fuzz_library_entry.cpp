// A library entry from fuzzed bytes: the input is split into the ".mod", ".bmp" and ".pt2" files (two
// 32-bit little-endian lengths first, the rest the ".pt2"). Reading either gives an entry whose
// pictures have the sizes its header asks for, or raises the library's file error; the sides of a
// picture are checked before it is decoded, so no input allocates more than a picture of 2000 x
// 1999 cells.

#include "app/ULibFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
std::uint32_t U32LE(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

QByteArray Part(const std::uint8_t*& Data, std::size_t& Size, std::size_t Length) {
    Length = std::min(Length, Size);
    QByteArray part(reinterpret_cast<const char*>(Data), qsizetype(Length));
    Data += Length;
    Size -= Length;
    return part;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 8)
        return 0;
    const std::size_t modLength = U32LE(Data);
    const std::size_t bmpLength = U32LE(Data + 4);
    Data += 8;
    Size -= 8;
    const QByteArray mod = Part(Data, Size, modLength);
    const QByteArray bmp = Part(Data, Size, bmpLength);
    const QByteArray pt2 = Part(Data, Size, Size);
    try {
        const MLibraryEntry e = ReadLibraryEntryBytes(mod, bmp, pt2, QStringLiteral("entry"));
        const ModuleHeader& h = e.Header;
        if (e.Picture.Width() != h.LastColumn - h.FirstColumn + 1 ||
            e.Picture.Height() != h.LastLine - h.FirstLine + 1)
            std::abort();
        if (h.UsesLowLines() &&
            (e.LowPicture.Width() != e.Picture.Width() || e.LowPicture.Height() < h.LastLowLine()))
            std::abort();
    } catch (const Exception&) {
    }
    return 0;
}
