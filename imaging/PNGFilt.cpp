#include "imaging/PNGFilt.h"

#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/WriterMono.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

const TBGRColor Black{0, 0, 0};
const TBGRColor White{255, 255, 255};

[[noreturn]] void ReadFailed() {
    throw EInvalidGraphic(QStringLiteral("Unrecognized PNG"));
}

[[noreturn]] void WriteFailed() {
    throw EInvalidGraphic(QStringLiteral("Error on creating PNG"));
}

// The library's error handler returns through the jump buffer of the running job; warnings are
// ignored.
void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

struct PngSource {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
};

void PngReadData(png_structp png, png_bytep out, size_t length) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos)
        png_error(png, "Read past the end of the file");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

// A sample of the given bit depth widened or narrowed to 8 bits.
std::uint8_t SampleTo8(unsigned v, int depth) {
    switch (depth) {
    case 1:
        return v ? 255 : 0;
    case 2:
        return std::uint8_t(v * 85);
    case 4:
        return std::uint8_t(v * 17);
    case 16:
        return std::uint8_t(v / 257);
    default:
        return std::uint8_t(v);
    }
}

// A 16-bit value narrowed to 8 bits (the 8-bit value whose 16-bit form is not above it).
inline std::uint8_t To8(std::uint32_t v) {
    return std::uint8_t(v / 257);
}

// A colour with alpha composed over the background, in 16-bit precision: the result rounded to the
// nearest 16-bit value and then to 8 bits.
inline std::uint8_t Over(std::uint32_t s, std::uint32_t a, std::uint32_t b) {
    const std::uint64_t v = (std::uint64_t(s) * a + std::uint64_t(b) * (65535 - a) + 32767) / 65535;
    return To8(std::uint32_t(v));
}

// Turns a row of blue, green, red samples, with alpha or without, 8 or 16 bits (16-bit ones
// big-endian), into a 24-bit row, composing transparent pixels over the background.
void ComposeRow(const std::uint8_t* src, int width, bool sixteen, bool alpha, TBGRColor bg,
                std::uint8_t* dst) {
    const std::uint32_t bb = bg.b * 257u, bgg = bg.g * 257u, br = bg.r * 257u;
    const int step = (alpha ? 4 : 3) * (sixteen ? 2 : 1);
    for (int x = 0; x < width; ++x) {
        std::uint32_t b, g, r, a;
        if (sixteen) {
            const std::uint8_t* p = src + step * x;
            b = (p[0] << 8) | p[1];
            g = (p[2] << 8) | p[3];
            r = (p[4] << 8) | p[5];
            a = alpha ? (p[6] << 8) | p[7] : 65535;
            if (a == 65535) {
                dst[3 * x] = To8(b);
                dst[3 * x + 1] = To8(g);
                dst[3 * x + 2] = To8(r);
                continue;
            }
        } else {
            const std::uint8_t* p = src + 4 * x;
            if (p[3] == 255) {
                dst[3 * x] = p[0];
                dst[3 * x + 1] = p[1];
                dst[3 * x + 2] = p[2];
                continue;
            }
            b = p[0] * 257u;
            g = p[1] * 257u;
            r = p[2] * 257u;
            a = p[3] * 257u;
        }
        dst[3 * x] = Over(b, a, bb);
        dst[3 * x + 1] = Over(g, a, bgg);
        dst[3 * x + 2] = Over(r, a, br);
    }
}

// A palette colour with its alpha composed over the background, as ComposeRow does it.
TBGRColor ComposeColor(TBGRColor c, std::uint8_t alpha, TBGRColor bg) {
    const std::uint8_t src[4] = {c.b, c.g, c.r, alpha};
    std::uint8_t out[3];
    ComposeRow(src, 1, false, true, bg, out);
    return TBGRColor{out[0], out[1], out[2]};
}

