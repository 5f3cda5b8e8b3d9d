#include "imaging/BMPFilt.h"

#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/WriterMono.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <tuple>
#include <utility>

namespace {

constexpr std::uint16_t BmpType = 19778; // "BM"

[[noreturn]] void Unrecognized() {
    throw EInvalidGraphic(QStringLiteral("unrecognized BMP"));
}

const TBGRColor Black{0, 0, 0};

// Bits of one colour channel widened (bit replication) or narrowed to 8 bits, so that a full
// channel of any width is 255.
std::uint8_t ScaleChannel(std::uint32_t v, int bits) {
    if (bits >= 8)
        return std::uint8_t(v >> (bits - 8));
    std::uint32_t r = 0;
    int filled = 0;
    while (filled < 8) {
        r = (r << bits) | v;
        filled += bits;
    }
    return std::uint8_t(r >> (filled - 8));
}

// One bit-field channel: where its bits lie in a pixel and how many there are.
struct Channel {
    int shift = 0;
    int bits = 0;
    std::uint32_t mask = 0;
    std::uint8_t Of(std::uint32_t pixel) const { return ScaleChannel((pixel & mask) >> shift, bits); }
};

// A mask must be a single run of one bits inside the pixel.
Channel ChannelOf(std::uint32_t mask, int bitCount) {
    if (mask == 0)
        Unrecognized();
    if (bitCount < 32 && (mask >> bitCount) != 0)
        Unrecognized();
    const int shift = std::countr_zero(mask);
    const std::uint32_t run = mask >> shift;
    if ((run & (run + 1)) != 0)
        Unrecognized();
    return Channel{shift, std::popcount(mask), mask};
}

// The red, green and blue channels of three bit-field masks; masks that share a bit are refused.
std::tuple<Channel, Channel, Channel> ChannelsOf(const std::array<std::uint32_t, 3>& masks, int bitCount) {
    const Channel red = ChannelOf(masks[0], bitCount);
    const Channel green = ChannelOf(masks[1], bitCount);
    const Channel blue = ChannelOf(masks[2], bitCount);
    if ((masks[0] & masks[1]) | (masks[0] & masks[2]) | (masks[1] & masks[2]))
        Unrecognized();
    return {red, green, blue};
}

// Puts a colour into pixel x of a 24-bit row.
inline void Put24(std::uint8_t* row, int x, TBGRColor c) {
    row[3 * x] = c.b;
    row[3 * x + 1] = c.g;
    row[3 * x + 2] = c.r;
}

struct Header {
    int version = 1;
    bool os2 = false;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int planes = 1;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xppm = 0;
    std::int32_t yppm = 0;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 3> masks{};
    std::vector<TBGRColor> palette;
};

int DensityToDpi(std::int32_t pixelsPerMetre) {
    const int dpi = DpiOfPixelsPerMetre(pixelsPerMetre);
    if (dpi > 65535)
        Unrecognized();
    return dpi == 0 ? ScreenPixelsPerInch() : dpi;
}

bool CompressionFits(int bitCount, std::uint32_t compression) {
    switch (bitCount) {
    case 1:
    case 24:
        return compression == 0;
    case 4:
        return compression == 0 || compression == 2;
    case 8:
        return compression == 0 || compression == 1;
    case 16:
    case 32:
        return compression == 0 || compression == 3;
    default:
        return false;
    }
}

void ReadPalette(ByteReader& r, std::size_t count, int entrySize, std::vector<TBGRColor>& palette) {
    const auto bytes = r.ReadBytes(count * std::size_t(entrySize));
    palette.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = bytes.data() + i * std::size_t(entrySize);
        palette[i] = TBGRColor{e[0], e[1], e[2]};
    }
}

