// PNG reading and writing over the library: the kinds of file written, round trips, background,
// resolution, interlacing and errors.
#include "IoTestSupport.h"
#include "imaging/BMPFilt.h"
#include "imaging/JPEGFilt.h"
#include "imaging/PNGFilt.h"
#include "tests/support/MemoryCap.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <zlib.h>

using namespace iotest;

namespace {

QByteArray WritePng(TBitmap& bmp, TIOParamsVals& params) {
    return Written(WritePNG, bmp, params).ToByteArray();
}

TBitmap ReadPng(const QByteArray& file, TIOParamsVals& params, TProgressRec progress = {}) {
    ByteReader r(file);
    TBitmap bmp;
    ReadPNG(r, bmp, params, progress);
    return bmp;
}

// The bytes of the first chunk of the given type, or an empty array.
QByteArray Chunk(const QByteArray& png, const char* type) {
    ByteReader r(png);
    r.Seek(8);
    while (r.Remaining() >= 12) {
        const std::uint32_t length = r.ReadU32BE();
        const auto kind = r.ReadBytes(4);
        const auto body = r.ReadBytes(length);
        r.Skip(4);
        if (std::memcmp(kind.data(), type, 4) == 0)
            return QByteArray(reinterpret_cast<const char*>(body.data()), qsizetype(body.size()));
    }
    return {};
}

// A chunk with its length and check sum.
QByteArray MakeChunk(const char* type, const QByteArray& body) {
    QByteArray typed = QByteArray(type, 4) + body;
    ByteWriter w;
    w.WriteU32BE(std::uint32_t(body.size()));
    w.WriteBytes(typed.constData(), std::size_t(typed.size()));
    w.WriteU32BE(
        std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
    return w.ToByteArray();
}

// A PNG file of the given header whose image data is Raw (filter bytes included) deflated as far
// as zlib goes.
QByteArray MakePng(std::uint32_t width, std::uint32_t height, int depth, int colorType, bool interlaced,
                   const QByteArray& raw, const QByteArray& palette = {}) {
    ByteWriter ihdr;
    ihdr.WriteU32BE(width);
    ihdr.WriteU32BE(height);
    ihdr.WriteU8(std::uint8_t(depth));
    ihdr.WriteU8(std::uint8_t(colorType));
    ihdr.WriteU8(0);
    ihdr.WriteU8(0);
    ihdr.WriteU8(interlaced ? 1 : 0);
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(size), 0);
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                        reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()), 9),
              Z_OK);
    packed.resize(qsizetype(size));
    QByteArray file = QByteArray("\x89PNG\r\n\x1a\n", 8) + MakeChunk("IHDR", ihdr.ToByteArray());
    if (!palette.isEmpty())
        file += MakeChunk("PLTE", palette);
    return file + MakeChunk("IDAT", packed) + MakeChunk("IEND", {});
}

} // namespace

