#include "imaging/PCXFilter.h"

#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/NeurQuant.h"
#include "imaging/WriterMono.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t HeaderSize = 128;
constexpr std::size_t TrailingMapSize = 768;
constexpr std::uint8_t Manufacturer = 10;
constexpr std::uint8_t TrailingMapMarker = 12;
// The longest run of one code: count and value give at most 63 bytes.
constexpr int MaxRun = 63;

[[noreturn]] void Unrecognized() {
    throw EInvalidGraphic(QStringLiteral("unrecognized PCX"));
}

const TBGRColor Black{0, 0, 0};
const TBGRColor White{255, 255, 255};

struct Header {
    int version = 0;
    bool coded = false;
    int bits = 0;
    int planes = 0;
    int bytesPerLine = 0;
    int width = 0;
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;
    std::array<TBGRColor, 16> map{};
};

// The header's fields, checked before anything is allocated.
Header ReadHeader(const std::uint8_t* p) {
    ByteReader r(p, HeaderSize);
    Header h;
    if (r.ReadU8() != Manufacturer)
        Unrecognized();
    h.version = r.ReadU8();
    const int encoding = r.ReadU8();
    h.bits = r.ReadU8();
    const int xMin = r.ReadU16LE();
    const int yMin = r.ReadU16LE();
    const int xMax = r.ReadU16LE();
    const int yMax = r.ReadU16LE();
    h.dpiX = r.ReadU16LE();
    h.dpiY = r.ReadU16LE();
    for (TBGRColor& c : h.map) {
        c.r = r.ReadU8();
        c.g = r.ReadU8();
        c.b = r.ReadU8();
    }
    r.Skip(1);
    h.planes = r.ReadU8();
    h.bytesPerLine = r.ReadU16LE();
    if (encoding != 0 && encoding != 1)
        Unrecognized();
    h.coded = encoding == 1;
    const bool onePlane = h.planes == 1 && (h.bits == 1 || h.bits == 4 || h.bits == 8);
    const bool threePlanes = h.planes == 3 && h.bits == 8;
    if (!onePlane && !threePlanes)
        Unrecognized();
    h.width = xMax - xMin + 1;
    h.height = yMax - yMin + 1;
    if (!ImageLimits::PixelsWithinLimit(h.width, h.height))
        Unrecognized();
    if (h.bytesPerLine < (h.width * h.bits + 7) / 8)
        Unrecognized();
    return h;
}

// Decodes the lines of the pixel data one after the other. A run that passes the end of a line
// carries over to the next ones; nothing is read past the data or written past a line.
class LineDecoder {
public:
    LineDecoder(const std::uint8_t* data, std::size_t size, bool coded)
        : FData(data), FSize(size), FCoded(coded) {}