Header ReadHeaders(ByteReader& r) {
    Header h;
    const std::uint32_t headerSize = r.PeekU32LE(r.Position());
    if (headerSize == 12) {
        r.Skip(4);
        h.version = 2;
        h.os2 = true;
        h.width = r.ReadU16LE();
        h.height = r.ReadU16LE();
        h.planes = r.ReadU16LE();
        h.bitCount = r.ReadU16LE();
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24)
            Unrecognized();
        if (h.bitCount <= 8)
            ReadPalette(r, std::size_t(1) << h.bitCount, 3, h.palette);
        return h;
    }
    switch (headerSize) {
    case 16: // OS/2 2.x, short form
    case 40:
    case 52:
    case 56:
    case 64: // OS/2 2.x
    case 108:
    case 124:
        break;
    default:
        Unrecognized();
    }
    std::array<std::uint8_t, 64> fields{};
    const auto raw = r.ReadBytes(headerSize);
    std::memcpy(fields.data(), raw.data(), std::min<std::size_t>(64, headerSize));
    ByteReader f(fields.data(), fields.size());
    f.Skip(4);
    h.version = headerSize == 64 ? 3 : headerSize == 40 ? 1 : 0;
    h.os2 = headerSize == 16 || headerSize == 64;
    h.width = f.ReadI32LE();
    const std::int64_t height = f.ReadI32LE();
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.planes = f.ReadU16LE();
    h.bitCount = f.ReadU16LE();
    h.compression = f.ReadU32LE();
    h.imageSize = f.ReadU32LE();
    h.xppm = f.ReadI32LE();
    h.yppm = f.ReadI32LE();
    h.colorsUsed = f.ReadU32LE();
    f.Skip(4); // colours important
    // OS/2 numbers its compressions differently from 3 on (Huffman, RLE24): none is supported.
    if (h.os2 && h.compression > 2)
        Unrecognized();
    if (!CompressionFits(h.bitCount, h.compression))
        Unrecognized();
    if (h.compression == 3) {
        // The masks lie inside the longer headers and right behind the 40-byte one.
        ByteReader& m = headerSize >= 52 ? f : r;
        for (auto& mask : h.masks)
            mask = m.ReadU32LE();
    }
    std::size_t count = h.colorsUsed;
    if (count == 0 && h.bitCount <= 8)
        count = std::size_t(1) << h.bitCount;
    if (count > 256)
        Unrecognized();
    ReadPalette(r, count, 4, h.palette);
    return h;
}

// Gives an empty bitmap its format and size in one allocation of zeroed pixels, for the run-length
// codings, which may leave pixels unwritten.
void Prepare(TBitmap& bmp, int width, int height, TPixelFormat format) {
    bmp.SetPixelFormat(format);
    bmp.SetSize(width, height);
}

// The same for uncompressed rows, which write every pixel: the pixels are not zeroed first.
void PrepareUnfilled(TBitmap& bmp, int width, int height, TPixelFormat format) {
    bmp = TBitmap::Unfilled(width, height, format);
}

// A table of 256 colours for the indices of a palette picture; entries past the file's table are
// not valid.
struct IndexTable {
    std::array<TBGRColor, 256> colors{};
    int count = 0;
    explicit IndexTable(const std::vector<TBGRColor>& palette) {
        count = int(std::min<std::size_t>(palette.size(), 256));
        std::copy_n(palette.begin(), count, colors.begin());
    }
};

// Row y of the bitmap that receives the file's row i.
int TargetRow(const Header& h, int i) {
    return h.topDown ? i : int(h.height) - 1 - i;
}

void DecodeOneBit(const Header& h, ByteReader& r, TBitmap& bmp, TProgressRec& progress) {
    const int width = int(h.width);
    const int height = int(h.height);
    const std::size_t rowBytes = std::size_t(RowSize(width, 1));
    const std::size_t n = h.palette.size();
    const TBGRColor c0 = n > 0 ? h.palette[0] : Black;
    const TBGRColor c1 = n > 1 ? h.palette[1] : c0;
    const TOneBitTable table = OneBitTableOf(h.palette);
    const bool oneBit = table != TOneBitTable::Colour;
    PrepareUnfilled(bmp, width, height, oneBit ? pf1bit : pf24bit);
    for (int i = 0; i < height; ++i) {
        ReportRows(progress, i);
        const std::uint8_t* src = r.ReadBytes(rowBytes).data();
        std::uint8_t* dst = bmp.ScanLine(TargetRow(h, i));
        if (oneBit) {
            CopyOneBitRow(src, dst, width, table);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const bool set = (src[x >> 3] >> (7 - (x & 7))) & 1;
            if (set && n < 2)
                Unrecognized();
            const TBGRColor c = set ? c1 : c0;
            Put24(dst, x, c);
        }
    }
}

