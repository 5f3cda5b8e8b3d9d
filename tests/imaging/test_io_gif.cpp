// GIF files up to their image data: the block walk, colour tables, control extensions and
// descriptors, the texts of every failure, the record after it, and the contracts of the LZW hooks
// checked with stand-in codecs (the station sets no hook).
#include "IoTestSupport.h"
#include "imaging/GIFFilter.h"
#include "tests/support/MemoryCap.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace iotest;

namespace {

QString Fixture(const char* name) {
    return kdstest::SourcePath(QStringLiteral("tests/imaging/data/gif/") + QLatin1String(name));
}

const TBGRColor Black = C(0, 0, 0);
const TBGRColor White = C(255, 255, 255);

// ---- Files made by hand ----

QByteArray Le16(int v) {
    return QByteArray(1, char(v & 255)) + char((v >> 8) & 255);
}

QByteArray Table(const std::vector<TBGRColor>& colours) {
    QByteArray out;
    for (const TBGRColor& c : colours)
        out += char(c.r) + QByteArray(1, char(c.g)) + char(c.b);
    return out;
}

// The 13-byte header; with colours, the global table (2^(size + 1) entries) follows.
QByteArray Header(const std::vector<TBGRColor>& colours = {}, int background = 0,
                  const char* signature = "GIF89a", int width = 20, int height = 10) {
    int size = 0;
    while (colours.size() > (std::size_t(2) << size))
        ++size;
    const int packed = colours.empty() ? 0 : 0x80 | 0x70 | size;
    QByteArray out =
        QByteArray(signature) + Le16(width) + Le16(height) + char(packed) + char(background) + char(0);
    if (!colours.empty()) {
        std::vector<TBGRColor> table = colours;
        table.resize(std::size_t(2) << size);
        out += Table(table);
    }
    return out;
}

QByteArray Control(int packed, int delay, int transparent) {
    return QByteArray::fromHex("21f904") + char(packed) + Le16(delay) + char(transparent) + char(0);
}

// An image descriptor, its local table and a data block: minimum code size 2, one sub-block.
QByteArray Image(int left, int top, int width, int height, const std::vector<TBGRColor>& local = {},
                 bool interlaced = false) {
    int size = 0;
    while (local.size() > (std::size_t(2) << size))
        ++size;
    const int packed = (local.empty() ? 0 : 0x80 | size) | (interlaced ? 0x40 : 0);
    QByteArray out = QByteArray(1, 0x2C) + Le16(left) + Le16(top) + Le16(width) + Le16(height) + char(packed);
    if (!local.empty()) {
        std::vector<TBGRColor> table = local;
        table.resize(std::size_t(2) << size);
        out += Table(table);
    }
    return out + QByteArray::fromHex("0203aabbcc00");
}

const QByteArray Trailer(1, 0x3B);

// ---- Stand-in LZW codecs ----

// What the stand-in decoder saw: the byte it was given first, and its calls.
struct DecoderLog {
    std::vector<int> codeSizes;
    int width = 0, height = 0;
    bool interlaced = false;
} decoderLog;

// The indices the stand-in decoder gives: pixel (x, y) is (x + 2y) mod modulo.
int decoderModulo = 2;

// Skips the data sub-blocks after the minimum code size byte, as a decoder must, and fills a
// pattern; when the data hold exactly one byte per pixel (the stand-in encoder's form) those are
// the indices.
void StandInDecoder(ByteReader& s, int height, int width, bool interlaced, std::uint8_t* indices) {
    decoderLog.codeSizes.push_back(s.ReadU8());
    decoderLog.width = width;
    decoderLog.height = height;
    decoderLog.interlaced = interlaced;
    QByteArray data;
    while (const int n = s.ReadU8()) {
        const auto bytes = s.ReadBytes(std::size_t(n));
        data.append(reinterpret_cast<const char*>(bytes.data()), n);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            indices[y * width + x] = data.size() == qsizetype(width) * height
                                         ? std::uint8_t(data[y * width + x])
                                         : std::uint8_t((x + 2 * y) % decoderModulo);
}

struct EncoderLog {
    int width = 0, height = 0, bits = 0;
    bool interlaced = false;
    std::size_t position = 0;
} encoderLog;

// Writes the indices uncoded: the bits as minimum code size, sub-blocks of up to 255 indices.
void StandInEncoder(ByteWriter& s, int height, int width, bool interlaced, const std::uint8_t* indices,
                    int bits) {
    encoderLog = EncoderLog{width, height, bits, interlaced, s.Position()};
    s.WriteU8(std::uint8_t(bits));
    const std::size_t total = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < total; i += 255) {
        const std::size_t n = std::min<std::size_t>(255, total - i);
        s.WriteU8(std::uint8_t(n));
        s.WriteBytes(indices + i, n);
    }
    s.WriteU8(0);
}

// The result of a read with the codec's own record.
struct Outcome {
    QString message; // empty: read
    int count = -1;
    TBitmap bitmap;
    TGifReadStages stages;
};

Outcome ReadGif(const QByteArray& file, TIOParamsVals& params, TProgressRec progress = {}) {
    Outcome o;
    ByteReader r(file);
    try {
        ReadGIF(r, o.bitmap, o.count, progress, params, &o.stages);
    } catch (const EInvalidGraphic& e) {
        o.message = e.Message();
    }
    return o;
}

QByteArray WriteGif(const TBitmap& bmp, TIOParamsVals& params, QString* message = nullptr) {
    ByteWriter out;
    TProgressRec progress;
    try {
        WriteGIF(out, bmp, params, progress);
    } catch (const EInvalidGraphic& e) {
        if (message)
            *message = e.Message();
        else
            ADD_FAILURE() << e.what();
    }
    return out.ToByteArray();
}

} // namespace

