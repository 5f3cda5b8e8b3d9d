#include "Pictures.h"
#include "imaging/ImageProc.h"
#include "imaging/Resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace imgtest;

namespace {

const TResampleFilter AllFilters[] = {rfNone,    rfTriangle, rfHermite, rfBell,
                                      rfBSpline, rfLanczos3, rfMitchell};

std::map<std::uint32_t, int> Histogram(const TBitmap& bmp) {
    std::map<std::uint32_t, int> h;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            ++h[BGRValue(Pixel(bmp, x, y))];
    return h;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!(Pixel(a, x, y) == Pixel(b, x, y)))
                return false;
    return true;
}

TBitmap Numbered(int w, int h) {
    return Picture(w, h, [](int x, int y) { return C(x, y, 100 + x + 10 * y); });
}

} // namespace

TEST(Resample, KernelsAtKnownPoints) {
    EXPECT_DOUBLE_EQ(FilterKernel(rfTriangle, 0.25), 0.75);
    EXPECT_DOUBLE_EQ(FilterKernel(rfHermite, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(FilterKernel(rfBell, -1.0), 0.125);
    EXPECT_DOUBLE_EQ(FilterKernel(rfBSpline, 0.0), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(FilterKernel(rfLanczos3, 0.0), 1.0);
    EXPECT_NEAR(FilterKernel(rfLanczos3, 1.0), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(FilterKernel(rfLanczos3, 3.0), 0.0);
    EXPECT_NEAR(FilterKernel(rfMitchell, 0.0), 8.0 / 9.0, 1e-12);
    EXPECT_DOUBLE_EQ(FilterKernel(rfMitchell, 2.0), 0.0);
}

TEST(Resample, HalvingWithTheTriangleWeighsThreeNeighbours) {
    const auto lists = BuildContributors(8, 4, rfTriangle);
    ASSERT_EQ(lists.size(), 4u);
    const auto& l = lists[1]; // center 2, reach 2
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].Index, 1);
    EXPECT_DOUBLE_EQ(l[0].Weight, 0.25);
    EXPECT_EQ(l[1].Index, 2);
    EXPECT_DOUBLE_EQ(l[1].Weight, 0.5);
    EXPECT_DOUBLE_EQ(l[2].Weight, 0.25);
    // At the left edge the index is reflected.
    EXPECT_EQ(lists[0][0].Index, 1);
}

TEST(Resample, ReflectedIndicesStayInsideNarrowSources) {
    for (TResampleFilter f : AllFilters)
        for (int S : {1, 2, 3})
            for (int D : {1, 2, 5, 17}) {
                const auto lists = BuildContributors(S, D, f);
                for (const auto& list : lists)
                    for (const TContributor& c : list) {
                        ASSERT_GE(c.Index, 0);
                        ASSERT_LT(c.Index, S);
                    }
            }
}

TEST(Resample, UniformPicturesStayUniform) {
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 7}, {13, 2}, {40, 25}, {3, 90}};
    for (TResampleFilter f : AllFilters)
        for (auto [w, h] : {std::pair{20, 10}, std::pair{1, 1}, std::pair{3, 1}}) {
            for (auto [nw, nh] : sizes) {
                TImageProc proc;
                TBitmap picture = Uniform(w, h, C(10, 128, 250));
                proc.SetAttachedBitmap(&picture);
                proc.Resample(nw, nh, f);
                ASSERT_EQ(picture.Width(), nw);
                ASSERT_EQ(picture.Height(), nh);
                const auto hist = Histogram(picture);
                ASSERT_EQ(hist.size(), 1u)
                    << "filter " << f << " " << w << "x" << h << " to " << nw << "x" << nh;
                EXPECT_EQ(hist.begin()->first, BGRValue(C(10, 128, 250)));
            }
        }
}

TEST(Resample, NegativeSidesKeepTheProportions) {
    TImageProc proc;
    TBitmap picture = Numbered(200, 100);
    proc.SetAttachedBitmap(&picture);
    proc.Resample(-1, 50, rfNone);
    EXPECT_EQ(picture.Width(), 100);
    EXPECT_EQ(picture.Height(), 50);
    proc.Resample(30, -1, rfBell);
    EXPECT_EQ(picture.Width(), 30);
    EXPECT_EQ(picture.Height(), 15);
    const TBitmap before = picture;
    proc.Resample(-1, -1, rfNone);
    EXPECT_TRUE(SamePixels(picture, before));
    EXPECT_TRUE(proc.CanUndo());
    // A proportional side past the largest size is refused; the picture stays.
    TBitmap narrow = Numbered(4, 1);
    proc.SetAttachedBitmap(&narrow);
    for (int height : {1 << 30, 0x7FFFFFFF})
        EXPECT_THROW(proc.Resample(-1, height, rfNone), EInvalidGraphic);
    EXPECT_TRUE(SamePixels(narrow, Numbered(4, 1)));
    // An empty picture is left alone.
    TBitmap empty(0, 5, pf24bit);
    proc.SetAttachedBitmap(&empty);
    proc.Resample(-1, 10, rfLanczos3);
    proc.Resample(10, 10, rfLanczos3);
    EXPECT_TRUE(empty.Empty());
}