void DecodeIndexed(const Header& h, ByteReader& r, TBitmap& bmp, TProgressRec& progress) {
    const int width = int(h.width);
    const int height = int(h.height);
    const std::size_t rowBytes = std::size_t(RowSize(width, h.bitCount));
    const IndexTable table(h.palette);
    PrepareUnfilled(bmp, width, height, pf24bit);
    for (int i = 0; i < height; ++i) {
        ReportRows(progress, i);
        const std::uint8_t* src = r.ReadBytes(rowBytes).data();
        std::uint8_t* dst = bmp.ScanLine(TargetRow(h, i));
        int worst = 0;
        for (int x = 0; x < width; ++x) {
            int index;
            if (h.bitCount == 8)
                index = src[x];
            else
                index = (x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4);
            worst = std::max(worst, index);
            const TBGRColor c = table.colors[std::size_t(index)];
            Put24(dst, x, c);
        }
        if (worst >= table.count)
            Unrecognized();
    }
}

void DecodeSixteen(const Header& h, ByteReader& r, TBitmap& bmp, TProgressRec& progress) {
    const int width = int(h.width);
    const int height = int(h.height);
    const std::size_t rowBytes = std::size_t(RowSize(width, 16));
    const std::array<std::uint32_t, 3> masks =
        h.compression == 3 ? h.masks : std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F};
    const auto [red, green, blue] = ChannelsOf(masks, 16);
    std::vector<TBGRColor> lut(65536);
    for (std::uint32_t p = 0; p < 65536; ++p)
        lut[p] = TBGRColor{blue.Of(p), green.Of(p), red.Of(p)};
    PrepareUnfilled(bmp, width, height, pf24bit);
    for (int i = 0; i < height; ++i) {
        ReportRows(progress, i);
        const std::uint8_t* src = r.ReadBytes(rowBytes).data();
        std::uint8_t* dst = bmp.ScanLine(TargetRow(h, i));
        for (int x = 0; x < width; ++x) {
            const TBGRColor c = lut[std::size_t(src[2 * x] | (src[2 * x + 1] << 8))];
            Put24(dst, x, c);
        }
    }
}

void DecodeTrueColor(const Header& h, ByteReader& r, TBitmap& bmp, TProgressRec& progress) {
    const int width = int(h.width);
    const int height = int(h.height);
    const std::size_t rowBytes = std::size_t(RowSize(width, h.bitCount));
    bool plain = h.bitCount == 24 || h.compression == 0;
    Channel red, green, blue;
    if (!plain) {
        std::tie(red, green, blue) = ChannelsOf(h.masks, 32);
        plain = h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF;
    }
    PrepareUnfilled(bmp, width, height, pf24bit);
    for (int i = 0; i < height; ++i) {
        ReportRows(progress, i);
        const std::uint8_t* src = r.ReadBytes(rowBytes).data();
        std::uint8_t* dst = bmp.ScanLine(TargetRow(h, i));
        if (h.bitCount == 24) {
            std::memcpy(dst, src, std::size_t(width) * 3);
        } else if (plain) {
            for (int x = 0; x < width; ++x) {
                dst[3 * x] = src[4 * x];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 2];
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = std::uint32_t(src[4 * x]) | (std::uint32_t(src[4 * x + 1]) << 8) |
                                        (std::uint32_t(src[4 * x + 2]) << 16) |
                                        (std::uint32_t(src[4 * x + 3]) << 24);
                Put24(dst, x, TBGRColor{blue.Of(p), green.Of(p), red.Of(p)});
            }
        }
    }
}

