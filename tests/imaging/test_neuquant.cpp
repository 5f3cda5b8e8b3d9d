#include "Pictures.h"
#include "imaging/ImageProc.h"
#include "imaging/NeurQuant.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace imgtest;

namespace {

int Distance(TBGRColor a, TBGRColor b) {
    return std::abs(a.b - b.b) + std::abs(a.g - b.g) + std::abs(a.r - b.r);
}

TBitmap Noise(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    return Picture(
        w, h, [&](int, int) { return C(int(random() % 256), int(random() % 256), int(random() % 256)); });
}

} // namespace

TEST(NeuQuant, SamplingFactorAndStep) {
    const std::pair<std::int64_t, int> automatic[] = {{1, 1},       {1999, 1},    {2000, 2},    {150000, 15},
                                                      {315076, 29}, {315077, 30}, {4194304, 30}};
    for (auto [pixels, factor] : automatic)
        EXPECT_EQ(NeuQuantSampleFactor(pixels, -1), factor) << pixels;
    const std::pair<int, int> quality[] = {{100, 1}, {50, 15}, {0, 30}, {-50, 30}, {200, 1}};
    for (auto [q, factor] : quality)
        EXPECT_EQ(NeuQuantSampleFactor(100000, q), factor) << q;
    EXPECT_EQ(NeuQuantStep(3 * 500), 499);
    EXPECT_EQ(NeuQuantStep(3 * 499), 491);
    EXPECT_EQ(NeuQuantStep(499 * 491), 487);
    EXPECT_EQ(NeuQuantStep(499 * 491 * 487), 503);
}

TEST(NeuQuant, SearchFindsTheNearestEntry) {
    const TBitmap picture = Noise(64, 48, 5);
    for (int N : {2, 16, 256}) {
        std::vector<TBGRColor> palette;
        auto q = BuildNeuQuantPalette(picture, palette, -1, N);
        ASSERT_EQ(int(palette.size()), N);
        EXPECT_EQ(q->initrad, N >> 3);
        std::mt19937 random(N);
        for (int i = 0; i < 2000; ++i) {
            const TBGRColor c = C(int(random() % 256), int(random() % 256), int(random() % 256));
            const int index = NeuQuantIndex(*q, c);
            ASSERT_GE(index, 0);
            ASSERT_LT(index, N);
            int best = 1000;
            for (const TBGRColor& p : palette)
                best = std::min(best, Distance(p, c));
            EXPECT_EQ(Distance(palette[std::size_t(index)], c), best);
        }
        for (const TBGRColor& p : palette)
            EXPECT_EQ(palette[std::size_t(NeuQuantIndex(*q, p))], p) << "a palette colour finds itself";
        FreeNeuQuant(q);
        EXPECT_FALSE(q);
    }
}

TEST(NeuQuant, LearnsTheSameEveryTime) {
    const TBitmap picture = Noise(50, 50, 9);
    std::vector<TBGRColor> a, b;
    BuildNeuQuantPalette(picture, a, -1, 64);
    BuildNeuQuantPalette(picture, b, -1, 64);
    EXPECT_EQ(a, b);
}

TEST(NeuQuant, AUniformPictureLearnsItsColour) {
    const TBitmap picture = Uniform(100, 60, C(40, 120, 200));
    std::vector<TBGRColor> palette;
    auto q = BuildNeuQuantPalette(picture, palette, -1, 16);
    EXPECT_LE(Distance(palette[std::size_t(NeuQuantIndex(*q, C(40, 120, 200)))], C(40, 120, 200)), 3);
}

TEST(NeuQuant, TinyPicturesStayInsideAndLearn) {
    // Fewer pixels than the step and fewer than 100 samples: the step wraps and the decay runs.
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 3}, {3, 1}, {2, 2}, {7, 5}, {1, 499}};
    for (auto [w, h] : sizes) {
        const TBitmap picture = Noise(w, h, unsigned(w * 100 + h));
        for (int N : {1, 2, 256}) {
            std::vector<TBGRColor> palette;
            auto q = BuildNeuQuantPalette(picture, palette, -1, N);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int index = NeuQuantIndex(*q, Pixel(picture, x, y));
                    EXPECT_GE(index, 0);
                    EXPECT_LT(index, N);
                }
        }
    }
    std::vector<TBGRColor> palette;
    EXPECT_THROW(BuildNeuQuantPalette(Noise(2, 2, 1), palette, -1, 0), ERangeError);
    EXPECT_THROW(BuildNeuQuantPalette(Noise(2, 2, 1), palette, -1, MaxNeuQuantColors + 1), ERangeError);
    EXPECT_THROW(BuildNeuQuantPalette(TBitmap(0, 0, pf24bit), palette, -1, 4), ERangeError);
    EXPECT_THROW(BuildNeuQuantPalette(TBitmap(2, 2, pf8bit), palette, -1, 4), ERangeError);
}