    void Decode(std::uint8_t* line, int length) {
        const std::size_t n = std::size_t(length);
        if (!FCoded) {
            if (FSize - FPos < n)
                Unrecognized();
            std::memcpy(line, FData + FPos, n);
            FPos += n;
            return;
        }
        std::size_t filled = std::min(FCarry, n);
        std::memset(line, FCarryValue, filled);
        FCarry -= filled;
        while (filled < n) {
            if (FPos >= FSize)
                Unrecognized();
            const std::uint8_t b = FData[FPos++];
            if ((b & 0xC0) != 0xC0) {
                line[filled++] = b;
                continue;
            }
            if (FPos >= FSize)
                Unrecognized();
            const std::size_t count = b & 0x3F;
            const std::uint8_t value = FData[FPos++];
            const std::size_t put = std::min(count, n - filled);
            std::memset(line + filled, value, put);
            filled += put;
            FCarry = count - put;
            FCarryValue = value;
        }
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    bool FCoded;
    std::size_t FPos = 0;
    std::size_t FCarry = 0;
    std::uint8_t FCarryValue = 0;
};

// The most line bytes that size bytes of pixel data can give.
std::int64_t DecodedBound(std::int64_t size, bool coded) {
    return coded ? size / 2 * MaxRun + size % 2 : size;
}

inline void Put24(std::uint8_t* row, int x, TBGRColor c) {
    row[3 * x] = c.b;
    row[3 * x + 1] = c.g;
    row[3 * x + 2] = c.r;
}

// The colours of the pixel values: the trailing map of 8-bit files, the header's map otherwise,
// and for 1-bit files the form the picture takes.
struct Colours {
    std::array<TBGRColor, 256> trailing{};
    TOneBitTable mono = TOneBitTable::Colour;
    TBGRColor c0, c1;
};

void DecodeRows(const Header& h, LineDecoder& lines, const Colours& colours, TBitmap& bmp,
                TProgressRec& progress) {
    const int width = h.width;
    const std::size_t bpl = std::size_t(h.bytesPerLine);
    std::vector<std::uint8_t> buffer(bpl * std::size_t(h.planes));
    std::uint8_t* line = buffer.data();
    const auto& trailing = colours.trailing;
    const TOneBitTable mono = colours.mono;
    const TBGRColor c0 = colours.c0, c1 = colours.c1;
    SetProgressRows(progress, h.height);
    for (int y = 0; y < h.height; ++y) {
        ReportRows(progress, y);
        for (int p = 0; p < h.planes; ++p)
            lines.Decode(line + std::size_t(p) * bpl, h.bytesPerLine);
        std::uint8_t* dst = bmp.ScanLine(y);
        if (h.planes == 3) {
            const std::uint8_t* red = line;
            const std::uint8_t* green = line + bpl;
            const std::uint8_t* blue = line + 2 * bpl;
            for (int x = 0; x < width; ++x) {
                dst[3 * x] = blue[x];
                dst[3 * x + 1] = green[x];
                dst[3 * x + 2] = red[x];
            }
        } else if (h.bits == 8) {
            for (int x = 0; x < width; ++x)
                Put24(dst, x, trailing[line[x]]);
        } else if (h.bits == 4) {
            for (int x = 0; x < width; ++x)
                Put24(dst, x, h.map[(x & 1) ? (line[x >> 1] & 15) : (line[x >> 1] >> 4)]);
        } else if (mono == TOneBitTable::Colour) {
            for (int x = 0; x < width; ++x)
                Put24(dst, x, (line[x >> 3] >> (7 - (x & 7))) & 1 ? c1 : c0);
        } else {
            CopyOneBitRow(line, dst, width, mono);
        }
    }
}

void ReadChecked(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress,
                 std::int64_t size) {
    if (size < std::int64_t(HeaderSize) || std::uint64_t(size) > stream.Remaining())
        Unrecognized();
    const std::uint8_t* start = stream.Data() + stream.Position();
    const Header h = ReadHeader(start);
    const bool trailingMap = h.planes == 1 && h.bits == 8;
    std::int64_t dataSize = size - std::int64_t(HeaderSize);
    Colours colours;
    auto& trailing = colours.trailing;
    if (trailingMap) {
        if (dataSize < std::int64_t(TrailingMapSize))
            Unrecognized();
        dataSize -= std::int64_t(TrailingMapSize);
        const std::uint8_t* map = start + HeaderSize + dataSize;
        for (std::size_t i = 0; i < trailing.size(); ++i)
            trailing[i] = TBGRColor{map[3 * i + 2], map[3 * i + 1], map[3 * i]};
    }
    if (h.bits == 1) {
        colours.c0 = h.map[0];
        colours.c1 = h.map[1];
        // Old monochrome files leave the map zero: they are black and white.
        if (colours.c0 == Black && colours.c1 == Black)
            colours.c1 = White;
        colours.mono = OneBitTableOf({colours.c0, colours.c1});
    }
    // The pixel data must be able to hold every line before the picture is allocated.
    const std::int64_t lineBytes = std::int64_t(h.height) * h.planes * h.bytesPerLine;
    if (lineBytes > DecodedBound(dataSize, h.coded))
        Unrecognized();

    TBitmap result;
    result.SetPixelFormat(h.bits == 1 && colours.mono != TOneBitTable::Colour ? pf1bit : pf24bit);
    result.SetSize(h.width, h.height);
    LineDecoder lines(start + HeaderSize, std::size_t(dataSize), h.coded);
    DecodeRows(h, lines, colours, result, progress);

    params.DpiX = h.dpiX;
    params.DpiY = h.dpiY;
    if (params.DpiX == 0) {
        params.DpiX = ScreenPixelsPerInch();
        params.DpiY = ScreenPixelsPerInch();
    }
    params.BitsPerSample = h.bits;
    params.SamplesPerPixel = h.planes;
    params.Width = h.width;
    params.Height = h.height;
    params.PcxVersion = h.version;
    params.ColorMap.clear();
    if (trailingMap)
        params.ColorMap.assign(trailing.begin(), trailing.end());
    else if (h.bits < 8)
        params.ColorMap.assign(h.map.begin(), h.map.begin() + (1 << h.bits));
    bitmap = std::move(result);
    stream.Seek(stream.Position() + std::size_t(size));
}

} // namespace

