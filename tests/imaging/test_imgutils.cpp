#include "imaging/ImageProc.h"
#include "imaging/ImgUtils.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>
#include <vector>

TEST(Hash1, CountsDistinctKeysAndChainsCollisions) {
    THash1 hash(13);
    EXPECT_EQ(hash.TableSize(), 8192);
    EXPECT_TRUE(hash.Insert(0));
    EXPECT_FALSE(hash.Insert(0));
    EXPECT_EQ(hash.Count(), 1);
    EXPECT_TRUE(hash.Insert(8192)); // same slot as 0: a chain
    EXPECT_TRUE(hash.Insert(16384));
    EXPECT_FALSE(hash.Insert(8192));
    EXPECT_FALSE(hash.Insert(16384));
    EXPECT_FALSE(hash.Insert(0));
    EXPECT_EQ(hash.Count(), 3);
}

TEST(Hash1, AgreesWithASetOnRandomColours) {
    // Keys of 24-bit colours drawn from a small range so that many collide and repeat.
    std::mt19937 random(11);
    std::uniform_int_distribution<std::uint32_t> key(0, 0xFFFFFF);
    std::uniform_int_distribution<std::uint32_t> small(0, 40000);
    THash1 hash(13);
    std::set<std::uint32_t> reference;
    for (int i = 0; i < 60000; ++i) {
        const std::uint32_t k = (i % 3 == 0) ? key(random) : small(random) * 8192 % 0x1000000;
        EXPECT_EQ(hash.Insert(k), reference.insert(k).second);
    }
    EXPECT_EQ(hash.Count(), int(reference.size()));
    // The largest keys fit: a slot never has to hold a pointer.
    THash1 big(2);
    EXPECT_TRUE(big.Insert(0xFFFFFFFF));
    EXPECT_TRUE(big.Insert(0x7FFFFFFF));
    EXPECT_FALSE(big.Insert(0xFFFFFFFF));
}

TEST(ImgUtils, RowAndMaskHelpers) {
    EXPECT_EQ(RowSize(1, 24), 4);
    EXPECT_EQ(RowSize(3, 24), 12);
    EXPECT_EQ(RowSize(5, 1), 4);
    EXPECT_EQ(RowSize(33, 1), 8);
    EXPECT_EQ(RowSize(0, 24), 0);
    EXPECT_THROW(RowSize(0x7FFFFFFF, 32), EIntOverflow);
    const std::pair<std::uint32_t, int> masks[] = {{0x7C00, 5}, {0x07E0, 6},     {0x001F, 5},     {0, 0},
                                                   {0xF800, 5}, {0x80000000, 1}, {0xFFFFFFFF, 32}};
    for (auto [mask, run] : masks)
        EXPECT_EQ(MaskRunLength(mask), run) << std::hex << mask;
    const TPixelFormat formats[] = {pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};
    const int bits[] = {0, 1, 4, 8, 16, 16, 24, 32};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(PixelFormatBits(formats[i]), bits[i]);
    std::uint32_t v = 1;
    ReverseBits32(v);
    EXPECT_EQ(v, 0x80000000u);
    v = 0x12345678;
    ReverseBits32(v);
    EXPECT_EQ(v, 0x1E6A2C48u);
}

TEST(ImgUtils, ConstrainToAxisOrDiagonal) {
    struct Case {
        int x, y, ex, ey;
    };
    const Case cases[] = {
        {100, 10, 100, 0},     {100, 90, 100, 100},   {10, 100, 0, 100},     {90, 100, 100, 100},
        {-100, -90, -90, -90}, {-90, -100, -90, -90}, {100, -90, 100, -100}, {90, -100, 100, -100},
        {-100, 90, -100, 100}, {-90, 100, -100, 100}, {0, 0, 0, 0},          {0, 20, 0, 20},
    };
    for (const Case& c : cases) {
        int x = c.x, y = c.y;
        ConstrainToAxisOrDiagonal(0, 0, x, y);
        EXPECT_EQ(x, c.ex) << c.x << "," << c.y;
        EXPECT_EQ(y, c.ey) << c.x << "," << c.y;
    }
}

