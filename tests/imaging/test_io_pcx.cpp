// PCX reading and writing: files of other programs against their source pictures, the header
// checks, the line coding and the writer's layouts.
#include "IoTestSupport.h"
#include "imaging/PCXFilter.h"
#include "tests/support/MemoryCap.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace iotest;

namespace {

QString Fixture(const char* name) {
    return kdstest::SourcePath(QStringLiteral("tests/imaging/data/pcx/") + QLatin1String(name));
}

// The header of a file made by hand.
struct Spec {
    int manufacturer = 10;
    int version = 5;
    int encoding = 1;
    int bits = 8;
    int planes = 1;
    int xMin = 0, yMin = 0;
    int width = 2;
    int height = 1;
    int bytesPerLine = 2;
    int dpiX = 72, dpiY = 72;
    std::vector<TBGRColor> map;
};

// The header, the data and, for one plane of 8 bits, the marker (none when -1) and a grey map
// (entry i is grey i).
QByteArray PcxFile(const Spec& s, const QByteArray& data, int marker = 12) {
    ByteWriter w;
    w.WriteU8(std::uint8_t(s.manufacturer));
    w.WriteU8(std::uint8_t(s.version));
    w.WriteU8(std::uint8_t(s.encoding));
    w.WriteU8(std::uint8_t(s.bits));
    w.WriteU16LE(std::uint16_t(s.xMin));
    w.WriteU16LE(std::uint16_t(s.yMin));
    w.WriteU16LE(std::uint16_t(s.xMin + s.width - 1));
    w.WriteU16LE(std::uint16_t(s.yMin + s.height - 1));
    w.WriteU16LE(std::uint16_t(s.dpiX));
    w.WriteU16LE(std::uint16_t(s.dpiY));
    for (int i = 0; i < 16; ++i) {
        const TBGRColor c = std::size_t(i) < s.map.size() ? s.map[std::size_t(i)] : TBGRColor{};
        w.WriteU8(c.r);
        w.WriteU8(c.g);
        w.WriteU8(c.b);
    }
    w.WriteU8(0);
    w.WriteU8(std::uint8_t(s.planes));
    w.WriteU16LE(std::uint16_t(s.bytesPerLine));
    w.WriteU16LE(1);
    w.WriteZeros(128 - w.Size());
    w.WriteBytes(data.constData(), std::size_t(data.size()));
    if (s.planes == 1 && s.bits == 8) {
        if (marker >= 0)
            w.WriteU8(std::uint8_t(marker));
        for (int i = 0; i < 256; ++i)
            for (int k = 0; k < 3; ++k)
                w.WriteU8(std::uint8_t(i));
    }
    return w.ToByteArray();
}

void ReadWhole(ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
    ReadPCX(s, b, p, r, std::int64_t(s.Size()));
}

TBitmap Read(const QByteArray& file, TIOParamsVals& params) {
    ByteReader r(file);
    TBitmap bmp;
    TProgressRec progress;
    ReadWhole(r, bmp, params, progress);
    return bmp;
}

TBitmap Read(const QByteArray& file) {
    TIOParamsVals params;
    return Read(file, params);
}

// The rows of a grey picture as "a b/c d", one number per pixel.
QByteArray Greys(const TBitmap& bmp) {
    QByteArray out;
    for (int y = 0; y < bmp.Height(); ++y) {
        if (y)
            out += '/';
        for (int x = 0; x < bmp.Width(); ++x) {
            if (x)
                out += ' ';
            out += QByteArray::number(Pixel(bmp, x, y).g);
        }
    }
    return out;
}

QByteArray Write(const TBitmap& bmp, TIOParamsVals& params) {
    ByteWriter out;
    TProgressRec progress;
    WritePCX(out, bmp, params, progress);
    return out.ToByteArray();
}

int U16(const QByteArray& file, int at) {
    return std::uint8_t(file[at]) | (std::uint8_t(file[at + 1]) << 8);
}

const TBGRColor Black = C(0, 0, 0);
const TBGRColor White = C(255, 255, 255);

} // namespace

