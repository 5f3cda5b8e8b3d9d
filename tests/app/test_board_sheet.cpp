// The board sheet without a window: cells, rectangles copied out and in, the viewport arithmetic and
// the zoom picture.

#include "tests/app/BoardSupport.h"

#include "model/UcstmExp.h"

#include <gtest/gtest.h>

using namespace boardtest;

namespace {

// A sheet over a picture, cell size 1 and a view of the whole picture at (0, 0).
void Load(TBoardSheet& S, int W, int H, const std::function<TColor(int, int)>& Of = Tag) {
    S.SetRaster(Picture(W, H, Of));
}

} // namespace

TEST(BoardSheet, CellsReadWriteAndIgnoreOutside) {
    RecordingSheet s;
    Load(s, 3, 2);
    EXPECT_EQ(s.Raster().BytesPerLine(), 12); // 9 bytes of pixels and 3 filler bytes
    EXPECT_EQ(s.GetCell(0, 0), Tag(0, 0));
    EXPECT_EQ(s.GetCell(2, 1), Tag(2, 1));
    s.BrushColor = 0x123456;
    for (auto [x, y] : {std::pair{3, 0}, {0, 2}, {-1, 0}, {0, -1}})
        EXPECT_EQ(s.GetCell(x, y), 0x123456u) << x << "," << y;

    s.SetCell(0, 1, 1, 0xABCDEF);
    EXPECT_EQ(s.GetCell(1, 1), 0xABCDEFu);
    // The bytes are blue, green, red: colour >> 16 first.
    const std::uint8_t* p = s.Raster().ScanLine(1) + 3;
    EXPECT_EQ(p[0], 0xAB);
    EXPECT_EQ(p[2], 0xEF);
    const TBitmap before = s.Raster();
    for (auto [x, y] : {std::pair{3, 0}, {0, 2}, {-1, 0}, {0, -1}})
        s.SetCell(2, x, y, 0);
    EXPECT_EQ(std::memcmp(before.Bits(), s.Raster().Bits(), before.ImageSize()), 0);
    EXPECT_TRUE(s.Invalidated.empty());
}

TEST(BoardSheet, SetCellOnScreenRepaintsOnlyTheCellInView) {
    RecordingSheet s;
    Load(s, 10, 10);
    s.SetCellSize(4);
    s.SetViewRect({5, 5, 5 + 4 * 6 - 1, 5 + 4 * 6 - 1}); // 6 x 6 cells: columns 0..5, rows 4..9
    s.SetCell(2, 1, 5, 0xFF);
    ASSERT_EQ(s.Invalidated.size(), 1u);
    EXPECT_EQ(s.Invalidated[0], (TBoardRect{9, 9, 12, 12}));
    s.SetCell(2, 7, 5, 0xFF); // not visible: written, not repainted
    EXPECT_EQ(s.GetCell(7, 5), 0xFFu);
    EXPECT_EQ(s.Invalidated.size(), 1u);
}

TEST(BoardSheet, GetMapRectCutsTheBufferToThePicture) {
    TBoardSheet s;
    Load(s, 5, 4);
    struct Case {
        int X, Y, W, H;
        int CutW, CutH, FromX, FromY;
    };
    for (const Case& c : {Case{1, 1, 2, 2, 2, 2, 1, 1}, Case{3, 2, 4, 5, 2, 2, 3, 2},
                          Case{-2, -1, 4, 3, 2, 2, 0, 0}, Case{5, 0, 2, 2, 0, 0, 0, 0}}) {
        MmapRect m;
        m.Width = c.W;
        m.Height = c.H;
        s.GetMapRect(c.X, c.Y, m);
        ASSERT_EQ(m.Width, c.CutW);
        ASSERT_EQ(m.Height, c.CutH);
        // The header and the rows agree with the cut size.
        const auto* h = reinterpret_cast<const std::uint8_t*>(m.Pixels.constData());
        EXPECT_EQ(h[18] | h[19] << 8, c.CutW);
        EXPECT_EQ(h[22] | h[23] << 8, c.CutH);
        EXPECT_EQ(m.Pixels.size(), MmapRect::HeadersSize + m.Stride() * c.CutH);
        for (int y = 0; y < c.CutH; ++y)
            for (int x = 0; x < c.CutW; ++x)
                EXPECT_EQ(m.GetPixel(x, y), Tag(c.FromX + x, c.FromY + y));
    }
}

