#include "imaging/TIFFilt.h"

#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/TIFCCITT.h"
#include "imaging/WriterMono.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_set>
#include <utility>

namespace {

// Longer chains of directories are cut here.
constexpr std::size_t MaxDirectories = 65536;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("Invalid TIFF stream"));
}

enum Tag : std::uint16_t {
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagFillOrder = 266,
    tagDocumentName = 269,
    tagImageDescription = 270,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfig = 284,
    tagPageName = 285,
    tagXPosition = 286,
    tagYPosition = 287,
    tagT4Options = 292,
    tagResolutionUnit = 296,
    tagPageNumber = 297,
    tagSoftware = 305,
    tagPredictor = 317,
    tagColorMap = 320,
};

enum Type : std::uint16_t { ttByte = 1, ttAscii = 2, ttShort = 3, ttLong = 4, ttRational = 5 };

enum Compression : std::uint32_t {
    cpNone = 1,
    cpHuffman = 2,
    cpGroup3 = 3,
    cpGroup4 = 4,
    cpLZW = 5,
    cpPackBits = 32773,
};

std::uint64_t TypeSize(std::uint16_t type) {
    switch (type) {
    case 1: // BYTE
    case 2: // ASCII
    case 6: // SBYTE
    case 7: // UNDEFINED
        return 1;
    case 3: // SHORT
    case 8: // SSHORT
        return 2;
    case 4:  // LONG
    case 9:  // SLONG
    case 11: // FLOAT
        return 4;
    case 5:  // RATIONAL
    case 10: // SRATIONAL
    case 12: // DOUBLE
        return 8;
    default:
        return 0;
    }
}