TEST(PcxRead, FilesOfOtherProgramsKeepTheirExactColours) {
    struct Case {
        const char* file;
        const char* source;
        int bits;
        int planes;
        int mapEntries;
        int dpi; // 0: the screen's
    };
    const Case cases[] = {
        {"rose2-packed.pcx", "rose2.ppm", 1, 1, 2, 70},     // bytes per line 9
        {"rose16-packed.pcx", "rose16.ppm", 4, 1, 16, 70},  // bytes per line 35
        {"rose256-8bit.pcx", "rose256.ppm", 8, 1, 256, 70}, // the trailing map
        {"rose-24bit.pcx", "rose.ppm", 8, 3, 0, 70},        {"rose-im.pcx", "rose.ppm", 8, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TBitmap bmp(2, 2, pf24bit);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        io.LoadFromFile(Fixture(c.file));
        const TBitmap source = ReadPpm(kdstest::ReadFile(Fixture(c.source)));
        EXPECT_EQ(bmp.PixelFormat(), pf24bit);
        EXPECT_EQ(Rgb(bmp), Rgb(source));
        const TIOParamsVals& p = io.Params();
        EXPECT_EQ(p.FileType, ioPCX);
        EXPECT_EQ(p.BitsPerSample, c.bits);
        EXPECT_EQ(p.SamplesPerPixel, c.planes);
        EXPECT_EQ(p.ColorMapCount(), c.mapEntries);
        EXPECT_EQ(p.Width, 70);
        EXPECT_EQ(p.Height, 46);
        EXPECT_EQ(p.PcxVersion, 5);
        // ppmtopcx writes the picture's size as its resolution.
        EXPECT_EQ(p.DpiX, c.dpi ? c.dpi : ScreenPixelsPerInch());
        EXPECT_EQ(p.DpiY, c.dpi ? 46 : ScreenPixelsPerInch());
    }
}

TEST(PcxRead, LayoutsWithoutALineFormAreUnrecognized) {
    // 1 bit in four planes, 2 bits in one plane, four planes of 8 bits.
    for (const char* file : {"rose16-planes.pcx", "rose4-packed.pcx", "rose-alpha.pcx"}) {
        SCOPED_TRACE(file);
        TBitmap bmp = Colourful(3, 2);
        const QByteArray before = Rgb(bmp);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        io.Params().SamplesPerPixel = 1;
        try {
            io.LoadFromFile(Fixture(file));
            ADD_FAILURE() << "loaded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("unrecognized PCX"));
        }
        EXPECT_EQ(Rgb(bmp), before);
        EXPECT_EQ(io.Params().SamplesPerPixel, 1);
        // The file's name and kind are taken before reading.
        EXPECT_EQ(io.Params().FileType, ioPCX);
        EXPECT_EQ(io.Params().FileName, Fixture(file));
    }
}

TEST(PcxRead, BadHeadersAndShortDataAreUnrecognized) {
    struct Case {
        const char* name;
        Spec spec;
        QByteArray data;
    };
    auto with = [](auto change) {
        Spec s;
        change(s);
        return s;
    };
    const QByteArray twoBytes = QByteArray::fromHex("0102");
    const Case cases[] = {
        {"manufacturer 11", with([](Spec& s) { s.manufacturer = 11; }), twoBytes},
        {"encoding 2", with([](Spec& s) { s.encoding = 2; }), twoBytes},
        {"two planes", with([](Spec& s) { s.planes = 2; }), twoBytes + twoBytes},
        {"four planes", with([](Spec& s) { s.planes = 4; }), twoBytes.repeated(4)},
        {"2 bits", with([](Spec& s) { s.bits = 2; }), twoBytes},
        {"7 bits", with([](Spec& s) { s.bits = 7; }), twoBytes},
        {"three planes of 4 bits", with([](Spec& s) { s.planes = 3, s.bits = 4; }), twoBytes.repeated(3)},
        {"bytes per line 0", with([](Spec& s) { s.bytesPerLine = 0; }), twoBytes},
        {"bytes per line below the width", with([](Spec& s) { s.width = 3; }), twoBytes},
        {"1 bit, 17 pixels in 2 bytes", with([](Spec& s) { s.bits = 1, s.width = 17; }), twoBytes},
        {"last column before the first", with([](Spec& s) { s.xMin = 5, s.width = 0; }), twoBytes},
        {"65535 x 65535", with([](Spec& s) { s.width = s.height = 65535, s.bytesPerLine = 65535; }),
         twoBytes},
        {"coded data ending inside the last line", with([](Spec& s) { s.height = 2; }),
         QByteArray::fromHex("c30a")},
        {"a run without its value", with([](Spec& s) { s.height = 1; }), QByteArray::fromHex("01c2")},
        {"raw data ending inside the last line", with([](Spec& s) { s.encoding = 0, s.height = 2; }),
         QByteArray::fromHex("010203")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DamagedReadMessage(ReadWhole, PcxFile(c.spec, c.data, -1)),
                  QStringLiteral("unrecognized PCX"));
    }
    // Shorter than the header; one plane of 8 bits shorter than header and map; the map is not
    // taken as pixels when the data run short.
    const QByteArray whole = PcxFile(Spec{}, twoBytes);
    EXPECT_EQ(DamagedReadMessage(ReadWhole, whole.left(127)), QStringLiteral("unrecognized PCX"));
    EXPECT_EQ(DamagedReadMessage(ReadWhole, whole.left(128 + 767)), QStringLiteral("unrecognized PCX"));
    EXPECT_EQ(DamagedReadMessage(ReadWhole, PcxFile(Spec{}, QByteArray())),
              QStringLiteral("unrecognized PCX"));
}

namespace {

void ReadHugeDeclarations() {
    Spec huge;
    huge.width = huge.height = huge.bytesPerLine = 16384;
    Spec large;
    large.width = large.height = large.bytesPerLine = 8000;
    struct Case {
        const char* name;
        QByteArray file;
    };
    const Case cases[] = {
        {"16384 x 16384 from two bytes", PcxFile(huge, QByteArray::fromHex("ffff"), -1)},
        {"8000 x 8000 from runs that cannot fill it", PcxFile(large, QByteArray(60000, '\xff'), -1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DamagedReadMessage(ReadWhole, c.file), QStringLiteral("unrecognized PCX"));
    }
    // Runs of 63 fill 2000 x 2000 pixels from 128 kilobytes: such files still read.
    Spec dense;
    dense.width = dense.height = dense.bytesPerLine = 2000;
    QByteArray runs;
    for (int i = 0; i < 2000 * 2000 / 63; ++i)
        runs += QByteArray::fromHex("ff05");
    runs += QByteArray::fromHex("c105").repeated(2000 * 2000 % 63);
    const TBitmap bmp = Read(PcxFile(dense, runs, -1));
    EXPECT_EQ(bmp.Width(), 2000);
    EXPECT_EQ(Pixel(bmp, 1999, 1999), C(5, 5, 5));
}

} // namespace

TEST(PcxRead, HugePicturesDeclaredByTinyFilesAreRefusedWithoutALargeAllocation) {
    EXPECT_TRUE(kdstest::RunUnderMemoryCap(64, ReadHugeDeclarations));
}

TEST(PcxRead, LinesDecodeWithinTheirBuffer) {
    struct Case {
        const char* name;
        int encoding;
        int width;
        int height;
        int bytesPerLine;
        QByteArray data;
        QByteArray rows;
    };
    const Case cases[] = {
        {"a run passing the line's end carries over", 1, 2, 2, 2, QByteArray::fromHex("c30509"), "5 5/5 9"},
        {"a run carried over two lines", 1, 2, 3, 2, QByteArray::fromHex("c50701"), "7 7/7 7/7 1"},
        {"literals, runs of one and of none", 1, 3, 1, 4, QByteArray::fromHex("c1c8c00902c1ff00"),
         "200 2 255"},
        {"bytes past the width are not pixels", 1, 1, 2, 4, QByteArray::fromHex("0863c20609c300"), "8/9"},
        {"raw lines", 0, 3, 2, 4, QByteArray::fromHex("c1020304 05060708"), "193 2 3/5 6 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Spec s;
        s.encoding = c.encoding;
        s.width = c.width;
        s.height = c.height;
        s.bytesPerLine = c.bytesPerLine;
        try {
            EXPECT_EQ(Greys(Read(PcxFile(s, c.data, -1))), c.rows);
        } catch (const EInvalidGraphic& e) {
            ADD_FAILURE() << e.what();
        }
    }
    // The map is the file's last 768 bytes whatever byte stands before them.
    Spec s;
    EXPECT_EQ(Greys(Read(PcxFile(s, QByteArray::fromHex("0304"), 0x55))), QByteArray("3 4"));
    // 4 bits of odd width: the left pixel in the high nibble, through the header's map.
    s.bits = 4;
    s.width = 3;
    for (int i = 0; i < 16; ++i)
        s.map.push_back(C(i * 10, i * 10, i * 10));
    EXPECT_EQ(Greys(Read(PcxFile(s, QByteArray::fromHex("12c1f0")))), QByteArray("10 20 150"));
}

TEST(PcxRead, OneBitFilesStayOneBitOnlyInBlackAndWhite) {
    struct Case {
        const char* name;
        std::vector<TBGRColor> map;
        TPixelFormat format;
        TBGRColor zero, one;
    };
    const TBGRColor red = C(200, 0, 0), blue = C(0, 0, 150);
    const Case cases[] = {
        {"black and white", {Black, White}, pf1bit, Black, White},
        {"white and black", {White, Black}, pf1bit, White, Black},
        {"an all-zero map", {}, pf1bit, Black, White},
        {"two colours", {red, blue}, pf24bit, red, blue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Spec s;
        s.bits = 1;
        s.width = 11;
        s.height = 1;
        s.map = c.map;
        // Pixels 1, 0, 1, 1, then zeros; the bits past the width are set in the file.
        TIOParamsVals params;
        const TBitmap bmp = Read(PcxFile(s, QByteArray::fromHex("b01f")), params);
        EXPECT_EQ(bmp.PixelFormat(), c.format);
        const std::vector<TBGRColor> row = {c.one, c.zero, c.one, c.one};
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(Pixel(bmp, x, 0), x < 4 ? row[std::size_t(x)] : c.zero) << x;
        if (c.format == pf1bit) {
            EXPECT_EQ(bmp.ScanLine(0)[1] & 0x1F, 0);
        }
        std::vector<TBGRColor> header = c.map;
        header.resize(2);
        EXPECT_EQ(params.ColorMap, header);
        EXPECT_EQ(params.BitsPerSample, 1);
        EXPECT_EQ(params.SamplesPerPixel, 1);
    }
}

TEST(PcxRead, FileFormProgressAndResolution) {
    TBitmap bmp;
    TIOParamsVals params;
    std::vector<int> seen;
    TProgressRec progress;
    progress.OnProgress = [&](QObject*, int per) { seen.push_back(per); };
    ReadPCXFile(Fixture("rose16-packed.pcx"), bmp, params, progress);
    EXPECT_EQ(Rgb(bmp), Rgb(ReadPpm(kdstest::ReadFile(Fixture("rose16.ppm")))));
    ASSERT_EQ(seen.size(), 46u);
    EXPECT_EQ(seen[1], 2);
    EXPECT_EQ(seen.back(), 97);

    // Only a horizontal resolution of 0 takes the screen's for both.
    Spec s;
    s.dpiX = 0;
    s.dpiY = 300;
    Read(PcxFile(s, QByteArray::fromHex("0102")), params);
    EXPECT_EQ(params.DpiX, ScreenPixelsPerInch());
    EXPECT_EQ(params.DpiY, ScreenPixelsPerInch());
    s.dpiX = 300;
    s.dpiY = 0;
    s.version = 3;
    Read(PcxFile(s, QByteArray::fromHex("0102")), params);
    EXPECT_EQ(params.DpiX, 300);
    EXPECT_EQ(params.DpiY, 0);
    EXPECT_EQ(params.PcxVersion, 3);
    EXPECT_THROW(ReadPCXFile(Fixture("missing.pcx"), bmp, params, progress), EReadError);
}

TEST(PcxWrite, LineCoding) {
    struct Case {
        std::vector<std::uint8_t> samples;
        int stride, offset;
        QByteArray coded;
    };
    const Case cases[] = {
        {{7, 7, 7, 200}, 1, 0, QByteArray::fromHex("c307c1c8")},
        {{5}, 1, 0, QByteArray::fromHex("0500")},
        {{191, 192, 192}, 1, 0, QByteArray::fromHex("bfc2c000")},
        {std::vector<std::uint8_t>(64, 9), 1, 0, QByteArray::fromHex("ff0909")},
        // Every third sample from the third: the red plane of a blue, green, red row.
        {{1, 2, 3, 4, 5, 3, 7, 8, 9}, 3, 2, QByteArray::fromHex("c20309 00")},
    };
    for (const Case& c : cases) {
        const int count = (int(c.samples.size()) - c.offset + c.stride - 1) / c.stride;
        std::vector<std::uint8_t> out(std::size_t(count) * 2 + 2);
        const int n = EncodePCXLine(out.data(), c.samples.data(), count, c.stride, c.offset);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out.data()), n), c.coded);
    }
}

TEST(PcxWrite, ThreeByOneRawPictureHasEvenLines) {
    const TBitmap bmp = Picture(3, 1, [](int x, int) { return C(10 + x, 20 + x, 30 + x); });
    TIOParamsVals params;
    params.PcxCompressed = false;
    params.DpiX = 70000;
    params.DpiY = -3;
    const QByteArray file = Write(bmp, params);
    ASSERT_EQ(file.size(), 128 + 12);
    EXPECT_EQ(file.left(4), QByteArray::fromHex("0a050008"));
    EXPECT_EQ(U16(file, 8), 2);
    EXPECT_EQ(U16(file, 10), 0);
    EXPECT_EQ(U16(file, 12), 65535); // resolutions are 16 bits
    EXPECT_EQ(U16(file, 14), 0);
    EXPECT_EQ(int(file[65]), 3);
    EXPECT_EQ(U16(file, 66), 4);
    EXPECT_EQ(U16(file, 68), 0);
    EXPECT_EQ(file.mid(128), QByteArray::fromHex("0a0b0c00 14151600 1e1f2000"));
    EXPECT_EQ(Rgb(Read(file)), Rgb(bmp));
}

TEST(PcxWrite, EveryLayoutComesBackRawAndCoded) {
    struct Layout {
        const char* name;
        int bits, samples;
        int fileBits, planes;
        int colours; // of the picture written; 0 many
    };
    const Layout layouts[] = {
        {"1 bit", 1, 1, 1, 1, 2},
        {"1 bit whatever the samples", 1, 3, 1, 1, 2},
        {"2 bits as 4", 2, 1, 4, 1, 16},
        {"4 bits", 4, 1, 4, 1, 16},
        {"5 bits as 8", 5, 1, 8, 1, 200},
        {"8 bits", 8, 1, 8, 1, 200},
        {"the board's 8 bits of 3 samples", 8, 3, 8, 3, 0},
        {"16-bit samples as 24 bits", 16, 3, 8, 3, 0},
        {"colour with alpha as 24 bits", 8, 4, 8, 3, 0},
    };
    const TBGRColor red = C(220, 10, 10), blue = C(5, 20, 240);
    for (const Layout& l : layouts)
        for (int width : {1, 3, 7})
            for (bool coded : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << l.name << ", width " << width << (coded ? ", coded" : ", raw"));
                const int height = l.colours == 200 ? (200 + width - 1) / width : 5;
                TBitmap bmp = Picture(width, height, [&](int x, int y) {
                    const int i = y * width + x;
                    switch (l.colours) {
                    case 2:
                        return (x + y) % 3 ? red : blue;
                    case 16:
                        return C(i % 16 * 16, 255 - i % 16, 7);
                    case 200:
                        return C(i % 200, i % 200 / 2, 255 - i % 200);
                    default:
                        return C(x * 31 + y, y * 50, (x ^ y) * 17);
                    }
                });
                TIOParamsVals params;
                params.BitsPerSample = l.bits;
                params.SamplesPerPixel = l.samples;
                params.PcxCompressed = coded;
                const QByteArray file = Write(bmp, params);
                EXPECT_EQ(int(file[2]), coded ? 1 : 0);
                EXPECT_EQ(int(file[3]), l.fileBits);
                EXPECT_EQ(int(file[65]), l.planes);
                EXPECT_EQ(U16(file, 66) % 2, 0);
                EXPECT_EQ(U16(file, 68), l.planes == 3 ? 0 : 1);
                const bool trailing = l.fileBits == 8 && l.planes == 1;
                if (!coded) {
                    const int lines = height * l.planes * U16(file, 66);
                    EXPECT_EQ(file.size(), 128 + lines + (trailing ? 769 : 0));
                }
                if (trailing) {
                    EXPECT_EQ(int(file[file.size() - 769]), 12);
                }
                TIOParamsVals read;
                const TBitmap back = Read(file, read);
                EXPECT_EQ(Rgb(back), Rgb(bmp));
                EXPECT_EQ(back.PixelFormat(), pf24bit);
                EXPECT_EQ(read.BitsPerSample, l.fileBits);
                EXPECT_EQ(read.SamplesPerPixel, l.planes);
            }
}

