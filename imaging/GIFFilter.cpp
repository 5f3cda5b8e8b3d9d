#include "imaging/GIFFilter.h"

#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/WriterMono.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t HeaderSize = 13;
constexpr std::size_t DescriptorSize = 9;
constexpr std::uint8_t ExtensionIntroducer = 0x21;
constexpr std::uint8_t ControlLabel = 0xF9;
constexpr std::uint8_t ImageSeparator = 0x2C;
constexpr std::uint8_t Trailer = 0x3B;
// Every LZW code has at least 2 bits and stands for at most 4096 pixels: the image data cannot
// hold more pixels than this per byte.
constexpr std::int64_t MaxLzwPixelsPerByte = 4 * 4096;

const TBGRColor Black{0, 0, 0};
const TBGRColor White{255, 255, 255};

[[noreturn]] void Unrecognized() {
    throw EInvalidGraphic(QStringLiteral("unrecognized GIF"));
}

// A colour table of 2^(sizeBits + 1) entries, turned into blue, green, red.
std::vector<TBGRColor> ReadTable(ByteReader& r, int sizeBits) {
    const std::size_t count = std::size_t(2) << sizeBits;
    if (r.Remaining() < 3 * count)
        Unrecognized();
    const std::uint8_t* p = r.ReadBytes(3 * count).data();
    std::vector<TBGRColor> table(count);
    for (std::size_t i = 0; i < count; ++i)
        table[i] = TBGRColor{p[3 * i + 2], p[3 * i + 1], p[3 * i]};
    return table;
}

// An entry of a table; an index past the table, or no table, gives black.
TBGRColor Entry(const std::vector<TBGRColor>& table, int index) {
    return std::size_t(index) < table.size() ? table[std::size_t(index)] : Black;
}

// Skips data sub-blocks up to a size 0 or the end of the stream.
void SkipSubBlocks(ByteReader& r) {
    while (!r.AtEnd()) {
        const std::size_t n = r.ReadU8();
        if (n == 0)
            return;
        r.Skip(std::min(n, r.Remaining()));
    }
}

// The fields of a graphic control extension.
struct Control {
    int packed = 0;
    int delay = 0;
    int transparent = 0;
};

// Reads a control extension's sub-block by its size byte (the fields only when it holds 4 bytes
// or more) and skips to the terminator.
void ReadControl(ByteReader& r, Control& control) {
    if (r.AtEnd())
        return;
    const std::size_t n = r.ReadU8();
    if (n == 0)
        return;
    const std::size_t present = std::min(n, r.Remaining());
    if (present >= 4) {
        const std::size_t at = r.Position();
        control.packed = r.PeekU8(at);
        control.delay = r.PeekU16LE(at + 1);
        control.transparent = r.PeekU8(at + 3);
    }
    r.Skip(present);
    SkipSubBlocks(r);
}

// The bytes of the image data sub-blocks behind the minimum code size byte, without reading them.
std::int64_t ImageDataBytes(const ByteReader& r) {
    std::size_t pos = r.Position() + 1;
    std::int64_t total = 0;
    while (pos < r.Size()) {
        const std::size_t n = r.PeekU8(pos);
        if (n == 0)
            break;
        total += std::int64_t(n);
        pos += 1 + n;
    }
    return total;
}

struct Descriptor {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int packed = 0;
    std::vector<TBGRColor> local;
    bool HasLocal() const { return (packed & 0x80) != 0; }
    bool Interlaced() const { return (packed & 0x40) != 0; }
};

Descriptor ReadDescriptor(ByteReader& r) {
    if (r.Remaining() < DescriptorSize)
        Unrecognized();
    Descriptor d;
    d.left = r.ReadU16LE();
    d.top = r.ReadU16LE();
    d.width = r.ReadU16LE();
    d.height = r.ReadU16LE();
    d.packed = r.ReadU8();
    if (d.HasLocal())
        d.local = ReadTable(r, d.packed & 7);
    return d;
}

