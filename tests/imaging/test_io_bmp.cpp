// BMP reading and writing: header checks, bit fields, run-length codes, the palette and 1-bit
// rules of the writer, and the fields it writes.
#include "IoTestSupport.h"
#include "imaging/BMPFilt.h"

#include <gtest/gtest.h>

#include <functional>

using namespace iotest;

namespace {

// A BMP file made field by field; the defaults give a valid 2 x 2 picture of 24 bits.
struct BmpSpec {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t ppm = 2835;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks; // written right behind a 40-byte header
    std::vector<TBGRColor> palette;
    std::vector<std::uint8_t> pixels; // empty: zero rows of the right size
    std::int32_t fileSize = 0;        // 0: the real size
};

QByteArray MakeBmp(const BmpSpec& s) {
    ByteWriter w;
    w.WriteU8('B');
    w.WriteU8('M');
    w.WriteZeros(12);
    w.WriteU32LE(s.headerSize);
    w.WriteI32LE(s.width);
    w.WriteI32LE(s.height);
    w.WriteU16LE(s.planes);
    w.WriteU16LE(s.bits);
    w.WriteU32LE(s.compression);
    w.WriteU32LE(s.imageSize);
    w.WriteI32LE(s.ppm);
    w.WriteI32LE(s.ppm);
    w.WriteU32LE(s.colorsUsed);
    w.WriteU32LE(0);
    if (s.headerSize > 40)
        w.WriteZeros(s.headerSize - 40);
    for (std::uint32_t m : s.masks)
        w.WriteU32LE(m);
    for (const TBGRColor& c : s.palette) {
        w.WriteU8(c.b);
        w.WriteU8(c.g);
        w.WriteU8(c.r);
        w.WriteU8(0);
    }
    const std::size_t offset = w.Position();
    if (s.pixels.empty()) {
        const std::int64_t row = ((std::int64_t(s.width) * s.bits + 31) / 32) * 4;
        w.WriteZeros(std::size_t(row * std::abs(s.height)));
    } else {
        w.WriteBytes(s.pixels.data(), s.pixels.size());
    }
    const std::size_t end = w.Position();
    w.Seek(2);
    w.WriteU32LE(s.fileSize ? std::uint32_t(s.fileSize) : std::uint32_t(end));
    w.Seek(10);
    w.WriteU32LE(std::uint32_t(offset));
    return w.ToByteArray();
}

TBitmap Read(const QByteArray& file, TIOParamsVals& params) {
    ByteReader r(file);
    TBitmap bmp;
    TProgressRec progress;
    ReadBMP(r, bmp, r.Size(), progress, params);
    return bmp;
}

TBitmap Read(const QByteArray& file) {
    TIOParamsVals params;
    return Read(file, params);
}

QByteArray WriteToBytes(TBitmap& bmp, TIOParamsVals& params) {
    return Written([](ByteWriter& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) { WriteBMP(s, b, p, r); },
                   bmp, params)
        .ToByteArray();
}

std::vector<std::uint8_t> Rle8(std::vector<std::uint8_t> indices) {
    std::vector<std::uint8_t> out;
    const int n = EncodeRLE8Row(indices.data(), int(indices.size()), out);
    EXPECT_EQ(n, int(out.size()));
    return out;
}

std::vector<std::uint8_t> Rle4(std::vector<std::uint8_t> indices) {
    std::vector<std::uint8_t> out;
    const int n = EncodeRLE4Row(indices.data(), int(indices.size()), out);
    EXPECT_EQ(n, int(out.size()));
    return out;
}

std::uint32_t U32(const QByteArray& b, int at) {
    return ByteReader(b).PeekU32LE(std::size_t(at));
}

std::uint16_t U16(const QByteArray& b, int at) {
    return ByteReader(b).PeekU16LE(std::size_t(at));
}

const std::vector<TBGRColor> TwoColours = {C(10, 20, 30), C(200, 100, 50)};

} // namespace

