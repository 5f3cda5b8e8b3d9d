#include "Pictures.h"
#include "imaging/ImageProc.h"
#include "imaging/WriterMono.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace imgtest;

namespace {

// A packed device-independent bitmap: header, table or masks, rows bottom-up.
struct Dib {
    std::vector<std::uint8_t> bytes;
    void U16(int v) {
        bytes.push_back(std::uint8_t(v));
        bytes.push_back(std::uint8_t(v >> 8));
    }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(std::uint8_t(v >> (8 * i)));
    }
    Dib(int w, int h, int bpp, std::uint32_t compression = 0, std::uint32_t clrUsed = 0) {
        U32(40);
        U32(std::uint32_t(w));
        U32(std::uint32_t(h));
        U16(1);
        U16(bpp);
        U32(compression);
        for (int i = 0; i < 3; ++i)
            U32(0);
        U32(clrUsed);
        U32(0);
    }
    void Row(std::vector<std::uint8_t> row) {
        while (row.size() % 4)
            row.push_back(0);
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
};

} // namespace

TEST(MakeTwoColorBitmap, PutsTheDarkerColourOnBitZero) {
    struct Case {
        TBGRColor first, second;
        TBGRColor c0, c1;
    };
    const Case cases[] = {
        {Grey(255), Grey(0), Grey(0), Grey(255)},                 // first seen white: swapped
        {Grey(0), Grey(255), Grey(0), Grey(255)},                 // already in order
        {C(0, 0, 100), C(100, 0, 0), C(100, 0, 0), C(0, 0, 100)}, // red grey 30, blue grey 11
        {C(100, 0, 0), C(0, 0, 100), C(100, 0, 0), C(0, 0, 100)},
    };
    for (const Case& c : cases) {
        // Two pixels of the first colour start the picture; the second colour follows.
        const TBitmap picture =
            Picture(11, 3, [&](int x, int y) { return (x + y) % 3 ? c.first : c.second; });
        TBGRColor c0, c1;
        auto mono = MakeTwoColorBitmap(picture, c0, c1);
        ASSERT_TRUE(mono);
        EXPECT_EQ(mono->PixelFormat(), pf1bit);
        EXPECT_EQ(c0, c.c0);
        EXPECT_EQ(c1, c.c1);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x)
                EXPECT_EQ(Bit(*mono, x, y), Pixel(picture, x, y) == c1) << x << "," << y;
    }
}

TEST(MakeTwoColorBitmap, EqualGreysKeepTheFirstSeenAsC0) {
    // Greys of (r 10) and (b 27, g 0) are both 3.
    const TBitmap picture = Picture(4, 1, [](int x, int) { return x ? C(27, 0, 0) : C(0, 0, 10); });
    TBGRColor c0, c1;
    auto mono = MakeTwoColorBitmap(picture, c0, c1);
    ASSERT_TRUE(mono);
    EXPECT_EQ(c0, C(0, 0, 10));
    EXPECT_EQ(mono->ScanLine(0)[0], 0x70);
}

TEST(MakeTwoColorBitmap, OtherColourCountsAndFormatsGiveNothing) {
    TBGRColor c0, c1;
    EXPECT_FALSE(MakeTwoColorBitmap(Uniform(5, 5, Grey(9)), c0, c1));
    EXPECT_FALSE(MakeTwoColorBitmap(Picture(3, 3, [](int x, int) { return Grey(x * 50); }), c0, c1));
    // A third colour on the last row still counts.
    EXPECT_FALSE(MakeTwoColorBitmap(
        Picture(3, 3, [](int x, int y) { return y == 2 && x == 2 ? Grey(7) : Grey(x ? 0 : 255); }), c0, c1));
    EXPECT_FALSE(MakeTwoColorBitmap(TBitmap(4, 4, pf8bit), c0, c1));
    EXPECT_FALSE(MakeTwoColorBitmap(TBitmap(0, 0, pf24bit), c0, c1));
}

TEST(Expand1BitTo24Bit, SetBitsBecomeWhiteWhateverThePalette) {
    for (int width : {1, 8, 11, 16}) {
        TBitmap mono(width, 2, pf1bit);
        mono.SetPalette({C(1, 2, 3), C(4, 5, 6)});
        for (int x = 0; x < width; x += 3)
            SetBit(mono.ScanLine(1), x, true);
        TBitmap rgb;
        std::vector<int> reports;
        TProgressRec progress;
        progress.OnProgress = [&](QObject*, int per) { reports.push_back(per); };
        Expand1BitTo24Bit(mono, rgb, progress);
        ASSERT_EQ(rgb.PixelFormat(), pf24bit);
        ASSERT_EQ(rgb.Width(), width);
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(Pixel(rgb, x, 0), Grey(0));
            EXPECT_EQ(Pixel(rgb, x, 1), Grey(x % 3 ? 0 : 255)) << width << " " << x;
        }
        EXPECT_EQ(reports, (std::vector<int>{40, 80}));
        // Padding bytes past the last pixel stay zero.
        for (int i = width * 3; i < rgb.BytesPerLine(); ++i)
            EXPECT_EQ(rgb.ScanLine(1)[i], 0);
    }
}

