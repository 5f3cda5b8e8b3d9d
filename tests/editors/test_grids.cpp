// The palette grid and the setup-scheme grid: the grid's hit test and symbol colours, the presses it
// reports; the setup grid's canonical texts, colours and key rules per column kind, and what the
// owner hears when an edit ends.

#include "editors/CStringGrid_m.h"
#include "editors/ColorsPanel_m.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

// ---- The palette grid.

TEST(ColorsPanel, HitTestReachesTheOuterBorder) {
    struct Case {
        int X, Y, Columns;
        std::optional<int> Index;
    };
    // 83 wide: columns of 19 from X 3; rows of 20 from Y 3.
    const Case cases[] = {{4, 4, 4, 0},
                          {79, 10, 4, 3},
                          {79, 163, 4, 31},
                          {4, 163, 4, 28},
                          {21, 22, 4, 0},
                          {23, 24, 4, 5},
                          {3, 3, 4, {}},
                          {3, 50, 4, {}},
                          {50, 3, 4, {}},
                          {80, 10, 4, {}},
                          {10, 164, 4, {}},
                          {4, 4, 0, {}},
                          {4, 4, 33, {}},
                          // Three columns of 25: ten rows, colours 30 and 31 are not drawn.
                          {78, 203, 3, 29},
                          {10, 204, 3, {}},
                          {78, 22, 3, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(ColorsPanelHit(c.X, c.Y, 83, c.Columns, 20), c.Index)
            << c.X << "," << c.Y << " /" << c.Columns;
}

TEST(ColorsPanel, SymbolsAndPresses) {
    EXPECT_EQ(ColorsPanelSymbolColor(0xFFFFFF), 0x000000u);
    EXPECT_EQ(ColorsPanelSymbolColor(0x0000FF), 0xFFFFFFu);
    EXPECT_EQ(ColorsPanelSymbolColor(0xC8C8C8), 0x000000u) << "600";
    EXPECT_EQ(ColorsPanelSymbolColor(0xA7A7A7), 0x000000u) << "501";
    EXPECT_EQ(ColorsPanelSymbolColor(0xA6A6A6), 0xFFFFFFu) << "498";

    MColorsPanel grid(nullptr);
    EXPECT_EQ(grid.size(), QSize(83, 167));
    std::vector<TColor> left, right;
    grid.OnLeftColorChange = [&](TColor c) { left.push_back(c); };
    grid.OnRightColorChange = [&](TColor c) { right.push_back(c); };
    MPalette project;
    project.Colors[3] = 0x123456;
    project.Colors[31] = 0x654321;
    grid.SetPalette(&project);
    grid.PressAt(79, 10, Qt::LeftButton);
    grid.PressAt(79, 163, Qt::RightButton);
    grid.PressAt(2, 2, Qt::LeftButton);
    EXPECT_EQ(left, std::vector<TColor>{0x123456});
    EXPECT_EQ(right, std::vector<TColor>{0x654321});
    // The own palette again; an assigned palette outlives the grid.
    grid.SetPalette(nullptr);
    grid.PressAt(79, 10, Qt::LeftButton);
    EXPECT_EQ(left.back(), MPalette().Color(3));
    QTest::mouseClick(&grid, Qt::RightButton, {}, QPoint(4, 4));
    EXPECT_EQ(right.back(), MPalette().Color(0));
    EXPECT_FALSE(grid.grab().isNull());
}

// ---- The setup-scheme grid.

TEST(SetupGrid, CanonicalTextsAndColours) {
    struct Case {
        int Kind, Digits;
        QString Text;
        std::optional<QString> Canonical;
        std::optional<TColor> Colour;
    };
    const TColor red = 0x0000FF, blue = 0xFF0000, green = 0x008000, black = 0;
    const Case cases[] = {
        {0, 4, "12", "0012", {}},      {0, 3, "", "000", {}},       {0, 3, "12345", "12345", {}},
        {1, 3, "-5", "-005", {}},      {0, 3, "abc", {}, {}},       {0, 3, "1-2", {}, {}},
        {2, 4, "-7", "-0007", red},    {2, 3, "0", "+000", black},  {3, 3, "7", "-007", red},
        {3, 3, "+7", "+007", black},   {3, 3, "", "-000", red},     {4, 3, "7", "+007", black},
        {3, 3, "-000", "-000", red},   {4, 3, "-000", "-000", red}, {4, 3, "-0", "+000", black},
        {3, 3, "+000", "+000", black}, {4, 3, "-12", "-012", red},  {4, 3, "+", "+000", black},
        {4, 3, "x7", {}, black},       {5, 3, "I", "I", blue},      {5, 3, "", "", {}},
        {5, 3, "X", {}, blue},         {6, 2, "5", "R05", green},   {6, 2, "l5", "L05", blue},
        {6, 2, "", "R00", green},      {6, 2, "L", "L00", blue},    {6, 2, "Lx", {}, blue},
        {7, 3, "U1", "U1", green},     {7, 3, "U2", "U2", blue},    {7, 3, "X", "G", red},
        {8, 3, "8", "8", {}},          {8, 3, "", "", {}},          {8, 3, "9", {}, {}},
        {8, 3, "12", {}, {}}};
    for (const Case& c : cases) {
        // A canonical text is its own canonical form: painting it again changes nothing.
        if (c.Canonical) {
            EXPECT_EQ(GridCanonicalText(c.Kind, c.Digits, *c.Canonical), c.Canonical)
                << c.Kind << " " << c.Canonical->toStdString();
        }
        EXPECT_EQ(GridCanonicalText(c.Kind, c.Digits, c.Text), c.Canonical)
            << c.Kind << " " << c.Text.toStdString();
        EXPECT_EQ(GridTextColor(c.Kind, c.Canonical.value_or(c.Text)), c.Colour)
            << c.Kind << " " << c.Text.toStdString();
    }
}

TEST(SetupGrid, KeyRules) {
    using R = TGridKeyResult;
    constexpr int BS = Qt::Key_Backspace, Enter = Qt::Key_Return;
    struct Case {
        int Kind, Digits, Row;
        QString Text;
        bool All;
        int Key;
        R Result;
    };
    const R ignore{R::Ignore, {}};
    const auto pass = [](const QString& t = {}) { return R{R::Pass, t}; };
    const auto end = [](const QString& t) { return R{R::EndEdit, t}; };
    const Case cases[] = {// Digits: a fifth digit only over a selected text; Backspace and Enter always.
                          {0, 4, 1, "0012", false, '5', ignore},
                          {0, 4, 1, "0012", true, '5', pass("5")},
                          {0, 4, 1, "0012", false, BS, pass()},
                          {0, 4, 1, "12", false, 'x', ignore},
                          {0, 4, 1, "12", false, Enter, pass()},
                          {1, 3, 1, "005", false, '1', end("005")},
                          {2, 3, 1, "+005", false, ' ', end("+005")},
                          // Signed: the sign is not counted; signs replace or lead and end the edit.
                          {4, 3, 1, "+012", false, '5', ignore},
                          {4, 3, 1, "12", false, '5', pass("5")},
                          {4, 3, 1, "+012", false, ' ', end("-012")},
                          {4, 3, 1, "-012", false, '+', end("+012")},
                          {4, 3, 1, "12", false, ' ', end("-12")},
                          {4, 3, 1, "", false, '-', pass("-")},
                          {4, 3, 1, "", false, ' ', ignore},
                          {3, 3, 1, "7", false, '+', end("+7")},
                          // The flag: rows 1 to 6 only.
                          {5, 3, 1, "", false, ' ', end("I")},
                          {5, 3, 6, "I", false, 'i', end("")},
                          {5, 3, 0, "", false, ' ', end("")},
                          {5, 3, 7, "I", false, ' ', end("I")},
                          {5, 3, 3, "I", false, 'x', end("I")},
                          // The side: lower case taken as upper.
                          {6, 2, 1, "R05", false, ' ', end("L05")},
                          {6, 2, 1, "L05", false, 'r', end("R05")},
                          {6, 2, 1, "05", false, ' ', end("L05")},
                          {6, 2, 1, "", false, 'l', pass("L")},
                          {6, 2, 1, "R05", false, '1', ignore},
                          {6, 2, 1, "R5", false, '1', pass("1")},
                          // The cycle.
                          {7, 3, 1, "G", false, ' ', end("U1")},
                          {7, 3, 1, "U1", false, ' ', end("U2")},
                          {7, 3, 1, "U2", false, ' ', end("G")},
                          {7, 3, 1, "X", false, ' ', end("G")},
                          {7, 3, 1, "U1", false, 'a', end("U1")},
                          // One digit.
                          {8, 3, 1, "", false, ' ', end("1")},
                          {8, 3, 1, "7", false, ' ', end("8")},
                          {8, 3, 1, "8", false, ' ', end("")},
                          {8, 3, 1, "x", false, ' ', end("")},
                          {8, 3, 1, "", false, '9', ignore},
                          {8, 3, 1, "3", false, '4', ignore},
                          {8, 3, 1, "", false, '4', pass("4")}};
    for (const Case& c : cases)
        EXPECT_EQ(GridFilterKey(c.Kind, c.Digits, c.Row, c.Text, c.All, c.Key), c.Result)
            << c.Kind << " '" << c.Text.toStdString() << "' key " << c.Key;
}

namespace {
struct Grid {
    Grid() {
        G.SetColCount(4);
        G.SetRowCount(9);
        G.ColumnKind[1] = 3;
        G.ColumnKind[2] = 8;
        G.ColumnKind[3] = 0;
        G.ColumnDigits[3] = 4;
        G.OnSetEditText = [this](QObject*, int Col, int Row, const QString& Text) {
            Told.push_back({Col, Row, Text});
        };
        G.resize(300, 300);
        G.show();
        QApplication::setActiveWindow(&G);
    }
    struct Note {
        int Col, Row;
        QString Text;
        bool operator==(const Note&) const = default;
    };
    void Key(int K) { G.TypeKey(K); }
    MCStringGrid G;
    std::vector<Note> Told;
};
} // namespace

TEST(SetupGrid, TypedEditsEndInTheCanonicalFormTheOwnerIsTold) {
    Grid g;
    // The owner writes "7" into a kind 3 column: stored and shown as "-007".
    g.G.SetCells(1, 1, QStringLiteral("7"));
    EXPECT_EQ(g.G.Cells(1, 1), QStringLiteral("-007"));
    g.G.SetCells(0, 1, QStringLiteral("8"));
    EXPECT_EQ(g.G.Cells(0, 1), QStringLiteral("8")) << "the fixed column keeps its label";
    EXPECT_TRUE(g.Told.empty());

    // Typing 7 and Enter in kind 3: the owner hears "7" while typing and "-007" at the end.
    g.G.SetCurrentCell(1, 2);
    g.Key('7');
    EXPECT_TRUE(g.G.EditorShown());
    g.Key(Qt::Key_Return);
    EXPECT_FALSE(g.G.EditorShown());
    EXPECT_EQ(g.G.Cells(1, 2), QStringLiteral("-007"));
    EXPECT_EQ(g.Told, (std::vector<Grid::Note>{{1, 2, "7"}, {1, 2, "-007"}}));
    // Space on the cell flips the sign at once.
    g.Told.clear();
    g.Key(' ');
    EXPECT_EQ(g.G.Cells(1, 2), QStringLiteral("+007"));
    EXPECT_EQ(g.Told, (std::vector<Grid::Note>{{1, 2, "+007"}}));

    // Kind 0 with four digits: 12 becomes 0012; a fifth digit typed into it is ignored.
    g.G.SetCurrentCell(3, 1);
    g.Key('1');
    g.Key('2');
    g.Key(Qt::Key_Return);
    EXPECT_EQ(g.G.Cells(3, 1), QStringLiteral("0012"));
    g.Key(Qt::Key_Return);
    auto* editor = qobject_cast<QLineEdit*>(g.G.indexWidget(g.G.currentIndex()));
    ASSERT_TRUE(editor);
    editor->deselect();
    editor->end(false);
    g.Key('5');
    EXPECT_EQ(editor->text(), QStringLiteral("0012"));
    // A pasted word is no number: the edit ends with the text the cell had.
    editor->setText(QStringLiteral("abc"));
    g.Told.clear();
    g.Key(Qt::Key_Return);
    EXPECT_EQ(g.G.Cells(3, 1), QStringLiteral("0012"));
    EXPECT_EQ(g.Told, (std::vector<Grid::Note>{{3, 1, "0012"}}));

    // Kind 8: Space runs empty, 1 .. 8, empty.
    g.G.SetCurrentCell(2, 1);
    QStringList seen;
    for (int i = 0; i < 9; ++i) {
        g.Key(' ');
        seen << g.G.Cells(2, 1);
    }
    EXPECT_EQ(seen, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", ""}));

    // From the keyboard: a digit opens the editor, which filters its own keys; Enter ends the edit.
    g.G.SetCurrentCell(1, 3);
    g.G.setFocus();
    QTest::keyClick(&g.G, Qt::Key_1);
    editor = qobject_cast<QLineEdit*>(g.G.indexWidget(g.G.currentIndex()));
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, QStringLiteral("2x34"));
    EXPECT_EQ(editor->text(), QStringLiteral("123")) << "x ignored, a fourth digit too";
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(g.G.EditorShown());
    EXPECT_EQ(g.G.Cells(1, 3), QStringLiteral("-123"));
    QTest::keyClick(&g.G, Qt::Key_Space);
    EXPECT_EQ(g.G.Cells(1, 3), QStringLiteral("+123"));
}

TEST(SetupGrid, PaintingChangesNoCellAndSurvivesWords) {
    Grid g;
    g.G.ColumnKind[2] = 7;
    // Texts no kind takes, written straight into the items as a paste would leave them.
    g.G.item(1, 1)->setText(QStringLiteral("word"));
    g.G.item(1, 2)->setText(QStringLiteral("X"));
    g.G.item(1, 3)->setText(QStringLiteral("99999999999999999999"));
    EXPECT_FALSE(g.G.grab().isNull());
    EXPECT_EQ(g.G.Cells(1, 1), QStringLiteral("word"));
    EXPECT_EQ(g.G.Cells(2, 1), QStringLiteral("X"));
    EXPECT_EQ(g.G.ShownText(2, 1), QStringLiteral("G"));
    EXPECT_EQ(g.G.ShownText(1, 1), QStringLiteral("word"));
    EXPECT_TRUE(g.Told.empty());
}
