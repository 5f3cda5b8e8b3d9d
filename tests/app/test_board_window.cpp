// The board window offscreen: zoom and grid, layout with the margin panels and scroll bars, the
// painted picture against the zoom picture, the repeated paste, panning, and lifting, dragging and
// dropping a selection.

#include "tests/app/BoardSupport.h"

#include "app/LBoardWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

using namespace boardtest;

namespace {

class UndoWindow : public TBoardWindow {
public:
    int Saves = 0;
    void SaveUndo() override { ++Saves; }
};

// A window of the given client size over a picture.
std::unique_ptr<UndoWindow> Window(int W, int H, TBitmap Picture, int Zoom, bool Grid) {
    auto w = std::make_unique<UndoWindow>();
    w->resize(W, H);
    w->SetRaster(std::move(Picture));
    w->SetGridFlag(Grid);
    w->SetPAmpFac(Zoom);
    w->show();
    return w;
}

// A mouse move with the buttons held and the modifiers, as the window receives it.
void Move(QWidget* W, QPoint At, Qt::MouseButtons Buttons = Qt::NoButton,
          Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    QMouseEvent e(QEvent::MouseMove, At, W->mapToGlobal(At), Qt::NoButton, Buttons, Mods);
    QApplication::sendEvent(W, &e);
}

QPoint PixelOf(const TBoardWindow& W, int X, int Y) {
    const TBoardPoint p = W.CellToPixel(X, Y);
    return QPoint(p.X + W.CellSize() / 2, p.Y + W.CellSize() / 2);
}

} // namespace

TEST(BoardWindow, ZoomFactorAndGridSetTheCellSize) {
    struct Case {
        int Factor;
        bool Grid;
        int Factor2, Cell;
    };
    // Starting from factor 3: 0 and 21 change nothing; factor 1 shows no grid lines.
    for (const Case& c :
         {Case{0, false, 3, 3}, Case{0, true, 3, 4}, Case{1, false, 1, 1}, Case{1, true, 1, 1},
          Case{20, false, 20, 20}, Case{20, true, 20, 21}, Case{21, false, 3, 3}, Case{21, true, 3, 4}}) {
        auto w = Window(400, 300, Picture(20, 10, Tag), 3, c.Grid);
        w->SetPAmpFac(c.Factor);
        EXPECT_EQ(w->PAmpFac(), c.Factor2) << c.Factor << " grid " << c.Grid;
        EXPECT_EQ(w->CellSize(), c.Cell) << c.Factor << " grid " << c.Grid;
        EXPECT_EQ(w->GridShown(), c.Grid && c.Cell > 1);
    }
    // A grid switched on later takes the factor again.
    auto w = Window(400, 300, Picture(20, 10, Tag), 5, false);
    w->SetPGrid(true);
    EXPECT_EQ(w->CellSize(), 6);
}

TEST(BoardWindow, ASmallPictureIsCentredBetweenThePanels) {
    auto w = Window(400, 300, Picture(20, 10, Tag), 1, false);
    EXPECT_FALSE(w->ScrollBarH->isVisible());
    EXPECT_FALSE(w->ScrollBarV->isVisible());
    EXPECT_EQ(w->ViewRect(), (TBoardRect{190, 145, 209, 154}));
    EXPECT_EQ(w->VisibleCells(), (TBoardRect{0, 0, 19, 9}));
    EXPECT_EQ(w->PanelTop->geometry(), QRect(0, 0, 400, 145));
    EXPECT_EQ(w->PanelBottom->geometry(), QRect(0, 155, 400, 145));
    EXPECT_EQ(w->PanelLeft->geometry(), QRect(0, 0, 190, 300));
    EXPECT_EQ(w->PanelRight->geometry(), QRect(210, 0, 190, 300));
    EXPECT_EQ(w->PanelLeft->cursor().shape(), Qt::ForbiddenCursor);
}