// The bytes of a TIFF file and its byte order; every read is checked against the file's end.
class TiffData {
public:
    TiffData(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : FData(data), FSize(size), FBig(bigEndian) {}

    std::size_t Size() const { return FSize; }
    const std::uint8_t* Data() const { return FData; }
    bool Contains(std::uint64_t offset, std::uint64_t length) const {
        return offset <= FSize && length <= FSize - offset;
    }
    std::uint16_t U16(std::uint64_t offset) const {
        if (!Contains(offset, 2))
            Invalid();
        const std::uint8_t* p = FData + offset;
        return FBig ? std::uint16_t((p[0] << 8) | p[1]) : std::uint16_t(p[0] | (p[1] << 8));
    }
    std::uint32_t U32(std::uint64_t offset) const {
        if (!Contains(offset, 4))
            Invalid();
        const std::uint8_t* p = FData + offset;
        return FBig ? (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
                          p[3]
                    : p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                          (std::uint32_t(p[3]) << 24);
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    bool FBig;
};

// ---------------------------------------------------------------------------------------------
// The chain of directories

// A directory and the place of the offset that leads to it.
struct ChainLink {
    std::uint32_t directory;
    std::uint32_t link;
};

struct Chain {
    std::vector<ChainLink> links;
    // The place of the offset that ends the chain: 0, or an offset that leads outside the file,
    // back into the chain or to a directory that does not fit.
    std::uint32_t endLink = 4;
    // The number of the directory that did not fit the file, or -1.
    std::int64_t unfit = -1;
};

// The directory at an offset fits when its entry count, its entries and its next offset do.
bool DirectoryFits(const TiffData& f, std::uint32_t offset) {
    return f.Contains(offset, 2) && f.Contains(std::uint64_t(offset) + 2, 12ull * f.U16(offset) + 4);
}

std::uint32_t NextOffsetPlace(const TiffData& f, std::uint32_t offset) {
    return std::uint32_t(offset + 2 + 12u * f.U16(offset));
}

// Walks the chain from the header's first offset. The walk ends at offset 0, at an offset outside
// the file, at a directory seen before, at a directory that does not fit, or after MaxDirectories.
// A first offset outside the file is an error.
Chain WalkChain(const TiffData& f) {
    Chain chain;
    std::uint32_t link = 4;
    std::uint32_t offset = f.U32(link);
    if (offset != 0 && offset >= f.Size())
        Invalid();
    std::unordered_set<std::uint32_t> seen;
    while (offset != 0) {
        if (offset >= f.Size() || chain.links.size() >= MaxDirectories || !seen.insert(offset).second)
            break;
        if (!DirectoryFits(f, offset)) {
            chain.unfit = std::int64_t(chain.links.size());
            break;
        }
        chain.links.push_back(ChainLink{offset, link});
        link = NextOffsetPlace(f, offset);
        offset = f.U32(link);
    }
    chain.endLink = link;
    return chain;
}

// ---------------------------------------------------------------------------------------------
// Entries

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    // Where the values lie: inside the entry when they take 4 bytes or less, else at its offset.
    std::uint64_t at = 0;
    bool fits = false;
};

class Directory {
public:
    Directory(const TiffData& f, std::uint32_t offset) : FFile(f) {
        const std::uint16_t n = f.U16(offset);
        FEntries.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint64_t e = std::uint64_t(offset) + 2 + 12ull * i;
            Entry entry;
            entry.tag = f.U16(e);
            entry.type = f.U16(e + 2);
            entry.count = f.U32(e + 4);
            const std::uint64_t bytes = TypeSize(entry.type) * entry.count;
            entry.at = bytes <= 4 ? e + 8 : f.U32(e + 8);
            entry.fits = TypeSize(entry.type) != 0 && f.Contains(entry.at, bytes);
            FEntries.push_back(entry);
        }
    }

    const Entry* Find(std::uint16_t tag) const {
        for (const Entry& e : FEntries)
            if (e.tag == tag)
                return &e;
        return nullptr;
    }

    // A number of the entry in its own type (BYTE, SHORT or LONG).
    std::uint32_t Value(const Entry& e, std::uint32_t index) const {
        if (!e.fits || index >= e.count)
            Invalid();
        const std::uint64_t size = TypeSize(e.type);
        const std::uint64_t at = e.at + size * index;
        switch (e.type) {
        case ttByte:
            return FFile.Data()[at];
        case ttShort:
            return FFile.U16(at);
        case ttLong:
            return FFile.U32(at);
        default:
            Invalid();
        }
    }

    std::uint32_t Number(std::uint16_t tag, std::uint32_t absent) const {
        const Entry* e = Find(tag);
        return e ? Value(*e, 0) : absent;
    }

    // Every number of the entry; the file must hold them all before anything is allocated.
    std::vector<std::uint32_t> List(std::uint16_t tag) const {
        const Entry* e = Find(tag);
        if (!e)
            return {};
        if (!e->fits)
            Invalid();
        std::vector<std::uint32_t> values(e->count);
        for (std::uint32_t i = 0; i < e->count; ++i)
            values[i] = Value(*e, i);
        return values;
    }

    // A rational as a number; a denominator of 0 counts as 0, another type as absent.
    double Rational(std::uint16_t tag) const {
        const Entry* e = Find(tag);
        if (!e || e->type != ttRational || e->count < 1)
            return 0;
        if (!e->fits)
            Invalid();
        const std::uint32_t num = FFile.U32(e->at);
        const std::uint32_t den = FFile.U32(e->at + 4);
        return den == 0 ? 0.0 : double(num) / double(den);
    }

    // A text up to its first zero byte.
    QString Text(std::uint16_t tag) const {
        const Entry* e = Find(tag);
        if (!e || (e->type != ttAscii && e->type != ttByte && e->type != 7))
            return QString();
        if (!e->fits)
            Invalid();
        const auto* p = reinterpret_cast<const char*>(FFile.Data() + e->at);
        const std::size_t length = strnlen(p, e->count);
        return QString::fromLatin1(p, qsizetype(length));
    }

private:
    const TiffData& FFile;
    std::vector<Entry> FEntries;
};

// ---------------------------------------------------------------------------------------------
// The picture a directory describes

// How the rows of the file become pixels.
enum class Kind { Rgb, Palette, Grey, Grey16, Mono };

struct Picture {
    std::int64_t width = 0, height = 0;
    int samples = 1, bits = 1;
    std::int64_t rowsPerStrip = 0;
    std::uint32_t photometric = 2, planar = 1, compression = cpNone, predictor = 1;
    std::uint32_t resolutionUnit = 2, t4Options = 0, fillOrder = 1;
    double xResolution = 0, yResolution = 0, xPosition = 0, yPosition = 0;
    QString documentName, imageDescription, pageName, software;
    int pageNumber = 0, pageCount = 0;
    std::vector<std::uint32_t> offsets, byteCounts;
    std::vector<TBGRColor> colorMap;
    Kind kind = Kind::Rgb;
    bool planes = false; // three planar strips per strip
    std::size_t rowBytes = 0;
};

Picture ReadTags(const Directory& d) {
    Picture p;
    p.width = d.Number(tagImageWidth, 0);
    p.height = d.Number(tagImageLength, 0);
    p.samples = int(std::min<std::uint32_t>(d.Number(tagSamplesPerPixel, 1), 1024));
    const std::vector<std::uint32_t> bits = d.List(tagBitsPerSample);
    if (!bits.empty() && std::any_of(bits.begin(), bits.end(), [&](std::uint32_t b) { return b != bits[0]; }))
        Invalid();
    p.bits = bits.empty() ? 1 : int(std::min<std::uint32_t>(bits[0], 1024));
    const std::uint32_t rows = d.Number(tagRowsPerStrip, 0);
    p.rowsPerStrip = rows == 0 || rows > p.height ? p.height : rows;
    p.photometric = d.Number(tagPhotometric, 2);
    p.planar = d.Number(tagPlanarConfig, 1);
    p.compression = d.Number(tagCompression, cpNone);
    p.predictor = d.Number(tagPredictor, 1);
    p.resolutionUnit = d.Number(tagResolutionUnit, 2);
    p.xResolution = d.Rational(tagXResolution);
    p.yResolution = d.Rational(tagYResolution);
    p.t4Options = d.Number(tagT4Options, 0);
    p.fillOrder = d.Number(tagFillOrder, 1);
    p.xPosition = d.Rational(tagXPosition);
    p.yPosition = d.Rational(tagYPosition);
    p.documentName = d.Text(tagDocumentName);
    p.imageDescription = d.Text(tagImageDescription);
    p.pageName = d.Text(tagPageName);
    if (const Entry* e = d.Find(tagPageNumber); e && e->count >= 2) {
        p.pageNumber = int(d.Value(*e, 0));
        p.pageCount = int(d.Value(*e, 1));
    }
    p.software = d.Text(tagSoftware);
    p.offsets = d.List(tagStripOffsets);
    p.byteCounts = d.List(tagStripByteCounts);
    if (p.photometric == 3 && p.bits <= 8) {
        const std::vector<std::uint32_t> map = d.List(tagColorMap);
        const std::size_t n = std::size_t(1) << p.bits;
        if (map.size() < 3 * n)
            Invalid();
        p.colorMap.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            p.colorMap[i] = TBGRColor{std::uint8_t(map[2 * n + i] >> 8), std::uint8_t(map[n + i] >> 8),
                                      std::uint8_t(map[i] >> 8)};
    }
    return p;
}

// Refuses what this reader does not decode and works out the layout of the rows.
void Check(Picture& p, const TIOParamsVals& params) {
    if (!ImageLimits::PixelsWithinLimit(p.width, p.height))
        Invalid();
    if (p.compression == cpLZW && !params.TiffLzwDecoder)
        throw EInvalidGraphic(QStringLiteral("LZW Decompressor not found"));
    const bool fax = p.compression == cpHuffman || p.compression == cpGroup3 || p.compression == cpGroup4;
    if (!fax && p.compression != cpNone && p.compression != cpLZW && p.compression != cpPackBits)
        Invalid();
    if (p.planar != 1 && p.planar != 2)
        Invalid();
    const bool grey = p.photometric == 0 || p.photometric == 1;
    if (p.samples == 3 && p.bits == 8 && p.photometric == 2)
        p.kind = Kind::Rgb;
    else if (p.samples == 1 && p.photometric == 3 && (p.bits == 8 || p.bits == 4))
        p.kind = Kind::Palette;
    else if (p.samples == 1 && grey && (p.bits == 8 || p.bits == 4))
        p.kind = Kind::Grey;
    else if (p.samples == 1 && grey && p.bits == 16 && p.compression == cpNone)
        p.kind = Kind::Grey16;
    else if (p.samples == 1 && grey && p.bits == 1)
        p.kind = Kind::Mono;
    else
        Invalid();
    // The fax codings hold 1-bit rows only.
    if (fax && p.kind != Kind::Mono)
        Invalid();
    if (p.predictor != 1 && (p.predictor != 2 || p.bits != 8))
        Invalid();
    // One sample per pixel is laid out the same way in either configuration.
    p.planes = p.planar == 2 && p.samples == 3;
    const std::int64_t rowSamples = p.width * (p.planes ? 1 : p.samples);
    p.rowBytes = std::size_t((rowSamples * p.bits + 7) / 8);

    const std::int64_t strips = (p.height + p.rowsPerStrip - 1) / p.rowsPerStrip;
    const std::int64_t needed = p.planes ? 3 * strips : strips;
    const auto count = std::int64_t(p.offsets.size());
    if (count < needed || (p.planes && count % 3 != 0))
        Invalid();
}

// ---------------------------------------------------------------------------------------------
// Strips

// The bytes of strip number index: its offset inside the file, its byte count cut at the file's
// end (0 or a missing count: to the end).
struct StripBytes {
    const std::uint8_t* data;
    std::size_t length;
};
StripBytes StripAt(const TiffData& f, const Picture& p, std::size_t index) {
    const std::uint32_t offset = p.offsets[index];
    if (offset >= f.Size())
        Invalid();
    const std::size_t rest = f.Size() - offset;
    const std::uint32_t count = index < p.byteCounts.size() ? p.byteCounts[index] : 0;
    return StripBytes{f.Data() + offset, count == 0 ? rest : std::min<std::size_t>(count, rest)};
}

// Whether a strip's bytes can hold so many rows at all: the data of an uncompressed strip, PackBits
// codes of 2 bytes for at most 128, a byte for every modified-Huffman row and a bit for every row of
// the other fax codings.
void CheckCapacity(const Picture& p, StripBytes strip, std::int64_t rows) {
    const std::uint64_t needed = std::uint64_t(rows) * p.rowBytes;
    const std::uint64_t length = strip.length;
    bool fits = true;
    switch (p.compression) {
    case cpNone:
        fits = length >= needed;
        break;
    case cpPackBits:
        fits = length * 64 >= needed;
        break;
    case cpHuffman:
        fits = length >= std::uint64_t(rows);
        break;
    case cpGroup3:
    case cpGroup4:
        fits = length * 8 >= std::uint64_t(rows);
        break;
    default:
        break;
    }
    if (!fits)
        Invalid();
}

// The rows of one strip, decoded one after the other.
class StripRows {
public:
    StripRows(const Picture& p, StripBytes strip, const TIOParamsVals& params)
        : FPicture(p), FHook(params.TiffLzwDecoder), FData(strip.data), FLength(strip.length) {
        if (p.compression == cpGroup3 || p.compression == cpGroup4)
            FReference.assign(p.rowBytes, 0xFF);
    }
    StripRows(const StripRows&) = delete;
    StripRows& operator=(const StripRows&) = delete;
    // The LZW decoder may release what it holds for the strip.
    ~StripRows() {
        if (FPicture.compression == cpLZW)
            FHook(nullptr, 0, FState);
    }