TEST(GifRead, FilesOfOtherProgramsStopAtTheirImageData) {
    struct Case {
        const char* file;
        int index;
        int width, height, left, top;
        bool interlaced;
        int delay;
        int bits;   // with a decoder
        int images; // with a decoder
    };
    const Case cases[] = {
        {"rose.gif", 0, 70, 46, 0, 0, false, 0, 8, 1},
        {"rose-interlaced.gif", 0, 70, 46, 0, 0, true, 0, 8, 1},
        {"rose4.gif", 0, 70, 46, 0, 0, false, 0, 2, 1},
        {"rose-mono.gif", 0, 70, 46, 0, 0, false, 0, 1, 1},
        {"anim.gif", 0, 70, 46, 0, 0, false, 50, 8, 2},
        {"anim.gif", 1, 128, 128, 0, 0, false, 50, 4, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " image " << c.index);
        const QByteArray file = kdstest::ReadFile(Fixture(c.file));
        TIOParamsVals params;
        params.GifImageIndex = c.index;
        const Outcome o = ReadGif(file, params);
        EXPECT_EQ(o.message, QStringLiteral("LZW decompressor not found"));
        EXPECT_EQ(params.GifVersion, QStringLiteral("GIF89a"));
        EXPECT_EQ(params.GifScreenWidth, 70);
        EXPECT_EQ(params.GifScreenHeight, 46);
        EXPECT_EQ(params.Width, c.width);
        EXPECT_EQ(params.Height, c.height);
        EXPECT_EQ(params.GifLeft, c.left);
        EXPECT_EQ(params.GifTop, c.top);
        EXPECT_EQ(params.GifInterlaced, c.interlaced);
        EXPECT_EQ(params.GifDelay, c.delay);
        EXPECT_FALSE(params.GifHasTransparency);
        EXPECT_EQ(params.SamplesPerPixel, 1);
        EXPECT_EQ(params.DpiX, ScreenPixelsPerInch());
        EXPECT_EQ(params.DpiY, ScreenPixelsPerInch());
        EXPECT_EQ(params.BitsPerSample, 8); // the colour map is not reached
        EXPECT_TRUE(params.ColorMap.empty());

        // With a decoder the reading goes on to the colour map and past the image.
        TIOParamsVals decoded;
        decoded.GifImageIndex = c.index;
        decoded.GifLzwDecoder = StandInDecoder;
        decoderLog = {};
        const Outcome d = ReadGif(file, decoded);
        EXPECT_TRUE(d.message.isEmpty()) << d.message.toStdString();
        EXPECT_EQ(d.count, c.images);
        EXPECT_EQ(decoded.BitsPerSample, c.bits);
        EXPECT_EQ(decoded.ColorMapCount(), 1 << c.bits);
        EXPECT_EQ(decoderLog.codeSizes, std::vector<int>{std::max(2, c.bits)});
        EXPECT_EQ(d.bitmap.Width(), c.width);
        EXPECT_EQ(d.bitmap.PixelFormat(), c.bits == 1 ? pf1bit : pf24bit);
    }
}