TEST(BoardWindow, ScrollBarsShowWhereThePictureDoesNotFit) {
    auto w = Window(400, 300, Picture(20, 10, Tag), 20, true); // 21 pixels a cell: 19 columns fit
    const int e = w->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    ASSERT_TRUE(w->ScrollBarH->isVisible());
    EXPECT_FALSE(w->ScrollBarV->isVisible());
    EXPECT_EQ(w->ScrollBarH->geometry(), QRect(0, 300 - e, 400, e));
    EXPECT_EQ(w->ScrollBarH->maximum(), 1);
    EXPECT_EQ(w->ScrollBarH->singleStep(), 3);
    EXPECT_EQ(w->ScrollBarH->pageStep(), 14);
    EXPECT_EQ(w->VisibleCells(), (TBoardRect{0, 0, 18, 9}));
    EXPECT_EQ(w->ViewRect().Top, (300 - e - 210) / 2);

    // A tall picture shows its bottom lines first; the home position is there too.
    auto t = Window(200, 100, Picture(10, 500, Tag), 1, false);
    ASSERT_TRUE(t->ScrollBarV->isVisible());
    EXPECT_EQ(t->VisibleCells().Bottom, 499);
    EXPECT_EQ(t->ScrollBarV->value(), t->ScrollBarV->maximum());
    t->ScrollBarV->setValue(0);
    EXPECT_EQ(t->VisibleCells().Top, 0);
    t->HomePosition();
    EXPECT_EQ(t->VisibleCells().Bottom, 499);
    t->CenterOnCell({5, 250});
    EXPECT_EQ(t->VisibleCells().Top, 250 - t->VisibleCells().Height() / 2);
}

TEST(BoardWindow, ALayoutKeepsTheTopLineAndTheLastColumnInView) {
    struct Case {
        const char* Name;
        std::function<void(TBoardWindow&)> Do;
        TBoardPoint Shown; // a cell that must stay in view
    };
    const Case cases[] = {
        {"scrolled to the top, zoom set again",
         [](TBoardWindow& w) {
             w.ScrollBarV->setValue(0);
             w.SetPAmpFac(w.PAmpFac());
         },
         {0, 0}},
        {"scrolled to the last column, window resized",
         [](TBoardWindow& w) {
             w.ScrollBarH->setValue(w.ScrollBarH->maximum());
             w.resize(w.width() + 1, w.height());
         },
         {299, 299}},
        {"centred on the top line",
         [](TBoardWindow& w) {
             w.CenterOnCell({150, 0});
         },
         {150, 0}},
    };
    for (const Case& c : cases) {
        auto w = Window(200, 100, Picture(300, 300, Tag), 1, false);
        ASSERT_TRUE(w->ScrollBarH->isVisible() && w->ScrollBarV->isVisible());
        c.Do(*w);
        EXPECT_EQ(PointInRect(c.Shown.X, c.Shown.Y, w->VisibleCells()), 0) << c.Name;
        EXPECT_EQ(w->ScrollBarH->value(), w->VisibleCells().Left) << c.Name;
        EXPECT_EQ(w->ScrollBarV->value(), w->VisibleCells().Top) << c.Name;
    }
}

TEST(BoardWindow, ThePaintedBoardIsTheZoomPicture) {
    for (bool grid : {false, true}) {
        auto w =
            Window(300, 200, Picture(80, 60, [](int x, int y) { return 0x0F0000u * (x % 3) + 0x0503u * y; }),
                   6, grid);
        w->ScrollBarV->setValue(3);
        w->ScrollBarH->setValue(5);
        const QImage shot = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const TBoardRect& c = w->VisibleCells();
        const TBitmap& z = w->ZoomCells(c.Left, c.Top, c.Right, c.Bottom);
        const TBoardRect& v = w->ViewRect();
        ASSERT_EQ(z.Width(), v.Width());
        ASSERT_EQ(z.Height(), v.Height());
        int differ = 0;
        for (int y = 0; y < z.Height(); ++y)
            for (int x = 0; x < z.Width(); ++x) {
                const QRgb s = shot.pixel(v.Left + x, v.Top + y);
                const TColor want = CellOf(z, x, y);
                if (TColor(qRed(s)) != (want & 0xFF) || TColor(qGreen(s)) != ((want >> 8) & 0xFF) ||
                    TColor(qBlue(s)) != (want >> 16))
                    ++differ;
            }
        EXPECT_EQ(differ, 0) << "grid " << grid;
    }
}

