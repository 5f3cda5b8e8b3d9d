// The dock arithmetic, headless: rows and positions, drop rows, frames, hit tests, the caption cut,
// catch zones, floating limits and whether a floating window shows.

#include "platform/SysColors.h"
#include "ui/DockCmn.h"
#include "ui/DockCore.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <climits>
#include <deque>

namespace {

// Bars of one dock; each keeps its own slot.
struct Bars {
    std::deque<TDockBarSlot> Slots;
    std::vector<TDockBarSlot*> List;
    TDockBarSlot& Add(int Row, int Pos, int Length, int Thickness, bool Vertical = false, bool Full = false) {
        TDockBarSlot s;
        s.DockRow = Row;
        s.DockPos = Pos;
        s.FullSize = Full;
        s.Shown = true;
        s.Thickness = Thickness;
        (Vertical ? s.Height : s.Width) = Length;
        (Vertical ? s.Width : s.Height) = Thickness + 4;
        Slots.push_back(s);
        List.push_back(&Slots.back());
        return Slots.back();
    }
    TDockArrangeResult Arrange(int Length, bool Clip = false, bool Vertical = false) {
        TDockArrangeInput in;
        in.Vertical = Vertical;
        (Vertical ? in.Height : in.Width) = Length;
        in.ClipPositions = Clip;
        return ArrangeDockBars(List, in);
    }
};

TEST(DockCore, MulDivRoundsHalvesAwayFromZeroAndAnswersMinusOneForZero) {
    struct Case {
        int A, B, C, Expected;
    } cases[] = {
        {32, 0, 100, 0},      {32, 100, 100, 32},
        {32, 50, 100, 16},    {3, 1, 2, 2},
        {-3, 1, 2, -2},       {3, -1, 2, -2},
        {-3, -1, 2, 2},       {5, 1, 4, 1},
        {7, 1, 4, 2},         {1, 1, 0, -1},
        {0, 0, 0, -1},        {INT_MAX, 2, 2, INT_MAX},
        {INT_MAX, 2, 1, -1},  {INT_MIN, 1, 1, INT_MIN},
        {INT_MIN, -1, 1, -1}, {100, 100, -1, -10000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.A, c.B, c.C), c.Expected) << c.A << " " << c.B << " " << c.C;
}

TEST(DockCore, SortListOrdersByTheComparison) {
    std::vector<int> v{5, 3, 9, 1, 5, 0, -2, 8, 7, 7, 6};
    SortList(v, [](int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); });
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
    std::vector<int> one{4};
    SortList(one, [](int, int) { return 0; });
    EXPECT_EQ(one, std::vector<int>{4});
}

TEST(DockCore, OverlapsAreRemovedInTheStoredPositions) {
    Bars b;
    auto& first = b.Add(0, 0, 50, 20);
    auto& second = b.Add(0, 10, 40, 20);
    const auto r = b.Arrange(300);
    EXPECT_EQ(first.DockPos, 0);
    EXPECT_EQ(second.DockPos, 50);
    EXPECT_EQ(second.Bounds, QRect(50, 0, 40, 24));
    EXPECT_EQ(r.Thickness, 24);
}

TEST(DockCore, ShownPositionsFitTheDockWhileTheWishIsKeptUnlessClipped) {
    Bars b;
    auto& bar = b.Add(0, 60, 80, 20);
    b.Arrange(100);
    EXPECT_EQ(bar.Bounds.x(), 20);
    EXPECT_EQ(bar.DockPos, 60);
    b.Arrange(200);
    EXPECT_EQ(bar.Bounds.x(), 60);
    b.Arrange(100, true);
    EXPECT_EQ(bar.DockPos, 20);
    // A bar longer than the dock starts at 0.
    Bars wide;
    auto& w = wide.Add(0, 30, 150, 20);
    wide.Arrange(100);
    EXPECT_EQ(w.Bounds.x(), 0);
}

