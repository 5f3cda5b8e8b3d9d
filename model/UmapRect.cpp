#include "model/UmapRect.h"

#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <algorithm>
#include <limits>

qsizetype MmapRect::Stride() const {
    return (qsizetype(std::max(Width, 0)) * 3 + 3) / 4 * 4;
}

void MmapRect::InitPixels() {
    if (Width < 0 || Height < 0)
        throw ERangeError(
            QStringLiteral("A picture of %1 x %2 pixels cannot be made").arg(Width).arg(Height));
    const std::int64_t imageSize = std::int64_t(Stride()) * Height;
    if (imageSize > std::numeric_limits<std::int32_t>::max() - HeadersSize)
        throw ERangeError(QStringLiteral("A picture of %1 x %2 pixels is too large").arg(Width).arg(Height));
    ByteWriter w;
    // File header.
    w.WriteU8('B');
    w.WriteU8('M');
    w.WriteU32LE(std::uint32_t(HeadersSize + imageSize));
    w.WriteU32LE(0);
    w.WriteU32LE(HeadersSize);
    // Information header: bottom-up rows, 24 bits per pixel, no compression.
    w.WriteU32LE(InfoHeaderSize);
    w.WriteI32LE(Width);
    w.WriteI32LE(Height);
    w.WriteU16LE(1);
    w.WriteU16LE(24);
    w.WriteU32LE(0);
    w.WriteU32LE(std::uint32_t(imageSize));
    w.WriteU32LE(0);
    w.WriteU32LE(0);
    w.WriteU32LE(0);
    w.WriteU32LE(0);
    // The headers, then the pixels, all black, appended in place: the image is never copied whole.
    Pixels.clear();
    Pixels.reserve(qsizetype(HeadersSize + imageSize));
    Pixels.append(reinterpret_cast<const char*>(w.Buffer().data()), qsizetype(w.Size()));
    Pixels.append(qsizetype(imageSize), '\0');
    PixelPos = 0;
}

bool MmapRect::SeekCell(int X, int Y) {
    if (X < 0 || X >= Width || Y < 0 || Y >= Height)
        return false;
    const qsizetype pos = Pixels.size() - qsizetype(Y + 1) * Stride() + qsizetype(X) * 3;
    if (pos < 0)
        return false;
    PixelPos = pos;
    return true;
}

TColor MmapRect::ReadPixel() {
    if (PixelPos < 0 || PixelPos + 3 > Pixels.size())
        throw EReadError(QStringLiteral("Read past the end of the picture"));
    const auto* p = reinterpret_cast<const std::uint8_t*>(Pixels.constData() + PixelPos);
    PixelPos += 3;
    return (TColor(p[0]) << 16) | (TColor(p[1]) << 8) | TColor(p[2]);
}

void MmapRect::WritePixel(TColor Color) {
    if (PixelPos < 0 || PixelPos + 3 > Pixels.size())
        throw EWriteError(QStringLiteral("Write past the end of the picture"));
    char* p = Pixels.data() + PixelPos;
    p[0] = char((Color >> 16) & 0xFF);
    p[1] = char((Color >> 8) & 0xFF);
    p[2] = char(Color & 0xFF);
    PixelPos += 3;
}

TColor MmapRect::GetPixel(int X, int Y) {
    return SeekCell(X, Y) ? ReadPixel() : 0;
}

void MmapRect::SetPixel(int X, int Y, TColor Color) {
    if (SeekCell(X, Y))
        WritePixel(Color);
}

void MmapRect::Fill(TColor Color) {
    for (int y = 0; y < Height; ++y)
        if (SeekCell(0, y))
            for (int x = 0; x < Width; ++x)
                WritePixel(Color);
}

void MmapRect::Assign(const MmapRect& Source) {
    if (&Source == this)
        return;
    Pixels = Source.Pixels;
    PixelPos = 0;
    Width = Source.Width;
    Height = Source.Height;
    RepeatX = Source.RepeatX;
    RepeatY = Source.RepeatY;
    ClickedX = Source.ClickedX;
    ClickedY = Source.ClickedY;
    Diagonal = Source.Diagonal;
    Transparent = Source.Transparent;
    TransparentColor = Source.TransparentColor;
    Floating = Source.Floating;
    PosX = Source.PosX;
    PosY = Source.PosY;
}

MRowView MmapRect::RowView() {
    const qsizetype stride = Stride();
    if (Width <= 0 || Height <= 0 || Pixels.size() < HeadersSize + stride * Height)
        return {};
    // data() makes the bytes the picture's own before a view may write through them.
    auto* last = reinterpret_cast<std::uint8_t*>(Pixels.data()) + (Pixels.size() - stride);
    return {last, -std::ptrdiff_t(stride), Width, Height};
}