TEST(GifRead, TheComponentFailsAndKeepsItsPictureAndParameters) {
    QTemporaryDir dir;
    const QString cut = dir.filePath(QStringLiteral("cut.gif"));
    kdstest::WriteFile(cut, kdstest::ReadFile(Fixture("rose.gif")).left(100));
    const QString none = dir.filePath(QStringLiteral("none.GIF"));
    kdstest::WriteFile(none, Header({White, Black}) + Trailer);
    struct Case {
        QString file;
        const char* message;
    };
    const Case cases[] = {
        {Fixture("rose.gif"), "LZW decompressor not found : unrecognized GIF"},
        {Fixture("anim.gif"), "LZW decompressor not found : unrecognized GIF"},
        {cut, "unrecognized GIF : unrecognized GIF"},
        {none, "GIF image not found : unrecognized GIF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        TBitmap bmp = Colourful(3, 2);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        io.SetBackground(0x123456);
        try {
            io.LoadFromFile(c.file);
            ADD_FAILURE() << "loaded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), QLatin1String(c.message));
        }
        EXPECT_EQ(Rgb(bmp), Rgb(Colourful(3, 2)));
        // A board saved next must not become a palette file.
        EXPECT_EQ(io.Params().SamplesPerPixel, 3);
        EXPECT_EQ(io.Params().FileType, ioUnknown);
        EXPECT_EQ(io.Params().Width, 0);
        EXPECT_EQ(io.Background(), TColor(0x123456));
    }
}

TEST(GifRead, DamagedAndShortFilesSayWhy) {
    const std::vector<TBGRColor> four = {C(10, 0, 0), C(0, 20, 0), C(0, 0, 30), C(40, 40, 40)};
    const QByteArray good = Header(four, 2) + Control(1, 7, 3) + Image(1, 2, 3, 4) + Trailer;
    const int headerEnd = 13 + 12;
    struct Case {
        const char* name;
        QByteArray file;
        int index;
        const char* message;
        int count; // -1: not set
        bool header, background, image;
    };
    const Case cases[] = {
        {"a wrong signature", "XIF89a" + good.mid(6), 0, "unrecognized GIF", -1, false, false, false},
        {"cut in the header", good.left(12), 0, "unrecognized GIF", -1, false, false, false},
        {"cut in the global table", good.left(20), 0, "unrecognized GIF", -1, true, false, false},
        {"cut in the descriptor", good.left(headerEnd + 8 + 5), 0, "unrecognized GIF", -1, true, true, false},
        {"cut in a local table", Header(four) + Image(0, 0, 2, 2, four).left(12), 0, "unrecognized GIF", -1,
         true, true, false},
        {"header and trailer only", Header(four) + Trailer, 0, "GIF image not found", 0, true, true, false},
        {"header only", Header(four), 0, "GIF image not found", 0, true, true, false},
        {"an index past the images", good, 1, "GIF image not found", 1, true, true, false},
        {"a negative index", good, -1, "GIF image not found", 1, true, true, false},
        {"cut in an extension", Header(four) + Control(1, 7, 3).left(5), 0, "GIF image not found", 0, true,
         true, false},
        {"cut in a skipped image", Header(four) + Image(0, 0, 2, 2).left(12), 1, "GIF image not found", 1,
         true, true, false},
        {"the wanted image", good, 0, "LZW decompressor not found", -1, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TIOParamsVals params;
        params.GifImageIndex = c.index;
        const Outcome o = ReadGif(c.file, params);
        EXPECT_EQ(o.message, QLatin1String(c.message));
        EXPECT_EQ(o.count, c.count);
        EXPECT_EQ(o.stages.Header, c.header);
        EXPECT_EQ(o.stages.Background, c.background);
        EXPECT_EQ(o.stages.Image, c.image);
    }
}

TEST(GifRead, ControlExtensionsAndTablesOfTheWantedImage) {
    const std::vector<TBGRColor> global = {C(1, 1, 1), C(2, 2, 2), C(3, 3, 3), C(4, 4, 4)};
    const std::vector<TBGRColor> local = {C(100, 0, 0), C(0, 100, 0)};
    // Two images, each after its own control extension; the second has a local table.
    const QByteArray file = Header(global, 3) + Control(1, 10, 1) + Image(0, 0, 4, 2) + Control(0, 20, 1) +
                            QByteArray::fromHex("21fe03616263 00") + Image(5, 6, 3, 2, local, true) + Trailer;
    TIOParamsVals first;
    EXPECT_EQ(ReadGif(file, first).message, QStringLiteral("LZW decompressor not found"));
    EXPECT_EQ(first.GifDelay, 10);
    EXPECT_TRUE(first.GifHasTransparency);
    EXPECT_EQ(first.GifTransparentColor, C(2, 2, 2));
    EXPECT_EQ(first.GifBackground, C(4, 4, 4));

    TIOParamsVals second;
    second.GifImageIndex = 1;
    second.GifLzwDecoder = StandInDecoder;
    decoderModulo = 2;
    const Outcome o = ReadGif(file, second);
    EXPECT_TRUE(o.message.isEmpty());
    EXPECT_EQ(o.count, 2);
    EXPECT_EQ(second.GifDelay, 20);
    EXPECT_FALSE(second.GifHasTransparency);
    EXPECT_EQ(second.GifTransparentColor, C(0, 100, 0)); // from the local table
    EXPECT_EQ(second.GifLeft, 5);
    EXPECT_EQ(second.GifTop, 6);
    EXPECT_TRUE(second.GifInterlaced);
    EXPECT_TRUE(decoderLog.interlaced);
    EXPECT_EQ(second.BitsPerSample, 1);
    EXPECT_EQ(second.ColorMap, local);
    EXPECT_EQ(o.bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(Rgb(o.bitmap),
              Rgb(Picture(3, 2, [&](int x, int y) { return local[std::size_t((x + 2 * y) % 2)]; })));

    // Control sub-blocks of other sizes: 2 bytes carry no fields, 6 bytes give theirs from the first
    // four; both are skipped to their terminator.
    TIOParamsVals shortControl;
    ReadGif(Header(global) + QByteArray::fromHex("21f9020109 0105 00") + Image(0, 0, 1, 1) + Trailer,
            shortControl);
    EXPECT_FALSE(shortControl.GifHasTransparency);
    EXPECT_EQ(shortControl.GifDelay, 0);
    TIOParamsVals longControl;
    ReadGif(Header(global) + QByteArray::fromHex("21f906011e000299 99 00") + Image(0, 0, 1, 1) + Trailer,
            longControl);
    EXPECT_TRUE(longControl.GifHasTransparency);
    EXPECT_EQ(longControl.GifDelay, 30);
    EXPECT_EQ(longControl.GifTransparentColor, C(3, 3, 3));
    EXPECT_EQ(longControl.Width, 1);
}

TEST(GifRead, ColoursMissingFromTheTablesAreBlack) {
    decoderModulo = 7;
    struct Case {
        const char* name;
        QByteArray file;
        TBGRColor background, transparent;
        bool coloured; // indices 0 and 1 have the table's colours
    };
    const std::vector<TBGRColor> two = {C(9, 8, 7), C(6, 5, 4)};
    const Case cases[] = {
        {"no table", Header({}) + Control(1, 0, 1) + Image(0, 0, 7, 1), Black, Black, false},
        {"indices past the table", Header(two, 9) + Control(1, 0, 200) + Image(0, 0, 7, 1), Black, Black,
         true},
        {"indices within", Header(two, 1) + Control(1, 0, 1) + Image(0, 0, 7, 1), C(6, 5, 4), C(6, 5, 4),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TIOParamsVals params;
        params.GifLzwDecoder = StandInDecoder;
        const Outcome o = ReadGif(c.file, params);
        ASSERT_TRUE(o.message.isEmpty()) << o.message.toStdString();
        EXPECT_EQ(o.count, 1);
        EXPECT_EQ(params.GifBackground, c.background);
        EXPECT_EQ(params.GifTransparentColor, c.transparent);
        EXPECT_EQ(params.BitsPerSample, 1);
        // Indices 0 to 6 over a table of at most two colours; the files have no trailer.
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(Pixel(o.bitmap, x, 0), x < 2 && c.coloured ? two[std::size_t(x)] : Black) << x;
    }
    decoderModulo = 2;
}

TEST(GifRead, OneBitPicturesOnlyInBlackAndWhite) {
    struct Case {
        std::vector<TBGRColor> table;
        TPixelFormat format;
    };
    const Case cases[] = {
        {{Black, White}, pf1bit},
        {{White, Black}, pf1bit},
        {{C(200, 0, 0), C(0, 0, 150)}, pf24bit},
    };
    decoderModulo = 2;
    for (const Case& c : cases) {
        TIOParamsVals params;
        params.GifLzwDecoder = StandInDecoder;
        const Outcome o = ReadGif(Header(c.table) + Image(0, 0, 9, 3) + Trailer, params);
        EXPECT_EQ(o.bitmap.PixelFormat(), c.format);
        EXPECT_EQ(Rgb(o.bitmap),
                  Rgb(Picture(9, 3, [&](int x, int y) { return c.table[std::size_t((x + 2 * y) % 2)]; })));
        if (c.format == pf1bit) {
            EXPECT_EQ(o.bitmap.ScanLine(0)[1] & 0x7F, 0); // nothing past the width
        }
    }
}

TEST(GifRead, ProgressStepsAndBoundedImages) {
    std::vector<int> seen;
    TProgressRec progress;
    progress.OnProgress = [&](QObject*, int per) { seen.push_back(per); };
    const QByteArray file = Header({Black, White}) + Image(0, 0, 2, 2) + Trailer;
    TIOParamsVals params;
    ReadGif(file, params, progress);
    EXPECT_EQ(seen, (std::vector<int>{0, 30}));
    seen.clear();
    params.GifLzwDecoder = StandInDecoder;
    ReadGif(file, params, progress);
    EXPECT_EQ(seen, (std::vector<int>{0, 30, 70, 100}));
}

TEST(GifRead, HugeImagesDeclaredByTinyFilesAreRefusedWithoutALargeAllocation) {
    // 65535 x 65535 pixels, or 16384 x 16384 from three bytes of data, are refused before any
    // buffer is made for the decoder.
    EXPECT_TRUE(kdstest::RunUnderMemoryCap(64, [] {
        TIOParamsVals params;
        params.GifLzwDecoder = StandInDecoder;
        decoderLog = {};
        EXPECT_EQ(ReadGif(Header({Black, White}) + Image(0, 0, 65535, 65535), params).message,
                  QStringLiteral("unrecognized GIF"));
        EXPECT_EQ(ReadGif(Header({Black, White}) + Image(0, 0, 16384, 16384), params).message,
                  QStringLiteral("unrecognized GIF"));
        EXPECT_EQ(ReadGif(Header({Black, White}) + Image(0, 0, 0, 5), params).message,
                  QStringLiteral("unrecognized GIF"));
        EXPECT_TRUE(decoderLog.codeSizes.empty());
    }));
}

TEST(GifWrite, StopsAfterTheDescriptorWithoutAnEncoder) {
    TBitmap bmp = Colourful(20, 10);
    TIOParamsVals params;
    QString message;
    const QByteArray file = WriteGif(bmp, params, &message);
    EXPECT_EQ(message, QStringLiteral("LZW compressor not found"));
    ASSERT_EQ(file.size(), 799); // 13 + 768 + 8 + 10
    EXPECT_EQ(file.left(6), QByteArray("GIF89a"));
    EXPECT_EQ(file.mid(6, 7), QByteArray::fromHex("14000a00f70000"));
    EXPECT_EQ(file.mid(781, 8), QByteArray::fromHex("21f904080000") + file.mid(787, 1) + QByteArray(1, 0));
    EXPECT_EQ(file.mid(789), QByteArray::fromHex("2c00000000 1400 0a00 00"));

    // Too large for the header: nothing is written.
    message.clear();
    EXPECT_TRUE(WriteGif(TBitmap(65536, 1, pf1bit), params, &message).isEmpty());
    EXPECT_EQ(message, QStringLiteral("GIF picture too large"));
}

TEST(GifWrite, TheEncoderGetsTheIndicesAndTheTrailerFollows) {
    struct Case {
        const char* name;
        int bits;
        int packed;
        bool oneBitSource;
    };
    const Case cases[] = {
        {"1 bit", 1, 0x80, false},
        {"bits below 1", 0, 0x80, false},
        {"3 bits", 3, 0xA2, false},
        {"bits above 8", 12, 0xF7, false},
        {"a 1-bit picture at 8 bits", 8, 0xF7, true},
    };
    const TBGRColor red = C(220, 10, 10), blue = C(5, 20, 240);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bmp(7, 3, pf1bit);
        if (c.oneBitSource)
            SetPixel(bmp, 2, 1, White);
        else
            bmp = Picture(7, 3, [&](int x, int y) { return (x + y) % 2 ? red : blue; });
        TIOParamsVals params;
        params.BitsPerSample = c.bits;
        params.GifLzwEncoder = StandInEncoder;
        params.GifInterlaced = true;
        params.GifHasTransparency = true;
        params.GifTransparentColor = red;
        params.GifBackground = blue;
        params.GifDelay = 70000;
        params.GifLeft = 3;
        params.GifTop = -2;
        params.GifVersion = QStringLiteral("GIF87a and more");
        const QByteArray file = WriteGif(bmp, params);
        EXPECT_EQ(file.left(6), QByteArray("GIF87a"));
        EXPECT_EQ(int(std::uint8_t(file[10])), c.packed);
        const int tableEnd = 13 + 3 * (2 << (c.packed & 7));
        EXPECT_EQ(encoderLog.position, std::size_t(tableEnd + 18));
        EXPECT_EQ(encoderLog.bits, std::clamp(c.bits, 1, 8));
        EXPECT_TRUE(encoderLog.interlaced);
        EXPECT_EQ(file.mid(tableEnd + 3, 3), QByteArray::fromHex("09ffff"));
        EXPECT_EQ(file.mid(tableEnd + 8, 10), QByteArray::fromHex("2c030000000700030040"));
        EXPECT_EQ(file.right(1), Trailer);
        // Read back through the stand-in decoder: the same picture, its colours in the table.
        TIOParamsVals read;
        read.GifLzwDecoder = StandInDecoder;
        const Outcome o = ReadGif(file, read);
        ASSERT_TRUE(o.message.isEmpty()) << o.message.toStdString();
        EXPECT_EQ(Rgb(o.bitmap), Rgb(bmp));
        if (!c.oneBitSource) {
            EXPECT_EQ(read.GifBackground, blue);
            EXPECT_EQ(read.GifTransparentColor, red);
        }
    }
}
