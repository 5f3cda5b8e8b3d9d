#include "imaging/Bitmap.h"

#include "imaging/ImgUtils.h"
#include "platform/HugePages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

void* AllocatePixelMemory(std::size_t bytes) {
    void* p = ::operator new(bytes);
    HugePages::Advise(p, bytes);
    return p;
}

void FreePixelMemory(void* p, std::size_t) noexcept {
    ::operator delete(p);
}

namespace {

int PaletteLength(TPixelFormat format) {
    switch (format) {
    case pf1bit:
        return 2;
    case pf4bit:
        return 16;
    case pf8bit:
        return 256;
    default:
        return 0;
    }
}

} // namespace

int NearestPaletteIndex(const TBGRColor* table, int count, TBGRColor color) {
    int best = 0;
    int bestDistance = 1000;
    for (int i = 0; i < count; ++i) {
        const int d = std::abs(int(table[i].b) - color.b) + std::abs(int(table[i].g) - color.g) +
                      std::abs(int(table[i].r) - color.r);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

TBGRColor ReadPixel(const std::uint8_t* row, int x, TPixelFormat format,
                    const std::vector<TBGRColor>& palette) {
    auto fromPalette = [&](int index) {
        return index < int(palette.size()) ? palette[std::size_t(index)] : TBGRColor{};
    };
    switch (format) {
    case pf1bit:
        return fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1);
    case pf4bit:
        return fromPalette((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
    case pf8bit:
        return fromPalette(row[x]);
    case pf15bit: {
        const unsigned v = unsigned(row[2 * x]) | (unsigned(row[2 * x + 1]) << 8);
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return TBGRColor{std::uint8_t((b << 3) | (b >> 2)), std::uint8_t((g << 3) | (g >> 2)),
                         std::uint8_t((r << 3) | (r >> 2))};
    }
    case pf16bit: {
        const unsigned v = unsigned(row[2 * x]) | (unsigned(row[2 * x + 1]) << 8);
        const unsigned r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        return TBGRColor{std::uint8_t((b << 3) | (b >> 2)), std::uint8_t((g << 2) | (g >> 4)),
                         std::uint8_t((r << 3) | (r >> 2))};
    }
    case pf24bit:
        return TBGRColor{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    case pfDevice:
    case pf32bit:
        return TBGRColor{row[4 * x], row[4 * x + 1], row[4 * x + 2]};
    }
    return {};
}

void WritePixel(std::uint8_t* row, int x, TPixelFormat format, const std::vector<TBGRColor>& palette,
                TBGRColor color) {
    switch (format) {
    case pf1bit: {
        const int i = NearestPaletteIndex(palette.data(), int(palette.size()), color);
        const std::uint8_t mask = std::uint8_t(0x80 >> (x & 7));
        row[x >> 3] = i ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
        return;
    }
    case pf4bit: {
        const int i = NearestPaletteIndex(palette.data(), int(palette.size()), color) & 0x0F;
        std::uint8_t& byte = row[x >> 1];
        byte = (x & 1) ? std::uint8_t((byte & 0xF0) | i) : std::uint8_t((byte & 0x0F) | (i << 4));
        return;
    }
    case pf8bit:
        row[x] = std::uint8_t(NearestPaletteIndex(palette.data(), int(palette.size()), color));
        return;
    case pf15bit: {
        const unsigned v =
            ((unsigned(color.r) >> 3) << 10) | ((unsigned(color.g) >> 3) << 5) | (color.b >> 3);
        row[2 * x] = std::uint8_t(v);
        row[2 * x + 1] = std::uint8_t(v >> 8);
        return;
    }
    case pf16bit: {
        const unsigned v =
            ((unsigned(color.r) >> 3) << 11) | ((unsigned(color.g) >> 2) << 5) | (color.b >> 3);
        row[2 * x] = std::uint8_t(v);
        row[2 * x + 1] = std::uint8_t(v >> 8);
        return;
    }
    case pf24bit:
        row[3 * x] = color.b;
        row[3 * x + 1] = color.g;
        row[3 * x + 2] = color.r;
        return;
    case pfDevice:
    case pf32bit:
        row[4 * x] = color.b;
        row[4 * x + 1] = color.g;
        row[4 * x + 2] = color.r;
        row[4 * x + 3] = 0;
        return;
    }
}

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    FPixelFormat = format;
    FPalette = DefaultPalette(format);
    Reallocate(width, height, format, false);
}

TBitmap TBitmap::Unfilled(int width, int height, TPixelFormat format) {
    TBitmap bmp;
    bmp.FPixelFormat = format;
    bmp.FPalette = DefaultPalette(format);
    bmp.Reallocate(width, height, format, false, false);
    return bmp;
}

TBitmap::TBitmap(const TBitmap& other)
    : FWidth(other.FWidth), FHeight(other.FHeight), FPixelFormat(other.FPixelFormat),
      FBytesPerLine(other.FBytesPerLine), FBits(other.FBits), FPalette(other.FPalette) {}

TBitmap::TBitmap(TBitmap&& other) noexcept {
    *this = std::move(other);
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
    if (this != &other) {
        FWidth = std::exchange(other.FWidth, 0);
        FHeight = std::exchange(other.FHeight, 0);
        FPixelFormat = std::exchange(other.FPixelFormat, pfDevice);
        FBytesPerLine = std::exchange(other.FBytesPerLine, 0);
        FBits = std::move(other.FBits);
        FPalette = std::move(other.FPalette);
        other.FBits.clear();
        other.FPalette.clear();
    }
    return *this;
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this != &other) {
        FWidth = other.FWidth;
        FHeight = other.FHeight;
        FPixelFormat = other.FPixelFormat;
        FBytesPerLine = other.FBytesPerLine;
        FBits = other.FBits;
        FPalette = other.FPalette;
    }
    return *this;
}

int TBitmap::StoredBits(TPixelFormat format) {
    // The device format is kept as 32 bits.
    const int bits = PixelFormatBits(format);
    return bits ? bits : 32;
}

int TBitmap::BitsPerPixel() const {
    return StoredBits(FPixelFormat);
}

std::vector<TBGRColor> TBitmap::DefaultPalette(TPixelFormat format) {
    std::vector<TBGRColor> p;
    switch (format) {
    case pf1bit:
        p = {TBGRColor{0, 0, 0}, TBGRColor{255, 255, 255}};
        break;
    case pf4bit: {
        // The sixteen colours of the classic display adapter (blue, green, red).
        static const std::uint8_t vga[16][3] = {
            {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},  {128, 0, 0}, {128, 0, 128},
            {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},    {0, 255, 0}, {0, 255, 255},
            {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
        for (const auto& c : vga)
            p.push_back(TBGRColor{c[0], c[1], c[2]});
        break;
    }
    case pf8bit:
        // A 6 x 6 x 6 colour cube followed by 40 greys.
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(TBGRColor{std::uint8_t(b * 51), std::uint8_t(g * 51), std::uint8_t(r * 51)});
        for (int i = 0; i < 40; ++i) {
            const auto v = std::uint8_t((i * 255 + 19) / 39);
            p.push_back(TBGRColor{v, v, v});
        }
        break;
    default:
        break;
    }
    return p;
}

void TBitmap::Reallocate(int width, int height, TPixelFormat format, bool keepPixels, bool fill) {
    if (width < 0 || height < 0)
        throw EInvalidGraphic(QStringLiteral("Invalid bitmap size"));
    const int bits = StoredBits(format);
    const std::int64_t rowBits = std::int64_t(width) * bits;
    const std::int64_t bytesPerLine = ((rowBits + 31) / 32) * 4;
    // The row length is checked first: a long row times many rows would not fit in 64 bits.
    if (bytesPerLine > INT32_MAX ||
        (height > 0 && std::uint64_t(bytesPerLine) > MaxImageSize / std::uint64_t(height)))
        throw EInvalidGraphic(QStringLiteral("Bitmap too large"));
    const std::int64_t total = bytesPerLine * height;

    TPixelBuffer bits2(static_cast<std::size_t>(total));
    if (fill) {
        if (total > 0)
            std::memset(bits2.data(), 0, bits2.size());
    } else {
        // The bytes past the pixels' last whole byte start at zero: a reader writes pixels, not padding.
        const std::size_t used = std::size_t(rowBits / 8);
        if (used < std::size_t(bytesPerLine))
            for (std::int64_t y = 0; y < height; ++y)
                std::fill(bits2.begin() + std::ptrdiff_t(y * bytesPerLine + std::int64_t(used)),
                          bits2.begin() + std::ptrdiff_t((y + 1) * bytesPerLine), std::uint8_t(0));
    }
    if (keepPixels && !FBits.empty() && total > 0) {
        const int w = std::min(width, FWidth);
        const int h = std::min(height, FHeight);
        std::vector<TBGRColor> newPalette = format == FPixelFormat ? FPalette : DefaultPalette(format);
        if (format == FPixelFormat) {
            const std::size_t rowBytes = std::size_t((std::int64_t(w) * bits + 7) / 8);
            for (int y = 0; y < h; ++y) {
                std::uint8_t* dst = bits2.data() + std::size_t(y) * std::size_t(bytesPerLine);
                const std::uint8_t* src = FBits.data() + std::size_t(y) * std::size_t(FBytesPerLine);
                std::memcpy(dst, src, rowBytes);
                // A partial last byte keeps only the pixels inside the new width.
                const int spare = int(rowBytes * 8 - std::size_t(w) * std::size_t(bits));
                if (spare > 0 && rowBytes > 0)
                    dst[rowBytes - 1] &= std::uint8_t(0xFF << spare);
            }
        } else {
            for (int y = 0; y < h; ++y) {
                std::uint8_t* dst = bits2.data() + std::size_t(y) * std::size_t(bytesPerLine);
                const std::uint8_t* src = FBits.data() + std::size_t(y) * std::size_t(FBytesPerLine);
                for (int x = 0; x < w; ++x)
                    WritePixel(dst, x, format, newPalette, ReadPixel(src, x, FPixelFormat, FPalette));
            }
        }
        FPalette = std::move(newPalette);
    } else if (format != FPixelFormat || int(FPalette.size()) != PaletteLength(format)) {
        FPalette = DefaultPalette(format);
    }
    FBits = std::move(bits2);
    FWidth = width;
    FHeight = height;
    FPixelFormat = format;
    FBytesPerLine = int(bytesPerLine);
}

void TBitmap::SetWidth(int width) {
    SetSize(width, FHeight);
}

void TBitmap::SetHeight(int height) {
    SetSize(FWidth, height);
}

void TBitmap::SetSize(int width, int height) {
    if (width == FWidth && height == FHeight)
        return;
    Reallocate(width, height, FPixelFormat, true);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FPixelFormat)
        return;
    Reallocate(FWidth, FHeight, format, true);
    Changed();
}

void TBitmap::SetPalette(const std::vector<TBGRColor>& palette) {
    const int length = PaletteLength(FPixelFormat);
    if (length == 0)
        return;
    FPalette = palette;
    FPalette.resize(std::size_t(length));
    Changed();
}

std::uint8_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= FHeight || FWidth == 0)
        throw EInvalidGraphic(QStringLiteral("Scan line index out of range"));
    return FBits.data() + std::size_t(y) * std::size_t(FBytesPerLine);
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    return const_cast<TBitmap*>(this)->ScanLine(y);
}

void TBitmap::Assign(const TBitmap& source) {
    if (&source != this)
        *this = source;
    Changed();
}

void TBitmap::Clear() {
    std::fill(FBits.begin(), FBits.end(), std::uint8_t(0));
}

void TBitmap::SetModified(bool value) {
    if (value)
        Changed();
    else
        FModified = false;
}

void TBitmap::Changed() {
    FModified = true;
    if (OnChange)
        OnChange(this);
}

namespace {

QList<QRgb> ColorTableOf(const std::vector<TBGRColor>& palette) {
    QList<QRgb> table;
    table.reserve(qsizetype(palette.size()));
    for (const TBGRColor& c : palette)
        table.push_back(qRgb(c.r, c.g, c.b));
    return table;
}

QImage::Format QtFormatOf(TPixelFormat format) {
    switch (format) {
    case pf1bit:
        return QImage::Format_Mono;
    case pf8bit:
        return QImage::Format_Indexed8;
    case pf15bit:
        return QImage::Format_RGB555;
    case pf16bit:
        return QImage::Format_RGB16;
    case pf24bit:
        return QImage::Format_BGR888;
    case pfDevice:
    case pf32bit:
        return QImage::Format_RGB32;
    case pf4bit:
        break;
    }
    return QImage::Format_Invalid;
}

} // namespace

QImage TBitmap::WrapQImage() {
    const QImage::Format f = QtFormatOf(FPixelFormat);
    if (Empty() || f == QImage::Format_Invalid)
        return QImage();
    QImage image(FBits.data(), FWidth, FHeight, FBytesPerLine, f);
    if (!FPalette.empty())
        image.setColorTable(ColorTableOf(FPalette));
    return image;
}

QImage TBitmap::ToQImage() const {
    if (Empty())
        return QImage();
    if (FPixelFormat == pf4bit) {
        QImage image(FWidth, FHeight, QImage::Format_Indexed8);
        image.setColorTable(ColorTableOf(FPalette));
        for (int y = 0; y < FHeight; ++y) {
            const std::uint8_t* src = ScanLine(y);
            uchar* dst = image.scanLine(y);
            for (int x = 0; x < FWidth; ++x)
                dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        }
        return image;
    }
    const QImage wrapped(FBits.data(), FWidth, FHeight, FBytesPerLine, QtFormatOf(FPixelFormat));
    QImage copy = wrapped.copy();
    if (!FPalette.empty())
        copy.setColorTable(ColorTableOf(FPalette));
    return copy;
}