TEST(PngWrite, KindOfFileFollowsTheParameters) {
    struct Case {
        const char* name;
        int bitsPerSample;
        int samplesPerPixel;
        bool monoSource;
        int colorType;
        int depth;
        int paletteEntries;
    };
    const Case cases[] = {
        {"colour", 8, 3, false, 2, 8, 0},
        {"palette", 8, 1, false, 3, 8, 256},
        {"palette from a 1-bit picture", 8, 1, true, 3, 8, 256},
        {"1-bit picture as grey", 1, 1, true, 0, 1, 0},
        {"1-bit picture with three samples", 1, 3, true, 0, 1, 0},
        {"colour picture dithered to grey", 1, 1, false, 0, 1, 0},
        {"1-bit picture as colour", 8, 4, true, 2, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bmp = c.monoSource ? TBitmap(5, 4, pf1bit) : Colourful(5, 4);
        if (c.monoSource)
            SetPixel(bmp, 2, 1, C(255, 255, 255));
        TIOParamsVals params;
        params.BitsPerSample = c.bitsPerSample;
        params.SamplesPerPixel = c.samplesPerPixel;
        const QByteArray file = WritePng(bmp, params);
        const QByteArray ihdr = Chunk(file, "IHDR");
        ASSERT_EQ(ihdr.size(), 13);
        EXPECT_EQ(ByteReader(ihdr).PeekU32BE(0), 5u);
        EXPECT_EQ(ByteReader(ihdr).PeekU32BE(4), 4u);
        EXPECT_EQ(int(ihdr[8]), c.depth);
        EXPECT_EQ(int(ihdr[9]), c.colorType);
        EXPECT_EQ(Chunk(file, "PLTE").size(), 3 * c.paletteEntries);
        TIOParamsVals read;
        const TBitmap back = ReadPng(file, read);
        EXPECT_EQ(read.BitsPerSample, c.depth);
        if (c.monoSource || c.bitsPerSample != 1) {
            EXPECT_EQ(Rgb(back), Rgb(bmp)); // a palette holds the picture's own colours
        }
    }
}

TEST(PngWrite, TwoColoursAtOneBitKeepTheirColours) {
    TBitmap bmp = Picture(6, 2, [](int x, int) { return x % 2 ? C(255, 200, 0) : C(0, 60, 120); });
    TIOParamsVals params;
    params.BitsPerSample = 1;
    const QByteArray file = WritePng(bmp, params);
    EXPECT_EQ(int(Chunk(file, "IHDR")[9]), 3);
    EXPECT_EQ(Chunk(file, "PLTE").size(), 6);
    TIOParamsVals read;
    const TBitmap back = ReadPng(file, read);
    EXPECT_EQ(back.PixelFormat(), pf24bit);
    EXPECT_EQ(Rgb(back), Rgb(bmp));
    EXPECT_EQ(read.ColorMapCount(), 2);
}

TEST(PngWrite, ResolutionBackgroundFilterAndInterlacingRoundTrip) {
    for (const int filter : {0, 1, 2, 7}) {
        SCOPED_TRACE(filter);
        TBitmap bmp = Colourful(9, 7);
        TIOParamsVals params;
        params.DpiX = 300;
        params.DpiY = 72;
        params.PngFilter = std::uint8_t(filter);
        params.PngInterlaced = filter == 2;
        params.PngBackground = C(10, 20, 30);
        params.PngCompressionLevel = 9;
        const QByteArray file = WritePng(bmp, params);
        const QByteArray phys = Chunk(file, "pHYs");
        ASSERT_EQ(phys.size(), 9);
        EXPECT_EQ(ByteReader(phys).PeekU32BE(0), 11811u);
        EXPECT_EQ(ByteReader(phys).PeekU32BE(4), 2835u);
        EXPECT_EQ(int(phys[8]), 1);
        EXPECT_EQ(Chunk(file, "bKGD"), QByteArray::fromHex("000a0014001e"));
        TIOParamsVals read;
        EXPECT_EQ(Rgb(ReadPng(file, read)), Rgb(bmp));
        EXPECT_EQ(read.DpiX, 300);
        EXPECT_EQ(read.DpiY, 72);
        EXPECT_EQ(read.PngInterlaced, filter == 2);
        EXPECT_EQ(read.PngBackground, C(10, 20, 30));
        EXPECT_EQ(read.SamplesPerPixel, 3);
    }
}

TEST(PngRead, AlphaIsComposedOverTheFileBackgroundOrPngBackground) {
    // basn6a08 has no background chunk; bgwn6a08 has a white one.
    TIOParamsVals params;
    params.PngBackground = C(0, 0, 255);
    const TBitmap blue = ReadPng(kdstest::ReadFile(kdstest::TestDataPath("pngsuite/basn6a08.png")), params);
    EXPECT_EQ(params.PngBackground, C(0, 0, 255));
    EXPECT_EQ(params.SamplesPerPixel, 4);
    EXPECT_EQ(Pixel(blue, 0, 0), C(0, 0, 255)); // fully transparent corner
    const TBitmap white = ReadPng(kdstest::ReadFile(kdstest::TestDataPath("pngsuite/bgwn6a08.png")), params);
    EXPECT_EQ(params.PngBackground, C(255, 255, 255));
    EXPECT_EQ(Pixel(white, 0, 0), C(255, 255, 255));

    TIOParamsVals sixteen;
    ReadPng(kdstest::ReadFile(kdstest::TestDataPath("pngsuite/basn2c16.png")), sixteen);
    EXPECT_EQ(sixteen.BitsPerSample, 16);
}

TEST(PngRead, PaletteIndexPastTheTableIsRefused) {
    // A 2-bit picture whose table has three colours and whose second row uses index 3.
    TIOParamsVals params;
    TBitmap bmp;
    const QByteArray file =
        kdstest::ReadFile(kdstest::SourcePath(QStringLiteral("tests/imaging/data/badindex.png")));
    ByteReader r(file);
    TProgressRec progress;
    EXPECT_THROW(ReadPNG(r, bmp, params, progress), EInvalidGraphic);
    EXPECT_TRUE(bmp.Empty());
}

TEST(PngRead, InterlacedFilesReportProgressForEveryRowOfEveryPass) {
    std::vector<int> seen;
    TProgressRec progress;
    progress.OnProgress = [&](QObject*, int per) { seen.push_back(per); };
    TIOParamsVals params;
    const TBitmap bmp =
        ReadPng(kdstest::ReadFile(kdstest::TestDataPath("pngsuite/basi2c08.png")), params, progress);
    ASSERT_EQ(seen.size(), std::size_t(7 * bmp.Height()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST(PngRead, DamagedFilesRaiseAndLeaveThePictureAlone) {
    TBitmap bmp = Colourful(9, 7);
    TIOParamsVals params;
    const QByteArray good = WritePng(bmp, params);
    // A chunk after the header that claims more bytes than the file holds.
    const QByteArray huge = good.left(33) + QByteArray::fromHex("60000000") + "tEXt" + good.mid(33);
    const QByteArray damaged[] = {good.left(good.size() / 2), good.left(40), QByteArray("not a png at all"),
                                  QByteArray(), huge};
    for (const QByteArray& file : damaged) {
        EXPECT_EQ(DamagedReadMessage(ReadPNG, file), QStringLiteral("Unrecognized PNG"));
    }
}

namespace {

// A tiny file that declares a huge picture is refused before anything large is allocated: its
// image data cannot inflate to the pixels it declares. A legitimate file that zlib deflated as far as
// it goes is still read.
void ReadHugeDeclarations() {
    const QByteArray rows(16, 0);
    const QByteArray redBlue = QByteArray::fromHex("ff00000000ff");
    const QByteArray hostile[] = {
        MakePng(16384, 16384, 8, 2, false, rows),         // colour
        MakePng(16384, 16384, 16, 6, true, rows),         // 16-bit colour and alpha, interlaced
        MakePng(16384, 16384, 1, 3, true, rows, redBlue), // 1-bit palette, interlaced
        MakePng(16384, 16384, 1, 0, false, rows),         // 1-bit grey
    };
    for (const QByteArray& file : hostile) {
        EXPECT_LT(file.size(), 100);
        EXPECT_EQ(DamagedReadMessage(ReadPNG, file), QStringLiteral("Unrecognized PNG"));
    }

    // 2048 rows of 2048 zero bytes, each with its filter byte: about 1030 to 1 deflated.
    const QByteArray zeros(2049 * 2048, 0);
    const QByteArray dense = MakePng(2048, 2048, 8, 0, false, zeros);
    EXPECT_GT(zeros.size() / dense.size(), 1000);
    TIOParamsVals params;
    const TBitmap bmp = ReadPng(dense, params);
    EXPECT_EQ(bmp.Width(), 2048);
    EXPECT_EQ(Pixel(bmp, 2047, 2047), C(0, 0, 0));
}

} // namespace

TEST(PngRead, HugePicturesDeclaredByTinyFilesAreRefusedWithoutALargeAllocation) {
    EXPECT_TRUE(kdstest::RunUnderMemoryCap(64, ReadHugeDeclarations));
}

// Pictures of 4, 8, 15, 16 and 32 bits are written as their colours, through 24 bits, by every writer.
TEST(PictureWriters, PicturesOfOtherDepthsAreWrittenAsTheirColours) {
    for (TPixelFormat format : {pf4bit, pf8bit, pf15bit, pf16bit, pf32bit}) {
        SCOPED_TRACE(int(format));
        TBitmap source = Colourful(13, 5);
        source.SetPixelFormat(format);
        TBitmap expected;
        const QByteArray colours = Rgb(As24Bit(source, expected));
        TIOParamsVals params;
        EXPECT_EQ(Rgb(ReadPng(WritePng(source, params), params)), colours);
        ByteWriter bmp;
        TProgressRec progress;
        WriteBMP(bmp, source, params, progress);
        const QByteArray bmpFile = bmp.ToByteArray();
        ByteReader r(bmpFile);
        TBitmap back;
        ReadBMP(r, back, r.Size(), progress, params);
        EXPECT_EQ(Rgb(back), colours);
        // JPEG: the same file as the picture's 24-bit copy gives.
        ByteWriter jpeg, jpegOfCopy;
        WriteJPEG(jpeg, source, params, progress);
        WriteJPEG(jpegOfCopy, expected, params, progress);
        EXPECT_EQ(jpeg.ToByteArray(), jpegOfCopy.ToByteArray());
    }
}