TEST(BmpRead, FaultyFilesAreUnrecognized) {
    struct Case {
        const char* name;
        std::function<void(BmpSpec&)> change;
        std::function<void(QByteArray&)> damage;
    };
    auto rle8 = [](std::vector<std::uint8_t> codes) {
        return [codes](BmpSpec& s) {
            s.bits = 8;
            s.compression = 1;
            s.palette = TwoColours;
            s.colorsUsed = 2;
            s.pixels = codes;
        };
    };
    const Case cases[] = {
        {"zero mask",
         [](BmpSpec& s) {
             s.bits = 16, s.compression = 3, s.masks = {0xF800, 0x07E0, 0};
         },
         {}},
        {"overlapping masks",
         [](BmpSpec& s) {
             s.bits = 16, s.compression = 3, s.masks = {0xF800, 0x0FE0, 0x1F};
         },
         {}},
        {"mask with a gap",
         [](BmpSpec& s) {
             s.bits = 32, s.compression = 3, s.masks = {0xF0F000, 0xFF00, 0xFF};
         },
         {}},
        {"mask outside 16 bits",
         [](BmpSpec& s) {
             s.bits = 16, s.compression = 3, s.masks = {0x1F0000, 0x07E0, 0x1F};
         },
         {}},
        {"bit fields on 24 bits",
         [](BmpSpec& s) {
             s.compression = 3, s.masks = {0xFF0000, 0xFF00, 0xFF};
         },
         {}},
        {"bit count 2", [](BmpSpec& s) { s.bits = 2; }, {}},
        {"bit count 0", [](BmpSpec& s) { s.bits = 0; }, {}},
        {"two planes", [](BmpSpec& s) { s.planes = 2; }, {}},
        {"header of 20 bytes", [](BmpSpec& s) { s.headerSize = 20; }, {}},
        {"header of 41 bytes", [](BmpSpec& s) { s.headerSize = 41; }, {}},
        {"65536 dpi", [](BmpSpec& s) { s.ppm = 2580158; }, {}},
        {"palette of 257",
         [](BmpSpec& s) { s.bits = 8, s.colorsUsed = 257, s.palette.assign(257, C(1, 2, 3)); },
         {}},
        {"palette index past the table",
         [](BmpSpec& s) {
             s.bits = 8, s.palette = TwoColours, s.colorsUsed = 2;
             s.pixels = {0, 1, 0, 0, 2, 0, 0, 0};
         },
         {}},
        {"width 0", [](BmpSpec& s) { s.width = 0; }, {}},
        {"negative width", [](BmpSpec& s) { s.width = -2; }, {}},
        {"height 0", [](BmpSpec& s) { s.height = 0; }, {}},
        {"more than 2^28 pixels",
         [](BmpSpec& s) { s.width = 16385, s.height = 16384, s.bits = 1, s.pixels = {0}; },
         {}},
        {"file size past the file", [](BmpSpec& s) { s.fileSize = 1000; }, {}},
        {"truncated pixels", {}, [](QByteArray& b) { b.chop(1); }},
        {"not BM", {}, [](QByteArray& b) { b[1] = 'A'; }},
        {"RLE8 move past the picture", rle8({0, 2, 0, 2, 0, 1}), {}},
        {"RLE8 move past the row", rle8({0, 2, 3, 0, 0, 1}), {}},
        {"RLE8 index past the table", rle8({2, 5, 0, 0, 0, 1}), {}},
        {"RLE8 data ending early", rle8({2, 1, 0, 0}), {}},
        {"RLE8 absolute run cut short", rle8({0, 0, 0, 2, 1}), {}},
        {"RLE8 compressed size past the file",
         [&](BmpSpec& s) {
             rle8({2, 1, 0, 0, 2, 1, 0, 1})(s), s.imageSize = 100;
         },
         {}},
        {"RLE8 top-down",
         [&](BmpSpec& s) {
             rle8({2, 1, 0, 0, 2, 1, 0, 1})(s), s.height = -2;
         },
         {}},
        {"RLE on 24 bits", [](BmpSpec& s) { s.compression = 1; }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpSpec spec;
        if (c.change)
            c.change(spec);
        QByteArray file = MakeBmp(spec);
        if (c.damage)
            c.damage(file);
        TIOParamsVals params;
        params.Width = 77;
        TBitmap bmp(1, 1, pf24bit);
        ByteReader r(file);
        TProgressRec progress;
        try {
            ReadBMP(r, bmp, r.Size(), progress, params);
            ADD_FAILURE() << "read";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("unrecognized BMP"));
        }
        EXPECT_EQ(bmp.Width(), 1);
        EXPECT_EQ(params.Width, 77);
    }
}