TEST(DockCore, FullSizeBarTakesARowOfItsOwnAndTheWholeLength) {
    Bars b;
    auto& other = b.Add(0, 0, 40, 20);
    auto& full = b.Add(0, 100, 40, 30, false, true);
    auto& below = b.Add(1, 0, 40, 10);
    const auto r = b.Arrange(300);
    EXPECT_EQ(full.DockRow, 0);
    EXPECT_EQ(other.DockRow, 1);
    EXPECT_EQ(below.DockRow, 2);
    EXPECT_EQ(full.Bounds, QRect(0, 0, 300, 34));
    EXPECT_EQ(other.Bounds, QRect(0, 34, 40, 24));
    EXPECT_EQ(below.Bounds, QRect(0, 58, 40, 14));
    EXPECT_EQ(r.Thickness, 34 + 24 + 14);
    EXPECT_EQ(r.RowSizes, (std::vector<int>{30, 20, 10}));
}

TEST(DockCore, LimitToOneRowPushesOverflowingBarsBackFromTheFarEnd) {
    Bars b;
    auto& a = b.Add(0, 0, 40, 20);
    auto& c = b.Add(3, 50, 40, 20);
    auto& d = b.Add(5, 90, 40, 20);
    TDockArrangeInput in;
    in.Width = 100;
    in.LimitToOneRow = true;
    ArrangeDockBars(b.List, in);
    for (auto* s : {&a, &c, &d})
        EXPECT_EQ(s->DockRow, 0);
    // Pushed back to fit from the far end (60, 20, -20), then forward so that none overlaps.
    EXPECT_EQ(a.Bounds.x(), 0);
    EXPECT_EQ(c.Bounds.x(), 40);
    EXPECT_EQ(d.Bounds.x(), 80);
    EXPECT_EQ(d.DockPos, 90);
}

TEST(DockCore, EmptyDockIsZeroThickOrOneWithFixAlign) {
    Bars b;
    auto& hidden = b.Add(0, 0, 50, 20);
    hidden.Shown = false;
    TDockArrangeInput in;
    in.Width = 100;
    in.FrameHeight = 2;
    EXPECT_EQ(ArrangeDockBars(b.List, in).Thickness, 0);
    in.FixAlign = true;
    EXPECT_EQ(ArrangeDockBars(b.List, in).Thickness, 1);
}

TEST(DockCore, VerticalDockStacksRowsAsColumns) {
    Bars b;
    auto& a = b.Add(0, 5, 30, 20, true);
    auto& c = b.Add(1, 0, 30, 8, true);
    TDockArrangeInput in;
    in.Vertical = true;
    in.Height = 200;
    in.FrameWidth = 1;
    const auto r = ArrangeDockBars(b.List, in);
    EXPECT_EQ(a.Bounds, QRect(0, 5, 24, 30));
    EXPECT_EQ(c.Bounds, QRect(24, 0, 12, 30));
    EXPECT_EQ(r.Thickness, 24 + 12 + 1);
}

TEST(DockCore, UntrustedRowsAndPositionsAreCompactedAndClamped) {
    Bars b;
    auto& low = b.Add(-5, 0, 30, 10);
    auto& high = b.Add(INT_MAX, INT_MAX, 30, 10);
    auto& mid = b.Add(1000000000, INT_MIN, 30, 10);
    const auto r = b.Arrange(200, true);
    EXPECT_EQ(low.DockRow, 0);
    EXPECT_EQ(mid.DockRow, 1);
    EXPECT_EQ(high.DockRow, 2);
    EXPECT_EQ(r.RowSizes.size(), 3u);
    EXPECT_EQ(high.Bounds.x(), 170);
    EXPECT_EQ(high.DockPos, 170);
    EXPECT_EQ(mid.DockPos, 0);
    // Opening a row never wraps.
    OpenDockRow(b.List, 0);
    high.DockRow = INT_MAX;
    OpenDockRow(b.List, 5);
    EXPECT_EQ(high.DockRow, INT_MAX);
}

