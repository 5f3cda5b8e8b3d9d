// The graphic window offscreen: the tools driven by synthetic mouse events and compared on the
// raster, the shapes' properties, the selection commands with the clipboard and the undo, and the
// buffer transforms.

#include "tests/app/BoardSupport.h"

#include "app/BusCodes.h"
#include "app/LGraphicWindow.h"
#include "imaging/ImgCursors.h"
#include "platform/ColorQt.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace boardtest;

namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor Red = 0x0000FF;   // $0000FF
constexpr TColor Green = 0x00FF00; // $00FF00
constexpr TColor Blue = 0xFF0000;  // $FF0000, the reserved colour

struct RecordingHost : MGraphicHost {
    std::vector<std::array<int, 3>> Notes;
    TBitmap Pattern;
    void GraphicNotify(int Code, int Param, int Param2) override { Notes.push_back({Code, Param, Param2}); }
    const TBitmap* FillPattern() const override { return &Pattern; }
    QSize FreeClientArea() const override { return QSize(800, 600); }
    int Count(int Code) const {
        return int(std::count_if(Notes.begin(), Notes.end(), [Code](const auto& n) { return n[0] == Code; }));
    }
};

struct Board {
    std::unique_ptr<TGraphicWindow> W;
    RecordingHost Host;

    Board(int Cols, int Rows, const std::function<TColor(int, int)>& Of, int Zoom = 4)
        : W(new TGraphicWindow) {
        W->resize(400, 300);
        W->SetRaster(Picture(Cols, Rows, Of));
        W->SetPAmpFac(Zoom);
        W->Host = &Host;
        W->show();
    }
    explicit Board(int Cols = 16, int Rows = 12) : Board(Cols, Rows, [](int, int) { return White; }) {}

    QPoint At(int X, int Y) const {
        const TBoardPoint p = W->CellToPixel(X, Y);
        return QPoint(p.X + W->CellSize() / 2, p.Y + W->CellSize() / 2);
    }
    void Press(int X, int Y, Qt::MouseButton B = Qt::LeftButton) {
        QTest::mousePress(W.get(), B, {}, At(X, Y));
    }
    void Release(int X, int Y, Qt::MouseButton B = Qt::LeftButton) {
        QTest::mouseRelease(W.get(), B, {}, At(X, Y));
    }
    void Move(int X, int Y, Qt::MouseButtons Held = Qt::LeftButton) {
        const QPoint p = At(X, Y);
        QMouseEvent e(QEvent::MouseMove, p, W->mapToGlobal(p), Qt::NoButton, Held, Qt::NoModifier);
        QApplication::sendEvent(W.get(), &e);
    }
    // A left drag from one cell to another through the cells between.
    void Drag(int X1, int Y1, int X2, int Y2) {
        Press(X1, Y1);
        Move((X1 + X2) / 2, (Y1 + Y2) / 2);
        Move(X2, Y2);
        Release(X2, Y2);
    }
    void Tool(int Id) { W->SetTool(Id); }
    TColor Cell(int X, int Y) const { return W->GetCell(X, Y); }
    // The cells that differ from Before.
    std::set<std::pair<int, int>> Changed(const TBitmap& Before) const {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < Before.Height(); ++y)
            for (int x = 0; x < Before.Width(); ++x)
                if (CellOf(Before, x, y) != CellOf(W->Raster(), x, y))
                    out.insert({x, y});
        return out;
    }
    std::set<TColor> Colours(const TBoardRect& R) const {
        std::set<TColor> out;
        for (int y = R.Top; y <= R.Bottom; ++y)
            for (int x = R.Left; x <= R.Right; ++x)
                out.insert(Cell(x, y));
        return out;
    }
};

bool SameRaster(const TBitmap& A, const TBitmap& B) {
    if (A.Width() != B.Width() || A.Height() != B.Height())
        return false;
    for (int y = 0; y < A.Height(); ++y)
        if (std::memcmp(A.ScanLine(y), B.ScanLine(y), 3 * std::size_t(A.Width())) != 0)
            return false;
    return true;
}

std::set<std::pair<int, int>> CellsOf(std::initializer_list<std::pair<int, int>> L) {
    return std::set<std::pair<int, int>>(L);
}

} // namespace