TEST(PcxWrite, OneBitSourcesAndTheirColours) {
    TIOParamsVals params;
    params.BitsPerSample = 1;
    // A 1-bit picture is written as it is and read back as one.
    TBitmap mono(10, 3, pf1bit);
    SetPixel(mono, 3, 1, White);
    SetPixel(mono, 9, 2, White);
    QByteArray file = Write(mono, params);
    EXPECT_EQ(file.mid(16, 6), QByteArray::fromHex("000000ffffff"));
    TBitmap back = Read(file);
    EXPECT_EQ(back.PixelFormat(), pf1bit);
    EXPECT_EQ(Rgb(back), Rgb(mono));
    // Black and white, and one colour alone, keep their colours.
    for (const TBitmap& bmp : {Picture(5, 2, [](int x, int y) { return (x + y) % 2 ? White : Black; }),
                               Picture(5, 2, [](int, int) { return C(30, 60, 90); }),
                               Picture(5, 2, [](int, int) { return White; })})
        EXPECT_EQ(Rgb(Read(Write(bmp, params))), Rgb(bmp));
    // Many colours are dithered to black and white.
    back = Read(Write(Colourful(9, 9), params));
    EXPECT_EQ(back.PixelFormat(), pf1bit);
}

TEST(PcxWrite, PicturesTheHeaderCannotHoldAreRefused) {
    TIOParamsVals params;
    params.BitsPerSample = 1;
    params.PcxCompressed = false;
    EXPECT_EQ(Write(TBitmap(65536, 1, pf1bit), params).size(), 128 + 8192);
    for (const TBitmap& bmp : {TBitmap(65537, 1, pf1bit), TBitmap(1, 65537, pf1bit)}) {
        ByteWriter out;
        TProgressRec progress;
        try {
            WritePCX(out, bmp, params, progress);
            ADD_FAILURE() << "written";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("PCX picture too large"));
        }
        EXPECT_EQ(out.Size(), 0u);
    }
    // 65535 samples need 65536 bytes per line.
    params.BitsPerSample = 8;
    EXPECT_THROW(Write(TBitmap(65535, 1, pf24bit), params), EInvalidGraphic);
}

TEST(PcxWrite, TheComponentSavesAndReloadsTheBoardsDrawing) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("board.PCX"));
    TBitmap drawing = Colourful(37, 11);
    TImageIO io;
    io.SetAttachedBitmap(&drawing);
    io.Params().BitsPerSample = 8;
    io.SaveToFile(file);
    TBitmap back;
    TImageIO reader;
    reader.SetAttachedBitmap(&back);
    reader.LoadFromFile(file);
    EXPECT_EQ(Rgb(back), Rgb(drawing));
    EXPECT_EQ(reader.Params().SamplesPerPixel, 3);
    EXPECT_EQ(reader.Params().FileType, ioPCX);
}