// Run-length decoding shared by RLE8 and RLE4: rows from the bottom, every move and index bounded
// by the picture and the colour table. A run or absolute block that passes the row's end is cut
// there (common writers pad odd widths to even ones); data past the last row is an error.
template <bool Four>
void DecodeRLE(TBitmap& bitmap, const std::uint8_t* data, std::size_t length, TProgressRec& progress,
               const TBGRColor* colorMap, int count) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (bitmap.PixelFormat() != pf24bit || width < 1 || height < 1)
        Unrecognized();
    int x = 0;
    int row = 0; // counted from the bottom
    std::uint8_t* line = bitmap.ScanLine(height - 1);
    std::size_t pos = 0;
    auto put = [&](int index) {
        if (x >= width)
            return;
        if (index >= count)
            Unrecognized();
        const TBGRColor c = colorMap[index];
        Put24(line, x, c);
        ++x;
    };
    SetProgressRows(progress, height);
    ReportRows(progress, 0);
    for (;;) {
        if (length - pos < 2) {
            // Data may end without the end-of-picture code only once every row is there.
            if (row >= height)
                return;
            Unrecognized();
        }
        const int n = data[pos];
        const int c = data[pos + 1];
        pos += 2;
        if (n > 0) {
            if (row >= height)
                Unrecognized();
            for (int k = 0; k < n; ++k)
                put(Four ? ((k & 1) ? (c & 15) : (c >> 4)) : c);
        } else if (c == 0) {
            x = 0;
            ++row;
            ReportRows(progress, row);
            if (row >= height)
                return;
            line = bitmap.ScanLine(height - 1 - row);
        } else if (c == 1) {
            return;
        } else if (c == 2) {
            if (length - pos < 2)
                Unrecognized();
            x += data[pos];
            row += data[pos + 1];
            pos += 2;
            if (x > width || row >= height)
                Unrecognized();
            line = bitmap.ScanLine(height - 1 - row);
        } else {
            const std::size_t bytes = Four ? std::size_t(c + 1) / 2 : std::size_t(c);
            if (row >= height || length - pos < bytes)
                Unrecognized();
            for (int k = 0; k < c; ++k) {
                const std::uint8_t b = data[pos + std::size_t(Four ? k / 2 : k)];
                put(Four ? ((k & 1) ? (b & 15) : (b >> 4)) : b);
            }
            pos += bytes + (bytes & 1);
            pos = std::min(pos, length);
        }
    }
}

} // namespace

void DecodeRLE8(TBitmap& bitmap, const std::uint8_t* data, std::size_t length, TProgressRec& progress,
                const TBGRColor* colorMap, int count) {
    DecodeRLE<false>(bitmap, data, length, progress, colorMap, count);
}

void DecodeRLE4(TBitmap& bitmap, const std::uint8_t* data, std::size_t length, TProgressRec& progress,
                const TBGRColor* colorMap, int count) {
    DecodeRLE<true>(bitmap, data, length, progress, colorMap, count);
}

