// The row and container framework's arithmetic, free of widgets: moving the focus between cells,
// which slots show which entries, the scroll bar, the size of the container, go-to, the checks of
// the Special Functions dialog and the module menu's table.

#include "editors/ModuleMenu.h"
#include "editors/RContainerPanel_m.h"
#include "editors/SpecFuncForm.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct MoveCase {
    const char* Name;
    std::vector<int> Tags;
    int Tag, DX, DY, SideColumns, ColumnSpan;
    TCellMove Expected;
};

} // namespace

TEST(RowFrame, MoveCellFocusByTheVisibleCells) {
    // A one-column row: number 0, a column of three cells 100..102, and 200, 300 on line 0.
    const std::vector<int> row = {0, 100, 101, 102, 200, 300};
    // A Z-like row: lines 0..2 in columns 0..3, column 1 without line 1.
    const std::vector<int> z = {5, 0, 1, 2, 100, 102, 200, 201, 202, 300, 301};
    const MoveCase cases[] = {
        {"right along the line", row, 100, 1, 0, 1, 0, {cmCell, 200}},
        {"left along the line", row, 200, -1, 0, 1, 0, {cmCell, 100}},
        {"a one-column row stays at its last cell", row, 300, 1, 0, 1, 0, {cmNone, 300}},
        {"and at its first", row, 0, -1, 0, 1, 0, {cmNone, 0}},
        {"the left row of a pair hands over with the wrapped cell",
         row,
         300,
         1,
         0,
         2,
         0,
         {cmRightNeighbour, 0}},
        {"the right row hands back with the last cell", row, 0, -1, 0, 2, 0, {cmLeftNeighbour, 300}},
        {"a line alone hands over its own tag", row, 102, 1, 0, 2, 0, {cmRightNeighbour, 102}},
        {"down the column", row, 100, 0, 1, 1, 0, {cmCell, 101}},
        {"up the column", row, 102, 0, -1, 1, 0, {cmCell, 101}},
        {"down past the column's end goes to the next row, wrapped", row, 102, 0, 1, 1, 0, {cmRowBelow, 100}},
        {"up past the top goes to the row above, wrapped", row, 100, 0, -1, 1, 0, {cmRowAbove, 102}},
        {"a cell alone in its column keeps its tag", row, 200, 0, 1, 1, 0, {cmRowBelow, 200}},
        {"span: the same column first", z, 200, 0, 1, 1, 2, {cmCell, 201}},
        {"span: a missing line searches the columns to the right", z, 100, 0, 1, 1, 2, {cmCell, 201}},
        {"span: up from line 0 does not search", z, 200, 0, -1, 1, 2, {cmRowAbove, 202}},
        {"span: nothing found falls back to the column", z, 102, 0, 1, 1, 1, {cmRowBelow, 100}},
        {"a diagonal key moves nothing", row, 100, 1, 1, 1, 0, {cmNone, 100}},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PlanCellMove(c.Tags, c.Tag, c.DX, c.DY, c.SideColumns, c.ColumnSpan), c.Expected);
    }
}

