// JPEG reading and writing over the library: grey files, densities, coding choices and errors.
#include "IoTestSupport.h"
#include "imaging/JPEGFilt.h"
#include "tests/support/MemoryCap.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace iotest;

namespace {

QByteArray Fixture(const char* name) {
    return kdstest::ReadFile(
        kdstest::SourcePath(QStringLiteral("tests/imaging/data/") + QLatin1String(name)));
}

QByteArray WriteJpeg(TBitmap& bmp, TIOParamsVals& params) {
    return Written(WriteJPEG, bmp, params).ToByteArray();
}

TBitmap ReadJpeg(const QByteArray& file, TIOParamsVals& params) {
    ByteReader r(file);
    TBitmap bmp;
    TProgressRec progress;
    ReadJPEG(r, bmp, params, progress);
    return bmp;
}

int MaxDifference(const TBitmap& a, const TBitmap& b) {
    const QByteArray x = Rgb(a), y = Rgb(b);
    int worst = 0;
    for (qsizetype i = 0; i < x.size(); ++i)
        worst = std::max(worst, std::abs(int(std::uint8_t(x[i])) - int(std::uint8_t(y[i]))));
    return worst;
}

// The position of the first marker of the given code (the 0xFF byte), or -1.
qsizetype MarkerAt(const QByteArray& file, std::uint8_t code) {
    return file.indexOf(QByteArray("\xFF", 1) + char(code));
}

// The file with its frame header declaring another size.
QByteArray Enlarged(QByteArray file, int width, int height) {
    qsizetype sof = MarkerAt(file, 0xC0);
    if (sof < 0)
        sof = MarkerAt(file, 0xC2);
    EXPECT_GE(sof, 0);
    file[sof + 5] = char(height >> 8);
    file[sof + 6] = char(height);
    file[sof + 7] = char(width >> 8);
    file[sof + 8] = char(width);
    return file;
}

} // namespace

TEST(JpegRead, GreyFilesGiveEqualChannelsAndSaveAsGrey) {
    TIOParamsVals params;
    TBitmap bmp = ReadJpeg(Fixture("grey.jpg"), params);
    ASSERT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_EQ(bmp.Width(), 16);
    EXPECT_EQ(bmp.Height(), 8);
    EXPECT_EQ(params.JpegGray, 1);
    EXPECT_EQ(params.BitsPerSample, 8);
    EXPECT_EQ(params.SamplesPerPixel, 3);
    for (int x = 0; x < 16; ++x) {
        const TBGRColor c = Pixel(bmp, x, 3);
        EXPECT_TRUE(c.r == c.g && c.g == c.b);
    }
    EXPECT_GT(Pixel(bmp, 0, 0).r, 200); // white at the top
    EXPECT_LT(Pixel(bmp, 0, 7).r, 60);

    const QByteArray again = WriteJpeg(bmp, params);
    TIOParamsVals reread;
    reread.JpegGray = 0;
    ReadJpeg(again, reread);
    EXPECT_EQ(reread.JpegGray, 1);
}

TEST(JpegRead, DensityUnitsGiveTheResolution) {
    struct Case {
        const char* file;
        int dpiX;
        int dpiY;
    };
    const Case cases[] = {
        {"dpcm118.jpg", 299, 299},                                    // dots per centimetre
        {"aspect.jpg", ScreenPixelsPerInch(), ScreenPixelsPerInch()}, // aspect ratio only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TIOParamsVals params;
        ReadJpeg(Fixture(c.file), params);
        EXPECT_EQ(params.DpiX, c.dpiX);
        EXPECT_EQ(params.DpiY, c.dpiY);
        EXPECT_EQ(params.JpegGray, 0);
    }
}

TEST(JpegWrite, CodingChoicesRoundTrip) {
    struct Case {
        int quality;
        int dct;
        bool optimize;
        bool progressive;
        int smoothing;
        int tolerance;
    };
    const Case cases[] = {{100, 0, false, false, 0, 12},
                          {100, 1, true, true, 0, 14},
                          {95, 2, false, true, 20, 40},
                          {50, 0, false, false, 0, 120}};
    const TBitmap source = Picture(24, 16, [](int x, int y) { return C(x * 10, y * 15, 128); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quality);
        TBitmap bmp = source;
        TIOParamsVals params;
        params.JpegQuality = c.quality;
        params.JpegDctMethod = std::uint8_t(c.dct);
        params.JpegOptimizeCoding = c.optimize;
        params.JpegProgressive = c.progressive;
        params.JpegSmoothing = c.smoothing;
        params.DpiX = 300;
        params.DpiY = 200;
        const QByteArray file = WriteJpeg(bmp, params);
        // JFIF: density unit 1 and the two densities.
        const qsizetype jfif = file.indexOf("JFIF");
        ASSERT_GT(jfif, 0);
        EXPECT_EQ(int(file[jfif + 7]), 1);
        EXPECT_EQ(ByteReader(file).PeekU16BE(std::size_t(jfif + 8)), 300);
        EXPECT_EQ(ByteReader(file).PeekU16BE(std::size_t(jfif + 10)), 200);
        TIOParamsVals read;
        const TBitmap back = ReadJpeg(file, read);
        EXPECT_EQ(read.JpegProgressive, c.progressive);
        EXPECT_EQ(read.DpiX, 300);
        EXPECT_EQ(read.DpiY, 200);
        EXPECT_LE(MaxDifference(back, source), c.tolerance);
    }
    TIOParamsVals defaults;
    EXPECT_EQ(defaults.JpegQuality, 50);
}

