#include "Pictures.h"
#include "imaging/ImageProc.h"
#include "imaging/NeurQuant.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace imgtest;

namespace {

std::set<std::uint32_t> ColoursOf(const TBitmap& bmp) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            colours.insert(BGRValue(Pixel(bmp, x, y)));
    return colours;
}

TBitmap Gradient(int w, int h) {
    return Picture(w, h, [](int x, int y) { return C(x * 7 % 256, y * 5 % 256, (x * y) % 256); });
}

} // namespace

TEST(ImageProc, UndoRestoresTheLastPicture) {
    TImageProc proc;
    TBitmap picture = Gradient(5, 4);
    const TBitmap original = picture;
    proc.SetAttachedBitmap(&picture);
    proc.Undo();
    EXPECT_FALSE(proc.CanUndo()) << "nothing to undo right after creation";
    proc.ToGrayScale();
    EXPECT_NE(BGRValue(Pixel(picture, 4, 3)), BGRValue(Pixel(original, 4, 3)));
    proc.Undo();
    EXPECT_EQ(ColoursOf(picture), ColoursOf(original));
    EXPECT_EQ(Pixel(picture, 4, 3), Pixel(original, 4, 3));

    // A black-and-white conversion comes back as the 24-bit picture it was.
    proc.ConvertToBWDither();
    EXPECT_EQ(picture.PixelFormat(), pf1bit);
    proc.Undo();
    EXPECT_EQ(picture.PixelFormat(), pf24bit);
    EXPECT_EQ(Pixel(picture, 2, 2), Pixel(original, 2, 2));

    // Without AutoUndo the copy stays the older one.
    proc.AutoUndo = false;
    proc.ToGrayScale();
    proc.Undo();
    EXPECT_EQ(Pixel(picture, 4, 3), Pixel(original, 4, 3));
}

TEST(ImageProc, OnePixelWidePicturesCanBeUndone) {
    TImageProc proc;
    TBitmap picture = Picture(1, 6, [](int, int y) { return C(0, 0, y * 40); });
    proc.SetAttachedBitmap(&picture);
    proc.ToGrayScale();
    proc.Undo();
    EXPECT_EQ(Pixel(picture, 0, 5), C(0, 0, 200));
    // An empty picture leaves nothing to undo.
    TBitmap empty(0, 3, pf24bit);
    proc.SetAttachedBitmap(&empty);
    proc.SaveUndo();
    EXPECT_FALSE(proc.CanUndo());
    EXPECT_EQ(proc.UndoBitmap().Width(), 1);
}

TEST(ImageProc, GreyFollowsTheWorkingArea) {
    TImageProc proc;
    TBitmap picture = Uniform(6, 5, C(100, 50, 200));
    proc.SetAttachedBitmap(&picture);
    proc.SelX1 = 1;
    proc.SelY1 = -3; // clamped to the top row
    proc.SelX2 = 99; // clamped to the last column
    proc.SelY2 = 1;
    proc.ToGrayScale();
    const int g = (30 * 200 + 59 * 50 + 11 * 100) / 100;
    EXPECT_EQ(Pixel(picture, 0, 0), C(100, 50, 200));
    EXPECT_EQ(Pixel(picture, 1, 0), Grey(g));
    EXPECT_EQ(Pixel(picture, 5, 1), Grey(g));
    EXPECT_EQ(Pixel(picture, 5, 2), C(100, 50, 200));
}

TEST(ImageProc, ThresholdAndMeanGrey) {
    TImageProc proc;
    TBitmap picture = Picture(2, 1, [](int x, int) { return Grey(x ? 127 : 128); });
    proc.SetAttachedBitmap(&picture);
    proc.ConvertToBWThreshold(128);
    ASSERT_EQ(picture.PixelFormat(), pf1bit);
    EXPECT_TRUE(Bit(picture, 0, 0));
    EXPECT_FALSE(Bit(picture, 1, 0));

    // Greys 0, 0, 255, 255 have mean grey 127: the bright pixels become white.
    TBitmap square = Picture(2, 2, [](int, int y) { return Grey(y ? 255 : 0); });
    proc.SetAttachedBitmap(&square);
    proc.ConvertToBWThreshold(-1);
    EXPECT_FALSE(Bit(square, 0, 0));
    EXPECT_TRUE(Bit(square, 1, 1));
}