TEST(RowFrame, SlotsOfOneAndTwoColumns) {
    // One column: one entry per row from the index on; rows past the list's end are hidden.
    EXPECT_EQ(PlanSlots({1, 2, 3, 4, 5}, 1, 3, 1), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(PlanSlots({1, 2}, 0, 3, 1), (std::vector<int>{0, 1, -1}));
    // Two columns pair an odd number with the next one: 1, 2, 3, 5, 6 -> {1|2}, {3|-}, {5|6}.
    EXPECT_EQ(PlanSlots({1, 2, 3, 5, 6}, 0, 3, 2), (std::vector<int>{0, 1, 2, -1, 3, 4}));
    // An even number alone stands on the right: 4 -> {-|4}.
    EXPECT_EQ(PlanSlots({4}, 0, 2, 2), (std::vector<int>{-1, 0, -1, -1}));
    EXPECT_EQ(PlanSlots({1, 2, 3, 5, 6}, 2, 2, 2), (std::vector<int>{2, -1, 3, 4}));
    EXPECT_EQ(PlanSlots({}, 0, 2, 1), (std::vector<int>{-1, -1}));
}

TEST(RowFrame, ScrollBarLayoutAndGoto) {
    // More display rows than visible: shown, the top row clamped into its range.
    EXPECT_EQ(PlanScrollBar(20, 8, 3), (TScrollPlan{true, 12, 8, 3}));
    EXPECT_EQ(PlanScrollBar(20, 8, 15), (TScrollPlan{true, 12, 8, 12}));
    EXPECT_EQ(PlanScrollBar(20, 8, -2), (TScrollPlan{true, 12, 8, 0}));
    // As many or fewer: hidden, top row 0.
    EXPECT_EQ(PlanScrollBar(8, 8, 3), TScrollPlan{});
    EXPECT_EQ(PlanScrollBar(0, 2, 0), TScrollPlan{});

    // The size: rows and gaps, the scroll bar's width and 2 pixels when it shows.
    const TContainerLayout n = ContainerLayoutOf(wiN), z = ContainerLayoutOf(wiZ);
    EXPECT_EQ(ContainerSizeFor(n, 273, 27, 8, 0), QSize(273 + 6, 27 * 8 + 2));
    EXPECT_EQ(ContainerSizeFor(n, 273, 27, 8, 16), QSize(273 + 6 + 18, 27 * 8 + 2));
    EXPECT_EQ(ContainerSizeFor(z, 424, 218, 2, 0), QSize(2 * 424 + 15, (5 + 218) * 2 + 5));

    // Rows that fit: whole rows, within the kind's bounds; growing by less than a row changes nothing.
    EXPECT_EQ(RowsThatFitHeight(27 * 5 + 26, 27, 2, 8), 5);
    EXPECT_EQ(RowsThatFitHeight(10, 27, 2, 8), 2);
    EXPECT_EQ(RowsThatFitHeight(27 * 20, 27, 2, 8), 8);
    EXPECT_EQ(RowsThatFitHeight(0, 0, 1, 4), 1);

    // Places: one column below each other, two columns side by side with a gap between pairs.
    EXPECT_EQ(RowPlace(3, 1, 273, 27, 2, 2, 0), QPoint(2, 2 + 3 * 27));
    EXPECT_EQ(RowPlace(3, 2, 424, 218, 5, 5, 1), QPoint(5 + 429, 5 + 223));

    // The kinds' constants; R asks for eight but has four rows.
    EXPECT_EQ(ContainerLayoutOf(wiFD).RowsNum, 4);
    EXPECT_EQ(ContainerLayoutOf(wiR).MaxNum, 8);
    EXPECT_EQ(ContainerLayoutOf(wiZ).Columns, 2);

    // Go to: a row in view keeps the top; one above or below becomes the last visible row, never
    // below row 0.
    EXPECT_EQ(GotoTopRow(5, 3, 4), 3);
    EXPECT_EQ(GotoTopRow(2, 10, 4), 0);
    EXPECT_EQ(GotoTopRow(20, 3, 4), 17);
    EXPECT_EQ(GotoTopRow(6, 10, 4), 3);
}

TEST(RowFrame, SpecialFunctionChecks) {
    const int max = 63, largest = 40;
    struct Case {
        const char* Name;
        TSpecFuncInput Input;
        TSpecFuncCheck Expected;
    };
    auto copy = [](int From, int To, int In, bool Shift = false) {
        TSpecFuncInput i;
        i.Page = sfCopy;
        i.From = From;
        i.To = To;
        i.In = In;
        i.Shift = Shift;
        return i;
    };
    auto page = [](int Page, int From, int To) {
        TSpecFuncInput i;
        i.Page = Page;
        i.From = From;
        i.To = To;
        return i;
    };
    const Case cases[] = {
        {"no From", copy(0, 5, 9), {1031, false}},
        {"no To", copy(1, 0, 9), {1032, false}},
        {"no In", copy(1, 5, 0), {1033, false}},
        {"From too large", copy(64, 5, 9), {1034, true}},
        {"To too large", copy(1, 64, 9), {1035, true}},
        {"In too large", copy(1, 5, 64), {1036, true}},
        {"1..10 into Max - 9 fits", copy(1, 10, max - 9), {}},
        {"1..10 into Max - 8 does not", copy(1, 10, max - 8), {1037, true}},
        {"the range backwards counts the same", copy(10, 1, max - 8), {1037, true}},
        {"shifting 40 by 10 fits", copy(1, 10, 20, true), {}},
        {"shifting past the largest does not", copy(1, 24, 20, true), {1038, true}},
        {"the entry at In is shifted too", copy(1, 24, largest, true), {1038, true}},
        {"nothing to shift above the largest", copy(1, 10, 50, true), {}},
        {"move checks the same",
         [&] {
             TSpecFuncInput i = copy(1, 10, max - 8);
             i.Page = sfMove;
             return i;
         }(),
         {1037, true}},
        {"delete needs From", page(sfDelete, 0, 3), {1031, false}},
        {"delete needs To", page(sfDelete, 3, 0), {1032, false}},
        {"delete does not compare with the largest", page(sfDelete, 100, 200), {}},
        {"new items within the kind", page(sfNewItems, 1, 63), {}},
        {"new items past the kind", page(sfNewItems, 64, 70), {1034, true}},
        {"new items ending past the kind", page(sfNewItems, 60, 70), {1035, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(CheckSpecialFunc(c.Input, largest, max), c.Expected);
    }

    // An accepted request: From and To in order, the page's own options.
    TSpecFuncInput in = copy(10, 1, 20, true);
    in.ByY = -3;
    in.Mirror = true;
    const TSpecialFuncParams p = SpecialFuncRequest(in);
    EXPECT_EQ(p.Operation, sfCopy);
    EXPECT_EQ(p.From, 1);
    EXPECT_EQ(p.To, 10);
    EXPECT_EQ(p.In, 20);
    EXPECT_EQ(p.ByY, -3);
    EXPECT_TRUE(p.MoveDestination);
    EXPECT_TRUE(p.Mirror);
    TSpecFuncInput del = page(sfDelete, 5, 2);
    del.ClearOnly = true;
    const TSpecialFuncParams d = SpecialFuncRequest(del);
    EXPECT_EQ(d.Operation, sfDelete);
    EXPECT_EQ(d.From, 2);
    EXPECT_TRUE(d.ClearItems);
    EXPECT_FALSE(d.MoveDestination);
}

TEST(RowFrame, ModuleMenuOrder) {
    const int common[] = {ccNewItem,
                          ccDelete,
                          ccNone,
                          ccCopy,
                          ccCut,
                          ccInsert,
                          ccPaste,
                          ccNone,
                          ccSelectAll,
                          ccDeselectAll,
                          ccInvertSelection,
                          ccNone,
                          ccSpecialFunctions,
                          ccDeleteContents,
                          ccGoto};
    ASSERT_EQ(ModuleMenuItemCount(false), 15);
    for (int p = 0; p < 15; ++p)
        EXPECT_EQ(ModuleMenuCommandAt(false, p), common[p]) << p;
    // The knitting scheme: the mirror items after Paste move the rest two down.
    ASSERT_EQ(ModuleMenuItemCount(true), 17);
    EXPECT_EQ(ModuleMenuCommandAt(true, 7), ccInsertMirror);
    EXPECT_EQ(ModuleMenuCommandAt(true, 8), ccPasteMirror);
    EXPECT_EQ(ModuleMenuCommandAt(true, 10), ccSelectAll);
    EXPECT_EQ(ModuleMenuCommandAt(true, 16), ccGoto);
    EXPECT_EQ(ModuleMenuCommandAt(true, 17), ccNone);
}
