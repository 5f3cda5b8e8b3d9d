#include "imaging/Bitmap.h"

#include <QPainter>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

TBGRColor C(int b, int g, int r) {
    return TBGRColor{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)};
}

TBGRColor Pixel(const TBitmap& bmp, int x, int y) {
    return ReadPixel(bmp.ScanLine(y), x, bmp.PixelFormat(), bmp.Palette());
}

void SetPixel(TBitmap& bmp, int x, int y, TBGRColor c) {
    WritePixel(bmp.ScanLine(y), x, bmp.PixelFormat(), bmp.Palette(), c);
}

} // namespace

TEST(Bitmap, RowsArePaddedToFourBytesForEveryFormat) {
    struct Case {
        TPixelFormat format;
        int width;
        int bytesPerLine;
        int paletteSize;
    };
    const Case cases[] = {
        {pf1bit, 1, 4, 2},   {pf1bit, 33, 8, 2},  {pf4bit, 9, 8, 16},  {pf8bit, 5, 8, 256},
        {pf15bit, 3, 8, 0},  {pf16bit, 2, 4, 0},  {pf24bit, 1, 4, 0},  {pf24bit, 3, 12, 0},
        {pf24bit, 5, 16, 0}, {pf32bit, 3, 12, 0}, {pfDevice, 2, 8, 0},
    };
    for (const Case& c : cases) {
        TBitmap bmp(c.width, 3, c.format);
        SCOPED_TRACE(testing::Message() << "format " << c.format << " width " << c.width);
        EXPECT_EQ(bmp.BytesPerLine(), c.bytesPerLine);
        EXPECT_EQ(bmp.ImageSize(), std::size_t(c.bytesPerLine * 3));
        EXPECT_EQ(int(bmp.Palette().size()), c.paletteSize);
        EXPECT_EQ(bmp.ScanLine(1) - bmp.ScanLine(0), c.bytesPerLine);
        for (std::size_t i = 0; i < bmp.ImageSize(); ++i)
            ASSERT_EQ(bmp.Bits()[i], 0) << "new pixels are black";
    }
}

// A bitmap a reader fills leaves the pixels to it, but never the bytes that no pixel fills whole:
// those are zero, whatever the memory held before.
TEST(Bitmap, AnUnfilledBitmapZeroesTheBytesPastItsPixels) {
    struct Case {
        TPixelFormat format;
        int width;
        int firstPadding; // the first byte of a row that no pixel fills whole
    };
    const Case cases[] = {{pf1bit, 13, 1}, {pf1bit, 32, 4},  {pf4bit, 3, 1},   {pf8bit, 5, 5},
                          {pf16bit, 3, 6}, {pf24bit, 5, 15}, {pf24bit, 4, 12}, {pf32bit, 3, 12}};
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "format " << c.format << " width " << c.width);
            const TBitmap bmp = TBitmap::Unfilled(c.width, 7, c.format);
            const TBitmap filled(c.width, 7, c.format);
            EXPECT_EQ(bmp.BytesPerLine(), filled.BytesPerLine());
            EXPECT_EQ(bmp.ImageSize(), filled.ImageSize());
            EXPECT_EQ(bmp.Palette(), filled.Palette());
            for (int y = 0; y < 7; ++y)
                for (int i = c.firstPadding; i < bmp.BytesPerLine(); ++i)
                    ASSERT_EQ(bmp.ScanLine(y)[i], 0) << "row " << y << " byte " << i;
            // What the next one may find in memory.
            TBitmap dirty(c.width, 7, c.format);
            std::fill(dirty.Bits(), dirty.Bits() + dirty.ImageSize(), std::uint8_t(0xA5));
        }
    EXPECT_THROW(TBitmap::Unfilled(-1, 3, pf24bit), EInvalidGraphic);
    EXPECT_THROW(TBitmap::Unfilled(1 << 20, 1 << 20, pf24bit), EInvalidGraphic);
    EXPECT_TRUE(TBitmap::Unfilled(0, 0, pf24bit).Empty());
}

TEST(Bitmap, OneBitPaletteIsBlackThenWhite) {
    TBitmap bmp(8, 1, pf1bit);
    EXPECT_EQ(bmp.Palette()[0], C(0, 0, 0));
    EXPECT_EQ(bmp.Palette()[1], C(255, 255, 255));
}