TEST(BoardWindow, RepeatedPastesLandWhereTheCountsSay) {
    struct Case {
        const char* Name;
        int RepeatX, RepeatY, ClickedX, ClickedY;
        std::vector<TBoardPoint> Copies;
    };
    // A 2 x 3 buffer at (2, 10); the diagonal's clicked cell is 5 right of and 4 below the buffer's
    // bottom-left cell (2, 12).
    const Case cases[] = {
        {"once", 1, 1, 0, 0, {{2, 10}}},
        {"three upwards, twice", -3, 2, 0, 0, {{2, 10}, {4, 10}, {6, 10}, {2, 7}, {4, 7}, {6, 7}}},
        {"three downwards, once", 3, 1, 0, 0, {{2, 10}, {4, 10}, {6, 10}}},
        {"diagonal 3", 3, -1, 7, 16, {{2, 10}, {7, 14}, {12, 18}}},
        {"diagonal with no step", 3, -1, 2, 12, {{2, 10}}},
    };
    for (const Case& c : cases) {
        UndoWindow w;
        w.SetRaster(Picture(30, 30, [](int, int) { return 0xFFFFFFu; }));
        w.PasteBuffer = Buffer(2, 3, [](int x, int y) { return 0x000100u * (x + 1) + 0x010000u * (y + 1); });
        MmapRect& m = w.PasteBuffer;
        m.PosX = 2;
        m.PosY = 10;
        m.RepeatX = c.RepeatX;
        m.RepeatY = c.RepeatY;
        m.ClickedX = c.ClickedX;
        m.ClickedY = c.ClickedY;
        m.Floating = true;
        w.Selected = true;
        w.ApplyPaste();
        EXPECT_FALSE(m.Floating);
        // Each copy's corner cells hold the buffer's; nothing else changed.
        int written = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x)
                written += w.GetCell(x, y) != 0xFFFFFFu;
        EXPECT_EQ(written, int(c.Copies.size()) * 6) << c.Name;
        for (const TBoardPoint& p : c.Copies) {
            EXPECT_EQ(w.GetCell(p.X, p.Y), 0x010100u) << c.Name << " " << p.X << "," << p.Y;
            EXPECT_EQ(w.GetCell(p.X + 1, p.Y + 2), 0x030200u) << c.Name << " " << p.X << "," << p.Y;
        }
    }
}

TEST(BoardWindow, AHugeRepeatCostsOnlyTheCopiesThatLand) {
    UndoWindow w;
    w.SetRaster(Picture(30, 20, [](int, int) { return 0xFFFFFFu; }));
    w.PasteBuffer = Buffer(3, 2, [](int, int) { return 0x123456u; });
    w.PasteBuffer.PosX = 5;
    w.PasteBuffer.PosY = 4;
    w.PasteBuffer.RepeatX = -1000000;
    w.PasteBuffer.RepeatY = 1000000;
    w.PasteBuffer.Floating = true;
    w.Selected = true;
    w.ApplyPaste();
    // Upwards from row 4 and right from column 5: rows 0..5 and columns 5..29 are covered.
    for (auto [x, y, want] :
         {std::tuple{5, 0, 0x123456u}, {29, 5, 0x123456u}, {4, 3, 0xFFFFFFu}, {5, 6, 0xFFFFFFu}})
        EXPECT_EQ(w.GetCell(x, y), want) << x << "," << y;
}