TEST(Resample, TheStretchKeepsCellsCrisp) {
    // Growing repeats pixels: a checkerboard of 1-pixel cells becomes 3-pixel cells.
    const TBitmap board = Picture(4, 3, [](int x, int y) { return (x + y) % 2 ? Grey(255) : C(0, 0, 255); });
    TBitmap big(12, 9, pf24bit);
    StretchBitmap(board, big);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(Pixel(big, x, y), Pixel(board, x / 3, y / 3));
    EXPECT_EQ(Histogram(big).size(), 2u);
    // Shrinking averages the covered area.
    TBitmap small(2, 1, pf24bit);
    StretchBitmap(Picture(4, 1, [](int x, int) { return Grey(x % 2 ? 255 : 0); }), small);
    EXPECT_EQ(Pixel(small, 0, 0), Grey(128));
    TBitmap third(1, 1, pf24bit);
    StretchBitmap(Picture(3, 1, [](int x, int) { return Grey(x == 0 ? 90 : 0); }), third);
    EXPECT_EQ(Pixel(third, 0, 0), Grey(30));
    // The same size is an exact copy.
    const TBitmap n = Numbered(7, 5);
    TBitmap same(7, 5, pf24bit);
    StretchBitmap(n, same);
    EXPECT_TRUE(SamePixels(n, same));
    // 1-bit pictures stay 1 bit.
    TBitmap mono(8, 2, pf1bit);
    mono.ScanLine(0)[0] = 0xF0;
    TBitmap half(4, 1, pf1bit);
    StretchBitmap(mono, half);
    EXPECT_EQ(half.PixelFormat(), pf1bit);
    EXPECT_EQ(half.ScanLine(0)[0] & 0xF0, 0xC0);
}

TEST(Resample, FastFormMatchesTheFilterWhenGrowing) {
    const TBitmap n = Numbered(6, 4);
    TBitmap a(15, 9, pf24bit), b(15, 9, pf24bit);
    ResampleFiltered(n, a, rfMitchell, nullptr, {});
    ResampleFast(n, b, rfMitchell, nullptr, {});
    EXPECT_TRUE(SamePixels(a, b));
    TBitmap c(3, 2, pf24bit), d(3, 2, pf24bit);
    ResampleFast(n, c, rfMitchell, nullptr, {});
    StretchBitmap(n, d);
    EXPECT_TRUE(SamePixels(c, d));
}

TEST(Rotate, QuarterTurns) {
    TImageProc proc;
    const TBitmap original = Numbered(3, 2);
    TBitmap picture = original;
    proc.SetAttachedBitmap(&picture);
    proc.Rotate(90, false);
    ASSERT_EQ(picture.Width(), 2);
    ASSERT_EQ(picture.Height(), 3);
    // The top row becomes the left column (counter-clockwise).
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(Pixel(picture, 0, 2 - x), Pixel(original, x, 0));
    TBitmap minus = original;
    proc.SetAttachedBitmap(&minus);
    proc.Rotate(-270, false);
    EXPECT_TRUE(SamePixels(minus, picture));
    for (int angle : {0, 360, -360, 720}) {
        TBitmap same = original;
        proc.SetAttachedBitmap(&same);
        proc.Rotate(angle, true);
        EXPECT_TRUE(SamePixels(same, original)) << angle;
    }
    TBitmap half = original;
    proc.SetAttachedBitmap(&half);
    proc.Rotate(180, false);
    EXPECT_EQ(Pixel(half, 0, 0), Pixel(original, 2, 1));
    TBitmap cw;
    Rotate90Clockwise(original, cw);
    EXPECT_EQ(Pixel(cw, 1, 0), Pixel(original, 0, 0)) << "the top row becomes the right column";
    EXPECT_EQ(Pixel(cw, 0, 2), Pixel(original, 2, 1));
}