TEST(DockCore, DropRowBands) {
    // Rows 0 and 1 of size 8: each 12 thick, row 1 starts at 12.
    const std::vector<int> sizes{8, 8};
    struct Case {
        int Pos, Row;
        bool New;
    } cases[] = {
        {0, 0, true},  {4, 0, true},   {5, 0, false},   {6, 0, false},  {7, 1, true},
        {9, 1, true},  {16, 1, true},  {17, 1, false},  {18, 1, false}, {19, 2, true},
        {28, 2, true}, {29, 2, false}, {500, 2, false},
    };
    for (const Case& c : cases) {
        const TRowAtPosition at = DockRowAtPosition(sizes, c.Pos);
        EXPECT_EQ(at.Row, c.Row) << c.Pos;
        EXPECT_EQ(at.NewRow, c.New) << c.Pos;
    }
    // A row without shown bars is skipped.
    EXPECT_EQ(DockRowAtPosition({0, 8}, 6).Row, 1);
    EXPECT_EQ(DockRowAtPosition({}, 3).NewRow, true);
}

TEST(DockCore, FrameSizesByHandleStyleAndCloseButton) {
    using S = TDragHandleStyle;
    EXPECT_EQ(DockedFrameSize(false, true, false, S::dhDouble), (TFrameSize{11, 2, 2, 2}));
    EXPECT_EQ(DockedFrameSize(false, true, false, S::dhSingle), (TFrameSize{8, 2, 2, 2}));
    EXPECT_EQ(DockedFrameSize(false, true, false, S::dhNone), (TFrameSize{2, 2, 2, 2}));
    EXPECT_EQ(DockedFrameSize(false, true, true, S::dhNone), (TFrameSize{16, 2, 2, 2}));
    EXPECT_EQ(DockedFrameSize(true, true, false, S::dhDouble), (TFrameSize{2, 11, 2, 2}));
    EXPECT_EQ(DockedFrameSize(false, false, true, S::dhDouble), (TFrameSize{2, 2, 2, 2}));
    EXPECT_EQ(DockedFrameSize(false, true, true, S::dhDouble).Left, 16);
    EXPECT_EQ(DockedCloseButtonRect(false, 100, true, S::dhDouble), QRect(3, 2, 11, 11));
    EXPECT_EQ(DockedCloseButtonRect(true, 100, true, S::dhDouble), QRect(91, 3, 11, 11));
    EXPECT_TRUE(DockedCloseButtonRect(false, 100, false, S::dhDouble).isEmpty());
    EXPECT_EQ(DragHandleOffset(false, S::dhDouble), 2);
    EXPECT_EQ(DragHandleOffset(true, S::dhSingle), 5);
    EXPECT_EQ(FloatingFrameSize(true, true), (TFrameSize{4, 4 + smSmallCaption, 4, 4}));
    EXPECT_EQ(FloatingFrameSize(false, false), (TFrameSize{3, 3, 3, 3}));
    EXPECT_EQ(FloatingCaptionRect(true, 100, true), QRect(4, 4, 86, 14));
    EXPECT_EQ(FloatingCloseButtonRect(true, 100), QRect(90, 4, 14, 14));
}

TEST(DockCore, CaptionIsCutWithDotsDownToOneCharacter) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const QFontMetrics fm(font);
    EXPECT_EQ(CutCaption(QStringLiteral("Tools"), fm, 1000), QStringLiteral("Tools"));
    const QString cut =
        CutCaption(QStringLiteral("Drawing tools of the board"), fm, fm.horizontalAdvance("Drawing..."));
    EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
    EXPECT_LE(fm.horizontalAdvance(cut), fm.horizontalAdvance("Drawing..."));
    EXPECT_TRUE(QStringLiteral("Drawing tools").startsWith(cut.chopped(3)));
    // Never below one character and the dots, even when still too wide.
    EXPECT_EQ(CutCaption(QStringLiteral("Colours"), fm, 2), QStringLiteral("C..."));
}