TEST(GraphicWindow, ToolsTakeTheirFamilyModeAndCursor) {
    Board b;
    for (const TGraphicTool& t : GraphicTools()) {
        b.Tool(t.Id);
        EXPECT_EQ(b.W->ToolFamily, t.Family) << t.Id;
        EXPECT_EQ(b.W->SelectMode, t.Id == bus::ToolSelect ? 1 : 0) << t.Id;
        EXPECT_EQ(b.W->cursor().pixmap().cacheKey(), CursorOf(t.Cursor).pixmap().cacheKey()) << t.Id;
    }
    // The nineteen cursors are in the table under their numbers, each of its own look.
    std::set<qint64> looks;
    for (int id = 1; id <= 19; ++id) {
        ASSERT_TRUE(HasCursor(id)) << id;
        EXPECT_FALSE(GraphicCursorName(id).isEmpty());
        looks.insert(CursorOf(id).pixmap().toImage().cacheKey());
        EXPECT_FALSE(CursorOf(id).pixmap().isNull()) << id;
    }
    EXPECT_EQ(GraphicCursorName(16), "PASTE");
    // Ctrl held shows the hand; over the selection the select tool shows the moving cursor.
    b.Tool(bus::ToolSelect);
    b.W->CursorState = 3;
    b.W->UpdateCursor();
    EXPECT_EQ(b.W->cursor().shape(), Qt::PointingHandCursor);
    b.W->CursorState = 2;
    b.W->UpdateCursor();
    EXPECT_EQ(b.W->cursor().pixmap().cacheKey(), CursorOf(gcursor::MovingSelect).pixmap().cacheKey());
}

TEST(GraphicWindow, LinesAndPointsAreWholeCells) {
    for (int zoom : {1, 5}) {
        Board b(
            12, 8, [](int, int) { return White; }, zoom);
        b.W->PenColor = Red;
        const TBitmap before = b.W->Raster();
        b.Tool(bus::ToolPen);
        b.Press(2, 2);
        b.Release(2, 2);
        EXPECT_EQ(b.Changed(before), CellsOf({{2, 2}})) << zoom;
        EXPECT_EQ(b.Cell(2, 2), Red);
        EXPECT_EQ(b.Host.Count(bus::NotifyUndoSaved), 1);

        const TBitmap before2 = b.W->Raster();
        b.Tool(bus::ToolLine);
        b.Drag(1, 1, 5, 1);
        EXPECT_EQ(b.Changed(before2), CellsOf({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}})) << zoom;
        EXPECT_EQ(b.W->DrawingState, 2);
        EXPECT_FALSE(b.W->PreviewShown());
    }
}

TEST(GraphicWindow, AFilledRectangleHasPenOutlineBrushInsideAndNoKey) {
    Board b;
    b.W->PenColor = Red;
    b.W->BrushColor = Green;
    b.Tool(bus::ToolFillRect);
    b.Drag(1, 1, 4, 3);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 3;
            const bool edge = inside && (x == 1 || x == 4 || y == 1 || y == 3);
            EXPECT_EQ(b.Cell(x, y), edge ? Red : inside ? Green : White) << x << "," << y;
        }
}

TEST(GraphicWindow, AWidePenStaysWithinItsMargin) {
    Board b(16, 16, Tag);
    b.W->PenColor = Red;
    b.W->PenWidth = 3;
    const TBitmap before = b.W->Raster();
    for (int tool : {bus::ToolRect, bus::ToolLine, bus::ToolEllipse}) {
        b.Tool(tool);
        b.Drag(5, 5, 8, 8);
    }
    const auto changed = b.Changed(before);
    EXPECT_FALSE(changed.empty());
    for (auto [x, y] : changed) {
        EXPECT_TRUE(x >= 2 && x <= 11 && y >= 2 && y <= 11) << x << "," << y;
        EXPECT_EQ(b.Cell(x, y), Red);
    }
}

TEST(GraphicWindow, RhombusGoldenRaster) {
    struct Case {
        int Tool;
        const char* Rows[6];
    };
    // Over 4 x 4 cells every tip is two cells wide.
    for (const Case& c :
         {Case{bus::ToolDiamond, {"......", "..RR..", ".R..R.", ".R..R.", "..RR..", "......"}},
          Case{bus::ToolFillDiamond, {"......", "..RR..", ".RGGR.", ".RGGR.", "..RR..", "......"}}}) {
        Board b(6, 6, [](int, int) { return White; });
        b.W->PenColor = Red;
        b.W->BrushColor = Green;
        b.Tool(c.Tool);
        b.Drag(1, 1, 4, 4);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                const char want = c.Rows[y][x];
                EXPECT_EQ(b.Cell(x, y), want == 'R'   ? Red
                                        : want == 'G' ? Green
                                                      : White)
                    << c.Tool << " " << x << "," << y;
            }
    }
}