// The picture of the decoded indices: 1 bit when the colours are black and white, else 24 bits.
TBitmap MakePicture(const std::vector<std::uint8_t>& indices, int width, int height,
                    const std::vector<TBGRColor>& table, int bits) {
    std::array<TBGRColor, 256> colors{};
    std::copy_n(table.begin(), std::min<std::size_t>(table.size(), colors.size()), colors.begin());
    const bool blackAndWhite = bits == 1 && OneBitTableOf(table) != TOneBitTable::Colour;
    TBitmap result;
    result.SetPixelFormat(blackAndWhite ? pf1bit : pf24bit);
    result.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = indices.data() + std::size_t(y) * std::size_t(width);
        std::uint8_t* dst = result.ScanLine(y);
        if (blackAndWhite) {
            for (int x = 0; x < width; ++x)
                if (colors[src[x]] == White)
                    dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const TBGRColor c = colors[src[x]];
            dst[3 * x] = c.b;
            dst[3 * x + 1] = c.g;
            dst[3 * x + 2] = c.r;
        }
    }
    return result;
}

struct Screen {
    int packed = 0;
    std::vector<TBGRColor> global;
};

// The wanted image: its fields into the parameters, then its data through the decoder hook.
void ReadImage(ByteReader& r, const Screen& screen, const Descriptor& d, const Control& control,
               TBitmap& bitmap, TProgressRec& progress, TIOParamsVals& params, TGifReadStages& stages) {
    progress.Report(30);
    const std::vector<TBGRColor>& table = d.HasLocal() ? d.local : screen.global;
    params.GifTransparentColor = Entry(table, control.transparent);
    params.GifLeft = d.left;
    params.GifTop = d.top;
    params.Width = d.width;
    params.Height = d.height;
    params.GifDelay = control.delay;
    params.GifHasTransparency = (control.packed & 1) != 0;
    params.GifInterlaced = d.Interlaced();
    stages.Image = true;
    if (!params.GifLzwDecoder)
        throw EInvalidGraphic(QStringLiteral("LZW decompressor not found"));
    if (!ImageLimits::PixelsWithinLimit(d.width, d.height) ||
        std::int64_t(d.width) * d.height > ImageDataBytes(r) * MaxLzwPixelsPerByte)
        Unrecognized();
    std::vector<std::uint8_t> indices(std::size_t(d.width) * std::size_t(d.height));
    params.GifLzwDecoder(r, d.height, d.width, d.Interlaced(), indices.data());
    progress.Report(70);
    const int bits = ((d.HasLocal() ? d.packed : screen.packed) & 7) + 1;
    std::vector<TBGRColor> map = table;
    map.resize(std::size_t(1) << bits, Black);
    TBitmap picture = MakePicture(indices, d.width, d.height, map, bits);
    params.BitsPerSample = bits;
    params.ColorMap = std::move(map);
    bitmap = std::move(picture);
}

void ReadChecked(ByteReader& r, TBitmap& bitmap, int& imageCount, TProgressRec& progress,
                 TIOParamsVals& params, TGifReadStages& stages) {
    progress.Report(0);
    if (r.Remaining() < HeaderSize)
        Unrecognized();
    const std::uint8_t* signature = r.ReadBytes(6).data();
    if (signature[0] != 'G' || signature[1] != 'I' || signature[2] != 'F')
        Unrecognized();
    params.GifVersion = QString::fromLatin1(reinterpret_cast<const char*>(signature), 6);
    params.GifScreenWidth = r.ReadU16LE();
    params.GifScreenHeight = r.ReadU16LE();
    Screen screen;
    screen.packed = r.ReadU8();
    const int background = r.ReadU8();
    params.GifAspect = r.ReadU8();
    params.DpiX = ScreenPixelsPerInch();
    params.DpiY = params.DpiX;
    params.SamplesPerPixel = 1;
    stages.Header = true;
    if (screen.packed & 0x80)
        screen.global = ReadTable(r, screen.packed & 7);
    params.GifBackground = Entry(screen.global, background);
    stages.Background = true;

    int counter = 0;
    bool loaded = false;
    Control control;
    while (!r.AtEnd()) {
        const std::uint8_t b = r.ReadU8();
        if (b == Trailer)
            break;
        if (b == ExtensionIntroducer) {
            if (r.AtEnd())
                break;
            const std::uint8_t label = r.ReadU8();
            if (label == ControlLabel && counter == params.GifImageIndex)
                ReadControl(r, control);
            else
                SkipSubBlocks(r);
        } else if (b == ImageSeparator) {
            const Descriptor d = ReadDescriptor(r);
            if (counter == params.GifImageIndex) {
                ReadImage(r, screen, d, control, bitmap, progress, params, stages);
                loaded = true;
            } else {
                if (!r.AtEnd())
                    r.Skip(1); // the minimum code size
                SkipSubBlocks(r);
            }
            ++counter;
        }
    }
    imageCount = counter;
    if (!loaded)
        throw EInvalidGraphic(QStringLiteral("GIF image not found"));
    progress.Report(100);
}

} // namespace