TEST(DockCore, FloatingHitTestAnswersClientCloseAndSizingZones) {
    TFloatingHitInput in;
    in.WindowSize = QSize(200, 100);
    // Client area from (4, 19); caption row 4..18; close square (182, 4, 14, 14); corner zone 18.
    struct Case {
        QPoint P;
        TDockHit Hit;
    } cases[] = {
        {{50, 50}, TDockHit::Client},   {{50, 8}, TDockHit::Client},     {{188, 8}, TDockHit::Close},
        {{1, 50}, TDockHit::Left},      {{198, 50}, TDockHit::Right},    {{100, 1}, TDockHit::Top},
        {{100, 98}, TDockHit::Bottom},  {{1, 10}, TDockHit::TopLeft},    {{10, 1}, TDockHit::TopLeft},
        {{198, 1}, TDockHit::TopRight}, {{1, 95}, TDockHit::BottomLeft}, {{195, 98}, TDockHit::BottomRight},
        {{-1, 50}, TDockHit::Nowhere},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatingHitTest(in, c.P), c.Hit) << c.P.x() << "," << c.P.y();
    in.EightCorners = false;
    EXPECT_EQ(FloatingHitTest(in, QPoint(1, 10)), TDockHit::Left);
    EXPECT_EQ(FloatingHitTest(in, QPoint(10, 1)), TDockHit::Top);
    in.CloseButton = false;
    EXPECT_EQ(FloatingHitTest(in, QPoint(188, 8)), TDockHit::Client);
    in.Resizable = false;
    EXPECT_EQ(FloatingHitTest(in, QPoint(1, 50)), TDockHit::Nowhere);
    EXPECT_EQ(SizingEdgeOfHit(TDockHit::BottomRight), 7);
    EXPECT_EQ(SizingEdgeOfHit(TDockHit::Client), -1);
    EXPECT_EQ(DockedHitTest(QRect(3, 2, 11, 11), true, QPoint(5, 5)), TDockHit::Close);
    EXPECT_EQ(DockedHitTest(QRect(3, 2, 11, 11), false, QPoint(5, 5)), TDockHit::Client);
}

TEST(DockCore, CatchZoneIsSharedOutByTheGrabPoint) {
    const QRect dock(100, 0, 400, 30);
    const QSize start(100, 27); // 101 x 28 minus one
    const QSize size(101, 28);
    // Grabbed at the left edge: from 32 left of the dock to its right edge.
    EXPECT_TRUE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(68, 10)));
    EXPECT_FALSE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(67, 10)));
    EXPECT_TRUE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(499, 10)));
    EXPECT_FALSE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(500, 10)));
    // Grabbed at the right edge: from the dock's left edge to 32 beyond its right.
    EXPECT_FALSE(DockCatches(dock, false, false, size, QPoint(100, 10), start, QPoint(99, 10)));
    EXPECT_TRUE(DockCatches(dock, false, false, size, QPoint(100, 10), start, QPoint(100, 10)));
    EXPECT_TRUE(DockCatches(dock, false, false, size, QPoint(100, 10), start, QPoint(531, 10)));
    EXPECT_FALSE(DockCatches(dock, false, false, size, QPoint(100, 10), start, QPoint(532, 10)));
    // Across: 20 pixels shared the same way (grab.Y 10 of 27: 7 below, 13 above).
    EXPECT_TRUE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(200, -13)));
    EXPECT_FALSE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(200, -14)));
    EXPECT_TRUE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(200, 36)));
    EXPECT_FALSE(DockCatches(dock, false, false, size, QPoint(0, 10), start, QPoint(200, 37)));
    // A vertical dock never catches above or below itself.
    const QRect left(0, 100, 30, 300);
    EXPECT_FALSE(
        DockCatches(left, true, false, QSize(28, 101), QPoint(10, 0), QSize(27, 100), QPoint(10, 99)));
    EXPECT_TRUE(
        DockCatches(left, true, false, QSize(28, 101), QPoint(10, 0), QSize(27, 100), QPoint(10, 100)));
    // An empty vertical dock 0 wide still catches next to its edge; a window 1 pixel wide divides by 0.
    EXPECT_TRUE(DockCatches(QRect(0, 100, 0, 300), true, true, QSize(28, 60), QPoint(5, 5), QSize(27, 59),
                            QPoint(3, 200)));
    DockCatches(dock, false, false, QSize(1, 1), QPoint(0, 0), QSize(0, 0), QPoint(150, 10));
    EXPECT_EQ(PlaceAroundCursor(QPoint(50, 50), QSize(1, 1), QPoint(0, 0), QSize(0, 0)), QRect(51, 51, 1, 1));
}