    // The next row: a pointer into the file or into the scratch row of rowBytes bytes.
    const std::uint8_t* Next(std::uint8_t* scratch) {
        const Picture& p = FPicture;
        switch (p.compression) {
        case cpNone: {
            if (FLength - FPosition < p.rowBytes)
                Invalid();
            const std::uint8_t* row = FData + FPosition;
            FPosition += p.rowBytes;
            return row;
        }
        case cpHuffman:
            if (FPosition >= FLength)
                Invalid();
            FPosition += DecodeCCITTHuffmanRow(scratch, FData + FPosition, FLength - FPosition, int(p.width),
                                               int(p.fillOrder));
            return scratch;
        case cpGroup3:
            if (p.t4Options & 1)
                FBit = DecodeCCITT(scratch, FData, FLength, int(p.width), int(p.fillOrder), FBit,
                                   FReference.data());
            else
                FBit = DecodeCCITT1D(scratch, FData, FLength, int(p.width), int(p.fillOrder), FBit);
            return scratch;
        case cpGroup4:
            FBit =
                DecodeCCITT(scratch, FData, FLength, int(p.width), int(p.fillOrder), FBit, FReference.data());
            return scratch;
        case cpLZW: {
            const std::uint8_t* row = FHook(FData, int(p.rowBytes), FState);
            if (!row)
                Invalid();
            return row;
        }
        default:
            UnpackBits(scratch);
            return scratch;
        }
    }

private:
    // PackBits: n from 0 to 127 copies n + 1 bytes, -127 to -1 repeats the next byte 1 - n times,
    // -128 is skipped. A run past the row's end is cut there and its rest dropped.
    void UnpackBits(std::uint8_t* row) {
        const std::size_t length = FPicture.rowBytes;
        std::size_t out = 0;
        while (out < length) {
            if (FPosition >= FLength)
                Invalid();
            const auto n = std::int8_t(FData[FPosition++]);
            if (n >= 0) {
                const std::size_t run = std::min<std::size_t>(std::size_t(n) + 1, FLength - FPosition);
                const std::size_t used = std::min(run, length - out);
                std::memcpy(row + out, FData + FPosition, used);
                FPosition += run;
                out += used;
            } else if (n != -128) {
                if (FPosition >= FLength)
                    Invalid();
                const std::size_t used = std::min<std::size_t>(std::size_t(1 - n), length - out);
                std::memset(row + out, FData[FPosition++], used);
                out += used;
            }
        }
    }