// Common writers run-length code an odd width as the even width after it: the run or absolute block
// is cut at the row's end. An image-size field larger than the uncompressed rows is not needed.
TEST(BmpRead, RunsPastAnOddWidthAreCutAndTheImageSizeFieldIsNotNeeded) {
    const TBGRColor c0 = TwoColours[0], c1 = TwoColours[1];
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::vector<std::uint8_t> codes; // bottom row first
    };
    const Case cases[] = {
        {"RLE8", 8, {0, 4, 1, 0, 1, 0, 0, 0, 1, 0, 1, 1, 2, 0, 0, 0, 0, 1}},
        {"RLE4", 4, {4, 0x10, 0, 0, 0, 4, 0x01, 0x00, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpSpec spec;
        spec.width = 3;
        spec.bits = c.bits;
        spec.compression = c.bits == 8 ? 1 : 2;
        spec.palette = TwoColours;
        spec.colorsUsed = 2;
        spec.pixels = c.codes;
        const TBitmap bmp = Read(MakeBmp(spec));
        ASSERT_EQ(bmp.Width(), 3);
        const std::vector<TBGRColor> top = {Pixel(bmp, 0, 0), Pixel(bmp, 1, 0), Pixel(bmp, 2, 0)};
        const std::vector<TBGRColor> bottom = {Pixel(bmp, 0, 1), Pixel(bmp, 1, 1), Pixel(bmp, 2, 1)};
        EXPECT_EQ(top, (std::vector<TBGRColor>{c0, c1, c0}));
        EXPECT_EQ(bottom, (std::vector<TBGRColor>{c1, c0, c1}));
    }

    BmpSpec spec;
    spec.imageSize = 100;
    spec.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    TIOParamsVals params;
    const TBitmap bmp = Read(MakeBmp(spec), params);
    EXPECT_EQ(params.Width, 2);
    EXPECT_EQ(Pixel(bmp, 1, 1), C(6, 5, 4));
    EXPECT_EQ(Pixel(bmp, 0, 0), C(9, 8, 7));
}

TEST(BmpRead, BitFieldsAreHonouredWhereverTheyLie) {
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::vector<std::uint32_t> masks;
        std::uint32_t pixel;
        TBGRColor expected;
    };
    const Case cases[] = {
        {"5-5-5 default", 16, {}, 0x7FFF, C(255, 255, 255)},
        {"5-5-5 red", 16, {}, 0x7C00, C(255, 0, 0)},
        {"5-6-5 green from 6 bits", 16, {0xF800, 0x07E0, 0x001F}, 0x0020, C(0, 4, 0)},
        {"5-6-5 mid", 16, {0xF800, 0x07E0, 0x001F}, 0x8410, C(132, 130, 132)},
        {"blue above red", 16, {0x001F, 0x07E0, 0xF800}, 0xF800, C(0, 0, 255)},
        {"4-4-4", 16, {0x0F00, 0x00F0, 0x000F}, 0x0F80, C(255, 136, 0)},
        {"32 bits default", 32, {}, 0x00112233, C(0x11, 0x22, 0x33)},
        {"32 bits in the high bytes",
         32,
         {0xFF000000, 0x00FF0000, 0x0000FF00},
         0x11223344,
         C(0x11, 0x22, 0x33)},
        {"10-10-10", 32, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x3FF00000, C(255, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpSpec spec;
        spec.width = 1;
        spec.height = 1;
        spec.bits = c.bits;
        if (!c.masks.empty()) {
            spec.compression = 3;
            spec.masks = c.masks;
        }
        for (int i = 0; i < 4; ++i)
            spec.pixels.push_back(std::uint8_t(c.pixel >> (8 * i)));
        for (const std::uint32_t headerSize : {40u, 56u}) {
            if (headerSize == 56 && c.masks.empty())
                continue;
            BmpSpec s = spec;
            QByteArray file;
            if (headerSize == 40) {
                file = MakeBmp(s);
            } else {
                // Longer headers hold the masks at their offset 40.
                s.headerSize = 56;
                s.masks.clear();
                file = MakeBmp(s);
                for (int i = 0; i < 3; ++i) {
                    const std::uint32_t m = c.masks[std::size_t(i)];
                    for (int k = 0; k < 4; ++k)
                        file[14 + 40 + 4 * i + k] = char(m >> (8 * k));
                }
            }
            TIOParamsVals params;
            const TBitmap bmp = Read(file, params);
            EXPECT_EQ(Pixel(bmp, 0, 0), c.expected) << headerSize;
            EXPECT_EQ(params.BitsPerSample, c.bits == 16 ? 5 : 8);
            EXPECT_EQ(params.SamplesPerPixel, 3);
        }
    }
}

TEST(BmpRead, HeadersGiveTheParameters) {
    BmpSpec spec;
    spec.width = 3;
    spec.height = -2; // top-down
    spec.bits = 4;
    spec.colorsUsed = 0;
    spec.palette.assign(16, C(0, 0, 0));
    spec.palette[1] = C(255, 0, 0);
    spec.palette[2] = C(0, 0, 255);
    spec.pixels = {0x12, 0x10, 0, 0, 0x21, 0x00, 0, 0};
    spec.ppm = 11811; // 300 dpi
    TIOParamsVals params;
    const TBitmap bmp = Read(MakeBmp(spec), params);
    ASSERT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_EQ(Pixel(bmp, 0, 0), C(255, 0, 0));
    EXPECT_EQ(Pixel(bmp, 1, 0), C(0, 0, 255));
    EXPECT_EQ(Pixel(bmp, 2, 0), C(255, 0, 0));
    EXPECT_EQ(Pixel(bmp, 0, 1), C(0, 0, 255));
    EXPECT_EQ(Pixel(bmp, 1, 1), C(255, 0, 0));
    EXPECT_EQ(params.ColorMapCount(), 16);
    EXPECT_EQ(params.BitsPerSample, 4);
    EXPECT_EQ(params.SamplesPerPixel, 1);
    EXPECT_EQ(params.Width, 3);
    EXPECT_EQ(params.Height, 2);
    EXPECT_EQ(params.DpiX, 300);
    EXPECT_EQ(params.BmpVersion, 1);
    EXPECT_FALSE(params.BmpCompressed);

    spec.ppm = 0;
    const TBitmap again = Read(MakeBmp(spec), params);
    EXPECT_EQ(params.DpiX, ScreenPixelsPerInch());
}

TEST(BmpRead, RunLengthCodesWithMovesLeaveSkippedPixelsBlack) {
    BmpSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.bits = 8;
    spec.compression = 1;
    spec.palette = TwoColours;
    spec.colorsUsed = 2;
    // Bottom row: 2 x colour 1, then move right 1 and up 1; 1 x colour 0; end of row; absolute
    // run of 3 (0, 1, 1) and its pad; end of picture.
    spec.pixels = {2, 1, 0, 2, 1, 1, 1, 0, 0, 0, 0, 3, 0, 1, 1, 0, 0, 1};
    TIOParamsVals params;
    const TBitmap bmp = Read(MakeBmp(spec), params);
    EXPECT_TRUE(params.BmpCompressed);
    const TBGRColor a = TwoColours[0], b = TwoColours[1], k = C(0, 0, 0);
    const TBGRColor expected[3][4] = {{a, b, b, k}, {k, k, k, a}, {b, b, k, k}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(bmp, x, y), expected[y][x]) << x << "," << y;
}

TEST(BmpRead, ProgressIsReportedBeforeEachRow) {
    BmpSpec spec;
    spec.height = 4;
    const QByteArray file = MakeBmp(spec);
    std::vector<int> seen;
    TProgressRec progress;
    progress.OnProgress = [&](QObject*, int per) { seen.push_back(per); };
    ByteReader r(file);
    TBitmap bmp;
    TIOParamsVals params;
    ReadBMP(r, bmp, r.Size(), progress, params);
    EXPECT_EQ(seen, (std::vector<int>{0, 25, 50, 75}));
}

TEST(BmpWrite, RunLengthRowsAreEncodedAsWorkedOut) {
    using V = std::vector<std::uint8_t>;
    EXPECT_EQ(Rle8({7, 7, 7}), (V{3, 7, 0, 0}));
    EXPECT_EQ(Rle8({1}), (V{1, 1, 0, 0}));
    EXPECT_EQ(Rle8({1, 2}), (V{1, 1, 1, 2, 0, 0}));
    EXPECT_EQ(Rle8({1, 2, 3}), (V{0, 3, 1, 2, 3, 0, 0, 0}));
    EXPECT_EQ(Rle8({1, 2, 3, 4}), (V{0, 4, 1, 2, 3, 4, 0, 0}));
    EXPECT_EQ(Rle8({1, 2, 3, 3}), (V{1, 1, 1, 2, 2, 3, 0, 0}));
    EXPECT_EQ(Rle8({5, 5, 1, 2, 3, 9, 9}), (V{2, 5, 0, 3, 1, 2, 3, 0, 2, 9, 0, 0}));
    EXPECT_EQ(Rle8(V(256, 4)), (V{255, 4, 1, 4, 0, 0}));
    EXPECT_EQ(Rle4({1, 2}), (V{2, 0x12, 0, 0}));
    EXPECT_EQ(Rle4({3}), (V{1, 0x30, 0, 0}));
    EXPECT_EQ(Rle4({1, 2, 3}), (V{0, 3, 0x12, 0x30, 0, 0}));
    EXPECT_EQ(Rle4({1, 2, 3, 4, 5}), (V{0, 5, 0x12, 0x34, 0x50, 0, 0, 0}));
    EXPECT_EQ(Rle4({6, 6, 6, 6}), (V{4, 0x66, 0, 0}));

    // 300 indices with no two neighbours equal: literal stretches of 255 and 45.
    V row(300);
    for (int i = 0; i < 300; ++i)
        row[std::size_t(i)] = std::uint8_t(i % 2 ? 1 : 2 + i % 200);
    const V out = Rle8(row);
    ASSERT_EQ(out.size(), 2 + 255 + 1 + 2 + 45 + 1 + 2);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 255);
    EXPECT_EQ(out[2 + 255], 0); // pad after an odd count
    EXPECT_EQ(out[258], 0);
    EXPECT_EQ(out[259], 45);
    EXPECT_EQ(V(out.end() - 2, out.end()), (V{0, 0}));
}

TEST(BmpWrite, DepthFollowsTheParametersAndColoursStayExact) {
    struct Case {
        int bitsPerSample;
        int samplesPerPixel;
        bool compressed;
        int bitCount;
        int compression;
        int tableEntries;
    };
    const Case cases[] = {
        {8, 3, false, 24, 0, 0}, {8, 1, false, 8, 0, 256}, {8, 1, true, 8, 1, 256}, {4, 3, false, 4, 0, 16},
        {4, 1, true, 4, 2, 16},  {1, 3, false, 1, 0, 2},   {1, 1, true, 1, 0, 2},   {5, 3, true, 24, 0, 0},
    };
    // Six colours in runs and singles, width odd so that rows need padding.
    const TBitmap source = Picture(13, 5, [](int x, int y) {
        static const TBGRColor colours[] = {C(255, 0, 0), C(0, 255, 0),   C(0, 0, 255),
                                            C(9, 9, 9),   C(250, 250, 0), C(1, 2, 3)};
        return colours[(x / 3 + y) % 6];
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.bitsPerSample << " x " << c.samplesPerPixel << " rle " << c.compressed);
        TBitmap bmp = source;
        TIOParamsVals params;
        params.BitsPerSample = c.bitsPerSample;
        params.SamplesPerPixel = c.samplesPerPixel;
        params.BmpCompressed = c.compressed;
        params.DpiX = 300;
        params.DpiY = 150;
        const QByteArray file = WriteToBytes(bmp, params);
        EXPECT_EQ(U16(file, 0), 19778);
        EXPECT_EQ(U32(file, 2), std::uint32_t(file.size()));
        EXPECT_EQ(U32(file, 14), 40u);
        EXPECT_EQ(U16(file, 28), c.bitCount);
        EXPECT_EQ(U32(file, 30), std::uint32_t(c.compression));
        EXPECT_EQ(U32(file, 10), 54u + 4u * std::uint32_t(c.tableEntries));
        EXPECT_EQ(U32(file, 34), std::uint32_t(file.size()) - U32(file, 10));
        EXPECT_EQ(U32(file, 38), 11811u);
        EXPECT_EQ(U32(file, 42), 5906u);
        EXPECT_EQ(U32(file, 46), std::uint32_t(c.tableEntries));
        EXPECT_EQ(U32(file, 50), c.bitCount == 24 ? 16777216u : std::uint32_t(c.tableEntries));
        EXPECT_EQ(params.ColorMapCount(), c.tableEntries);
        const TBitmap back = Read(file);
        if (c.bitCount >= 4) {
            EXPECT_EQ(Rgb(back), Rgb(source));
        } else {
            EXPECT_EQ(back.PixelFormat(), pf1bit); // six colours dithered to black and white
        }
    }
}

TEST(BmpWrite, PicturesOfMoreColoursThanThePaletteAreQuantised) {
    TBitmap bmp = Colourful(40, 30);
    TIOParamsVals params;
    params.BitsPerSample = 4;
    params.SamplesPerPixel = 1;
    const TBitmap back = Read(WriteToBytes(bmp, params));
    THash1 colours(13);
    for (int y = 0; y < back.Height(); ++y)
        for (int x = 0; x < back.Width(); ++x)
            colours.Insert(BGRValue(Pixel(back, x, y)));
    EXPECT_LE(colours.Count(), 16);
    EXPECT_GT(colours.Count(), 4);
}

TEST(BmpWrite, OneBitKeepsTwoColoursAndDithersMore) {
    TIOParamsVals params;
    params.BitsPerSample = 1;
    // Two colours: the darker one is entry 0, whatever comes first.
    TBitmap two = Picture(9, 3, [](int x, int) { return x % 3 ? C(200, 180, 20) : C(20, 40, 90); });
    const QByteArray file = WriteToBytes(two, params);
    EXPECT_EQ(params.ColorMap, (std::vector<TBGRColor>{C(20, 40, 90), C(200, 180, 20)}));
    const TBitmap back = Read(file);
    EXPECT_EQ(back.PixelFormat(), pf24bit);
    EXPECT_EQ(Rgb(back), Rgb(two));

    // Black and white stays a 1-bit picture; a single colour keeps its colour.
    TBitmap bw = Picture(9, 3, [](int x, int y) { return (x + y) % 2 ? C(255, 255, 255) : C(0, 0, 0); });
    const TBitmap bwBack = Read(WriteToBytes(bw, params));
    EXPECT_EQ(bwBack.PixelFormat(), pf1bit);
    EXPECT_EQ(Rgb(bwBack), Rgb(bw));
    TBitmap one = Picture(5, 2, [](int, int) { return C(30, 60, 90); });
    EXPECT_EQ(Rgb(Read(WriteToBytes(one, params))), Rgb(one));

    // A 1-bit picture is written as it is.
    TBitmap mono(10, 2, pf1bit);
    SetPixel(mono, 3, 1, C(255, 255, 255));
    const TBitmap monoBack = Read(WriteToBytes(mono, params));
    EXPECT_EQ(monoBack.PixelFormat(), pf1bit);
    EXPECT_EQ(Rgb(monoBack), Rgb(mono));
}

TEST(BmpWrite, CoreAndLongHeaders) {
    TBitmap bmp = Picture(5, 3, [](int x, int) { return x < 2 ? C(1, 2, 3) : C(250, 0, 7); });
    TIOParamsVals params;
    params.BmpVersion = 2;
    params.SamplesPerPixel = 1;
    params.BmpCompressed = true; // not for the core header
    QByteArray file = WriteToBytes(bmp, params);
    EXPECT_EQ(U32(file, 14), 12u);
    EXPECT_EQ(U16(file, 18), 5);
    EXPECT_EQ(U16(file, 20), 3);
    EXPECT_EQ(U16(file, 24), 8);
    EXPECT_EQ(U32(file, 10), 14u + 12u + 3u * 256u);
    EXPECT_EQ(U32(file, 2), std::uint32_t(file.size()));
    TIOParamsVals read;
    EXPECT_EQ(Rgb(Read(file, read)), Rgb(bmp));
    EXPECT_EQ(read.BmpVersion, 2);
    EXPECT_FALSE(read.BmpCompressed);
    EXPECT_EQ(read.DpiX, ScreenPixelsPerInch());

    params.BmpVersion = 3;
    file = WriteToBytes(bmp, params);
    EXPECT_EQ(U32(file, 14), 64u);
    EXPECT_EQ(U32(file, 30), 1u);
    EXPECT_EQ(Rgb(Read(file, read)), Rgb(bmp));
    EXPECT_EQ(read.BmpVersion, 3);
    EXPECT_TRUE(read.BmpCompressed);
}

TEST(BmpWrite, ProgressAndOneBitSourcesAtTwentyFourBits) {
    TBitmap mono(3, 2, pf1bit);
    SetPixel(mono, 1, 0, C(255, 255, 255));
    TIOParamsVals params;
    std::vector<int> seen;
    TProgressRec progress;
    progress.OnProgress = [&](QObject*, int per) { seen.push_back(per); };
    ByteWriter out;
    WriteBMP(out, mono, params, progress);
    EXPECT_EQ(seen, (std::vector<int>{0, 50}));
    const TBitmap back = Read(out.ToByteArray());
    EXPECT_EQ(back.PixelFormat(), pf24bit);
    EXPECT_EQ(Rgb(back), Rgb(mono));
}

TEST(BmpWrite, AFourBitPictureKeepsItsOwnTableAndIndices) {
    // A 3 x 2 picture of indices 15 0 1 / 2 14 15 over a table whose order the writer must keep.
    TBitmap four(3, 2, pf4bit);
    std::vector<TBGRColor> table;
    for (int i = 0; i < 16; ++i)
        table.push_back(C(i * 16, 255 - i, i));
    four.SetPalette(table);
    four.ScanLine(0)[0] = 0xF0;
    four.ScanLine(0)[1] = 0x10;
    four.ScanLine(1)[0] = 0x2E;
    four.ScanLine(1)[1] = 0xF0;
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "run-length" : "plain");
        TIOParamsVals params; // 8 bits, 3 samples: the picture's own depth wins
        params.BmpCompressed = compressed;
        TBitmap bmp = four;
        const QByteArray file = WriteToBytes(bmp, params);
        EXPECT_EQ(U16(file, 28), 4);
        EXPECT_EQ(U32(file, 46), 16u);
        for (int i = 0; i < 16; ++i) {
            const auto* e = reinterpret_cast<const std::uint8_t*>(file.constData()) + 54 + 4 * i;
            EXPECT_EQ(e[0], table[std::size_t(i)].b) << i;
            EXPECT_EQ(e[1], table[std::size_t(i)].g) << i;
            EXPECT_EQ(e[2], table[std::size_t(i)].r) << i;
        }
        if (!compressed) {
            // Rows bottom-up, high nibble left.
            const auto* px = reinterpret_cast<const std::uint8_t*>(file.constData()) + U32(file, 10);
            EXPECT_EQ(px[0], 0x2E);
            EXPECT_EQ(px[1], 0xF0);
            EXPECT_EQ(px[4], 0xF0);
            EXPECT_EQ(px[5], 0x10);
        }
        const TBitmap back = Read(file);
        EXPECT_EQ(Rgb(back), Rgb(four));
    }
}
