// Needle rows read from and written into a raster picture: the same entries through a bottom-up
// picture's view (negative stride) and through a top-down buffer of the same picture (positive
// stride, padded rows).
#include "model/UPattern.h"
#include "model/UmapRect.h"
#include "tests/model/NeedleEntries.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
constexpr int PicWidth = 10, PicHeight = 5;

// Pixel colour of column X on pattern line L (line 1 the bottom row); never 0, the filler.
TColor Colour(int X, int Line) {
    return (TColor(Line) << 16) | (TColor(0xA0 + X) << 8) | TColor(X + 1);
}

// The two pictures: an MmapRect and a top-down buffer with 2 bytes of padding per row.
class NeedleRows : public ::testing::Test {
protected:
    void SetUp() override {
        Rect.Width = PicWidth;
        Rect.Height = PicHeight;
        Rect.InitPixels();
        const std::ptrdiff_t stride = PicWidth * 3 + 2;
        Buffer.assign(std::size_t(stride * PicHeight), 0xEE);
        for (int y = 0; y < PicHeight; ++y)
            for (int x = 0; x < PicWidth; ++x) {
                const TColor c = Colour(x, PicHeight - y);
                Rect.SetPixel(x, y, c);
                std::uint8_t* p = Buffer.data() + y * stride + x * 3;
                p[0] = std::uint8_t(c >> 16);
                p[1] = std::uint8_t(c >> 8);
                p[2] = std::uint8_t(c);
            }
        Views[0] = Rect.RowView();
        Views[1] = MRowView{Buffer.data(), stride, PicWidth, PicHeight};
    }
    MmapRect Rect;
    std::vector<std::uint8_t> Buffer;
    MRowView Views[2];
};

TEST_F(NeedleRows, ViewsOfBothLayoutsPointAtTheTopRow) {
    EXPECT_LT(Views[0].Stride, 0);
    EXPECT_GT(Views[1].Stride, 0);
    for (const MRowView& v : Views) {
        EXPECT_EQ(v.Row(0)[2], std::uint8_t(Colour(0, PicHeight)));
        EXPECT_EQ(v.Row(PicHeight - 1)[0], std::uint8_t(Colour(0, 1) >> 16));
    }
    MmapRect empty;
    EXPECT_TRUE(empty.RowView().IsEmpty());
}

TEST_F(NeedleRows, ReadGivesPictureCellsFillerAndCount) {
    constexpr int F = -1; // a filler entry
    struct Case {
        int Line, First, Offset;
        std::vector<int> Columns; // picture columns of the entries, F for filler
    };
    const Case cases[] = {
        {1, 1, 9, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {6, 1, 9, {F, F, F, F, F, F, F, F, F, F}}, // above the picture
        {0, 3, 1, {F, F}},                         // below it
        {1, 8, 4, {7, 8, 9, F, F}},                // past the right edge
        {1, 12, -4, {F, F, 9, 8, 7}},              // right to left from beyond the edge
        {1, -2, 4, {0, 1}},                        // needles left of needle 1 are dropped
        {5, 3, -2, {2, 1, 0}},                     // the top row, right to left
        {3, 11, 3, {F, F, F, F}},                  // wholly beyond the edge
        {2, 4, 0, {3}},
    };
    for (int v = 0; v < 2; ++v) {
        MRasterPattern pattern(Views[v]);
        EXPECT_EQ(pattern.ImageWidth(), PicWidth);
        EXPECT_EQ(pattern.ImageHeight(), PicHeight);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "view " << v << " line " << c.Line << " first " << c.First
                                            << " offset " << c.Offset);
            ByteWriter stream;
            stream.WriteBytes("\x12\x34\x56", 3); // entries are appended at the stream's position
            const int n = pattern.ReadNeedleRow(stream, c.Line, c.First, c.Offset);
            EXPECT_EQ(n, int(c.Columns.size()));
            EXPECT_EQ(NeedleRowCount(c.First, c.Offset), n);
            std::vector<TColor> expected{0x123456};
            for (int col : c.Columns)
                expected.push_back(col == F ? 0 : Colour(col, c.Line));
            EXPECT_EQ(NeedleEntries(stream), expected);
        }
    }
}

TEST_F(NeedleRows, RepeatCopiesWholePeriodsOfHeldEntries) {
    MRasterPattern pattern(Views[0]);
    ByteWriter stream;
    pattern.ReadNeedleRow(stream, 2, 1, 2);
    const std::vector<TColor> three = NeedleEntries(stream);
    pattern.RepeatNeedleRow(stream, 3, 8);
    std::vector<TColor> got = NeedleEntries(stream);
    ASSERT_EQ(got.size(), 9u);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], three[i % 3]) << i;

    // Period at least Total, or below 1: nothing.
    for (auto [period, total] : {std::pair{8, 8}, {9, 8}, {0, 8}, {-3, 8}}) {
        ByteWriter s;
        pattern.ReadNeedleRow(s, 1, 1, 7);
        const std::vector<TColor> before = NeedleEntries(s);
        pattern.RepeatNeedleRow(s, period, total);
        EXPECT_EQ(NeedleEntries(s), before) << period;
    }

    // A period longer than what the stream holds repeats only the entries there are.
    ByteWriter two;
    pattern.ReadNeedleRow(two, 1, 1, 1);
    pattern.RepeatNeedleRow(two, 3, 7);
    got = NeedleEntries(two);
    ASSERT_EQ(got.size(), 8u);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], Colour(int(i % 2), 1));
}