namespace {

void ReadChecked(ByteReader& stream, TBitmap& bitmap, std::int64_t size, TProgressRec& progress,
                 TIOParamsVals& params) {
    const std::size_t start = stream.Position();
    const std::size_t available = stream.Remaining();
    if (available < 14)
        Unrecognized();
    if (stream.PeekU8(start) != 'B' || stream.PeekU8(start + 1) != 'M')
        Unrecognized();
    const std::int64_t fileSize = std::int32_t(stream.PeekU32LE(start + 2));
    const std::int64_t offset = std::int32_t(stream.PeekU32LE(start + 10));
    if (size <= 0)
        size = fileSize > 0 ? fileSize : std::int64_t(available);
    // A file shorter than it says it is has lost its end.
    if (std::uint64_t(size) > available || fileSize > size)
        Unrecognized();
    ByteReader r(stream.Data() + start, std::size_t(size));
    r.Skip(14);

    Header h = ReadHeaders(r);
    if (h.planes != 1)
        Unrecognized();
    if (!ImageLimits::PixelsWithinLimit(h.width, h.height))
        Unrecognized();
    if (h.topDown && h.compression != 0 && h.compression != 3)
        Unrecognized();
    const int dpiX = DensityToDpi(h.xppm);
    const int dpiY = DensityToDpi(h.yppm);

    if (offset > 0)
        r.Seek(std::size_t(offset));
    const std::size_t dataLength = r.Remaining();
    const bool compressed = h.compression == 1 || h.compression == 2;
    // The image-size field counts only for compressed data; uncompressed rows are counted below.
    if (compressed && h.imageSize > dataLength)
        Unrecognized();
    if (!compressed && std::int64_t(RowSize(int(h.width), h.bitCount)) * h.height > std::int64_t(dataLength))
        Unrecognized();

    TBitmap result;
    SetProgressRows(progress, h.height);
    if (compressed) {
        Prepare(result, int(h.width), int(h.height), pf24bit);
        const IndexTable table(h.palette);
        const auto data = r.ReadBytes(dataLength);
        if (h.compression == 1)
            DecodeRLE8(result, data.data(), data.size(), progress, table.colors.data(), table.count);
        else
            DecodeRLE4(result, data.data(), data.size(), progress, table.colors.data(), table.count);
    } else if (h.bitCount == 1) {
        DecodeOneBit(h, r, result, progress);
    } else if (h.bitCount <= 8) {
        DecodeIndexed(h, r, result, progress);
    } else if (h.bitCount == 16) {
        DecodeSixteen(h, r, result, progress);
    } else {
        DecodeTrueColor(h, r, result, progress);
    }

    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
        params.BitsPerSample = h.bitCount;
        params.SamplesPerPixel = 1;
        break;
    case 16:
        params.BitsPerSample = 5;
        params.SamplesPerPixel = 3;
        break;
    default:
        params.BitsPerSample = 8;
        params.SamplesPerPixel = 3;
        break;
    }
    params.Width = int(h.width);
    params.Height = int(h.height);
    params.DpiX = h.version == 2 ? ScreenPixelsPerInch() : dpiX;
    params.DpiY = h.version == 2 ? ScreenPixelsPerInch() : dpiY;
    params.BmpVersion = std::uint8_t(h.version);
    params.BmpCompressed = compressed;
    params.ColorMap = std::move(h.palette);
    bitmap = std::move(result);
    stream.Seek(start + r.Position());
}

} // namespace

void ReadBMP(ByteReader& stream, TBitmap& bitmap, std::int64_t size, TProgressRec& progress,
             TIOParamsVals& params) {
    try {
        ReadChecked(stream, bitmap, size, progress, params);
    } catch (const EInvalidGraphic&) {
        throw;
    } catch (const EAbort&) {
        throw;
    } catch (const Exception&) {
        Unrecognized();
    }
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

template <bool Four>
void EmitLiteral(const std::uint8_t* indices, int start, int n, std::vector<std::uint8_t>& out) {
    if (n <= 0)
        return;
    const std::uint8_t* p = indices + start;
    if (n == 1) {
        out.push_back(1);
        out.push_back(Four ? std::uint8_t(p[0] << 4) : p[0]);
        return;
    }
    if (n == 2) {
        if (Four) {
            out.push_back(2);
            out.push_back(std::uint8_t((p[0] << 4) | (p[1] & 15)));
        } else {
            out.insert(out.end(), {1, p[0], 1, p[1]});
        }
        return;
    }
    out.push_back(0);
    out.push_back(std::uint8_t(n));
    std::size_t bytes;
    if (Four) {
        bytes = std::size_t(n + 1) / 2;
        for (int i = 0; i < n; i += 2)
            out.push_back(std::uint8_t((p[i] << 4) | (i + 1 < n ? (p[i + 1] & 15) : 0)));
    } else {
        bytes = std::size_t(n);
        out.insert(out.end(), p, p + n);
    }
    if (bytes & 1)
        out.push_back(0);
}

template <bool Four>
int EncodeRow(const std::uint8_t* indices, int count, std::vector<std::uint8_t>& out) {
    const std::size_t before = out.size();
    int start = 0;
    int i = 0;
    while (i < count) {
        if (i - start == 255) {
            EmitLiteral<Four>(indices, start, 255, out);
            start = i;
        }
        if (i + 1 < count && indices[i] == indices[i + 1]) {
            EmitLiteral<Four>(indices, start, i - start, out);
            int j = i + 1;
            while (j < count && j - i < 255 && indices[j] == indices[i])
                ++j;
            out.push_back(std::uint8_t(j - i));
            out.push_back(Four ? std::uint8_t((indices[i] << 4) | (indices[i] & 15)) : indices[i]);
            start = i = j;
        } else {
            ++i;
        }
    }
    EmitLiteral<Four>(indices, start, count - start, out);
    out.push_back(0);
    out.push_back(0);
    return int(out.size() - before);
}

void WriteTable(ByteWriter& s, const std::vector<TBGRColor>& colors, bool core) {
    for (const TBGRColor& c : colors) {
        s.WriteU8(c.b);
        s.WriteU8(c.g);
        s.WriteU8(c.r);
        if (!core)
            s.WriteU8(0);
    }
}

} // namespace