// Everything a read needs across the library's jump: plain pointers and values only, so that a
// jump skips no destructor.
struct PngReadJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource src;
    // The bytes of the file's image data chunks: the picture cannot inflate to more than they allow.
    std::uint64_t idatBytes = 0;
    TBitmap* result = nullptr;
    std::vector<std::uint8_t>* buffer = nullptr;
    TProgressRec* progress = nullptr;
    TBGRColor background;
    bool hasBackground = false;
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    bool interlaced = false;
    png_uint_32 ppmX = 0, ppmY = 0;
    std::vector<TBGRColor>* palette = nullptr;
    // Palette pictures: the colour of each index, transparency composed; count entries are valid.
    std::array<TBGRColor, 256> colors{};
    int colorCount = 0;
    // The set-up: how the rows are read and turned into the bitmap's rows.
    bool oneBit = false; // the file's bits go into a 1-bit bitmap
    TOneBitTable oneBitTable = TOneBitTable::BlackWhite;
    bool indexed = false; // palette indices mapped here
    bool alpha = false;   // transparency composed here
    int passes = 1;
};

// Turns a row of palette indices into 24 bits; false when an index lies past the table.
bool MapIndices(const std::uint8_t* indices, int width, const PngReadJob& job, std::uint8_t* dst) {
    int worst = 0;
    for (int x = 0; x < width; ++x) {
        const int index = indices[x];
        worst = std::max(worst, index);
        const TBGRColor c = job.colors[std::size_t(index)];
        dst[3 * x] = c.b;
        dst[3 * x + 1] = c.g;
        dst[3 * x + 2] = c.r;
    }
    return worst < job.colorCount;
}