// The line walker visits exactly the pixels of the whole walk that lie in its rectangle, whatever
// part of a long line the rectangle cuts out.
TEST(ImgUtils, LineWalkerClipsWithoutChangingThePixels) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coord(-60, 60);
    for (int i = 0; i < 400; ++i) {
        const int x1 = coord(random), y1 = coord(random), x2 = coord(random), y2 = coord(random);
        const int l = coord(random) / 2, t = coord(random) / 2, r = l + std::abs(coord(random)) / 2,
                  b = t + std::abs(coord(random)) / 2;
        std::vector<std::tuple<int, int, long long>> whole, clipped;
        LineDDA(x1, y1, x2, y2, -1000, -1000, 1000, 1000, [&](int x, int y, long long step) {
            if (x >= l && x <= r && y >= t && y <= b)
                whole.emplace_back(x, y, step);
        });
        LineDDA(x1, y1, x2, y2, l, t, r, b,
                [&](int x, int y, long long step) { clipped.emplace_back(x, y, step); });
        ASSERT_EQ(clipped, whole) << x1 << "," << y1 << " -> " << x2 << "," << y2;
    }
    // The end point is left out; every step moves one pixel along the longer axis.
    std::vector<std::pair<int, int>> pixels;
    LineDDA(0, 0, 4, 2, -10, -10, 10, 10, [&](int x, int y, long long) { pixels.emplace_back(x, y); });
    EXPECT_EQ(pixels, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    // A line two thousand million pixels long costs only its visible part.
    long long visited = 0;
    LineDDA(-2000000000, -1000000000, 2000000000, 1000000000, 0, 0, 9, 9,
            [&](int, int, long long) { ++visited; });
    EXPECT_GE(visited, 9);
    EXPECT_LE(visited, 11);
}

TEST(ImageHelpers, ColoursAndRounding) {
    const TBGRColor c = CreateRGB(3, 2, 1);
    EXPECT_EQ(c.b, 1);
    EXPECT_EQ(c.r, 3);
    EXPECT_EQ(BGRValue(c), 0x030201u);
    EXPECT_EQ(TRGB2TColor(BGRValue(c)), RGB(3, 2, 1));
    EXPECT_EQ(TColor2TRGB(RGB(10, 20, 30)), CreateRGB(10, 20, 30));
    EXPECT_EQ(TColor2TRGB(0x80000005), CreateRGB(255, 255, 255)) << "the window colour";
    EXPECT_EQ(TColor2TRGB(0x800000FF), CreateRGB(0, 0, 0));
    EXPECT_EQ(GreyOf(CreateRGB(255, 255, 255)), 255);
    EXPECT_EQ(GreyOf(CreateRGB(100, 0, 0)), 30);
    EXPECT_EQ(ClampByte(-3), 0);
    EXPECT_EQ(ClampByte(300), 255);
    EXPECT_EQ(ClampInt(5, 0, 3), 3);
    int x1 = 5, y1 = 1, x2 = 2, y2 = 4;
    OrderRect(x1, y1, x2, y2);
    EXPECT_EQ(x1, 2);
    EXPECT_EQ(x2, 5);
    EXPECT_EQ(y1, 1);
    const std::tuple<double, int, int> cases[] = {{1.0, 1, 1},    {1.2, 2, 1}, {-1.2, -1, -2},
                                                  {-1.0, -1, -1}, {0.0, 0, 0}, {2.9999, 3, 2}};
    for (auto [v, ceil, floor] : cases) {
        EXPECT_EQ(CeilExt(v), ceil) << v;
        EXPECT_EQ(FloorExt(v), floor) << v;
    }
}

TEST(ImageHelpers, BitHelpers) {
    std::uint8_t row[3] = {0, 0, 0};
    SetBit(row, 0, true);
    SetBit(row, 9, true);
    EXPECT_EQ(row[0], 0x80);
    EXPECT_EQ(row[1], 0x40);
    EXPECT_TRUE(GetBit(row, 9));
    SetBit(row, 9, false);
    EXPECT_FALSE(GetBit(row, 9));

    const std::uint8_t src[3] = {0b10110011, 0b01011100, 0xFF};
    std::uint8_t dst[3] = {0, 0, 0};
    CopyBits(dst, src, 3, 10, 2);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(GetBit(dst, 3 + i), GetBit(src, 2 + i)) << i;
    EXPECT_FALSE(GetBit(dst, 13));
    std::uint8_t aligned[3] = {0, 0, 0};
    CopyBits(aligned, src, 8, 12, 0);
    EXPECT_EQ(aligned[1], src[0]);
    EXPECT_EQ(aligned[2], 0x50);

    const TBGRColor table[] = {CreateRGB(0, 0, 0), CreateRGB(10, 10, 10), CreateRGB(10, 10, 10),
                               CreateRGB(255, 255, 255)};
    EXPECT_EQ(NearestPaletteIndex(table, 4, CreateRGB(12, 9, 9)), 1) << "the first of equals";
    EXPECT_EQ(NearestPaletteIndex(table, 4, CreateRGB(200, 200, 200)), 3);
    EXPECT_EQ(NearestPaletteIndex(table, 0, CreateRGB(1, 1, 1)), 0);
    TBGRColor pixels[2] = {CreateRGB(1, 2, 3), CreateRGB(4, 5, 6)};
    SwapRedBlue(pixels, 2);
    EXPECT_EQ(pixels[1].b, 4);
    EXPECT_EQ(pixels[1].r, 6);
}