void ReadPCX(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress,
             std::int64_t size) {
    try {
        ReadChecked(stream, bitmap, params, progress, size);
    } catch (const EInvalidGraphic&) {
        throw;
    } catch (const EAbort&) {
        throw;
    } catch (const Exception&) {
        Unrecognized();
    }
}

void ReadPCXFile(const QString& fileName, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    const QByteArray data = ReadWholeFile(fileName);
    ByteReader stream(data);
    ReadPCX(stream, bitmap, params, progress, std::int64_t(data.size()));
}

// ---------------------------------------------------------------------------------------------
// Writing

int EncodePCXLine(std::uint8_t* dest, const std::uint8_t* samples, int count, int stride, int offset) {
    std::uint8_t* out = dest;
    const std::uint8_t* p = samples + offset;
    int i = 0;
    while (i < count) {
        const std::uint8_t v = p[std::size_t(i) * std::size_t(stride)];
        int run = 1;
        while (i + run < count && run < MaxRun && p[std::size_t(i + run) * std::size_t(stride)] == v)
            ++run;
        if (run > 1 || v >= 0xC0)
            *out++ = std::uint8_t(0xC0 | run);
        *out++ = v;
        i += run;
    }
    if (count & 1)
        *out++ = 0;
    return int(out - dest);
}

namespace {

enum class Layout { OneBit = 1, FourBit = 4, EightBit = 8, Planes = 24 };

Layout LayoutOf(const TIOParamsVals& params) {
    if (params.BitsPerSample == 1)
        return Layout::OneBit;
    const std::int64_t n = std::int64_t(params.BitsPerSample) * params.SamplesPerPixel;
    if (n == 1)
        return Layout::OneBit;
    if (n >= 2 && n <= 4)
        return Layout::FourBit;
    if (n >= 5 && n <= 8)
        return Layout::EightBit;
    return Layout::Planes;
}

std::uint16_t Clamp16(int v) {
    return std::uint16_t(std::clamp(v, 0, 65535));
}

// Writes one line: coded, or raw at the full bytes per line with zeros after the samples.
class LineWriter {
public:
    LineWriter(ByteWriter& out, bool coded, int bytesPerLine)
        : FOut(out), FCoded(coded), FBytesPerLine(bytesPerLine), FBuffer(std::size_t(bytesPerLine) * 2 + 8) {}

    void Write(const std::uint8_t* samples, int count, int stride = 1, int offset = 0) {
        if (FCoded) {
            FOut.WriteBytes(FBuffer.data(),
                            std::size_t(EncodePCXLine(FBuffer.data(), samples, count, stride, offset)));
            return;
        }
        std::uint8_t* b = FBuffer.data();
        for (int i = 0; i < count; ++i)
            b[i] = samples[std::size_t(i) * std::size_t(stride) + std::size_t(offset)];
        std::memset(b + count, 0, std::size_t(FBytesPerLine - count));
        FOut.WriteBytes(b, std::size_t(FBytesPerLine));
    }

private:
    ByteWriter& FOut;
    bool FCoded;
    int FBytesPerLine;
    std::vector<std::uint8_t> FBuffer;
};

} // namespace