TEST(ImageProc, ReduceColorsLeavesAtMostNColours) {
    TImageProc proc;
    std::mt19937 random(3);
    TBitmap picture =
        Picture(40, 30, [&](int, int) { return C(int(random() % 256), int(random() % 256), 9); });
    proc.SetAttachedBitmap(&picture);
    proc.ReduceColors(2);
    EXPECT_EQ(picture.PixelFormat(), pf24bit);
    EXPECT_LE(ColoursOf(picture).size(), 2u);

    // More colours than the quantiser learns: still at most N.
    std::mt19937 more(5);
    TBitmap many =
        Picture(80, 80, [&](int, int) { return C(int(more() % 256), int(more() % 256), int(more() % 256)); });
    ASSERT_GT(ColoursOf(many).size(), 4500u);
    proc.SetAttachedBitmap(&many);
    proc.ReduceColors(4500);
    EXPECT_LE(ColoursOf(many).size(), std::size_t(MaxNeuQuantColors));

    // Tiny pictures with more colours than asked.
    for (int w : {1, 2, 3}) {
        TBitmap tiny = Picture(w, 3, [](int x, int y) { return C(x * 80, y * 80, 0); });
        proc.SetAttachedBitmap(&tiny);
        proc.ReduceColors(2);
        EXPECT_LE(ColoursOf(tiny).size(), 2u);
    }
}

TEST(ImageProc, ReduceColorsKeepsPicturesThatAlreadyFit) {
    // Yarn colours must not drift: at most N colours stay exactly as they are.
    TImageProc proc;
    const TBGRColor yarns[] = {C(1, 2, 3), C(250, 7, 7), C(9, 200, 9), C(130, 131, 132), C(255, 255, 254)};
    TBitmap picture = Picture(33, 21, [&](int x, int y) { return yarns[(x / 3 + y) % 5]; });
    const TBitmap original = picture;
    proc.SetAttachedBitmap(&picture);
    for (int N : {5, 6, 256}) {
        proc.ReduceColors(N);
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 33; ++x)
                ASSERT_EQ(Pixel(picture, x, y), Pixel(original, x, y));
    }
    proc.ReduceColors(4);
    EXPECT_LE(ColoursOf(picture).size(), 4u);
}

TEST(ImageProc, OnlyResampleRotateAndCountTouchOneBitPictures) {
    TImageProc proc;
    TBitmap mono(10, 4, pf1bit);
    mono.ScanLine(1)[0] = 0xA5;
    const TBitmap before = mono;
    proc.SetAttachedBitmap(&mono);
    int changes = 0;
    mono.OnChange = [&](TBitmap*) { ++changes; };
    proc.ReduceColors(2);
    proc.ToGrayScale();
    proc.ConvertToBWThreshold(-1);
    proc.ConvertToBWDither();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(mono.ScanLine(1)[0], 0xA5);
    EXPECT_FALSE(proc.CanUndo()) << "no undo copy for an operation that does nothing";
    EXPECT_EQ(proc.CountColors(), 2);
    proc.Resample(20, 8, rfLanczos3);
    EXPECT_EQ(mono.PixelFormat(), pf1bit);
    EXPECT_EQ(mono.Width(), 20);
    EXPECT_GT(changes, 0);

    TBitmap eight(4, 4, pf8bit);
    proc.SetAttachedBitmap(&eight);
    EXPECT_EQ(proc.CountColors(), 0);
    proc.SetAttachedBitmap(nullptr);
    EXPECT_EQ(proc.CountColors(), 0);
    proc.ToGrayScale();
    proc.Rotate(30, false);
    proc.Resample(3, 3, rfNone);
    proc.Undo();
}

TEST(ImageProc, CountColorsAgreesWithASet) {
    TImageProc proc;
    std::mt19937 random(17);
    TBitmap picture = Picture(120, 90, [&](int, int) {
        // Few distinct low bytes so that many keys share a slot.
        return C(int(random() % 4), int(random() % 64), int(random() % 256));
    });
    proc.SetAttachedBitmap(&picture);
    EXPECT_EQ(proc.CountColors(), int(ColoursOf(picture).size()));
    proc.SelX1 = 2;
    proc.SelY1 = 3;
    proc.SelX2 = 500;
    proc.SelY2 = 5;
    TBitmap part;
    CopyBitmapRect(picture, part, 2, 3, 119, 5);
    EXPECT_EQ(proc.CountColors(), int(ColoursOf(part).size()));
    TBitmap one = Uniform(1, 1, Grey(3));
    proc.SetAttachedBitmap(&one);
    proc.SelX1 = -1;
    EXPECT_EQ(proc.CountColors(), 1);
}

TEST(ImageProc, ReportsProgressPerRowAndNotifiesTheChange) {
    TImageProc proc;
    TBitmap picture = Gradient(4, 3);
    proc.SetAttachedBitmap(&picture);
    std::vector<int> reports;
    proc.OnProgress = [&](QObject* sender, int per) {
        EXPECT_EQ(sender, &proc);
        reports.push_back(per);
    };
    int changes = 0;
    picture.OnChange = [&](TBitmap*) { ++changes; };
    proc.ToGrayScale();
    EXPECT_EQ(reports, (std::vector<int>{28, 57, 85}));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(picture.Modified());
}