TEST(BoardSheet, PutMapRectClipsAndSkipsTheKeyColour) {
    struct Case {
        const char* Name;
        int X, Y;
        bool Transparent;
    };
    const MmapRect source =
        Buffer(3, 2, [](int x, int y) { return x == 1 && y == 0 ? 0x0000FFu : 0x00AA00u + x; });
    for (const Case& c : {Case{"over the right edge", 3, 1, false}, Case{"over the top-left", -1, -1, false},
                          Case{"with the key colour", 1, 1, true}, Case{"wholly outside", 9, 9, false}}) {
        RecordingSheet s;
        Load(s, 5, 4);
        MmapRect m;
        m.Assign(source);
        m.Transparent = c.Transparent;
        m.TransparentColor = 0x0000FF;
        s.PutMapRect(0, c.X, c.Y, m);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const int bx = x - c.X, by = y - c.Y;
                const bool in = bx >= 0 && bx < 3 && by >= 0 && by < 2;
                const bool key = in && c.Transparent && bx == 1 && by == 0;
                const TColor want = in && !key ? m.GetPixel(bx, by) : Tag(x, y);
                EXPECT_EQ(s.GetCell(x, y), want) << c.Name << " at " << x << "," << y;
            }
        EXPECT_TRUE(s.Invalidated.empty()) << c.Name; // mode 0 touches no pixel on screen
    }
}

TEST(BoardSheet, ViewportKeepsTheBottomLineAndScrollsWithinThePicture) {
    TBoardSheet s;
    Load(s, 10, 100);
    s.SetViewRect({0, 0, 9, 19});
    EXPECT_EQ(s.VisibleCells(), (TBoardRect{0, 80, 9, 99}));
    struct Step {
        const char* Name;
        std::function<void()> Do;
        TBoardRect Visible;
    };
    const Step steps[] = {
        {"down past the end", [&] { s.ScrollDown(50); }, {0, 80, 9, 99}},
        {"up 5", [&] { s.ScrollUp(5); }, {0, 75, 9, 94}},
        {"up -3 goes down", [&] { s.ScrollUp(-3); }, {0, 78, 9, 97}},
        {"up past the top", [&] { s.ScrollUp(1000); }, {0, 0, 9, 19}},
        {"right on a full width", [&] { s.ScrollRight(4); }, {0, 0, 9, 19}},
        {"a taller view keeps the last line",
         [&] {
             s.SetViewRect({0, 0, 9, 39});
         },
         {0, 0, 9, 39}},
    };
    for (const Step& st : steps) {
        st.Do();
        EXPECT_EQ(s.VisibleCells(), st.Visible) << st.Name;
    }
    // After scrolling to the bottom, a smaller view keeps the bottom line.
    s.ScrollDown(1000);
    s.SetViewRect({0, 0, 9, 9});
    EXPECT_EQ(s.VisibleCells(), (TBoardRect{0, 90, 9, 99}));
}

TEST(BoardSheet, ViewRectSnapsToWholeCells) {
    struct Case {
        int W, H, Cell;
        TBoardRect Req, View, Visible;
    };
    const Case cases[] = {
        // 7 cells of 3 pixels fit in 22 pixels; the remainder is cut.
        {20, 20, 3, {10, 10, 31, 31}, {10, 10, 30, 30}, {0, 13, 6, 19}},
        // A picture smaller than the view: the view shrinks to it.
        {4, 3, 5, {0, 0, 99, 99}, {0, 0, 19, 14}, {0, 0, 3, 2}},
        // Cell size 1, exact fit.
        {8, 8, 1, {2, 3, 9, 10}, {2, 3, 9, 10}, {0, 0, 7, 7}},
    };
    for (const Case& c : cases) {
        TBoardSheet s;
        Load(s, c.W, c.H);
        s.SetCellSize(c.Cell);
        s.SetViewRect(c.Req);
        EXPECT_EQ(s.ViewRect(), c.View) << c.W << "x" << c.H;
        EXPECT_EQ(s.VisibleCells(), c.Visible) << c.W << "x" << c.H;
    }
}

TEST(BoardSheet, PixelsAndCellsConvertBothWays) {
    TBoardSheet s;
    Load(s, 50, 50);
    s.SetCellSize(4);
    s.SetViewRect({10, 20, 10 + 40 - 1, 20 + 40 - 1}); // 10 x 10 cells, rows 40..49
    EXPECT_EQ(s.CellToPixel(0, 40), (TBoardPoint{10, 20}));
    EXPECT_EQ(s.CellToPixel(3, 42), (TBoardPoint{22, 28}));
    EXPECT_EQ(s.PixelToCell(10, 20), (TBoardPoint{0, 40}));
    EXPECT_EQ(s.PixelToCell(25, 31), (TBoardPoint{3, 42}));

    // The paint rectangle widens to whole cells and stays in the view.
    s.SetPaintRect({13, 22, 18, 30});
    EXPECT_EQ(s.PaintRect(), (TBoardRect{10, 20, 21, 31}));
    EXPECT_EQ(s.PaintCells(), (TBoardRect{0, 40, 2, 42}));
    s.SetPaintRect({0, 0, 1000, 1000});
    EXPECT_EQ(s.PaintRect(), s.ViewRect());
    s.SetPaintCells({8, 48, 20, 60});
    EXPECT_EQ(s.PaintCells(), (TBoardRect{8, 48, 9, 49}));
    EXPECT_EQ(s.PaintRect(), (TBoardRect{42, 52, 49, 59}));

    // A selection drawn backwards snaps to cell boundaries and to the picture.
    s.SelRect = {27, 33, 11, 21};
    s.SelectionPixelsToCells();
    EXPECT_EQ(s.SelCells, (TBoardRect{0, 40, 4, 43}));
    EXPECT_EQ(s.SelRect, (TBoardRect{10, 20, 29, 35}));
}