void WritePCX(ByteWriter& stream, const TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    if (bitmap.Empty())
        throw EInvalidGraphic(QStringLiteral("Cannot write an empty picture"));
    const Layout layout = LayoutOf(params);
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    int samples = 0; // bytes of one plane line before padding
    switch (layout) {
    case Layout::OneBit:
        samples = (width + 7) / 8;
        break;
    case Layout::FourBit:
        samples = (width + 1) / 2;
        break;
    default:
        samples = width;
        break;
    }
    const int bytesPerLine = samples + (samples & 1);
    if (width > 65536 || height > 65536 || bytesPerLine > 65535)
        throw EInvalidGraphic(QStringLiteral("PCX picture too large"));

    // The picture written and its colours.
    std::unique_ptr<TWriterMono> mono;
    TBitmap copy;
    const TBitmap* source = nullptr;
    std::unique_ptr<TWriterPalette> palette;
    std::array<TBGRColor, 16> map{};
    if (layout == Layout::OneBit) {
        mono = std::make_unique<TWriterMono>(bitmap);
        source = &mono->Picture();
        map[0] = mono->Colors()[0];
        map[1] = mono->Colors()[1];
    } else {
        source = &As24Bit(bitmap, copy);
        if (layout != Layout::Planes) {
            palette = std::make_unique<TWriterPalette>(*source, layout == Layout::FourBit ? 16 : 256);
            if (layout == Layout::FourBit)
                std::copy_n(palette->Colors().begin(), 16, map.begin());
        }
    }

    // Room for the raw size at once: coded data are rarely larger, and the buffer is not copied
    // as it grows.
    const std::size_t rawSize =
        HeaderSize + std::size_t(height) * std::size_t(bytesPerLine) * (layout == Layout::Planes ? 3 : 1) +
        (layout == Layout::EightBit ? 1 + TrailingMapSize : 0);
    stream.Buffer().reserve(stream.Position() + rawSize);
    stream.WriteU8(Manufacturer);
    stream.WriteU8(std::uint8_t(params.PcxVersion));
    stream.WriteU8(params.PcxCompressed ? 1 : 0);
    stream.WriteU8(layout == Layout::OneBit ? 1 : layout == Layout::FourBit ? 4 : 8);
    stream.WriteU16LE(0);
    stream.WriteU16LE(0);
    stream.WriteU16LE(std::uint16_t(width - 1));
    stream.WriteU16LE(std::uint16_t(height - 1));
    stream.WriteU16LE(Clamp16(params.DpiX));
    stream.WriteU16LE(Clamp16(params.DpiY));
    for (const TBGRColor& c : map) {
        stream.WriteU8(c.r);
        stream.WriteU8(c.g);
        stream.WriteU8(c.b);
    }
    stream.WriteU8(0);
    stream.WriteU8(layout == Layout::Planes ? 3 : 1);
    stream.WriteU16LE(std::uint16_t(bytesPerLine));
    stream.WriteU16LE(layout == Layout::Planes ? 0 : 1);
    stream.WriteZeros(HeaderSize - 70);

    LineWriter lines(stream, params.PcxCompressed, bytesPerLine);
    std::vector<std::uint8_t> indices(palette ? std::size_t(width) : 0);
    std::vector<std::uint8_t> packed(layout == Layout::FourBit ? std::size_t(samples) : 0);
    SetProgressRows(progress, height);
    for (int y = 0; y < height; ++y) {
        ReportRows(progress, y);
        const std::uint8_t* row = source->ScanLine(y);
        switch (layout) {
        case Layout::Planes:
            lines.Write(row, width, 3, 2);
            lines.Write(row, width, 3, 1);
            lines.Write(row, width, 3, 0);
            break;
        case Layout::EightBit:
            palette->MapRow(row, width, indices.data());
            lines.Write(indices.data(), width);
            break;
        case Layout::FourBit:
            palette->MapRow(row, width, indices.data());
            std::fill(packed.begin(), packed.end(), std::uint8_t(0));
            for (int x = 0; x < width; ++x)
                packed[std::size_t(x >> 1)] |=
                    std::uint8_t((x & 1) ? indices[std::size_t(x)] : indices[std::size_t(x)] << 4);
            lines.Write(packed.data(), samples);
            break;
        case Layout::OneBit:
            lines.Write(row, samples);
            break;
        }
    }
    if (layout == Layout::EightBit) {
        stream.WriteU8(TrailingMapMarker);
        for (const TBGRColor& c : palette->Colors()) {
            stream.WriteU8(c.r);
            stream.WriteU8(c.g);
            stream.WriteU8(c.b);
        }
    }
}