TEST(OrderedDither, HalfGreyLightsHalfThePixels) {
    TBitmap picture = Uniform(16, 8, Grey(128));
    TProgressRec progress;
    OrderedDither(picture, progress);
    ASSERT_EQ(picture.PixelFormat(), pf1bit);
    int white = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            white += Bit(picture, x, y);
            // q = 32: white exactly where the matrix is below 32.
            static const int M0[8] = {0, 32, 8, 40, 2, 34, 10, 42};
            if (x % 8 == 0) {
                EXPECT_EQ(Bit(picture, x, y), M0[y] < 32);
            }
        }
    EXPECT_EQ(white, 64);
    // Black stays black, white becomes white except where the matrix holds 63.
    TBitmap black = Uniform(8, 8, Grey(0)), whiteP = Uniform(8, 8, Grey(255));
    OrderedDither(black, progress);
    OrderedDither(whiteP, progress);
    int whites = 0, blacks = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            blacks += !Bit(black, x, y);
            whites += Bit(whiteP, x, y);
        }
    EXPECT_EQ(blacks, 64);
    EXPECT_EQ(whites, 63);
    EXPECT_FALSE(Bit(whiteP, 7, 0));
    TBitmap eight(4, 4, pf8bit);
    OrderedDither(eight, progress);
    EXPECT_EQ(eight.PixelFormat(), pf8bit);
}

TEST(ModuleRoutines, PicturesWithoutColumnsOrRowsAreNoTrouble) {
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 1}, std::pair{0, 5}, std::pair{3, 0}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        TBGRColor c0, c1;
        EXPECT_FALSE(MakeTwoColorBitmap(TBitmap(w, h, pf24bit), c0, c1));
        TBitmap mono(w, h, pf1bit);
        Invert1Bit(mono);
        TProgressRec progress;
        TBitmap rgb(w, h, pf24bit);
        OrderedDither(rgb, progress);
        EXPECT_EQ(rgb.PixelFormat(), pf1bit);
        TBitmap expanded;
        Expand1BitTo24Bit(mono, expanded, progress);
        EXPECT_EQ(expanded.Height(), h);
        TBitmap part;
        CopyBitmapRect(mono, part, 0, 0, 0, 0);
        EXPECT_TRUE(part.Empty());
    }
    // Nothing to copy: the row is left alone.
    const std::uint8_t src[2] = {0xFF, 0xFF};
    std::uint8_t dst[2] = {0x12, 0x34};
    for (int count : {0, -1, -9})
        CopyBits(dst, src, 0, count, 0);
    EXPECT_EQ(dst[0], 0x12);
    EXPECT_EQ(dst[1], 0x34);
}

TEST(CopyBitmap, CopiesFormatPaletteAndPixels) {
    TBitmap source(5, 3, pf8bit);
    source.SetPalette({C(1, 1, 1), C(2, 2, 2)});
    source.ScanLine(2)[4] = 1;
    TBitmap dest(1, 1, pf24bit);
    CopyBitmap(source, dest);
    EXPECT_EQ(dest.PixelFormat(), pf8bit);
    EXPECT_EQ(dest.Width(), 5);
    EXPECT_EQ(dest.Height(), 3);
    EXPECT_EQ(Pixel(dest, 4, 2), C(2, 2, 2));
    CopyBitmap(TBitmap(0, 4, pf1bit), dest);
    EXPECT_EQ(dest.PixelFormat(), pf1bit);
    EXPECT_EQ(dest.Width(), 1);
    EXPECT_EQ(dest.Height(), 1);
    EXPECT_EQ(dest.ScanLine(0)[0], 0);
}