TEST(GraphicWindow, EllipsesAndRoundedRectanglesKeepToTheirBoxAndColours) {
    for (int tool : {bus::ToolEllipse, bus::ToolFillEllipse, bus::ToolRoundRect, bus::ToolFillRoundRect})
        for (int width : {1, 2}) {
            Board b(
                30, 24, [](int, int) { return White; }, 2);
            b.W->PenColor = Red;
            b.W->BrushColor = Green;
            b.W->PenWidth = width;
            b.Tool(tool);
            b.Drag(5, 4, 20, 15);
            const int m = width > 1 ? width : 0;
            int minX = 99, maxX = -1, minY = 99, maxY = -1, pen = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 30; ++x) {
                    const TColor c = b.Cell(x, y);
                    ASSERT_TRUE(c == White || c == Red || c == Green) << tool << " " << x << "," << y;
                    if (c == White)
                        continue;
                    pen += c == Red;
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                    // Mirror-symmetric about the box's middle.
                    EXPECT_EQ(b.Cell(25 - x, y), c) << tool << " " << x << "," << y;
                    EXPECT_EQ(b.Cell(x, 19 - y), c) << tool << " " << x << "," << y;
                }
            EXPECT_GT(pen, 0);
            EXPECT_GE(minX, 5 - m);
            EXPECT_LE(maxX, 20 + m);
            EXPECT_GE(minY, 4 - m);
            EXPECT_LE(maxY, 15 + m);
            if (width == 1) {
                EXPECT_EQ(minX, 5) << tool;
                EXPECT_EQ(maxX, 20) << tool;
            }
            const bool filled = tool == bus::ToolFillEllipse || tool == bus::ToolFillRoundRect;
            EXPECT_EQ(b.Cell(12, 9), filled ? Green : White) << tool;
        }
}

TEST(GraphicWindow, TheColourEraserTakesOnlyThePenColour) {
    // Columns alternate red and a tag colour.
    auto picture = [](int x, int y) { return x % 2 ? Red : Tag(x, y); };
    Board b(10, 6, picture);
    b.W->PenColor = Red;
    b.W->BrushColor = Green;
    b.W->PenWidth = 3;
    b.Tool(bus::ToolEraserClr);
    b.Drag(1, 2, 7, 2);
    // Only red cells became green; the whole stroke's red cells did.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            if (b.Cell(x, y) != picture(x, y)) {
                EXPECT_TRUE(picture(x, y) == Red && b.Cell(x, y) == Green) << x << "," << y;
            }
        }
    EXPECT_EQ(b.Colours({1, 2, 7, 2}), (std::set<TColor>{Green, Tag(2, 2), Tag(4, 2), Tag(6, 2)}));
    // A click is a point of the brush colour, never of the pen colour: the colour eraser leaves a
    // cell of another colour alone, the plain eraser paints the brush colour over everything.
    b.W->PenWidth = 1;
    b.Press(0, 0);
    b.Release(0, 0);
    EXPECT_EQ(b.Cell(0, 0), Tag(0, 0));
    b.Tool(bus::ToolEraser);
    b.Press(0, 0);
    b.Release(0, 0);
    EXPECT_EQ(b.Cell(0, 0), Green);
    b.Drag(0, 4, 3, 4);
    EXPECT_EQ(b.Colours({0, 4, 3, 4}), std::set<TColor>{Green});
}

TEST(GraphicWindow, ARightClickCancelsTheShape) {
    Board b;
    b.W->PenColor = Red;
    b.Tool(bus::ToolRect);
    const TBitmap before = b.W->Raster();
    b.Press(2, 2);
    b.Move(6, 5);
    EXPECT_TRUE(b.W->PreviewShown());
    EXPECT_EQ(b.W->DrawingState, 1);
    b.Press(6, 5, Qt::RightButton);
    EXPECT_FALSE(b.W->PreviewShown());
    EXPECT_EQ(b.W->DrawingState, 2);
    b.Release(6, 5, Qt::RightButton);
    b.Release(6, 5);
    EXPECT_TRUE(SameRaster(before, b.W->Raster()));
    EXPECT_FALSE(b.W->UndoAvailable());
    EXPECT_EQ(b.Host.Count(bus::NotifyUndoSaved), 0);
}

TEST(GraphicWindow, AStrokeOrShapeReleasedWithCtrlHeldEndsThere) {
    // Ctrl pressed during the drag: the release still ends the stroke or the shape, so moving the
    // mouse afterwards without a button draws nothing.
    for (int tool : {bus::ToolPen, bus::ToolRect}) {
        Board b;
        b.W->PenColor = Red;
        b.Tool(tool);
        b.Press(2, 2);
        b.Move(4, 3);
        QTest::mouseRelease(b.W.get(), Qt::LeftButton, Qt::ControlModifier, b.At(4, 3));
        EXPECT_EQ(b.W->DrawingState, 2) << tool;
        EXPECT_FALSE(b.W->PreviewShown()) << tool;
        const TBitmap released = b.W->Raster();
        b.Move(9, 8, Qt::NoButton);
        EXPECT_TRUE(b.Changed(released).empty()) << tool;
        EXPECT_FALSE(b.W->PreviewShown()) << tool;
        // The shape is drawn as a release without Ctrl draws it.
        EXPECT_EQ(b.Cell(4, 3), Red) << tool;
    }
}