TEST(Bitmap, ResizingKeepsTheOverlapAndBlackensTheRest) {
    TBitmap bmp(3, 2, pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            SetPixel(bmp, x, y, C(x + 1, y + 1, 9));
    bmp.SetSize(4, 3);
    EXPECT_EQ(bmp.Width(), 4);
    EXPECT_EQ(bmp.Height(), 3);
    EXPECT_EQ(Pixel(bmp, 2, 1), C(3, 2, 9));
    EXPECT_EQ(Pixel(bmp, 3, 0), C(0, 0, 0));
    EXPECT_EQ(Pixel(bmp, 0, 2), C(0, 0, 0));
    bmp.SetWidth(2);
    EXPECT_EQ(Pixel(bmp, 1, 1), C(2, 2, 9));
    bmp.SetHeight(0);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_EQ(bmp.ImageSize(), 0u);
    bmp.SetHeight(1);
    EXPECT_EQ(Pixel(bmp, 1, 0), C(0, 0, 0));
}

TEST(Bitmap, NarrowingAOneBitPictureClearsTheBitsPastTheNewWidth) {
    TBitmap bmp(8, 1, pf1bit);
    bmp.ScanLine(0)[0] = 0xFF;
    bmp.SetWidth(3);
    EXPECT_EQ(bmp.ScanLine(0)[0], 0xE0);
    bmp.SetWidth(8);
    EXPECT_EQ(bmp.ScanLine(0)[0], 0xE0);
}

TEST(Bitmap, FormatChangesKeepTheColoursTheFormatCanHold) {
    const TBGRColor colours[] = {C(0, 0, 0), C(255, 255, 255), C(0, 0, 255), C(255, 0, 0), C(0, 255, 0)};
    const TPixelFormat formats[] = {pf4bit, pf8bit, pf15bit, pf16bit, pf32bit, pfDevice, pf24bit};
    for (TPixelFormat f : formats) {
        SCOPED_TRACE(testing::Message() << "format " << f);
        TBitmap bmp(5, 1, pf24bit);
        for (int x = 0; x < 5; ++x)
            SetPixel(bmp, x, 0, colours[x]);
        bmp.SetPixelFormat(f);
        EXPECT_EQ(bmp.PixelFormat(), f);
        bmp.SetPixelFormat(pf24bit);
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Pixel(bmp, x, 0), colours[x]);
    }
}

TEST(Bitmap, OneBitConversionTakesTheNearerOfBlackAndWhite) {
    TBitmap bmp(3, 1, pf24bit);
    SetPixel(bmp, 0, 0, C(200, 200, 200));
    SetPixel(bmp, 1, 0, C(20, 30, 40));
    SetPixel(bmp, 2, 0, C(255, 255, 255));
    bmp.SetPixelFormat(pf1bit);
    EXPECT_EQ(bmp.ScanLine(0)[0], 0xA0);
    bmp.SetPixelFormat(pf24bit);
    EXPECT_EQ(Pixel(bmp, 1, 0), C(0, 0, 0));
    EXPECT_EQ(Pixel(bmp, 2, 0), C(255, 255, 255));
}

TEST(Bitmap, PaletteKeepsIndicesAndIsPaddedToItsFormat) {
    TBitmap bmp(2, 1, pf8bit);
    bmp.ScanLine(0)[0] = 1;
    bmp.ScanLine(0)[1] = 7;
    bmp.SetPalette({C(1, 2, 3), C(4, 5, 6)});
    EXPECT_EQ(bmp.Palette().size(), 256u);
    EXPECT_EQ(Pixel(bmp, 0, 0), C(4, 5, 6));
    EXPECT_EQ(Pixel(bmp, 1, 0), C(0, 0, 0));
    TBitmap rgb(1, 1, pf24bit);
    rgb.SetPalette({C(1, 2, 3)});
    EXPECT_TRUE(rgb.Palette().empty());
}

TEST(Bitmap, BadSizesAndRowsRaise) {
    TBitmap bmp(2, 2, pf24bit);
    EXPECT_THROW(bmp.ScanLine(-1), EInvalidGraphic);
    EXPECT_THROW(bmp.ScanLine(2), EInvalidGraphic);
    EXPECT_THROW(bmp.SetSize(-1, 2), EInvalidGraphic);
    EXPECT_THROW(bmp.SetSize(100000, 100000), EInvalidGraphic);
    EXPECT_THROW(TBitmap(0x7FFFFFFF, 1, pf32bit), EInvalidGraphic);
    // Sizes whose byte count does not even fit in 64 bits are refused too.
    for (TPixelFormat f : {pf16bit, pf24bit, pf32bit})
        EXPECT_THROW(TBitmap(0x7FFFFFFF, 0x7FFFFFFF, f), EInvalidGraphic);
    // A failed change leaves the picture as it was.
    EXPECT_EQ(bmp.Width(), 2);
    EXPECT_EQ(bmp.ImageSize(), 16u);
    TBitmap empty;
    EXPECT_THROW(empty.ScanLine(0), EInvalidGraphic);
    EXPECT_EQ(empty.PixelFormat(), pfDevice);
}