TEST(JpegWrite, OneBitPicturesAreWrittenInColour) {
    TBitmap mono(16, 16, pf1bit);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 16; ++y)
            SetPixel(mono, x, y, C(255, 255, 255));
    TIOParamsVals params;
    params.JpegQuality = 100;
    TIOParamsVals read;
    const TBitmap back = ReadJpeg(WriteJpeg(mono, params), read);
    EXPECT_EQ(back.PixelFormat(), pf24bit);
    EXPECT_GT(Pixel(back, 2, 2).r, 240);
    EXPECT_LT(Pixel(back, 13, 2).r, 15);
}

TEST(JpegRead, DamagedFilesRaiseAndLeaveThePictureAlone) {
    TBitmap bmp = Colourful(32, 32);
    TIOParamsVals params;
    const QByteArray good = WriteJpeg(bmp, params);
    const QByteArray damaged[] = {good.left(good.size() - 2), good.left(good.size() / 2), good.left(200),
                                  QByteArray("\xFF\xD8 not really"), QByteArray()};
    for (const QByteArray& file : damaged) {
        SCOPED_TRACE(file.size());
        const QString message = DamagedReadMessage(ReadJPEG, file);
        EXPECT_TRUE(message.startsWith(QStringLiteral("Unrecognized JPeg - JPEG error #")))
            << message.toStdString();
    }
}

namespace {

// A small file whose frame header declares a huge picture is refused before anything large is
// allocated: its scan data cannot hold a bit for every block, or the library's memory limit stops
// the whole-picture buffers of a progressive file.
void ReadHugeDeclarations() {
    TBitmap bmp = Colourful(16, 16);
    TIOParamsVals params;
    const QByteArray baseline = WriteJpeg(bmp, params);
    params.JpegProgressive = true;
    const QByteArray progressive = WriteJpeg(bmp, params);
    params.JpegProgressive = false;
    params.JpegGray = 1;
    const QByteArray grey = WriteJpeg(bmp, params);
    const QByteArray hostile[] = {Enlarged(baseline, 16384, 16384), Enlarged(progressive, 16384, 16384),
                                  Enlarged(grey, 65535, 4096), Enlarged(baseline, 512, 512)};
    for (const QByteArray& file : hostile) {
        SCOPED_TRACE(file.size());
        EXPECT_TRUE(DamagedReadMessage(ReadJPEG, file).startsWith(QStringLiteral("Unrecognized JPeg")));
    }
}

} // namespace

TEST(JpegRead, HugePicturesDeclaredByTinyFilesAreRefusedWithoutALargeAllocation) {
    EXPECT_TRUE(kdstest::RunUnderMemoryCap(64, ReadHugeDeclarations));
}

// Data the library would have to make up is an error; bytes between markers are not.
TEST(JpegRead, DataMadeUpByTheLibraryIsAnErrorButStrayBytesAreNot) {
    TBitmap bmp = Colourful(64, 64);
    TIOParamsVals params;
    const QByteArray good = WriteJpeg(bmp, params);
    const qsizetype scan = MarkerAt(good, 0xDA);
    ASSERT_GT(scan, 0);
    const qsizetype half = scan + (good.size() - scan) / 2;
    const QByteArray endsEarly = good.left(half) + QByteArray("\xFF\xD9", 2);
    // A marker that stands for lost data: the scan resumes at a restart marker it did not expect.
    const QByteArray resynced = good.left(half) + QByteArray("\xFF\xD3", 2) + good.mid(half);
    // A frame that says arithmetic coding.
    QByteArray arithmetic = good;
    arithmetic[MarkerAt(good, 0xC0) + 1] = char(0xC9);
    for (const QByteArray& file : {endsEarly, resynced, arithmetic}) {
        SCOPED_TRACE(file.size());
        EXPECT_TRUE(DamagedReadMessage(ReadJPEG, file).startsWith(QStringLiteral("Unrecognized JPeg")));
    }

    const qsizetype tables = MarkerAt(good, 0xDB);
    const QByteArray stray = good.left(tables) + QByteArray("\x00\x01\x02", 3) + good.mid(tables);
    TIOParamsVals read;
    EXPECT_EQ(Rgb(ReadJpeg(stray, read)), Rgb(ReadJpeg(good, read)));
}