TEST(GraphicWindow, ThePreviewOutlinesTheCellsOnScreenOnly) {
    Board b(
        10, 10, [](int, int) { return White; }, 6);
    b.Tool(bus::ToolRect);
    b.Press(2, 2);
    b.Move(4, 3);
    const QImage shot = b.W->grab().toImage();
    // A black outline on the outer pixels of cells 2..4 x 2..3, nothing inside.
    const TBoardPoint a = b.W->CellToPixel(2, 2), z = b.W->CellToPixel(5, 4);
    EXPECT_EQ(QColor(shot.pixel(a.X, a.Y)), QColor(Qt::black));
    EXPECT_EQ(QColor(shot.pixel(z.X - 1, z.Y - 1)), QColor(Qt::black));
    EXPECT_EQ(QColor(shot.pixel(z.X, z.Y)), QColor(Qt::white));
    EXPECT_EQ(QColor(shot.pixel(a.X + 3, a.Y + 3)), QColor(Qt::white));
    EXPECT_EQ(b.Cell(2, 2), White);
    b.Release(4, 3);
}

TEST(GraphicWindow, AStrokePastTheViewScrollsIt) {
    Board b(
        300, 300, [](int, int) { return White; }, 4);
    ASSERT_TRUE(b.W->ScrollBarH->isVisible());
    b.W->ScrollBarH->setValue(10);
    b.W->ScrollBarV->setValue(10);
    const int h = b.W->ScrollBarH->value(), v = b.W->ScrollBarV->value();
    const int stepH = std::max(b.W->ScrollBarH->pageStep() / 2, b.W->ScrollBarH->singleStep());
    const int stepV = std::max(b.W->ScrollBarV->pageStep() / 2, b.W->ScrollBarV->singleStep());
    b.Tool(bus::ToolPen);
    const TBoardRect c = b.W->VisibleCells();
    b.Press(c.Left + 5, c.Top + 5);
    // Left of and above the view: both bars go back by a step.
    const QPoint out = QPoint(b.W->ViewRect().Left - 3, b.W->ViewRect().Top - 3);
    QMouseEvent e(QEvent::MouseMove, out, b.W->mapToGlobal(out), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(b.W.get(), &e);
    EXPECT_EQ(b.W->ScrollBarH->value(), std::max(h - stepH, 0));
    EXPECT_EQ(b.W->ScrollBarV->value(), std::max(v - stepV, 0));
    b.Release(c.Left + 5, c.Top + 5);
    // Without a stroke nothing scrolls.
    const int now = b.W->ScrollBarH->value();
    QMouseEvent idle(QEvent::MouseMove, out, b.W->mapToGlobal(out), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(b.W.get(), &idle);
    EXPECT_EQ(b.W->ScrollBarH->value(), now);
}

TEST(GraphicWindow, FillsTakeTheConnectedAreaOnly) {
    // A picture that already holds the reserved colour: a blue column splits two white areas.
    auto picture = [](int x, int) { return x == 4 ? Blue : White; };
    {
        Board b(10, 6, picture);
        b.W->PenColor = Red;
        b.Tool(bus::ToolFill);
        b.Press(1, 1);
        b.Release(1, 1);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(b.Cell(x, y), x < 4 ? Red : picture(x, y)) << x << "," << y;
        EXPECT_TRUE(b.W->UndoAvailable());
    }
    {
        // A diagonal wall stops a 4-connected fill.
        Board b(6, 6, [](int x, int y) { return x + y == 3 ? Green : White; });
        b.W->PenColor = Red;
        b.W->FloodFillAt(0, 0);
        EXPECT_EQ(b.Cell(0, 0), Red);
        EXPECT_EQ(b.Cell(5, 5), White);
    }
    {
        // The pattern tiles from (0, 0) into the area; the reserved colour elsewhere is untouched.
        Board b(10, 6, picture);
        b.Host.Pattern = Picture(2, 2, [](int x, int y) { return (x + y) % 2 ? Red : Green; });
        b.Tool(bus::ToolFillPattern);
        b.Press(1, 1);
        b.Release(1, 1);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(b.Cell(x, y), x < 4 ? ((x + y) % 2 ? Red : Green) : picture(x, y)) << x << "," << y;
        // A pattern larger than the picture is read only where the area lies.
        b.Host.Pattern = Picture(50, 40, [](int x, int y) { return Tag(x, y); });
        b.W->PatternFillAt(6, 1);
        EXPECT_EQ(b.Cell(9, 5), Tag(9, 5));
        EXPECT_EQ(b.Cell(4, 0), Blue);
        // Without a host there is no pattern, and nothing changes.
        b.W->Host = nullptr;
        const TBitmap before = b.W->Raster();
        b.W->PatternFillAt(6, 1);
        EXPECT_TRUE(SameRaster(before, b.W->Raster()));
    }
}

TEST(GraphicWindow, TextMakesABlockAboveTheClickedCell) {
    Board b(
        200, 120, [](int, int) { return White; }, 1);
    b.W->PenColor = Red;
    QFont font;
    font.setPointSize(12);
    b.W->TextDialog = [&](TTextRequest& r) {
        r.Lines = {QStringLiteral("Wide line"), QStringLiteral("ab")};
        r.Font = font;
        return true;
    };
    b.Tool(bus::ToolText);
    b.Press(20, 100);
    b.Release(20, 100);
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(3780);
    probe.setDotsPerMeterY(3780);
    QFont f = font;
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(f, &probe);
    ASSERT_TRUE(b.W->Selected);
    const TBoardRect s = b.W->GetSelection();
    EXPECT_EQ(s.Width(), fm.horizontalAdvance(QStringLiteral("Wide line")));
    EXPECT_EQ(s.Height(), 2 * fm.height());
    EXPECT_EQ(s.Left, 20);
    EXPECT_EQ(s.Bottom, 99);
    EXPECT_TRUE(b.W->PasteBuffer.Floating);
    EXPECT_EQ(b.Host.Count(bus::NotifyTextPlaced), 1);
    // Floating, the picture is untouched; nothing is written into the current folder.
    EXPECT_EQ(b.Colours({0, 0, 199, 119}), std::set<TColor>{White});
    EXPECT_FALSE(QDir::current().exists(QStringLiteral("tempo1.bmp")));
    // Written when dropped: only the pen colour is added.
    b.W->DropSelection();
    EXPECT_EQ(b.Colours({0, 0, 199, 119}), (std::set<TColor>{White, Red}));
}

TEST(GraphicWindow, FittedTextFillsTheSelectionFromItsTopRow) {
    Board b(
        40, 30, [](int, int) { return White; }, 2);
    b.W->PenColor = Red;
    b.W->SetSelectionCells({5, 10, 24, 19});
    // Full blocks fill their line from top to bottom.
    TTextRequest r;
    r.Lines = {QString(2, QChar(0x2588))};
    r.Font.setPointSize(20);
    r.Fit = true;
    ASSERT_TRUE(b.W->PlaceText(0, 0, r));
    EXPECT_EQ(b.Colours({0, 9, 39, 9}), std::set<TColor>{White});
    EXPECT_EQ(b.Colours({0, 20, 39, 20}), std::set<TColor>{White});
    EXPECT_EQ(b.Colours({10, 10, 20, 10}), std::set<TColor>{Red});
    EXPECT_EQ(b.Colours({10, 19, 20, 19}), std::set<TColor>{Red});
    EXPECT_TRUE(b.W->Selected);
    EXPECT_FALSE(b.W->PasteBuffer.Floating);
}

TEST(GraphicWindow, AHugeTextBlockIsRefused) {
    Board b;
    TTextRequest r;
    r.Lines = QStringList(100, QStringLiteral("xxxx"));
    r.Font.setPixelSize(4000);
    const TBitmap before = b.W->Raster();
    EXPECT_FALSE(b.W->PlaceText(3, 3, r));
    EXPECT_TRUE(SameRaster(before, b.W->Raster()));
    EXPECT_FALSE(b.W->PasteBuffer.Floating);
    // Through the text tool: the main window does not hear of a text placed, and no undo copy.
    b.W->TextDialog = [&](TTextRequest& Request) {
        Request = r;
        return true;
    };
    b.Tool(bus::ToolText);
    b.Press(3, 3);
    b.Release(3, 3);
    EXPECT_TRUE(SameRaster(before, b.W->Raster()));
    EXPECT_FALSE(b.W->PasteBuffer.Floating);
    EXPECT_EQ(b.Host.Count(bus::NotifyTextPlaced), 0);
    EXPECT_FALSE(b.W->UndoAvailable());
}

// ---- Commands.

TEST(GraphicWindow, Rotate90LiftsTheSelectionAndFloatsItTurned) {
    Board b(10, 8, Tag);
    b.W->BrushColor = Green;
    b.Tool(bus::ToolSelect);
    b.W->SetSelectionCells({2, 1, 4, 2}); // 3 x 2
    const TBitmap before = b.W->Raster();
    b.W->SelectionCommand(bus::CmdRot90);
    const MmapRect& m = b.W->PasteBuffer;
    ASSERT_TRUE(m.Floating);
    EXPECT_EQ(m.Width, 2);
    EXPECT_EQ(m.Height, 3);
    EXPECT_EQ(b.W->GetSelection(), (TBoardRect{2, 1, 3, 3}));
    EXPECT_EQ(b.Colours({2, 1, 4, 2}), std::set<TColor>{Green});
    // A click outside writes it: the top row became the right column.
    b.Press(8, 6);
    b.Release(8, 6);
    EXPECT_FALSE(m.Floating);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(b.Cell(2 + 1 - y, 1 + x), CellOf(before, 2 + x, 1 + y)) << x << "," << y;
    EXPECT_EQ(b.Cell(4, 1), Green);
}

TEST(GraphicWindow, ATurnWithoutASelectionSelectsTheLiftedPicture) {
    // The whole picture is lifted and erased: it floats selected, so dropping it writes it back.
    Board b(10, 8, Tag);
    b.W->BrushColor = Green;
    const TBitmap before = b.W->Raster();
    b.W->SelectionCommand(bus::CmdRot90);
    ASSERT_TRUE(b.W->PasteBuffer.Floating);
    EXPECT_EQ(b.W->GetSelection(), (TBoardRect{0, 0, 7, 7})); // within the picture
    b.W->DropSelection();
    EXPECT_FALSE(b.W->PasteBuffer.Floating);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(b.Cell(7 - y, x), CellOf(before, x, y)) << x << "," << y;
    EXPECT_EQ(b.Cell(9, 0), Green);
}

TEST(GraphicWindow, FlipThenUndoIsExactAndASecondUndoDoesNothing) {
    Board b(9, 7, Tag);
    const TBitmap before = b.W->Raster();
    for (int cmd : {bus::CmdFlipH, bus::CmdFlipV, bus::CmdRot180}) {
        b.W->SelectionCommand(cmd);
        EXPECT_FALSE(SameRaster(before, b.W->Raster())) << cmd;
        EXPECT_FALSE(b.W->PasteBuffer.Floating) << cmd;
        b.Host.Notes.clear();
        b.W->Undo();
        EXPECT_TRUE(SameRaster(before, b.W->Raster())) << cmd;
        EXPECT_EQ(b.Host.Count(bus::NotifyUndoDropped), 1);
        b.W->SelectionCommand(bus::CmdFlipH);
        b.W->Undo();
        const TBitmap once = b.W->Raster();
        b.W->Undo();
        EXPECT_TRUE(SameRaster(once, b.W->Raster()));
    }
    // Rotate 180 of the whole picture: cell (0, 0) went to the far corner.
    b.W->SelectionCommand(bus::CmdRot180);
    EXPECT_EQ(b.Cell(8, 6), CellOf(before, 0, 0));
}

TEST(GraphicWindow, AnUndoCopyOfAnotherSizeIsDropped) {
    Board b(8, 6, Tag);
    b.W->SelectionCommand(bus::CmdFlipH);
    ASSERT_TRUE(b.W->UndoAvailable());
    // The picture changes size behind the undo copy's back.
    b.W->SetRaster(Picture(5, 5, Tag));
    const TBitmap now = b.W->Raster();
    b.W->Undo();
    EXPECT_TRUE(SameRaster(now, b.W->Raster()));
    EXPECT_FALSE(b.W->UndoAvailable());
}

TEST(GraphicWindow, CopyKeepsTheMarkCutAndEraseSetIt) {
    struct Case {
        int Command;
        bool Marks, Erases;
    };
    for (const Case& c : {Case{bus::CmdCopy, false, false}, Case{bus::CmdCut, true, true},
                          Case{bus::CmdEraseRect, true, true}}) {
        Board b(8, 6, Tag);
        b.W->BrushColor = Green;
        b.W->SetSelectionCells({1, 1, 3, 2});
        b.W->Modified = false;
        b.W->SelectionCommand(c.Command);
        EXPECT_EQ(b.W->Modified, c.Marks) << c.Command;
        EXPECT_EQ(b.Colours({1, 1, 3, 2}) == std::set<TColor>{Green}, c.Erases) << c.Command;
        EXPECT_TRUE(b.W->Selected) << c.Command;
        if (c.Command != bus::CmdEraseRect) {
            const QImage clip = QApplication::clipboard()->image();
            EXPECT_EQ(clip.size(), QSize(3, 2)) << c.Command;
            EXPECT_EQ(fromQRgb(clip.pixel(0, 0)), Tag(1, 1)) << c.Command;
        }
    }
}

TEST(GraphicWindow, PasteFloatsAtTheFirstVisibleCell) {
    Board b(
        300, 200, [](int, int) { return White; }, 6);
    b.W->ScrollBarH->setValue(40);
    b.W->ScrollBarV->setValue(30);
    const TBoardRect v = b.W->VisibleCells();
    QImage clip(3, 2, QImage::Format_RGB32);
    clip.fill(toQRgb(Red));
    clip.setPixel(0, 0, toQRgb(Blue)); // the reserved colour comes in as its substitute
    QApplication::clipboard()->setImage(clip);
    b.W->SetOwnedByMain(true);
    b.W->SelectionCommand(bus::CmdPaste, 1);
    const MmapRect& m = b.W->PasteBuffer;
    ASSERT_TRUE(m.Floating);
    EXPECT_EQ(m.PosX, v.Left);
    EXPECT_EQ(m.PosY, v.Top);
    EXPECT_EQ(b.W->GetSelection(), (TBoardRect{v.Left, v.Top, v.Left + 2, v.Top + 1}));
    EXPECT_EQ(b.Cell(v.Left, v.Top), White);
    b.W->SelectionCommand(bus::CmdApplyPaste);
    EXPECT_EQ(b.Cell(v.Left + 2, v.Top + 1), Red);
    EXPECT_EQ(b.Cell(v.Left, v.Top), b.W->SubstituteColor());
    // A picture of one bit a pixel comes in as 24-bit black and white.
    QImage mono(5, 4, QImage::Format_Mono);
    mono.fill(0);
    mono.setPixel(4, 3, 1);
    QApplication::clipboard()->setImage(mono);
    b.W->SelectionCommand(bus::CmdPaste, 1);
    ASSERT_TRUE(m.Floating);
    EXPECT_EQ(m.Width, 5);
    EXPECT_EQ(b.W->GetSelection().Height(), 4);
    EXPECT_EQ(m.Transparent, true);
    b.W->SelectionCommand(bus::CmdApplyPaste);
    EXPECT_EQ(b.Colours({v.Left, v.Top, v.Left + 4, v.Top + 3}).size(), 2u);
    // An empty clipboard pastes nothing.
    QApplication::clipboard()->clear();
    b.W->SetSelectionCells({0, 0, 1, 1});
    b.W->SelectionCommand(bus::CmdPaste, 1);
    EXPECT_FALSE(m.Floating);
}

TEST(GraphicWindow, FreeRotationPreviewsAndCancelGivesBackTheContent) {
    Board b(30, 30, [](int x, int y) { return x >= 10 && x < 16 && y >= 10 && y < 14 ? Tag(x, y) : White; });
    b.W->BrushColor = White;
    b.W->SetSelectionCells({10, 10, 15, 13});
    b.W->SelectionCommand(bus::CmdRotFreeBegin);
    ASSERT_TRUE(b.W->PasteBuffer.Floating);
    MmapRect original;
    original.Assign(b.W->PasteBuffer);
    b.W->SelectionCommand(bus::CmdRotFreePreview, 30);
    EXPECT_GT(b.W->PasteBuffer.Width, 6);
    EXPECT_GT(b.W->PasteBuffer.Height, 4);
    EXPECT_EQ(b.W->GetSelection().Width(), b.W->PasteBuffer.Width);
    b.W->SelectionCommand(bus::CmdRotFreeCancel);
    MmapRect& m = b.W->PasteBuffer;
    ASSERT_EQ(m.Width, 6);
    ASSERT_EQ(m.Height, 4);
    EXPECT_EQ(m.PosX, 10);
    EXPECT_EQ(m.PosY, 10);
    EXPECT_EQ(m.Pixels, original.Pixels);
    EXPECT_EQ(b.W->GetSelection(), (TBoardRect{10, 10, 15, 13}));
}

TEST(GraphicWindow, AQuarterFreeTurnLosesNoColourOfTheContent) {
    // Cells of the top-left cell's colour stay: only the uncovered corners are transparent.
    Board b(20, 20, [](int x, int y) { return (x + y) % 2 ? Red : Green; });
    b.W->SetSelectionCells({2, 2, 5, 5});
    for (int angle : {0, 90}) {
        b.W->SelectionCommand(bus::CmdRotFreeBegin);
        b.W->SelectionCommand(bus::CmdRotFreePreview, angle);
        b.W->SelectionCommand(bus::CmdApplyPaste);
        EXPECT_EQ(b.Colours({2, 2, 5, 5}), (std::set<TColor>{Red, Green})) << angle;
        EXPECT_EQ(b.Cell(2, 2) != b.Cell(3, 2), true) << angle;
    }
}

TEST(GraphicWindow, StretchPreviewApplyAndRestore) {
    Board b(20, 20, [](int x, int y) { return x < 4 && y < 4 ? ((x + y) % 2 ? Red : Green) : White; });
    b.W->SetSelectionCells({0, 0, 3, 3});
    b.W->DestRect = {0, 0, 8, 8};
    const TBitmap before = b.W->Raster();
    b.W->SelectionCommand(61);
    EXPECT_TRUE(SameRaster(before, b.W->Raster()));
    b.W->SelectionCommand(64);
    b.W->SelectionCommand(62);
    EXPECT_EQ(b.Colours({0, 0, 8, 8}), (std::set<TColor>{Red, Green}));
    EXPECT_EQ(b.W->GetSelection(), (TBoardRect{0, 0, 8, 8}));
    // Too small a source does nothing.
    b.W->SetSelectionCells({10, 10, 10, 15});
    b.W->DestRect = {10, 10, 15, 15};
    const TBitmap now = b.W->Raster();
    b.W->SelectionCommand(62);
    EXPECT_TRUE(SameRaster(now, b.W->Raster()));
    // ... and the selection stays on the cells it holds.
    EXPECT_EQ(b.W->GetSelection(), (TBoardRect{10, 10, 10, 15}));
}

TEST(GraphicWindow, ErasingThePenColourInAColumnChangesNothing) {
    Board b(6, 6, [](int, int) { return Red; });
    b.W->PenColor = Red;
    b.W->BrushColor = Green;
    b.W->SetSelectionCells({2, 0, 2, 5});
    b.W->SelectionCommand(bus::CmdEraseClr);
    EXPECT_EQ(b.Colours({0, 0, 5, 5}), std::set<TColor>{Red});
    // Command 65 takes an undo copy even so.
    EXPECT_TRUE(b.W->UndoAvailable());
    b.W->SetSelectionCells({1, 1, 3, 2});
    b.W->SelectionCommand(bus::CmdEraseClr);
    EXPECT_EQ(b.Colours({1, 1, 3, 2}), std::set<TColor>{Green});
}

TEST(GraphicWindow, SelectionToPattern) {
    Board b(8, 8, Tag);
    TBitmap pattern = Picture(1, 1, [](int, int) { return Red; });
    EXPECT_EQ(b.W->SelectionToPattern(pattern), -1);
    EXPECT_EQ(pattern.Width(), 1);
    b.W->SetSelectionCells({2, 3, 4, 4});
    EXPECT_EQ(b.W->SelectionToPattern(pattern), 0);
    ASSERT_EQ(pattern.Width(), 3);
    ASSERT_EQ(pattern.Height(), 2);
    EXPECT_EQ(CellOf(pattern, 2, 1), Tag(4, 4));
}

TEST(GraphicWindow, TheMainWindowHearsOnlyWhenItOwnsTheWindow) {
    Board b;
    b.Tool(bus::ToolDrop);
    b.W->Raster().ScanLine(3)[3 * 4] = 0x12;
    b.Press(4, 3);
    b.Release(4, 3);
    b.Press(4, 3, Qt::RightButton);
    b.Release(4, 3, Qt::RightButton);
    b.Move(5, 2, Qt::NoButton);
    b.W->FormActivate(7);
    const std::vector<std::array<int, 3>> want = {{bus::NotifyPenPicked, int(b.Cell(4, 3)), 0},
                                                  {bus::NotifyBrushPicked, int(b.Cell(4, 3)), 0},
                                                  {bus::NotifyMouseXY, 6, 12 - 2},
                                                  {bus::NotifyActivated, 7, 0}};
    EXPECT_EQ(b.Host.Notes, want);
    EXPECT_EQ(b.W->PenColor, b.W->BrushColor);
    b.W->Host = nullptr;
    b.Move(6, 2, Qt::NoButton);
    EXPECT_EQ(b.Host.Notes.size(), want.size());
}

TEST(GraphicWindow, TheColourPickerTakesColoursOnlyFromThePicture) {
    // A click on the window beside the picture takes no colour: there is no cell there.
    Board b;
    b.W->PenColor = Red;
    b.W->BrushColor = Green;
    b.Tool(bus::ToolDrop);
    const QPoint beside = b.At(20, 3);
    ASSERT_LT(beside.x(), b.W->width());
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(b.W.get(), button, {}, beside);
        QTest::mouseRelease(b.W.get(), button, {}, beside);
    }
    EXPECT_EQ(b.W->PenColor, Red);
    EXPECT_EQ(b.W->BrushColor, Green);
    EXPECT_EQ(b.Host.Count(bus::NotifyPenPicked) + b.Host.Count(bus::NotifyBrushPicked), 0);
}

TEST(GraphicWindow, TheMagnifierZoomsInOnTheCellAndOut) {
    Board b(300, 300, Tag, 2);
    b.W->SetTool(bus::ToolMagnifier);
    b.W->CenterOnCell({150, 150});
    b.Press(150, 150);
    EXPECT_EQ(b.W->PAmpFac(), 3);
    EXPECT_EQ(b.W->MaxWidth, 800);
    const TBoardRect& v = b.W->VisibleCells();
    EXPECT_LE(std::abs((v.Left + v.Right) / 2 - 150), 1);
    EXPECT_LE(std::abs((v.Top + v.Bottom) / 2 - 150), 1);
    b.Press(150, 150, Qt::RightButton);
    EXPECT_EQ(b.W->PAmpFac(), 2);
}

// ---- Buffer transforms.

TEST(GraphicBuffers, FlipsAndQuarterTurnsMoveEveryCell) {
    MmapRect b = Buffer(3, 2, Tag);
    Rotate90(b);
    ASSERT_EQ(b.Width, 2);
    ASSERT_EQ(b.Height, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.GetPixel(2 - 1 - y, x), Tag(x, y));
    MmapRect f = Buffer(3, 2, Tag);
    FlipHorizontal(f);
    FlipVertical(f);
    EXPECT_EQ(f.GetPixel(0, 0), Tag(2, 1));
    // One column wide: left alone.
    MmapRect c = Buffer(1, 3, Tag);
    FlipVertical(c);
    EXPECT_EQ(c.GetPixel(0, 0), Tag(0, 0));
}

TEST(GraphicBuffers, TheNearestStretchAddsNoColour) {
    const MmapRect board = Buffer(4, 4, [](int x, int y) { return (x + y) % 2 ? Red : Green; });
    for (int size : {3, 9, 1}) {
        MmapRect t;
        t.Width = size;
        t.Height = size;
        StretchNearest(board, t);
        std::set<TColor> seen;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                seen.insert(t.GetPixel(x, y));
        EXPECT_TRUE(seen == (std::set<TColor>{Red, Green}) || (size == 1 && seen == std::set<TColor>{Green}))
            << size;
    }
}