int ChannelsOf(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// The header: size, kind, palette, background and resolution. False when the picture passes the
// pixel limit or holds more pixel bytes than its image data can inflate to.
bool ReadHeader(PngReadJob& job) {
    png_structp png = job.png;
    png_infop info = job.info;
    png_read_info(png, info);
    int interlace = 0;
    png_get_IHDR(png, info, &job.width, &job.height, &job.depth, &job.colorType, &interlace, nullptr,
                 nullptr);
    job.interlaced = interlace != PNG_INTERLACE_NONE;
    if (!ImageLimits::PixelsWithinLimit(job.width, job.height))
        return false;
    const std::uint64_t pixelBits =
        std::uint64_t(job.width) * job.height * std::uint64_t(ChannelsOf(job.colorType) * job.depth);
    if (pixelBits / 8 > std::uint64_t(ImageLimits::InflateBound(std::int64_t(job.idatBytes))))
        return false;

    png_colorp pal = nullptr;
    int palCount = 0;
    if (job.colorType == PNG_COLOR_TYPE_PALETTE)
        png_get_PLTE(png, info, &pal, &palCount);
    for (int i = 0; i < palCount; ++i)
        job.palette->push_back(TBGRColor{pal[i].blue, pal[i].green, pal[i].red});

    png_color_16p bk = nullptr;
    if (png_get_bKGD(png, info, &bk)) {
        if (job.colorType == PNG_COLOR_TYPE_PALETTE) {
            if (bk->index < palCount) {
                job.background = (*job.palette)[bk->index];
                job.hasBackground = true;
            }
        } else if (job.colorType & PNG_COLOR_MASK_COLOR) {
            job.background = TBGRColor{SampleTo8(bk->blue, job.depth), SampleTo8(bk->green, job.depth),
                                       SampleTo8(bk->red, job.depth)};
            job.hasBackground = true;
        } else {
            const std::uint8_t g = SampleTo8(bk->gray, job.depth);
            job.background = TBGRColor{g, g, g};
            job.hasBackground = true;
        }
    }
    job.ppmX = png_get_x_pixels_per_meter(png, info);
    job.ppmY = png_get_y_pixels_per_meter(png, info);
    return true;
}

// Chooses how the rows are read: 1-bit files stay 1 bit when their colours are black and white,
// palette pictures are expanded here so that every index is checked against the table, every
// other picture is expanded by the library to blue, green, red (with alpha or 16 bits composed and
// narrowed here).
void SetUpRows(PngReadJob& job) {
    png_structp png = job.png;
    png_infop info = job.info;
    const bool transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    job.alpha = (job.colorType & PNG_COLOR_MASK_ALPHA) || transparent;
    if (job.depth == 1 && !transparent) {
        if (job.colorType == PNG_COLOR_TYPE_GRAY) {
            job.oneBit = true;
        } else {
            job.oneBitTable = OneBitTableOf(*job.palette);
            job.oneBit = job.oneBitTable != TOneBitTable::Colour;
        }
    }
    job.indexed = job.colorType == PNG_COLOR_TYPE_PALETTE && !job.oneBit;
    if (job.indexed) {
        if (job.depth < 8)
            png_set_packing(png);
        png_bytep transAlpha = nullptr;
        int transCount = 0;
        if (transparent)
            png_get_tRNS(png, info, &transAlpha, &transCount, nullptr);
        job.colorCount = int(std::min<std::size_t>(job.palette->size(), 256));
        for (int i = 0; i < job.colorCount; ++i) {
            const TBGRColor c = (*job.palette)[std::size_t(i)];
            const std::uint8_t a = transAlpha && i < transCount ? transAlpha[i] : 255;
            job.colors[std::size_t(i)] = a == 255 ? c : ComposeColor(c, a, job.background);
        }
    } else if (!job.oneBit) {
        png_set_expand(png);
        if (!(job.colorType & PNG_COLOR_MASK_COLOR))
            png_set_gray_to_rgb(png);
        png_set_bgr(png);
    }
    job.passes = job.interlaced ? png_set_interlace_handling(png) : 1;
    png_read_update_info(png, info);
}

// Reads every row of every pass into the bitmap; false when a row is not as the set-up expects or
// holds a palette index past the table.
bool ReadRows(PngReadJob& job) {
    png_structp png = job.png;
    const int width = int(job.width), height = int(job.height), passes = job.passes;
    // Every pixel is written, by the last pass at the latest, before the picture is used; a file
    // cut short is an error. So the pixels are not zeroed first.
    TBitmap& bmp = *job.result;
    bmp = TBitmap::Unfilled(width, height, job.oneBit ? pf1bit : pf24bit);
    const std::size_t rowBytes = png_get_rowbytes(png, job.info);
    const bool sixteen = job.depth == 16;
    // Rows go straight into the bitmap unless they need mapping, composing or narrowing.
    const bool direct = job.oneBit || (!job.alpha && !sixteen && !job.indexed);
    const std::size_t expected = job.oneBit    ? std::size_t(width + 7) / 8
                                 : job.indexed ? std::size_t(width)
                                               : std::size_t(width) * (job.alpha ? 4 : 3) * (sixteen ? 2 : 1);
    if (rowBytes != expected)
        return false;

    SetProgressRows(*job.progress, std::int64_t(height) * passes);
    long long done = 0;
    if (direct) {
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < height; ++y) {
                png_read_row(png, bmp.ScanLine(y), nullptr);
                ReportRows(*job.progress, ++done);
            }
        return true;
    }
    auto ConvertRow = [&](const std::uint8_t* row, int y) {
        if (job.indexed)
            return MapIndices(row, width, job, bmp.ScanLine(y));
        ComposeRow(row, width, sixteen, job.alpha, job.background, bmp.ScanLine(y));
        return true;
    };
    // Interlaced pictures gather every pass before their rows are turned into 24 bits; the whole
    // picture of rows is bounded by the same limits as the bitmap.
    const std::size_t rows = passes > 1 ? std::size_t(height) : 1;
    if (rowBytes * rows > std::size_t(ImageLimits::MaxImageBytes))
        return false;
    job.buffer->assign(rowBytes * rows, 0);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = job.buffer->data() + (passes > 1 ? rowBytes * std::size_t(y) : 0);
            png_read_row(png, row, nullptr);
            if (passes == 1 && !ConvertRow(row, y))
                return false;
            ReportRows(*job.progress, ++done);
        }
    if (passes > 1)
        for (int y = 0; y < height; ++y)
            if (!ConvertRow(job.buffer->data() + rowBytes * std::size_t(y), y))
                return false;
    return true;
}

// Runs the library's reading calls; false when the library reported an error.
bool RunRead(PngReadJob& job) {
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_set_read_fn(job.png, &job.src, PngReadData);
    // The picture's size is bounded by the image library's limits, not the library's default.
    png_set_user_limits(job.png, 0x7fffffff, 0x7fffffff);
    if (!ReadHeader(job))
        return false;
    SetUpRows(job);
    if (!ReadRows(job))
        return false;
    if (job.oneBit)
        for (int y = 0; y < int(job.height); ++y) {
            std::uint8_t* row = job.result->ScanLine(y);
            CopyOneBitRow(row, row, int(job.width), job.oneBitTable);
        }
    png_read_end(job.png, nullptr);
    return true;
}