    const Picture& FPicture;
    TTiffLzwDecoder FHook;
    const std::uint8_t* FData = nullptr;
    std::size_t FLength = 0;
    std::size_t FPosition = 0;
    std::int64_t FBit = 0;
    std::vector<std::uint8_t> FReference;
    int FState = 0;
};

// Horizontal differencing undone: every byte from the second pixel on adds the byte one pixel before.
void UndoPredictor(std::uint8_t* row, std::size_t length, std::size_t stride) {
    for (std::size_t i = stride; i < length; ++i)
        row[i] = std::uint8_t(row[i] + row[i - stride]);
}

// A row of the file as pixels of the bitmap.
class RowConverter {
public:
    RowConverter(const Picture& p, bool bigEndian) : FPicture(p), FBigEndian(bigEndian) {
        const bool white0 = p.photometric == 0;
        if (p.kind == Kind::Grey || p.kind == Kind::Palette) {
            for (int v = 0; v < 256; ++v) {
                if (p.kind == Kind::Palette) {
                    FTable[v] = v < int(p.colorMap.size()) ? p.colorMap[std::size_t(v)] : TBGRColor{};
                } else {
                    const int g = p.bits == 4 ? (v & 15) * 16 : v;
                    const auto grey = std::uint8_t(white0 ? 255 - g : g);
                    FTable[v] = TBGRColor{grey, grey, grey};
                }
            }
        }
        // Decoded fax rows have 1 for the code's white.
        const bool fax = p.compression >= cpHuffman && p.compression <= cpGroup4;
        FInvert = white0 != fax;
        FShift = p.software.startsWith(QLatin1String("Look@Molli v1.1")) ? 4 : 8;
    }