void ReadGIF(ByteReader& stream, TBitmap& bitmap, int& imageCount, TProgressRec& progress,
             TIOParamsVals& params, TGifReadStages* stages) {
    TGifReadStages own;
    try {
        ReadChecked(stream, bitmap, imageCount, progress, params, stages ? *stages : own);
    } catch (const EReadError&) {
        Unrecognized();
    }
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

void WriteColor(ByteWriter& s, TBGRColor c) {
    s.WriteU8(c.r);
    s.WriteU8(c.g);
    s.WriteU8(c.b);
}

std::uint16_t Clamp16(int v) {
    return std::uint16_t(std::clamp(v, 0, 65535));
}

} // namespace

void WriteGIF(ByteWriter& stream, const TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    progress.Report(0);
    if (bitmap.Empty())
        throw EInvalidGraphic(QStringLiteral("Cannot write an empty picture"));
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (width > 65535 || height > 65535 || !ImageLimits::PixelsWithinLimit(width, height))
        throw EInvalidGraphic(QStringLiteral("GIF picture too large"));
    const int bits = std::clamp(params.BitsPerSample, 1, 8);

    // The palette: the two colours of the 1-bit picture, or 2^bits colours of the 24-bit one.
    std::unique_ptr<TWriterMono> mono;
    std::unique_ptr<TWriterPalette> palette;
    TBitmap copy;
    const TBitmap* source = nullptr;
    std::vector<TBGRColor> colors;
    int background = 0;
    int transparent = 0;
    if (bits == 1) {
        mono = std::make_unique<TWriterMono>(bitmap);
        source = &mono->Picture();
        colors.assign(mono->Colors().begin(), mono->Colors().end());
        background = NearestPaletteIndex(colors.data(), 2, params.GifBackground);
        transparent = NearestPaletteIndex(colors.data(), 2, params.GifTransparentColor);
    } else {
        source = &As24Bit(bitmap, copy);
        palette = std::make_unique<TWriterPalette>(*source, 1 << bits);
        colors = palette->Colors();
        background = palette->IndexOf(params.GifBackground);
        transparent = palette->IndexOf(params.GifTransparentColor);
    }
    progress.Report(30);

    const QByteArray version = params.GifVersion.toLatin1().leftJustified(6, '\0', true);
    stream.WriteBytes(version.constData(), 6);
    stream.WriteU16LE(std::uint16_t(width));
    stream.WriteU16LE(std::uint16_t(height));
    stream.WriteU8(std::uint8_t(0x80 + (bits - 1) * 16 + (bits - 1)));
    stream.WriteU8(std::uint8_t(background));
    stream.WriteU8(0);
    for (const TBGRColor& c : colors)
        WriteColor(stream, c);

    // The control extension: restore to the background, with the transparent colour when set.
    stream.WriteU8(ExtensionIntroducer);
    stream.WriteU8(ControlLabel);
    stream.WriteU8(4);
    stream.WriteU8(std::uint8_t(8 + (params.GifHasTransparency ? 1 : 0)));
    stream.WriteU16LE(Clamp16(params.GifDelay));
    stream.WriteU8(std::uint8_t(transparent));
    stream.WriteU8(0);

    stream.WriteU8(ImageSeparator);
    stream.WriteU16LE(Clamp16(params.GifLeft));
    stream.WriteU16LE(Clamp16(params.GifTop));
    stream.WriteU16LE(std::uint16_t(width));
    stream.WriteU16LE(std::uint16_t(height));
    stream.WriteU8(params.GifInterlaced ? 64 : 0);
    progress.Report(70);

    if (!params.GifLzwEncoder)
        throw EInvalidGraphic(QStringLiteral("LZW compressor not found"));
    // One index per pixel, rows from the top.
    std::vector<std::uint8_t> indices(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = source->ScanLine(y);
        std::uint8_t* out = indices.data() + std::size_t(y) * std::size_t(width);
        if (palette)
            palette->MapRow(row, width, out);
        else
            for (int x = 0; x < width; ++x)
                out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    params.GifLzwEncoder(stream, height, width, params.GifInterlaced, indices.data(), bits);
    stream.WriteU8(Trailer);
    progress.Report(100);
}