TEST(BoardSheet, ClipAndPointRules) {
    struct Case {
        TBoardRect R;
        int Result;
        TBoardRect Clipped;
    };
    const TBoardRect bounds{0, 0, 9, 9};
    for (const Case& c : {Case{{2, 3, 4, 5}, 0, {2, 3, 4, 5}}, Case{{4, 5, 2, 3}, 0, {2, 3, 4, 5}},
                          Case{{-5, 8, 3, 20}, 0, {0, 8, 3, 9}}, Case{{10, 0, 12, 3}, -1, bounds}}) {
        TBoardRect r = c.R;
        EXPECT_EQ(ClipRect(r, bounds), c.Result);
        EXPECT_EQ(r, c.Clipped);
    }
    EXPECT_EQ(PointInRect(9, 0, bounds), 0);
    EXPECT_EQ(PointInRect(10, 0, bounds), -1);
}

TEST(BoardSheet, ZoomCellsBurnsTheGridIn) {
    TBoardSheet s;
    Load(s, 2, 1, [](int x, int) { return x == 0 ? 0x0000FFu : 0x00FF00u; });
    s.SetCellSize(4);
    s.SetGridFlag(true);
    const TBitmap& z = s.ZoomCells(0, 0, 1, 0);
    ASSERT_EQ(z.Width(), 8);
    ASSERT_EQ(z.Height(), 4);
    // Each cell: a grid-coloured top row and right column around 3 x 3 pixels of colour.
    const TColor G = s.GridColor;
    const TColor R = 0x0000FF, N = 0x00FF00;
    const TColor want[4][8] = {{G, G, G, G, G, G, G, G},
                               {R, R, R, G, N, N, N, G},
                               {R, R, R, G, N, N, N, G},
                               {R, R, R, G, N, N, N, G}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(CellOf(z, x, y), want[y][x]) << x << "," << y;
    // Without the grid, and at cell size 1 with it, nothing is grid-coloured.
    s.SetGridFlag(false);
    EXPECT_EQ(CellOf(s.ZoomCells(1, 0, 0, 0), 7, 0), N);
    s.SetGridFlag(true);
    s.SetCellSize(1);
    const TBitmap& one = s.ZoomCells(-3, -3, 9, 9);
    EXPECT_EQ(one.Width(), 2);
    EXPECT_EQ(CellOf(one, 0, 0), R);
}

TEST(BoardSheet, ZoomOfABufferAndOfAShallowPicture) {
    TBoardSheet s;
    Load(s, 2, 2);
    s.SetCellSize(2);
    MmapRect m = Buffer(2, 2, Tag);
    const TBitmap& z = s.ZoomCells(1, 0, 1, 1, &m);
    ASSERT_EQ(z.Width(), 2);
    ASSERT_EQ(z.Height(), 4);
    EXPECT_EQ(CellOf(z, 1, 3), Tag(1, 1));
    // The stream says 4 bits per pixel.
    m.Pixels[28] = 4;
    try {
        s.ZoomCells(0, 0, 1, 1, &m);
        FAIL() << "a 4-bit source was zoomed";
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, 5001);
        EXPECT_EQ(e.SubCode, 1);
    }
}

TEST(BoardSheet, NeedleRowsSeeTheRasterAsItIsNow) {
    TBoardSheet s;
    Load(s, 3, 2);
    EXPECT_EQ(s.Pattern().ImageWidth(), 3);
    ByteWriter w;
    s.Pattern().ReadNeedleRow(w, 1, 1, 2); // line 1 is the bottom row
    ASSERT_EQ(w.Size(), 9u);
    EXPECT_EQ(CellColorOf(w.Buffer().data() + 3), Tag(1, 1));
    Load(s, 5, 4, [](int, int) { return 0x010203u; });
    EXPECT_EQ(s.Pattern().ImageWidth(), 5);
    EXPECT_EQ(s.Pattern().ImageHeight(), 4);
    ByteWriter w2;
    s.Pattern().ReadNeedleRow(w2, 4, 5, 0);
    ASSERT_EQ(w2.Size(), 3u);
    EXPECT_EQ(CellColorOf(w2.Buffer().data()), 0x010203u);
}
