// The graphic test's fabric drawing: the stitch shades, the colour cache, and each drawing fed with
// fabric beds set by hand on an engine attached to a small program.

#include "app/UGtestDraw.h"
#include "tests/support/ProjectScript.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(GtestColors, ShadesFollowTheRankTable) {
    struct Case {
        TColor Colour;
        std::array<TColor, 3> Shades;
    };
    const Case cases[] = {
        {0x808080, {0x737373, 0x595959, 0x333333}}, // grey: 90, 70, 40 %
        {0x0000FF, {0x0000FF, 0x0000A5, 0x00005E}}, // red first, blue before green
        {0x000000, {0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StitchShades(c.Colour), c.Shades) << std::hex << c.Colour;
}

TEST(GtestColors, CacheIsExactlyEightyFourBytesInRailOrder) {
    const TGtestColors table = DefaultGtestColors();
    const TGtestColors file = FileOrderOf(table);
    // Rail 2 carrier 3 is file entry 10 and table entry 5.
    TGtestColors changed = table;
    changed[5] = 0x123456;
    const QByteArray bytes = YcCacheBytes(FileOrderOf(changed));
    ASSERT_EQ(bytes.size(), 84);
    EXPECT_EQ(bytes.mid(40, 4), QByteArray("\x56\x34\x12\x00", 4));
    EXPECT_EQ(TableOrderOf(file), table);
    EXPECT_EQ(ParseYcCache(bytes), FileOrderOf(changed));
    // Any other length is no cache; a value's high byte is not a colour.
    for (int n : {0, 10, 83, 85, 1000})
        EXPECT_FALSE(ParseYcCache(QByteArray(n, '\x7f')).has_value()) << n;
    const std::optional<TGtestColors> high = ParseYcCache(QByteArray(84, '\xff'));
    ASSERT_TRUE(high.has_value());
    EXPECT_EQ((*high)[0], 0xFFFFFFu);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("YCcolors.che"));
    EXPECT_FALSE(ReadYcCacheFile(name).has_value());
    ASSERT_TRUE(WriteYcCacheFile(name, file));
    EXPECT_EQ(ReadYcCacheFile(name), file);
    EXPECT_FALSE(ReadYcCacheFile(dir.path()).has_value()); // a folder is no cache
}

// A 20-needle program; the beds are then set by hand.
constexpr char Program[] = R"(
machine 712 5
C area=1..21 L1=-3 R1=3
picture 20x10
Z1 cam1=RR cam3=A cam4=A yc1=1
Z2 cam1=RR cam3=A cam4=A yc1=1
S1 Z=1+1 D1
)";

struct DrawFixture : ::testing::Test {
    std::unique_ptr<MMemoryProject> Project = kdstest::BuildProject(QString::fromLatin1(Program));
    MGtestEngine Engine;
    TBoardSheet Board;
    MGtestDrawing Drawing{Board, Engine};
    std::vector<std::pair<int, int>> Written;

    void SetUp() override {
        Engine.SetProject(Project.get());
        ASSERT_EQ(Engine.Width(), 20);
        Drawing.NewBoard(400, 40);
        Drawing.BuildStitchGlyphs();
        Drawing.OnRowsWritten = [this](int Top, int Bottom) { Written.emplace_back(Top, Bottom); };
        for (int b = 0; b < 4; ++b)
            Engine.StitchBeds[std::size_t(b)].ClearNeedles();
    }
    // Bed Index: W needles, all empty but those given.
    void SetBed(int Index, std::initializer_list<std::pair<int, std::uint32_t>> Needles) {
        MJacquardBed& bed = Engine.StitchBeds[std::size_t(Index)];
        for (int n = 1; n <= 20; ++n)
            bed.SetNeedle(n, stEmpty);
        for (auto [n, v] : Needles)
            bed.SetNeedle(n, v);
    }
    // The cell of board column X (1-based) on line Line (1 the bottom row).
    TColor Cell(int X, int Line) const { return Board.GetCell(X - 1, Board.LastRow() + 1 - Line); }
    const TGtestColors& C() const { return Drawing.Colors; }
};

constexpr std::uint32_t Right1 = stMovedRight | (1u << stDistanceShift);
constexpr std::uint32_t Left1 = stMovedLeft | (1u << stDistanceShift) | stDistanceNegative;