TEST(CopyBitmapRect, CopiesTheInclusiveRectangle) {
    const TBitmap rgb = Picture(6, 4, [](int x, int y) { return C(x, y, 7); });
    TBitmap part;
    CopyBitmapRect(rgb, part, 2, 1, 0, 2); // X2 = 0: up to the last column
    ASSERT_EQ(part.Width(), 4);
    ASSERT_EQ(part.Height(), 2);
    EXPECT_EQ(Pixel(part, 0, 0), C(2, 1, 7));
    EXPECT_EQ(Pixel(part, 3, 1), C(5, 2, 7));
    TBitmap mono(20, 2, pf1bit);
    SetBit(mono.ScanLine(1), 13, true);
    CopyBitmapRect(mono, part, 11, 1, 99, 99);
    ASSERT_EQ(part.Width(), 9);
    ASSERT_EQ(part.Height(), 1);
    EXPECT_EQ(part.ScanLine(0)[0], 0x20);
    CopyBitmapRect(TBitmap(0, 0, pf24bit), part, 0, 0, 0, 0);
    EXPECT_TRUE(part.Empty());
}

TEST(CopyDIBToBitmap, ReadsEveryDepthBottomUp) {
    // 24 bits: rows bottom-up.
    Dib d24(2, 2, 24);
    d24.Row({1, 2, 3, 4, 5, 6});
    d24.Row({7, 8, 9, 10, 11, 12});
    TBitmap out;
    EXPECT_EQ(CopyDIBToBitmap(d24.bytes.data(), d24.bytes.size(), out), 24);
    EXPECT_EQ(out.PixelFormat(), pf24bit);
    EXPECT_EQ(Pixel(out, 0, 0), C(7, 8, 9));
    EXPECT_EQ(Pixel(out, 1, 1), C(4, 5, 6));

    // 32 bits with masks: the masks are skipped, the fourth byte dropped.
    Dib d32(1, 1, 32, 3);
    d32.U32(0xFF0000);
    d32.U32(0xFF00);
    d32.U32(0xFF);
    d32.Row({9, 8, 7, 6});
    EXPECT_EQ(CopyDIBToBitmap(d32.bytes.data(), d32.bytes.size(), out), 32);
    EXPECT_EQ(Pixel(out, 0, 0), C(9, 8, 7));

    // 16 bits, 5-5-5 and 5-6-5 masks.
    Dib d555(1, 1, 16);
    d555.Row({0x1F, 0x7C}); // red 31, blue 31
    CopyDIBToBitmap(d555.bytes.data(), d555.bytes.size(), out);
    EXPECT_EQ(Pixel(out, 0, 0), C(248, 0, 248));
    Dib d565(1, 1, 16, 3);
    d565.U32(0xF800);
    d565.U32(0x07E0);
    d565.U32(0x001F);
    d565.Row({0xE0, 0x07}); // green 63
    CopyDIBToBitmap(d565.bytes.data(), d565.bytes.size(), out);
    EXPECT_EQ(Pixel(out, 0, 0), C(0, 252, 0));

    // 8 bits with two table entries: an index past the table is black.
    Dib d8(3, 1, 8, 0, 2);
    d8.U32(0x00030201);
    d8.U32(0x00060504);
    d8.Row({1, 0, 200});
    CopyDIBToBitmap(d8.bytes.data(), d8.bytes.size(), out);
    EXPECT_EQ(Pixel(out, 0, 0), C(4, 5, 6));
    EXPECT_EQ(Pixel(out, 1, 0), C(1, 2, 3));
    EXPECT_EQ(Pixel(out, 2, 0), C(0, 0, 0));

    // 4 bits, odd width: high nibble first.
    Dib d4(3, 1, 4, 0, 16);
    for (int i = 0; i < 16; ++i)
        d4.U32(std::uint32_t(i * 0x10101));
    d4.Row({0x2F, 0x50});
    CopyDIBToBitmap(d4.bytes.data(), d4.bytes.size(), out);
    EXPECT_EQ(Pixel(out, 0, 0), Grey(2));
    EXPECT_EQ(Pixel(out, 1, 0), Grey(15));
    EXPECT_EQ(Pixel(out, 2, 0), Grey(5));

    // 1 bit: the bits keep their values, the table is not used.
    Dib d1(9, 2, 1);
    d1.U32(0xFFFFFF);
    d1.U32(0);
    d1.Row({0x80, 0x80});
    d1.Row({0x01, 0x00});
    EXPECT_EQ(CopyDIBToBitmap(d1.bytes.data(), d1.bytes.size(), out), 1);
    EXPECT_EQ(out.PixelFormat(), pf1bit);
    EXPECT_EQ(out.ScanLine(0)[0], 0x01);
    EXPECT_EQ(out.ScanLine(1)[1], 0x80);

    // Separate pixel bits.
    Dib header(1, 1, 24);
    const std::uint8_t bits[4] = {3, 2, 1, 0};
    CopyDIBToBitmap(header.bytes.data(), header.bytes.size(), out, bits, sizeof bits);
    EXPECT_EQ(Pixel(out, 0, 0), C(3, 2, 1));
}