// Walks the chunks up to the end chunk and adds up the bytes of the image data chunks; false when a
// chunk does not lie inside the file. The library allocates a chunk's length before it reads the
// chunk, so a length past the end must never reach it.
bool ScanChunks(const std::uint8_t* data, std::size_t size, std::uint64_t& idatBytes) {
    std::size_t pos = 8;
    idatBytes = 0;
    while (size - pos >= 12) {
        const std::size_t length = (std::size_t(data[pos]) << 24) | (std::size_t(data[pos + 1]) << 16) |
                                   (std::size_t(data[pos + 2]) << 8) | data[pos + 3];
        if (length > size - pos - 12)
            return false;
        if (std::memcmp(data + pos + 4, "IDAT", 4) == 0)
            idatBytes += length;
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0)
            return true;
        pos += 12 + length;
    }
    return false;
}

int DpiOrScreen(png_uint_32 ppm) {
    const int dpi = DpiOfPixelsPerMetre(ppm);
    return dpi == 0 ? ScreenPixelsPerInch() : dpi;
}

} // namespace

void ReadPNG(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    TBitmap result;
    std::vector<std::uint8_t> buffer;
    std::vector<TBGRColor> palette;
    PngReadJob job;
    job.src = PngSource{stream.Data() + stream.Position(), stream.Remaining(), 0};
    job.result = &result;
    job.buffer = &buffer;
    job.progress = &progress;
    job.palette = &palette;
    job.background = params.PngBackground;

    if (job.src.size < 8 || !ScanChunks(job.src.data, job.src.size, job.idatBytes))
        ReadFailed();
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!job.png)
        ReadFailed();
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        ReadFailed();
    }
    bool ok = false;
    try {
        ok = RunRead(job);
    } catch (...) {
        png_destroy_read_struct(&job.png, &job.info, nullptr);
        throw;
    }
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    if (!ok)
        ReadFailed();

    stream.Skip(job.src.pos);
    params.Width = int(job.width);
    params.Height = int(job.height);
    params.BitsPerSample = job.depth;
    switch (job.colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        params.SamplesPerPixel = 1;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        params.SamplesPerPixel = 2;
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        params.SamplesPerPixel = 4;
        break;
    default:
        params.SamplesPerPixel = 3;
        break;
    }
    params.DpiX = DpiOrScreen(job.ppmX);
    params.DpiY = DpiOrScreen(job.ppmY);
    params.ColorMap = std::move(palette);
    params.PngInterlaced = job.interlaced;
    if (job.hasBackground)
        params.PngBackground = job.background;
    bitmap = std::move(result);
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

struct PngSink {
    ByteWriter* out = nullptr;
};

void PngWriteData(png_structp png, png_bytep data, size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        sink->out->WriteBytes(data, length);
    } catch (...) {
        failed = true;
    }
    if (failed)
        png_error(png, "Write failed");
}

void PngFlush(png_structp) {}

enum class PngKind { Grey1, Palette1, Palette8, Colour };

struct PngWriteJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSink sink;
    PngKind kind = PngKind::Colour;
    const TBitmap* source = nullptr;
    const TWriterPalette* palette = nullptr;
    const std::vector<TBGRColor>* colors = nullptr;  // palette entries written
    const std::vector<png_color>* entries = nullptr; // the same in the library's order
    std::uint8_t* indices = nullptr;                 // one row of palette indices
    const TIOParamsVals* params = nullptr;
    TProgressRec* progress = nullptr;
};