TEST(BoardWindow, CtrlDragPansOnceAtRelease) {
    auto w = Window(400, 300, Picture(300, 300, Tag), 4, false);
    w->ScrollBarH->setValue(50);
    w->ScrollBarV->setValue(60);
    const TBoardRect c = w->VisibleCells();
    QTest::keyPress(w.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w->CursorState, 3);
    const QPoint from = PixelOf(*w, c.Left + 10, c.Top + 10), to = PixelOf(*w, c.Left + 7, c.Top + 12);
    QTest::mousePress(w.get(), Qt::LeftButton, Qt::ControlModifier, from);
    EXPECT_TRUE(w->Panning);
    Move(w.get(), to, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(w->ScrollBarH->value(), 50); // nothing moves before the release
    QTest::mouseRelease(w.get(), Qt::LeftButton, Qt::ControlModifier, to);
    EXPECT_EQ(w->ScrollBarH->value(), 53);
    EXPECT_EQ(w->ScrollBarV->value(), 58);
    EXPECT_EQ(w->VisibleCells().Left, c.Left + 3);
    EXPECT_EQ(w->VisibleCells().Top, c.Top - 2);
    EXPECT_FALSE(w->Panning);
}

TEST(BoardWindow, APanEndsWithTheButtonWhereverItIsReleased) {
    struct Case {
        const char* Name;
        int ToX;                           // the release cell's column (press at column 10)
        Qt::KeyboardModifiers ReleaseMods; // Ctrl still held at the release, or let go before it
    };
    for (const Case& c :
         {Case{"a Ctrl-click", 10, Qt::ControlModifier}, Case{"Ctrl let go first", 7, Qt::NoModifier}}) {
        auto w = Window(400, 300, Picture(300, 300, Tag), 4, false);
        w->ScrollBarH->setValue(50);
        const TBoardRect v = w->VisibleCells();
        w->SetSelectionCells({v.Left + 2, v.Top + 2, v.Left + 5, v.Top + 5});
        QTest::keyPress(w.get(), Qt::Key_Control, Qt::ControlModifier);
        QTest::mousePress(w.get(), Qt::LeftButton, Qt::ControlModifier, PixelOf(*w, v.Left + 10, v.Top + 10));
        if (c.ReleaseMods == Qt::NoModifier)
            QTest::keyRelease(w.get(), Qt::Key_Control, Qt::NoModifier);
        QTest::mouseRelease(w.get(), Qt::LeftButton, c.ReleaseMods, PixelOf(*w, v.Left + c.ToX, v.Top + 10));
        QTest::keyRelease(w.get(), Qt::Key_Control, Qt::NoModifier);
        EXPECT_FALSE(w->Panning) << c.Name;
        EXPECT_EQ(w->ScrollBarH->value(), 50) << c.Name;
        // The pointer over the selection shows the selection's state, not the pan's.
        Move(w.get(), PixelOf(*w, v.Left + 3, v.Top + 3));
        EXPECT_EQ(w->CursorState, 2) << c.Name;
    }
}

TEST(BoardWindow, ASelectionIsLiftedDraggedAndDropped) {
    auto w = Window(400, 300, Picture(30, 20, Tag), 8, true);
    w->SelectMode = 1;
    w->BrushColor = 0xFFFFFF;
    // A rubber band from cell (2, 5) to cell (4, 6) selects those cells.
    QTest::mousePress(w.get(), Qt::LeftButton, Qt::NoModifier, PixelOf(*w, 2, 5));
    Move(w.get(), PixelOf(*w, 4, 6), Qt::LeftButton);
    EXPECT_TRUE(w->FocusRect.Shown);
    QTest::mouseRelease(w.get(), Qt::LeftButton, Qt::NoModifier, PixelOf(*w, 4, 6));
    ASSERT_TRUE(w->Selected);
    EXPECT_EQ(w->SelCells, (TBoardRect{2, 5, 4, 6}));

    // Lifting: one undo step, the cells erased, the buffer floating.
    QTest::mousePress(w.get(), Qt::LeftButton, Qt::NoModifier, PixelOf(*w, 2, 5));
    EXPECT_EQ(w->Saves, 1);
    EXPECT_TRUE(w->PasteBuffer.Floating);
    EXPECT_EQ(w->GetCell(3, 6), 0xFFFFFFu);
    // Dragged 3 cells right.
    Move(w.get(), PixelOf(*w, 5, 5), Qt::LeftButton);
    EXPECT_EQ(w->PasteBuffer.PosX, 5);
    QTest::mouseRelease(w.get(), Qt::LeftButton, Qt::NoModifier, PixelOf(*w, 5, 5));
    EXPECT_EQ(w->SelCells, (TBoardRect{5, 5, 7, 6}));
    EXPECT_EQ(w->GetCell(7, 6), Tag(7, 6)); // floating, not written yet
    // A click outside drops it into the picture.
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, PixelOf(*w, 20, 15));
    EXPECT_FALSE(w->PasteBuffer.Floating);
    EXPECT_FALSE(w->Selected);
    for (int y = 5; y <= 6; ++y)
        for (int x = 2; x <= 7; ++x)
            EXPECT_EQ(w->GetCell(x, y), x >= 5 ? Tag(x - 3, y) : 0xFFFFFFu) << x << "," << y;
    EXPECT_EQ(w->Saves, 1);
}

TEST(BoardWindow, ACtrlPressedDuringADragStillEndsIt) {
    for (Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        auto w = Window(400, 300, Picture(30, 20, Tag), 8, false);
        w->SelectMode = 1;
        // A band released with Ctrl held selects its cells.
        QTest::mousePress(w.get(), Qt::LeftButton, Qt::NoModifier, PixelOf(*w, 2, 5));
        Move(w.get(), PixelOf(*w, 4, 6), Qt::LeftButton);
        QTest::mouseRelease(w.get(), Qt::LeftButton, mods, PixelOf(*w, 4, 6));
        ASSERT_TRUE(w->Selected) << int(mods);
        EXPECT_EQ(w->SelCells, (TBoardRect{2, 5, 4, 6}));
        EXPECT_TRUE(w->FocusRect.Shown);
        // The lifted cells dragged 3 to the right and released with Ctrl held: they are the
        // selection there, and a save's paste writes them.
        QTest::mousePress(w.get(), Qt::LeftButton, Qt::NoModifier, PixelOf(*w, 2, 5));
        Move(w.get(), PixelOf(*w, 5, 5), Qt::LeftButton);
        QTest::mouseRelease(w.get(), Qt::LeftButton, mods, PixelOf(*w, 5, 5));
        EXPECT_FALSE(w->Moving);
        ASSERT_TRUE(w->Selected) << int(mods);
        EXPECT_EQ(w->SelCells, (TBoardRect{5, 5, 7, 6}));
        w->ApplyPaste();
        EXPECT_FALSE(w->PasteBuffer.Floating);
        EXPECT_EQ(w->GetCell(7, 6), Tag(4, 6)) << int(mods);
    }
}

