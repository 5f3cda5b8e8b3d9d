// JPEG reading and writing over the library: grey files, densities, coding choices and errors.
#include "IoTestSupport.h"
#include "imaging/JPEGFilt.h"
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