TEST(Bitmap, ChangesAreNotified) {
    TBitmap bmp(2, 2, pf24bit);
    int calls = 0;
    bmp.OnChange = [&](TBitmap* sender) {
        EXPECT_EQ(sender, &bmp);
        ++calls;
    };
    bmp.SetSize(2, 2);
    EXPECT_EQ(calls, 0) << "the same size changes nothing";
    bmp.SetSize(3, 2);
    bmp.SetPixelFormat(pf1bit);
    bmp.SetPalette({C(1, 1, 1), C(2, 2, 2)});
    EXPECT_EQ(calls, 3);
    bmp.SetModified(false);
    EXPECT_FALSE(bmp.Modified());
    EXPECT_EQ(calls, 3);
    bmp.SetModified(true);
    EXPECT_TRUE(bmp.Modified());
    EXPECT_EQ(calls, 4);
    TBitmap other(1, 1, pf24bit);
    bmp.Assign(other);
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_EQ(bmp.Width(), 1);
}

TEST(Bitmap, CopiesAreDeepAndDoNotTakeTheHandler) {
    TBitmap a(2, 1, pf24bit);
    a.OnChange = [](TBitmap*) {};
    a.ScanLine(0)[0] = 7;
    TBitmap b(a);
    EXPECT_FALSE(b.OnChange);
    b.ScanLine(0)[0] = 8;
    EXPECT_EQ(a.ScanLine(0)[0], 7);
}

TEST(Bitmap, AMoveTakesThePixelsAndLeavesTheHandler) {
    TBitmap decoded(3, 2, pf8bit);
    SetPixel(decoded, 2, 1, C(0, 0, 255));
    const std::uint8_t* pixels = decoded.Bits();
    TBitmap attached(1, 1, pf24bit);
    bool told = false;
    attached.OnChange = [&](TBitmap*) { told = true; };
    attached = std::move(decoded);
    EXPECT_EQ(attached.Bits(), pixels) << "no copy";
    EXPECT_EQ(attached.Width(), 3);
    EXPECT_EQ(attached.PixelFormat(), pf8bit);
    EXPECT_EQ(Pixel(attached, 2, 1), C(0, 0, 255));
    EXPECT_TRUE(decoded.Empty());
    EXPECT_EQ(decoded.ImageSize(), 0u);
    ASSERT_TRUE(attached.OnChange);
    attached.Changed();
    EXPECT_TRUE(told);
}

TEST(Bitmap, AQImageWrapsThePixelsWithoutCopying) {
    TBitmap rgb(5, 3, pf24bit);
    {
        QImage image = rgb.WrapQImage();
        ASSERT_EQ(image.format(), QImage::Format_BGR888);
        EXPECT_EQ(image.constBits(), rgb.Bits());
        EXPECT_EQ(image.bytesPerLine(), rgb.BytesPerLine());
        QPainter p(&image);
        p.fillRect(1, 1, 2, 1, QColor(10, 20, 30));
    }
    EXPECT_EQ(Pixel(rgb, 1, 1), C(30, 20, 10));
    EXPECT_EQ(Pixel(rgb, 3, 1), C(0, 0, 0));

    TBitmap mono(10, 2, pf1bit);
    mono.ScanLine(1)[0] = 0x80;
    QImage image = mono.WrapQImage();
    ASSERT_EQ(image.format(), QImage::Format_Mono);
    EXPECT_EQ(image.constBits(), mono.Bits());
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));

    EXPECT_TRUE(TBitmap(4, 4, pf4bit).WrapQImage().isNull());
    EXPECT_TRUE(TBitmap().WrapQImage().isNull());
    TBitmap nibbles(3, 1, pf4bit);
    nibbles.ScanLine(0)[0] = 0x0F;
    const QImage copy = nibbles.ToQImage();
    EXPECT_EQ(copy.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(copy.pixel(1, 0), qRgb(255, 255, 255));
}