TEST(CopyDIBToBitmap, ShortOrBadBlocksRaiseAndLeaveTheDestination) {
    TBitmap out(2, 2, pf24bit);
    SetPixel(out, 0, 0, Grey(77));
    Dib shortRows(4, 4, 24);
    shortRows.Row({1, 2, 3});
    Dib hugeTable(1, 1, 8, 0, 0x40000000);
    Dib masksMissing(1, 1, 16, 3);
    Dib negative(-1, 1, 24);
    Dib wide(0x7FFFFFFF, 0x7FFFFFFF, 32);
    for (const Dib* d : {&shortRows, &hugeTable, &masksMissing, &negative, &wide})
        EXPECT_THROW(CopyDIBToBitmap(d->bytes.data(), d->bytes.size(), out), EInvalidGraphic);
    EXPECT_THROW(CopyDIBToBitmap(shortRows.bytes.data(), 39, out), EInvalidGraphic);
    EXPECT_EQ(out.Width(), 2);
    EXPECT_EQ(Pixel(out, 0, 0), Grey(77));
    // Unknown depths and compressions give a picture of the right size, unfilled.
    Dib rle(2, 2, 24, 1);
    EXPECT_EQ(CopyDIBToBitmap(rle.bytes.data(), rle.bytes.size(), out), 24);
    EXPECT_EQ(out.Width(), 2);
    Dib twoBit(2, 2, 2);
    EXPECT_EQ(CopyDIBToBitmap(twoBit.bytes.data(), twoBit.bytes.size(), out), 2);
    Dib empty(0, 5, 24);
    EXPECT_EQ(CopyDIBToBitmap(empty.bytes.data(), empty.bytes.size(), out), 24);
    EXPECT_TRUE(out.Empty());
}

TEST(WriterMono, ChoosesTheOneBitPictureOfEveryWriter) {
    const TBGRColor black = Grey(0), white = Grey(255), red = C(10, 10, 200), blue = C(200, 10, 10);
    struct Case {
        const char* name;
        TBitmap picture;
        TWriterMono::TColours colours;
        TBGRColor c0, c1;
        bool dithered;
    };
    TBitmap dirty(9, 2, pf1bit);
    dirty.ScanLine(0)[0] = 0x80;
    dirty.ScanLine(1)[1] = 0x7F; // pixel 8 and bits past the width
    const auto twoColours = Picture(5, 2, [&](int x, int) { return x % 2 ? red : blue; });
    const auto oneColour = Uniform(5, 2, red);
    const Case cases[] = {
        {"a 1-bit picture", dirty, TWriterMono::Kept, black, white, false},
        {"two colours kept", twoColours, TWriterMono::Kept, blue, red, false},
        {"two colours in black and white", twoColours, TWriterMono::BlackAndWhite, black, white, false},
        {"one colour kept", oneColour, TWriterMono::Kept, red, black, false},
        {"black kept", Uniform(5, 2, black), TWriterMono::Kept, black, white, false},
        {"one colour in black and white", Uniform(8, 8, Grey(128)), TWriterMono::BlackAndWhite, black, white,
         true},
        {"many colours", Picture(8, 8, [](int x, int y) { return Grey(x * 16 + y); }), TWriterMono::Kept,
         black, white, true},
        {"an 8-bit picture",
         [&] {
             TBitmap eight = Picture(5, 2, [&](int x, int) { return x % 2 ? white : black; });
             eight.SetPixelFormat(pf8bit);
             return eight;
         }(),
         TWriterMono::Kept, black, white, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TWriterMono mono(c.picture, c.colours);
        const TBitmap& p = mono.Picture();
        ASSERT_EQ(p.PixelFormat(), pf1bit);
        EXPECT_EQ(p.Width(), c.picture.Width());
        EXPECT_EQ(mono.Colors()[0], c.c0);
        EXPECT_EQ(mono.Colors()[1], c.c1);
        if (c.dithered)
            continue;
        for (int y = 0; y < p.Height(); ++y) {
            for (int x = 0; x < p.Width(); ++x) {
                const TBGRColor want = c.picture.PixelFormat() == pf1bit
                                           ? (Bit(c.picture, x, y) ? white : black)
                                           : Pixel(c.picture, x, y);
                const TBGRColor shown = mono.Colors()[Bit(p, x, y) ? 1 : 0];
                if (c.colours == TWriterMono::Kept) {
                    EXPECT_EQ(shown, want) << x << "," << y;
                } else {
                    EXPECT_EQ(Bit(p, x, y), want == red) << x << "," << y;
                }
            }
            if (p.Width() % 8) {
                EXPECT_EQ(p.ScanLine(y)[p.Width() / 8] & (0xFF >> (p.Width() % 8)), 0);
            }
        }
    }
}