TEST_F(DrawFixture, NormalColoursTheCourseOnTheLineBeforeItsAdvance) {
    struct Case {
        const char* Name;
        int Render;
        std::uint32_t Front, Rear; // needle 5 of the render side's copy and of the other side
        int Colour;                // colour table entry; -1 white
    };
    const Case cases[] = {
        {"rear loop seen from the front", 0, stEmpty, 3 | stRear, gtcolor::Opposite},
        {"rear loop seen from the rear", 1, stEmpty, 3 | stRear, 2},
        {"front loop", 0, 3, stEmpty, 2},
        {"moved right", 0, 1 | Right1, stEmpty, gtcolor::RightTransfered},
        {"moved left", 0, 1 | Left1, stEmpty, gtcolor::LeftTransfered},
        {"moved in place", 0, 1 | stMovedStraight, stEmpty, gtcolor::Transfered},
        // Moved away with the racking and back: on its own needle, its yarn's colour.
        {"moved right and back", 0, 1 | stMovedRight | stMovedLeft, stEmpty, 0},
        {"to the rear and back under one racking", 0, 1 | stMovedLeft, stEmpty, 0},
        {"moved in place after a move away and back", 0, 1 | stMovedStraight | stMovedRight | stMovedLeft,
         stEmpty, gtcolor::Transfered},
        {"no carrier", 0, stNoCarrier, stEmpty, gtcolor::Fall},
        {"dropped", 0, 1 | stDropped, stEmpty, gtcolor::Fall},
        {"old loops on both sides", 0, 1 | stOld, 2 | stRear | stOld, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Engine.Style = gsNormal;
        Engine.RenderSide = c.Render;
        Engine.DisplayRow = 2;
        // The render side's course was completed: its copy, and the other side's current bed.
        const int own = c.Render == 0 ? 0 : 1;
        SetBed(2 + own, {{5, own == 0 ? c.Front : c.Rear}});
        SetBed(1 - own, {{5, own == 0 ? c.Rear : c.Front}});
        Engine.StitchBeds[std::size_t(3 - own)].ClearNeedles();
        Written.clear();
        Drawing.DrawColorRow();
        EXPECT_EQ(Cell(25, 1), c.Colour < 0 ? 0xFFFFFFu : C()[std::size_t(c.Colour)]);
        EXPECT_EQ(Cell(24, 1), 0xFFFFFFu);
        ASSERT_EQ(Written.size(), 1u);
        EXPECT_EQ(Written[0], std::make_pair(Board.LastRow(), Board.LastRow()));
    }
    // No course completed: nothing drawn.
    Engine.StitchBeds[2].ClearNeedles();
    Engine.StitchBeds[3].ClearNeedles();
    Written.clear();
    Drawing.DrawColorRow();
    EXPECT_TRUE(Written.empty());
}

TEST_F(DrawFixture, JaquardAndTransferFilterTheCurrentBeds) {
    struct Case {
        int Style;
        std::uint32_t Word;
        int Colour;
    };
    const Case cases[] = {
        {gsJaquard, 2 | Right1, 1},
        {gsJaquard, stNoCarrier, gtcolor::Fall},
        {gsJaquard, 2 | stRear, 1},
        {gsTransfer, 2, -1},
        {gsTransfer, 2 | Right1, gtcolor::RightTransfered},
        {gsTransfer, 2 | Left1, gtcolor::LeftTransfered},
        {gsTransfer, 2 | stMovedStraight, gtcolor::Transfered},
        {gsTransfer, 2 | stMovedRight | stMovedLeft, -1},
        {gsTransfer, 2 | stDropped, gtcolor::Fall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Word);
        Engine.Style = c.Style;
        Engine.RenderSide = 0;
        Engine.DisplayRow = 3;
        Engine.StitchFlag = 1;
        SetBed(0, {{7, c.Word}});
        SetBed(1, {});
        Drawing.DrawColorRow();
        EXPECT_EQ(Cell(27, 3), c.Colour < 0 ? 0xFFFFFFu : C()[std::size_t(c.Colour)]);
    }
    // Without the stitch flag the row is not ready.
    Engine.StitchFlag = 0;
    Engine.DisplayRow = 4;
    Written.clear();
    Drawing.DrawColorRow();
    EXPECT_TRUE(Written.empty());
}

TEST_F(DrawFixture, CarrierPathLiesBetweenTwoFabricLines) {
    Engine.Style = gsYC;
    Engine.DisplayRow = 4;
    MRegisters& regs = Engine.Sequencer.Regs;
    regs.PrevSystem = 1;
    regs.Row.Carriers[0].Clear();
    regs.Row.Carriers[0].SetBit(2, 1); // carrier 3
    MYcData& yc = regs.Rail2[2];
    yc.Selected = true;
    yc.FInUse = true;
    MYcData::EncodePosition(20, 20, yc.Previous);
    MYcData::EncodePosition(10, 20, yc.Current);
    SetBed(0, {{1, 5}});
    Drawing.DrawCarrierRow();
    const TColor carrier = C()[2 * 2 + 1];
    for (int x = 29; x <= 41; ++x)
        EXPECT_EQ(Cell(x, 5), x >= 30 && x <= 40 ? carrier : 0xFFFFFFu) << x;
    for (int line : {4, 6}) {
        EXPECT_EQ(Cell(21, line), C()[4]) << line;
        EXPECT_EQ(Cell(22, line), 0xFFFFFFu) << line;
    }
    EXPECT_EQ(Written.back(), std::make_pair(Board.LastRow() - 5, Board.LastRow() - 3));
}

// Whether any cell of the rectangle (board columns and rows, 0-based) has the colour, and whether
// every cell outside it within the band of rows is white.
bool HasColour(const TBoardSheet& B, int X1, int X2, int Y1, int Y2, TColor Colour) {
    for (int y = Y1; y <= Y2; ++y)
        for (int x = X1; x <= X2; ++x)
            if (B.GetCell(x, y) == Colour)
                return true;
    return false;
}
bool WhiteOutside(const TBoardSheet& B, int X1, int X2, int Y1, int Y2) {
    for (int y = Y1; y <= Y2; ++y)
        for (int x = 0; x <= B.LastCol(); ++x)
            if ((x < X1 || x > X2) && B.GetCell(x, y) != 0xFFFFFF)
                return false;
    return true;
}

TEST_F(DrawFixture, StitchGlyphsSitOnTheirNeedles) {
    Engine.View = gvStitch;
    Engine.RenderSide = 0;
    struct Case {
        const char* Name;
        std::uint32_t Word;
        int X1, X2; // the glyph's columns for needle 3 at 14 pixels
        int Colour;
    };
    const Case cases[] = {
        {"front", 1, 28, 41, 0},
        {"R1 ends on its needle", 1 | Right1, 14, 41, 0},
        {"L1 starts on it", 1 | Left1, 28, 55, 0},
        {"no carrier in the Fall colour", stNoCarrier, 28, 41, gtcolor::Fall},
        {"rear", 4 | stRear, 28, 41, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Drawing.NewBoard(400, 60);
        Engine.DisplayRow = 1;
        SetBed(0, {{3, c.Word}});
        SetBed(1, {});
        Drawing.DrawStitchRow();
        const int h = Drawing.BoardHeight();
        const int bottom = h - 1, top = h - 14;
        EXPECT_TRUE(HasColour(Board, c.X1, c.X2, top, bottom, C()[std::size_t(c.Colour)]));
        EXPECT_TRUE(WhiteOutside(Board, c.X1, c.X2, top, bottom));
    }
}

TEST_F(DrawFixture, StitchDrawingRedrawsOnlyChangedNeedles) {
    Engine.View = gvStitch;
    Engine.DisplayRow = 1;
    SetBed(0, {{3, 1}, {4, 1}});
    SetBed(1, {});
    Drawing.DrawStitchRow();
    EXPECT_EQ(Drawing.LastRedrawn(), 20);
    Drawing.DrawStitchRow();
    EXPECT_EQ(Drawing.LastRedrawn(), 0);
    Engine.StitchBeds[0].SetNeedle(4, 2);
    Drawing.DrawStitchRow();
    EXPECT_EQ(Drawing.LastRedrawn(), 1);
    // A new fabric row draws everything again.
    Engine.DisplayRow = 15;
    Drawing.DrawStitchRow();
    EXPECT_EQ(Drawing.LastRedrawn(), 20);
}

TEST_F(DrawFixture, BoardGrowsTo2500LinesThenMovesDownBy1000) {
    struct Case {
        int View, Style;
    };
    for (const Case& c : {Case{gvStitch, gsNormal}, Case{gvColor, gsJaquard}, Case{gvColor, gsYC}}) {
        SCOPED_TRACE(c.View * 100 + c.Style);
        Engine.View = c.View;
        Engine.Style = c.Style;
        Engine.StitchFlag = 1;
        Drawing.AreaLines = 300;
        Drawing.NewBoard(100, 300);
        SetBed(0, {{1, 1}});
        SetBed(1, {});
        int most = 0;
        int lowered = 0;
        for (int step = 0; step < 3000 && lowered == 0; ++step) {
            const int before = Engine.DisplayRow;
            Drawing.DrawStep();
            most = std::max(most, Drawing.BoardHeight());
            if (Engine.DisplayRow < before)
                lowered = before - Engine.DisplayRow;
            else
                Engine.DisplayRow += c.View == gvStitch ? 14 : 3;
        }
        EXPECT_EQ(lowered, 1000);
        EXPECT_GE(most, 2500);
        EXPECT_LT(most, 2500 + 300);
        // The fabric row now lies on the moved picture: its row is drawn 1000 lines lower.
        EXPECT_EQ(Drawing.BoardHeight(), most);
    }
}

TEST_F(DrawFixture, ScrollingMovesThePictureAndShowsExactlyTheRows) {
    Drawing.NewBoard(10, 3000);
    Board.WriteCell(2, 500, 0x123456);
    Drawing.ScrollBoardDown(1000);
    EXPECT_EQ(Board.GetCell(2, 1500), 0x123456u);
    EXPECT_EQ(Board.GetCell(2, 500), 0xFFFFFFu);
    Board.SetVisibleCells({0, 0, 9, 99});
    Drawing.ScrollViewTo(50);
    EXPECT_EQ(Board.VisibleCells().Bottom, 3000 - 50);
    EXPECT_EQ(Board.VisibleCells().Top, 3000 - 50 - 100 + 1);
    Drawing.GrowBoard(10, 3050);
    EXPECT_EQ(Board.GetCell(2, 1550), 0x123456u);
}

} // namespace