    void Convert(const std::uint8_t* src, std::uint8_t* dst, std::uint8_t* scratch) const {
        const Picture& p = FPicture;
        const auto width = std::size_t(p.width);
        if (p.predictor == 2) {
            if (src != scratch)
                std::memcpy(scratch, src, p.rowBytes);
            UndoPredictor(scratch, p.rowBytes, std::size_t(p.samples));
            src = scratch;
        }
        switch (p.kind) {
        case Kind::Rgb:
            for (std::size_t x = 0; x < width; ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
            break;
        case Kind::Palette:
        case Kind::Grey:
            if (p.bits == 8) {
                for (std::size_t x = 0; x < width; ++x)
                    std::memcpy(dst + 3 * x, &FTable[src[x]], 3);
            } else {
                for (std::size_t x = 0; x < width; ++x) {
                    const int v = (x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4);
                    std::memcpy(dst + 3 * x, &FTable[v], 3);
                }
            }
            break;
        case Kind::Grey16: {
            const bool big = FBigEndian;
            for (std::size_t x = 0; x < width; ++x) {
                int v = big ? (src[2 * x] << 8) | src[2 * x + 1] : src[2 * x] | (src[2 * x + 1] << 8);
                if (p.photometric == 0)
                    v = 65535 - v;
                const auto g = std::uint8_t(std::min(v >> FShift, 255));
                dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = g;
            }
            break;
        }
        case Kind::Mono:
            CopyOneBitRow(src, dst, int(p.width),
                          FInvert ? TOneBitTable::WhiteBlack : TOneBitTable::BlackWhite);
            break;
        }
    }

    // Three planes' rows as blue, green, red.
    void ConvertPlanes(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                       std::uint8_t* dst) const {
        const auto width = std::size_t(FPicture.width);
        for (std::size_t x = 0; x < width; ++x) {
            dst[3 * x] = blue[x];
            dst[3 * x + 1] = green[x];
            dst[3 * x + 2] = red[x];
        }
    }

private:
    const Picture& FPicture;
    bool FBigEndian;
    TBGRColor FTable[256];
    bool FInvert = false;
    int FShift = 8;
};

void DecodeStrips(const TiffData& f, const Picture& p, bool bigEndian, const TIOParamsVals& params,
                  TBitmap& result, TProgressRec& progress) {
    const int height = int(p.height);
    const std::int64_t strips = (p.height + p.rowsPerStrip - 1) / p.rowsPerStrip;
    const int planes = p.planes ? 3 : 1;
    const std::size_t planeStride = p.planes ? p.offsets.size() / 3 : 0;
    auto rowsOf = [&](std::int64_t s) { return std::min(p.rowsPerStrip, p.height - s * p.rowsPerStrip); };
    // Every strip must be able to hold its rows before the picture is allocated.
    for (std::int64_t s = 0; s < strips; ++s)
        for (int plane = 0; plane < planes; ++plane)
            CheckCapacity(p, StripAt(f, p, std::size_t(s) + std::size_t(plane) * planeStride), rowsOf(s));
    result.SetPixelFormat(p.kind == Kind::Mono ? pf1bit : pf24bit);
    result.SetSize(int(p.width), height);

    const RowConverter converter(p, bigEndian);
    const std::size_t n = p.rowBytes;
    std::vector<std::uint8_t> scratch(n * 3);
    SetProgressRows(progress, height);
    int y = 0;
    for (std::int64_t s = 0; s < strips; ++s) {
        const std::int64_t rows = rowsOf(s);
        if (!p.planes) {
            StripRows strip(p, StripAt(f, p, std::size_t(s)), params);
            for (std::int64_t r = 0; r < rows; ++r, ++y) {
                std::uint8_t* dst = result.ScanLine(y);
                // 1-bit rows are decoded straight into the picture.
                std::uint8_t* target = p.kind == Kind::Mono ? dst : scratch.data();
                converter.Convert(strip.Next(target), dst, target);
                ReportRows(progress, y + 1);
            }
            continue;
        }
        StripRows red(p, StripAt(f, p, std::size_t(s)), params);
        StripRows green(p, StripAt(f, p, std::size_t(s) + planeStride), params);
        StripRows blue(p, StripAt(f, p, std::size_t(s) + 2 * planeStride), params);
        StripRows* sources[3] = {&red, &green, &blue};
        for (std::int64_t r = 0; r < rows; ++r, ++y) {
            const std::uint8_t* rgb[3];
            for (int i = 0; i < 3; ++i) {
                std::uint8_t* own = scratch.data() + std::size_t(i) * n;
                rgb[i] = sources[i]->Next(own);
                if (p.predictor == 2) {
                    if (rgb[i] != own)
                        std::memcpy(own, rgb[i], n);
                    UndoPredictor(own, n, 1);
                    rgb[i] = own;
                }
            }
            converter.ConvertPlanes(rgb[0], rgb[1], rgb[2], result.ScanLine(y));
            ReportRows(progress, y + 1);
        }
    }
}

std::uint8_t CompressionCode(const Picture& p, std::uint8_t previous) {
    switch (p.compression) {
    case cpNone:
        return 0;
    case cpHuffman:
        return 1;
    case cpGroup3:
        return (p.t4Options & 1) ? 3 : 2;
    case cpGroup4:
        return 4;
    case cpLZW:
        return 5;
    case 6:
        return 6;
    case 7:
        return 7;
    case cpPackBits:
        return 8;
    default:
        return previous;
    }
}

int Truncated(double v) {
    if (!(v >= 0))
        return 0;
    return v >= double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(v);
}

void StoreParams(const Picture& p, TIOParamsVals& params) {
    params.BitsPerSample = p.bits;
    params.SamplesPerPixel = p.samples;
    params.Width = int(p.width);
    params.Height = int(p.height);
    params.TiffCompression = CompressionCode(p, params.TiffCompression);
    if (p.photometric <= 6)
        params.TiffPhotometric = std::uint8_t(p.photometric);
    else if (p.photometric == 8)
        params.TiffPhotometric = 7;
    params.TiffPlanarConfig = int(p.planar);
    params.TiffDocumentName = p.documentName;
    params.TiffImageDescription = p.imageDescription;
    params.TiffPageName = p.pageName;
    params.TiffPageNumber = p.pageNumber;
    params.TiffPageCount = p.pageCount;
    params.ColorMap = p.colorMap;
    const double f = p.resolutionUnit == 3 ? 2.54 : 1.0;
    params.DpiX = Truncated(p.xResolution * f);
    params.DpiY = Truncated(p.yResolution * f);
    if (params.DpiX == 0)
        params.DpiX = ScreenPixelsPerInch();
    if (params.DpiY == 0)
        params.DpiY = ScreenPixelsPerInch();
    params.TiffXPosition = Truncated(p.xPosition * f);
    params.TiffYPosition = Truncated(p.yPosition * f);
}

// "II" or "MM"; anything else is not a TIFF file.
bool ByteOrder(const std::uint8_t* data, std::size_t size, bool& bigEndian) {
    if (size < 8 || data[0] != data[1] || (data[0] != 'I' && data[0] != 'M'))
        return false;
    bigEndian = data[0] == 'M';
    return true;
}

// ---------------------------------------------------------------------------------------------
// Writing

struct OutEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;
};

// Positions in a TIFF file are 32-bit.
std::uint32_t FileOffset(std::size_t position, std::size_t start) {
    const std::size_t offset = position - start;
    if (offset > std::numeric_limits<std::uint32_t>::max())
        throw EInvalidGraphic(QStringLiteral("Picture too large for a TIFF file"));
    return std::uint32_t(offset);
}

class DirectoryWriter {
public:
    DirectoryWriter(ByteWriter& stream, std::size_t start) : FStream(stream), FStart(start) {}