TEST(BoardWindow, HoverStatesFollowTheSelectionAndCtrl) {
    auto w = Window(400, 300, Picture(30, 20, Tag), 8, false);
    w->SetSelectionCells({2, 2, 5, 5});
    Move(w.get(), PixelOf(*w, 3, 3));
    EXPECT_EQ(w->CursorState, 2);
    Move(w.get(), PixelOf(*w, 10, 3));
    EXPECT_EQ(w->CursorState, 1);
    // A key with Ctrl held, on a scroll bar, and its release without Ctrl on the window.
    QTest::keyPress(w->ScrollBarH, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w->CursorState, 3);
    QTest::keyRelease(w.get(), Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(w->CursorState, 1);
}

TEST(BoardWindow, AutoFitTakesThePictureWithinTheFreeArea) {
    UndoWindow w;
    w.resize(500, 400);
    w.SetRaster(Picture(20, 10, Tag));
    w.AutoFit = true;
    w.MaxWidth = 300;
    w.MaxHeight = 200;
    const int e = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    w.SetPAmpFac(4); // 80 x 40 pixels of cells and room for the bars
    EXPECT_EQ(w.size(), QSize(80 + e, 40 + e));
    w.SetPAmpFac(20); // 400 x 200: cut to the free area
    EXPECT_EQ(w.size(), QSize(300 - w.x(), 200 - w.y()));
    w.AutoFit = false;
    w.resize(500, 400);
    w.SetPAmpFac(4);
    EXPECT_EQ(w.size(), QSize(500, 400));
}

TEST(BoardWindow, AutoFitSizesItsSubWindowAroundThePicture) {
    QMdiArea area;
    area.resize(800, 600);
    auto* w = new UndoWindow;
    QMdiSubWindow* sub = area.addSubWindow(w);
    area.show();
    sub->show();
    sub->move(10, 20);
    w->SetRaster(Picture(20, 10, Tag));
    w->AutoFit = true;
    w->MaxWidth = 700;
    w->MaxHeight = 500;
    const int e = w->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    w->SetPAmpFac(5);
    EXPECT_EQ(w->size(), QSize(100 + e, 50 + e));
    w->SetPAmpFac(20); // 400 x 200 fits too
    EXPECT_EQ(w->size(), QSize(400 + e, 200 + e));
    sub->showMaximized();
    const QSize maximised = sub->size();
    w->SetPAmpFac(3); // a maximised window keeps its size
    EXPECT_EQ(sub->size(), maximised);
}

TEST(BoardWindow, TheAutosavePictureHasTheFloatingPasteComposedIn) {
    UndoWindow w;
    w.SetOwnedByMain(true);
    w.SetRaster(Picture(6, 4, [](int x, int) { return x == 0 ? 0xFE0000u : 0x00FF00u; }));
    w.PasteBuffer = Buffer(2, 2, [](int x, int) { return x == 0 ? 0x0000FFu : 0xFFFFFFu; });
    w.PasteBuffer.PosX = 3;
    w.PasteBuffer.PosY = 1;
    w.PasteBuffer.Transparent = true;
    w.PasteBuffer.TransparentColor = 0xFFFFFF;
    w.PasteBuffer.Floating = true;
    const TBitmap picture = w.PictureWithPaste();
    EXPECT_EQ(CellOf(picture, 0, 0), 0xFF0000u); // the reserved colour leaves as it is
    EXPECT_EQ(CellOf(picture, 3, 2), 0x0000FFu);
    EXPECT_EQ(CellOf(picture, 4, 2), 0x00FF00u); // the key colour lets the picture through
    // Nothing of the drawing changed: the paste still floats over the raster.
    EXPECT_TRUE(w.PasteBuffer.Floating);
    EXPECT_EQ(w.GetCell(3, 2), 0x00FF00u);
    EXPECT_EQ(w.GetCell(0, 0), 0xFE0000u);
}

TEST(BoardWindow, AWindowWithoutAPictureShowsTheWindowColourAllOver) {
    UndoWindow w;
    w.resize(120, 80);
    w.show();
    const QImage shot = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb window = w.palette().color(QPalette::Window).rgb();
    int other = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            other += shot.pixel(x, y) != window;
    EXPECT_EQ(other, 0);
}