TEST(Rotate, ThirtyDegreesGivesTheShearSizesAndKeepsEveryPixel) {
    TImageProc proc;
    proc.SetBackground(RGB(0, 0, 255));
    const TBitmap original = Picture(100, 50, [](int x, int y) { return C(x, y, 7); });
    TBitmap picture = original;
    proc.SetAttachedBitmap(&picture);
    proc.Rotate(30, false);
    EXPECT_EQ(picture.Width(), 112);
    EXPECT_EQ(picture.Height(), 94);
    // The corners show the background, and without blending every source pixel is still there.
    EXPECT_EQ(Pixel(picture, 0, 0), C(255, 0, 0));
    EXPECT_EQ(Pixel(picture, 111, 93), C(255, 0, 0));
    auto hist = Histogram(picture);
    hist.erase(BGRValue(C(255, 0, 0)));
    EXPECT_EQ(hist, Histogram(original));

    // Counter-clockwise: the top-left corner of the picture moves down the left side.
    TBitmap marker = Uniform(40, 20, Grey(255));
    SetPixel(marker, 0, 0, Grey(0));
    proc.SetAttachedBitmap(&marker);
    proc.Rotate(30, false);
    int mx = -1, my = -1;
    for (int y = 0; y < marker.Height(); ++y)
        for (int x = 0; x < marker.Width(); ++x)
            if (Pixel(marker, x, y) == Grey(0)) {
                mx = x;
                my = y;
            }
    EXPECT_LE(mx, 2);
    EXPECT_NEAR(my, 20, 2);
}

TEST(Rotate, BlendingKeepsUniformColoursAndSoftensTheEdges) {
    TImageProc proc;
    proc.SetBackground(RGB(0, 0, 0));
    for (int level : {1, 101, 128, 255}) {
        TBitmap picture = Uniform(60, 40, Grey(level));
        proc.SetAttachedBitmap(&picture);
        proc.Rotate(20, true);
        const auto hist = Histogram(picture);
        EXPECT_GT(hist.at(BGRValue(Grey(level))), 60 * 40 * 9 / 10) << level;
        for (const auto& [colour, count] : hist)
            EXPECT_LE(colour & 0xFF, std::uint32_t(level)) << "edges blend towards the background";
        if (level >= 128) {
            EXPECT_GT(hist.size(), 3u);
        }
    }
}

TEST(Rotate, SmallAndNarrowPicturesAtEveryAngle) {
    TImageProc proc;
    proc.SetBackground(RGB(1, 2, 3));
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 5}, {5, 1}, {2, 3}};
    for (auto [w, h] : sizes)
        for (int angle = -359; angle < 360; angle += 7)
            for (bool aa : {false, true}) {
                TBitmap picture = Numbered(w, h);
                proc.SetAttachedBitmap(&picture);
                proc.Rotate(angle, aa);
                ASSERT_FALSE(picture.Empty());
                ASSERT_LE(picture.Width(), 3 * (w + h) + 4);
                if (!aa) {
                    // No pixel is cut off, however small the picture.
                    auto hist = Histogram(picture);
                    hist.erase(BGRValue(C(3, 2, 1)));
                    ASSERT_EQ(hist, Histogram(Numbered(w, h))) << w << "x" << h << " by " << angle;
                }
            }
    TBitmap empty(0, 0, pf24bit);
    proc.SetAttachedBitmap(&empty);
    proc.Rotate(30, true);
    EXPECT_TRUE(empty.Empty());
}

TEST(Rotate, OneBitPictures) {
    TBitmap mono(8, 4, pf1bit);
    mono.ScanLine(0)[0] = 0x80; // top-left pixel white
    TProgressRec progress;
    Rotate1Bit(mono, false, progress, 90);
    EXPECT_EQ(mono.Width(), 4);
    EXPECT_EQ(mono.Height(), 8);
    EXPECT_EQ(mono.PixelFormat(), pf1bit);

    TImageProc proc;
    TBitmap picture(10, 10, pf1bit);
    proc.SetAttachedBitmap(&picture);
    proc.SetBackground(RGB(255, 255, 255));
    proc.Rotate(45, false);
    EXPECT_EQ(picture.PixelFormat(), pf1bit);
    EXPECT_TRUE(Bit(picture, 0, 0)) << "uncovered corners take the fill bit";
    for (int angle : {-300, -45, 1, 89, 181}) {
        TBitmap tiny(1, 1, pf1bit);
        proc.SetAttachedBitmap(&tiny);
        proc.Rotate(angle, false);
    }
}