TEST_F(NeedleRows, RunsBeyondTheLimitRaiseWithoutWriting) {
    MRasterPattern pattern(Views[1]);
    ByteWriter stream;
    EXPECT_THROW(pattern.ReadNeedleRow(stream, 1, 1, 2147483646), ERangeError);
    EXPECT_THROW(pattern.ReadNeedleRow(stream, 1, 2147483647, -2147483647), ERangeError);
    EXPECT_EQ(stream.Size(), 0u);
    pattern.ReadNeedleRow(stream, 1, 1, 0);
    EXPECT_THROW(pattern.RepeatNeedleRow(stream, 1, 2147483647), ERangeError);
    EXPECT_EQ(stream.Size(), 3u);
    // An empty view is a picture of no size: all filler.
    MRasterPattern none;
    ByteWriter s;
    EXPECT_EQ(none.ReadNeedleRow(s, 1, 1, 3), 4);
    EXPECT_EQ(NeedleEntries(s), std::vector<TColor>(4, 0));
}
} // namespace

namespace {
// The colours of pattern line Line, needle 1 first.
std::vector<TColor> RowOf(const MRowView& View, int Line) {
    std::vector<TColor> v;
    const std::uint8_t* p = View.Row(View.Height - Line);
    for (int x = 0; x < View.Width; ++x, p += 3)
        v.push_back((TColor(p[0]) << 16) | (TColor(p[1]) << 8) | TColor(p[2]));
    return v;
}

TEST_F(NeedleRows, WriteNeedleRowStaysInsideThePictureAndTheStream) {
    struct Case {
        int Line, First, Count, Held; // Held: entries the stream holds
        int Written;                  // entries that land, from column First - 1 on
    };
    const Case cases[] = {
        {1, 9, 5, 5, 2},                     // cut at the right edge
        {3, 1, 10, 10, 10},                  // a whole row
        {2, 4, 6, 3, 3},                     // the stream is shorter than Count
        {5, 10, 1, 1, 1},                    // the top row's last cell
        {1, 2, 4, 0, 0},                     // an empty stream
        {0, 1, 3, 3, 0},                     // line outside the picture
        {6, 1, 3, 3, 0},    {1, 0, 3, 3, 0}, // needle outside it
        {1, 11, 3, 3, 0},   {1, 1, 0, 3, 0}, // nothing asked
        {1, 1, -2, 3, 0},
    };
    for (int v = 0; v < 2; ++v)
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "view " << v << " line " << c.Line << " first " << c.First
                                            << " count " << c.Count << " held " << c.Held);
            SetUp();
            MRasterPattern pattern(Views[v]);
            ByteWriter stream;
            for (int i = 0; i < c.Held; ++i)
                WriteColorRun(stream, 0x010203 * TColor(i + 1), 1);
            stream.Seek(1); // the stream is read from its start, wherever its position stands
            std::vector<std::vector<TColor>> before;
            for (int line = 1; line <= PicHeight; ++line)
                before.push_back(RowOf(Views[v], line));
            pattern.WriteNeedleRow(stream, c.Line, c.First, c.Count);
            for (int line = 1; line <= PicHeight; ++line) {
                std::vector<TColor> expected = before[std::size_t(line - 1)];
                if (line == c.Line)
                    for (int i = 0; i < c.Written; ++i)
                        expected[std::size_t(c.First - 1 + i)] = 0x010203 * TColor(i + 1);
                EXPECT_EQ(RowOf(Views[v], line), expected) << "line " << line;
            }
            // The padding after each top-down row is never touched.
            for (int y = 0; y < PicHeight; ++y)
                EXPECT_EQ(Buffer[std::size_t(y * (PicWidth * 3 + 2) + PicWidth * 3)], 0xEE);
        }
}

TEST(ColorRuns, WriteBlueGreenRedOrNothingOrRaise) {
    ByteWriter stream;
    stream.WriteBytes("\xAA", 1);
    WriteColorRun(stream, 0x123456, 2);
    EXPECT_EQ(stream.ToByteArray(), QByteArray("\xAA\x12\x34\x56\x12\x34\x56", 7));
    for (int n : {0, -1, int(NeedleRowLimit) + 1, 2147483647}) {
        ByteWriter s;
        if (n > NeedleRowLimit)
            EXPECT_THROW(WriteColorRun(s, 0x123456, n), ERangeError) << n;
        else
            WriteColorRun(s, 0x123456, n);
        EXPECT_EQ(s.Size(), 0u) << n;
    }
    ByteWriter limit;
    WriteColorRun(limit, 0, int(NeedleRowLimit));
    EXPECT_EQ(limit.Size(), std::size_t(NeedleRowLimit) * NeedleEntrySize);
}
} // namespace