TEST(DockCore, FloatingOutlineStaysOnTheWorkArea) {
    const QRect area(0, 0, 1000, 800);
    // Dragged far left and up: it keeps overlapping, and the lowest 4 caption pixels stay below the top.
    const QRect left = LimitFloatingOutline(QRect(-500, 100, 100, 60), area, 4, 19);
    EXPECT_EQ(left.x() + left.width(), 8);
    const QRect up = LimitFloatingOutline(QRect(300, -300, 100, 60), area, 4, 19);
    EXPECT_EQ(up.y(), 4 - 19);
    const QRect down = LimitFloatingOutline(QRect(300, 5000, 100, 60), area, 4, 19);
    EXPECT_EQ(down.y(), 792);
    EXPECT_EQ(LimitFloatingOutline(QRect(300, 300, 100, 60), area, 4, 19), QRect(300, 300, 100, 60));
}

TEST(DockCore, KeepOnScreenMovesOntoTheAreaLeftAndTopWinning) {
    const QRect area(0, 0, 1000, 800);
    EXPECT_EQ(KeepRectOnScreen(QRect(950, 780, 100, 60), area, false), QRect(900, 740, 100, 60));
    EXPECT_EQ(KeepRectOnScreen(QRect(950, 780, 100, 60), area, true), QRect(950, 780, 100, 60));
    EXPECT_EQ(KeepRectOnScreen(QRect(-5000, -5000, 100, 60), area, true), QRect(0, 0, 100, 60));
    EXPECT_EQ(KeepRectOnScreen(QRect(100, 100, 2000, 60), area, false), QRect(0, 100, 2000, 60));
}

TEST(DockCore, SizingStopsTheMovingSideAtTheMinimum) {
    const QRect start(100, 100, 200, 150);
    const QSize min(50, 60);
    EXPECT_EQ(SizeRect(start, 1, QPoint(30, 99), min), QRect(100, 100, 230, 150));
    EXPECT_EQ(SizeRect(start, 0, QPoint(500, 0), min), QRect(250, 100, 50, 150));
    EXPECT_EQ(SizeRect(start, 7, QPoint(-500, -500), min), QRect(100, 100, 50, 60));
    EXPECT_EQ(SizeRect(start, 3, QPoint(-10, -20), min), QRect(90, 80, 210, 170));
    EXPECT_EQ(SizeRect(start, 2, QPoint(0, 200), min), QRect(100, 190, 200, 60));
}

TEST(DockCore, WantsToShowTruthTable) {
    TShowState base;
    EXPECT_TRUE(WantsToShow(base));
    auto with = [&](auto change) {
        TShowState s = base;
        change(s);
        return WantsToShow(s);
    };
    EXPECT_FALSE(with([](TShowState& s) { s.Showing = false; }));
    EXPECT_FALSE(with([](TShowState& s) { s.HideCount = 1; }));
    EXPECT_FALSE(with([](TShowState& s) { s.FormVisible = false; }));
    EXPECT_FALSE(with([](TShowState& s) { s.FormMinimized = true; }));
    EXPECT_FALSE(with([](TShowState& s) { s.FormExists = false; }));
    EXPECT_FALSE(with([](TShowState& s) { s.AppMinimized = true; }));
    EXPECT_FALSE(with([](TShowState& s) { s.AppActive = false; }));
    EXPECT_TRUE(with([](TShowState& s) { s.AppActive = false, s.HideWhenInactive = false; }));
    EXPECT_FALSE(with([](TShowState& s) { s.FrameIsForm = false, s.FrameMinimized = true; }));
    EXPECT_TRUE(with([](TShowState& s) { s.FrameMinimized = true; }));
    // On top of all forms: the form does not matter.
    EXPECT_TRUE(with(
        [](TShowState& s) { s.FloatingMode = TFloatingMode::fmOnTopOfAllForms, s.FormVisible = false; }));
    // Docked: shown whatever the form and the application.
    EXPECT_TRUE(with([](TShowState& s) { s.Docked = true, s.AppActive = false, s.FormVisible = false; }));
    EXPECT_FALSE(with([](TShowState& s) { s.Docked = true, s.HideCount = 2; }));
}

} // namespace