    std::uint32_t Here() const { return FileOffset(FStream.Position(), FStart); }
    void Add(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
        FEntries.push_back(OutEntry{tag, type, count, value});
    }
    void Short(std::uint16_t tag, std::uint16_t value) { Add(tag, ttShort, 1, value); }
    void Long(std::uint16_t tag, std::uint32_t value) { Add(tag, ttLong, 1, value); }
    // Values of up to 4 bytes stay inside the entry; longer ones are written where the stream
    // stands.
    void Shorts(std::uint16_t tag, std::initializer_list<std::uint16_t> values) {
        if (values.size() <= 2) {
            std::uint32_t packed = 0;
            int shift = 0;
            for (std::uint16_t v : values) {
                packed |= std::uint32_t(v) << shift;
                shift += 16;
            }
            Add(tag, ttShort, std::uint32_t(values.size()), packed);
            return;
        }
        Add(tag, ttShort, std::uint32_t(values.size()), Here());
        for (std::uint16_t v : values)
            FStream.WriteU16LE(v);
    }
    void Rational(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator) {
        Add(tag, ttRational, 1, Here());
        FStream.WriteU32LE(numerator);
        FStream.WriteU32LE(denominator);
    }
    void Text(std::uint16_t tag, const QString& text) {
        if (text.isEmpty())
            return;
        QByteArray bytes = text.toLatin1();
        bytes.append('\0');
        if (bytes.size() <= 4) {
            std::uint32_t packed = 0;
            for (qsizetype i = 0; i < bytes.size(); ++i)
                packed |= std::uint32_t(std::uint8_t(bytes[i])) << (8 * i);
            Add(tag, ttAscii, std::uint32_t(bytes.size()), packed);
            return;
        }
        Add(tag, ttAscii, std::uint32_t(bytes.size()), Here());
        FStream.WriteBytes(bytes.constData(), std::size_t(bytes.size()));
    }