bool RunWrite(PngWriteJob& job) {
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_structp png = job.png;
    png_infop info = job.info;
    const TIOParamsVals& p = *job.params;
    const TBitmap& src = *job.source;
    const int width = src.Width(), height = src.Height();
    png_set_write_fn(png, &job.sink, PngWriteData, PngFlush);

    int colorType = PNG_COLOR_TYPE_RGB, depth = 8;
    switch (job.kind) {
    case PngKind::Grey1:
        colorType = PNG_COLOR_TYPE_GRAY;
        depth = 1;
        break;
    case PngKind::Palette1:
        colorType = PNG_COLOR_TYPE_PALETTE;
        depth = 1;
        break;
    case PngKind::Palette8:
        colorType = PNG_COLOR_TYPE_PALETTE;
        break;
    case PngKind::Colour:
        break;
    }
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth, colorType,
                 p.PngInterlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    const TBGRColor bg = p.PngBackground;
    png_color_16 background{};
    if (job.colors) {
        png_set_PLTE(png, info, job.entries->data(), int(job.entries->size()));
        background.index = png_byte(NearestPaletteIndex(job.colors->data(), int(job.colors->size()), bg));
    } else if (job.kind == PngKind::Grey1) {
        background.gray = GreyOf(bg) >= 128 ? 1 : 0;
    } else {
        background.red = bg.r;
        background.green = bg.g;
        background.blue = bg.b;
    }
    png_set_pHYs(png, info, png_uint_32(PixelsPerMetreOfDpi(p.DpiX)),
                 png_uint_32(PixelsPerMetreOfDpi(p.DpiY)), PNG_RESOLUTION_METER);
    switch (p.PngFilter) {
    case 0:
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        break;
    case 1:
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
        break;
    case 2:
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
        break;
    default:
        break;
    }
    png_set_bKGD(png, info, &background);
    png_set_compression_level(png, std::clamp(p.PngCompressionLevel, 0, 9));
    if (job.kind == PngKind::Colour)
        png_set_bgr(png);
    png_write_info(png, info);
    const int passes = p.PngInterlaced ? png_set_interlace_handling(png) : 1;

    SetProgressRows(*job.progress, std::int64_t(height) * passes);
    long long done = 0;
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = src.ScanLine(y);
            if (job.kind == PngKind::Palette8) {
                job.palette->MapRow(row, width, job.indices);
                row = job.indices;
            }
            png_write_row(png, row);
            ReportRows(*job.progress, ++done);
        }
    png_write_end(png, info);
    return true;
}

} // namespace

void WritePNG(ByteWriter& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    if (bitmap.Empty())
        WriteFailed();
    // The picture written: 1 bit (black and white, or a picture's own two colours) or 24 bits. A
    // picture of another depth is taken as 24 bits first.
    TBitmap temp;
    const TBitmap* source = nullptr;
    PngKind kind = PngKind::Colour;
    std::vector<TBGRColor> twoColors;
    std::unique_ptr<TWriterMono> mono;
    std::unique_ptr<TWriterPalette> palette;
    std::vector<std::uint8_t> indices;
    if (params.BitsPerSample == 1) {
        mono = std::make_unique<TWriterMono>(bitmap);
        source = &mono->Picture();
        kind = PngKind::Grey1;
        if (!(mono->Colors()[0] == Black && mono->Colors()[1] == White)) {
            kind = PngKind::Palette1;
            twoColors.assign(mono->Colors().begin(), mono->Colors().end());
        }
    } else {
        source = &As24Bit(bitmap, temp);
        if (params.SamplesPerPixel == 1) {
            kind = PngKind::Palette8;
            palette = std::make_unique<TWriterPalette>(*source, 256);
            indices.resize(std::size_t(source->Width()));
        }
    }

    PngWriteJob job;
    job.sink.out = &stream;
    job.kind = kind;
    job.source = source;
    job.palette = palette.get();
    job.colors = palette ? &palette->Colors() : kind == PngKind::Palette1 ? &twoColors : nullptr;
    std::vector<png_color> entries;
    if (job.colors)
        for (const TBGRColor& c : *job.colors)
            entries.push_back(png_color{c.r, c.g, c.b});
    job.entries = &entries;
    job.indices = indices.data();
    job.params = &params;
    job.progress = &progress;
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!job.png)
        WriteFailed();
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_write_struct(&job.png, nullptr);
        WriteFailed();
    }
    bool ok = false;
    try {
        ok = RunWrite(job);
    } catch (...) {
        png_destroy_write_struct(&job.png, &job.info);
        throw;
    }
    png_destroy_write_struct(&job.png, &job.info);
    if (!ok)
        WriteFailed();
    if (palette)
        params.ColorMap = palette->Colors();
    else if (kind == PngKind::Palette1)
        params.ColorMap = twoColors;
}