int EncodeRLE8Row(const std::uint8_t* indices, int count, std::vector<std::uint8_t>& output) {
    return EncodeRow<false>(indices, count, output);
}

int EncodeRLE4Row(const std::uint8_t* indices, int count, std::vector<std::uint8_t>& output) {
    return EncodeRow<true>(indices, count, output);
}

namespace {

// What a write produces: the depth and header form, and the picture whose rows are written with its
// colour table (a palette picture maps its rows through the quantiser).
struct BmpOutput {
    int depth = 24;
    bool core = false;
    bool rle = false;
    TBitmap temp; // a picture of another depth taken as 24 bits
    std::unique_ptr<TWriterMono> mono;
    const TBitmap* source = nullptr;
    std::vector<TBGRColor> table;
    std::unique_ptr<TWriterPalette> palette;
    bool ownTable = false; // a 4-bit picture written with its own palette and indices
};

void ChooseOutput(const TBitmap& bitmap, const TIOParamsVals& params, BmpOutput& out) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (params.BitsPerSample == 1 || params.BitsPerSample == 4)
        out.depth = params.BitsPerSample;
    else
        out.depth = params.SamplesPerPixel == 1 ? 8 : 24;
    out.core = params.BmpVersion == 2;
    if (out.core && (width > 65535 || height > 65535))
        throw EInvalidGraphic(QStringLiteral("Picture too large for the core header"));
    // A 4-bit picture keeps its own table, in its order, and its indices.
    if (bitmap.PixelFormat() == pf4bit) {
        out.depth = 4;
        out.ownTable = true;
    }
    out.rle = params.BmpCompressed && !out.core && (out.depth == 4 || out.depth == 8);

    if (out.ownTable) {
        out.source = &bitmap;
        out.table = bitmap.Palette();
        out.table.resize(16);
        return;
    }
    if (out.depth == 1) {
        out.mono = std::make_unique<TWriterMono>(bitmap);
        out.source = &out.mono->Picture();
        out.table.assign(out.mono->Colors().begin(), out.mono->Colors().end());
        return;
    }
    out.source = &As24Bit(bitmap, out.temp);
    if (out.depth <= 8) {
        out.palette = std::make_unique<TWriterPalette>(*out.source, 1 << out.depth);
        out.table = out.palette->Colors();
    }
}

// Writes the file header (completed by CloseFile), the information or core header and the colour
// table; returns the position of the information header.
std::size_t WriteHeaders(ByteWriter& stream, const BmpOutput& out, const TIOParamsVals& params) {
    const int width = out.source->Width();
    const int height = out.source->Height();
    stream.WriteU16LE(BmpType);
    stream.WriteZeros(12);
    const std::size_t headerPos = stream.Position();
    const std::uint32_t colors = out.depth <= 8 ? (1u << out.depth) : 0;
    if (out.core) {
        stream.WriteU32LE(12);
        stream.WriteU16LE(std::uint16_t(width));
        stream.WriteU16LE(std::uint16_t(height));
        stream.WriteU16LE(1);
        stream.WriteU16LE(0); // bit count, at the end
    } else {
        const std::uint32_t headerSize = params.BmpVersion == 3 ? 64 : 40;
        stream.WriteU32LE(headerSize);
        stream.WriteI32LE(width);
        stream.WriteI32LE(height);
        stream.WriteU16LE(1);
        stream.WriteU16LE(0); // bit count, at the end
        stream.WriteU32LE(out.rle ? (out.depth == 4 ? 2 : 1) : 0);
        stream.WriteU32LE(0); // image size, at the end
        stream.WriteI32LE(PixelsPerMetreOfDpi(params.DpiX));
        stream.WriteI32LE(PixelsPerMetreOfDpi(params.DpiY));
        stream.WriteU32LE(colors);
        stream.WriteU32LE(out.depth <= 8 ? colors : (1u << out.depth));
        stream.WriteZeros(headerSize - 40);
    }
    if (!out.table.empty())
        WriteTable(stream, out.table, out.core);
    return headerPos;
}