    // Pads to an even offset and writes the directory; returns its offset.
    std::uint32_t Finish(std::uint32_t next) {
        if (Here() % 2)
            FStream.WriteU8(0);
        const std::uint32_t offset = Here();
        FStream.WriteU16LE(std::uint16_t(FEntries.size()));
        for (const OutEntry& e : FEntries) {
            FStream.WriteU16LE(e.tag);
            FStream.WriteU16LE(e.type);
            FStream.WriteU32LE(e.count);
            FStream.WriteU32LE(e.value);
        }
        FStream.WriteU32LE(next);
        return offset;
    }

private:
    ByteWriter& FStream;
    std::size_t FStart;
    std::vector<OutEntry> FEntries;
};

// PackBits of one row: runs of 4 or more equal bytes (up to 128) are repeated, the bytes between
// them copied in stretches of up to 128. out holds length + length / 128 + 1 bytes at least;
// returns the bytes written.
std::size_t PackRow(const std::uint8_t* row, std::size_t length, std::uint8_t* out) {
    std::uint8_t* o = out;
    std::size_t start = 0; // first byte of the pending literal stretch
    std::size_t i = 0;
    auto literal = [&](std::size_t end) {
        if (end > start) {
            *o++ = std::uint8_t(end - start - 1);
            std::memcpy(o, row + start, end - start);
            o += end - start;
        }
    };
    while (i < length) {
        const std::uint8_t b = row[i];
        if (length - i >= 4 && row[i + 1] == b && row[i + 2] == b && row[i + 3] == b) {
            std::size_t run = 4;
            while (run < 128 && i + run < length && row[i + run] == b)
                ++run;
            literal(i);
            *o++ = std::uint8_t(1 - int(run));
            *o++ = b;
            i += run;
            start = i;
            continue;
        }
        ++i;
        if (i - start == 128) {
            literal(i);
            start = i;
        }
    }
    literal(length);
    return std::size_t(o - out);
}

// The compression tag for the picture and TiffCompression.
std::uint16_t CompressionTag(bool mono, std::uint8_t code) {
    switch (code) {
    case 1:
        return mono ? cpHuffman : cpNone;
    case 2:
    case 3:
        return mono ? cpGroup3 : cpNone;
    case 4:
        return mono ? cpGroup4 : cpNone;
    case 5:
    case 6:
    case 7:
    case 8:
        return std::uint16_t(cpPackBits);
    default:
        return cpNone;
    }
}

void WriteStrip(ByteWriter& stream, const TBitmap& source, std::uint16_t compression, bool twoDimensional,
                TProgressRec& progress) {
    const int width = source.Width();
    const int height = source.Height();
    const bool mono = source.PixelFormat() == pf1bit;
    const std::size_t rowBytes = mono ? (std::size_t(width) + 7) / 8 : std::size_t(width) * 3;
    std::vector<std::uint8_t> line(rowBytes);
    std::vector<std::uint8_t> packed(compression == cpPackBits ? rowBytes + rowBytes / 128 + 1 : 0);
    std::vector<std::uint8_t> reference;
    TCCITTCarry carry;
    SetProgressRows(progress, height);
    for (int y = 0; y < height; ++y) {
        ReportRows(progress, y);
        const std::uint8_t* row = source.ScanLine(y);
        if (mono) {
            CopyOneBitRow(row, line.data(), width, TOneBitTable::BlackWhite);
        } else {
            for (int x = 0; x < width; ++x) {
                line[3 * std::size_t(x)] = row[3 * x + 2];
                line[3 * std::size_t(x) + 1] = row[3 * x + 1];
                line[3 * std::size_t(x) + 2] = row[3 * x];
            }
        }
        switch (compression) {
        case cpHuffman:
            EncodeCCITTHuffmanRow(line.data(), width, stream);
            break;
        case cpGroup3:
            if (twoDimensional)
                EncodeCCITT2DRow(line.data(), width, stream, reference, carry);
            else
                EncodeCCITT1DRow(line.data(), width, stream, carry);
            break;
        case cpGroup4:
            EncodeCCITTG4Row(line.data(), width, stream, reference, carry);
            break;
        case cpPackBits:
            stream.WriteBytes(packed.data(), PackRow(line.data(), rowBytes, packed.data()));
            break;
        default:
            stream.WriteBytes(line.data(), rowBytes);
            break;
        }
    }
    if (compression == cpGroup3 && twoDimensional)
        EncodeCCITT2DRow(nullptr, width, stream, reference, carry);
    if (compression == cpGroup4)
        EncodeCCITTG4Row(nullptr, width, stream, reference, carry);
    if (carry.Bits > 0)
        stream.WriteU8(carry.Byte);
}

std::uint32_t Clamped32(std::int64_t v) {
    return std::uint32_t(std::clamp<std::int64_t>(v, 0, std::numeric_limits<std::uint32_t>::max()));
}

} // namespace

void ReadTIFF(ByteReader& stream, TBitmap& bitmap, int& imageCount, TProgressRec& progress,
              TIOParamsVals& params) {
    const std::uint8_t* data = stream.Data() + stream.Position();
    const std::size_t size = stream.Remaining();
    bool bigEndian = false;
    if (!ByteOrder(data, size, bigEndian))
        throw EInvalidGraphic(QStringLiteral("unrecognized TIFF"));
    const TiffData file(data, size, bigEndian);
    const Chain chain = WalkChain(file);
    const int index = params.TiffImageIndex;
    if (index >= 0 && chain.unfit == index)
        Invalid();
    imageCount = int(chain.links.size());
    if (index < 0 || std::size_t(index) >= chain.links.size())
        return;

    const Directory directory(file, chain.links[std::size_t(index)].directory);
    Picture picture = ReadTags(directory);
    Check(picture, params);
    TBitmap result;
    DecodeStrips(file, picture, bigEndian, params, result, progress);
    StoreParams(picture, params);
    bitmap = std::move(result);
}