// Writes the rows from the bottom up: 1 and 24 bits as the picture holds them, 4 and 8 bits as
// palette indices, packed or run-length coded.
void WriteRows(ByteWriter& stream, const BmpOutput& out, TProgressRec& progress) {
    const TBitmap& source = *out.source;
    const int width = source.Width();
    const int height = source.Height();
    const std::size_t rowBytes = std::size_t(RowSize(width, out.depth));
    SetProgressRows(progress, height);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width));
    std::vector<std::uint8_t> line(rowBytes);
    std::vector<std::uint8_t> codes;
    for (int i = 0; i < height; ++i) {
        ReportRows(progress, i);
        const std::uint8_t* row = source.ScanLine(height - 1 - i);
        if (out.depth == 1 || out.depth == 24 || (out.ownTable && !out.rle)) {
            stream.WriteBytes(row, rowBytes);
            continue;
        }
        if (out.ownTable)
            for (int x = 0; x < width; ++x)
                indices[std::size_t(x)] = std::uint8_t((x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
        else
            out.palette->MapRow(row, width, indices.data());
        if (out.rle) {
            codes.clear();
            if (out.depth == 8)
                EncodeRLE8Row(indices.data(), width, codes);
            else
                EncodeRLE4Row(indices.data(), width, codes);
            stream.WriteBytes(codes.data(), codes.size());
            continue;
        }
        std::fill(line.begin(), line.end(), std::uint8_t(0));
        if (out.depth == 8)
            std::copy(indices.begin(), indices.end(), line.begin());
        else
            for (int x = 0; x < width; ++x)
                line[std::size_t(x / 2)] |=
                    std::uint8_t((x & 1) ? indices[std::size_t(x)] : indices[std::size_t(x)] << 4);
        stream.WriteBytes(line.data(), rowBytes);
    }
    if (out.rle) {
        stream.WriteU8(0);
        stream.WriteU8(1);
    }
}

// Completes the file header (size, pixel-data offset) and the bit count and image size of the
// information header; leaves the stream at the end of the file.
void CloseFile(ByteWriter& stream, const BmpOutput& out, std::size_t start, std::size_t headerPos,
               std::size_t pixelPos) {
    const std::size_t end = stream.Position();
    stream.Seek(start + 2);
    stream.WriteU32LE(std::uint32_t(end - start));
    stream.Seek(start + 10);
    stream.WriteU32LE(std::uint32_t(pixelPos - start));
    if (out.core) {
        stream.Seek(headerPos + 10);
        stream.WriteU16LE(std::uint16_t(out.depth));
    } else {
        stream.Seek(headerPos + 14);
        stream.WriteU16LE(std::uint16_t(out.depth));
        stream.Seek(headerPos + 20);
        stream.WriteU32LE(std::uint32_t(end - pixelPos));
    }
    stream.Seek(end);
}

} // namespace

void WriteBMP(ByteWriter& stream, const TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    if (bitmap.Empty())
        throw EInvalidGraphic(QStringLiteral("Cannot write an empty picture"));
    BmpOutput out;
    ChooseOutput(bitmap, params, out);
    const std::size_t start = stream.Position();
    const std::size_t headerPos = WriteHeaders(stream, out, params);
    if (!out.table.empty())
        params.ColorMap = out.table;
    const std::size_t pixelPos = stream.Position();
    WriteRows(stream, out, progress);
    CloseFile(stream, out, start, headerPos, pixelPos);
}