int WriteTIFF(ByteWriter& stream, bool append, const TBitmap& bitmap, TProgressRec& progress,
              TIOParamsVals& params) {
    if (bitmap.Empty())
        throw EInvalidGraphic(QStringLiteral("Cannot write an empty picture"));
    const bool mono = params.BitsPerSample == 1 && params.SamplesPerPixel == 1;
    // The picture in the form the file holds, 1 bit per pixel (1 white) or 24 bits. A 1-bit file
    // has no colour table: two colours become black (the darker) and white, others are dithered.
    std::unique_ptr<TWriterMono> monoSource;
    TBitmap temp;
    if (mono)
        monoSource = std::make_unique<TWriterMono>(bitmap, TWriterMono::BlackAndWhite);
    const TBitmap& source = mono ? monoSource->Picture() : As24Bit(bitmap, temp);
    const std::uint16_t compression = CompressionTag(mono, params.TiffCompression);
    const bool twoDimensional = params.TiffCompression == 3;

    // Where the new directory is linked in, and what follows it.
    const std::size_t start = stream.Position();
    int pictures = 1;
    std::size_t link = start + 4;
    std::uint32_t next = 0;
    if (append) {
        const auto& buffer = stream.Buffer();
        const std::uint8_t* data = buffer.data() + std::min(start, buffer.size());
        const std::size_t size = buffer.size() - std::min(start, buffer.size());
        if (size < 4 || data[0] != 'I' || data[1] != 'I')
            throw EInvalidGraphic(QStringLiteral("Multi image TIFF limited to Intel format"));
        const TiffData file(data, size, false);
        const Chain chain = WalkChain(file);
        const std::size_t at = std::size_t(std::max(params.TiffImageIndex, 0));
        if (at < chain.links.size()) {
            link = start + chain.links[at].link;
            next = chain.links[at].directory;
        } else {
            // At the end; a chain that ended at a broken offset ends at the new picture.
            link = start + chain.endLink;
        }
        pictures = int(chain.links.size()) + 1;
        stream.SeekEnd();
    } else {
        stream.WriteZeros(8);
    }

    const int width = source.Width();
    const int height = source.Height();
    // Room for the uncompressed rows at once: a large file is not copied over and over as it grows.
    const std::size_t rows =
        std::size_t(height) * (mono ? (std::size_t(width) + 7) / 8 : std::size_t(width) * 3);
    stream.Buffer().reserve(std::max(stream.Buffer().capacity(), stream.Size() + rows + rows / 64 + 1024));
    DirectoryWriter dir(stream, start);
    dir.Long(tagImageWidth, std::uint32_t(width));
    dir.Long(tagImageLength, std::uint32_t(height));
    if (mono)
        dir.Shorts(tagBitsPerSample, {1});
    else
        dir.Shorts(tagBitsPerSample, {8, 8, 8});
    dir.Short(tagCompression, compression);
    dir.Short(tagPhotometric, mono ? 1 : 2);
    dir.Text(tagDocumentName, params.TiffDocumentName);
    dir.Text(tagImageDescription, params.TiffImageDescription);
    const std::uint32_t stripOffset = dir.Here();
    dir.Long(tagStripOffsets, stripOffset);
    WriteStrip(stream, source, compression, twoDimensional, progress);
    const std::uint32_t stripLength = dir.Here() - stripOffset;
    dir.Short(tagSamplesPerPixel, mono ? 1 : 3);
    dir.Long(tagRowsPerStrip, std::uint32_t(height));
    dir.Long(tagStripByteCounts, stripLength);
    dir.Rational(tagXResolution, Clamped32(params.DpiX), 1);
    dir.Rational(tagYResolution, Clamped32(params.DpiY), 1);
    dir.Text(tagPageName, params.TiffPageName);
    dir.Rational(tagXPosition, Clamped32(std::int64_t(params.TiffXPosition) * 10000), 10000);
    dir.Rational(tagYPosition, Clamped32(std::int64_t(params.TiffYPosition) * 10000), 10000);
    if (compression == cpGroup3)
        dir.Long(tagT4Options, twoDimensional ? 1 : 0);
    dir.Short(tagResolutionUnit, 2);
    if (params.TiffPageNumber != 0 || params.TiffPageCount != 0)
        dir.Shorts(tagPageNumber,
                   {std::uint16_t(params.TiffPageNumber), std::uint16_t(params.TiffPageCount)});
    const std::uint32_t directory = dir.Finish(next);
    const std::size_t end = stream.Position();

    if (!append) {
        stream.Seek(start);
        stream.WriteU8('I');
        stream.WriteU8('I');
        stream.WriteU16LE(42);
    }
    stream.Seek(link);
    stream.WriteU32LE(directory);
    stream.Seek(end);
    return pictures;
}
