// The knitting-scheme row's rules, headless: the cam families, the cam menu for a cell on ordinary
// machines and on the 720 with its allow-lists, and the racking group's cells.
#include "editors/ZRules.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

// The cam codes a plan marks in one of its tables.
std::set<int> Marked(const std::array<bool, 27>& Table) {
    std::set<int> s;
    for (int i = 0; i < 27; ++i)
        if (Table[std::size_t(i)])
            s.insert(i);
    return s;
}

std::set<int> VisibleCodes(const TCamMenuPlan& Plan) {
    return Marked(Plan.Visible);
}

std::set<int> Breaks(const TCamMenuPlan& Plan) {
    return Marked(Plan.Break);
}

std::set<int> Range(int From, int To) {
    std::set<int> s;
    for (int i = From; i <= To; ++i)
        s.insert(i);
    return s;
}

} // namespace

TEST(ZCamRules, FamilyModes) {
    struct Case {
        std::vector<int> Codes;
        int Slot;
        int Mode;
        int RowMode;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 0, 0, 0},   {{2, 14, 0, 0}, 2, 0, 0}, // "JR" and "A" in one row: both families
        {{2, 3, 0, 0}, 2, 1, 1},                             // only the first family
        {{2, 0, 14, 0}, 2, 0, 0},                            // the cell itself holds the other family
        {{0, 2, 14, 0}, 2, 0, 0},                            // ... and the row holds both
        {{15, 16, 0, 0}, 3, 2, 2},                           // only the second family
        {{15, 16, 0, 5}, 3, 0, 0}, // the cell holds a first-family code under a second-family row
        {{2, 0, 0, 0}, 0, 0, 1},   // the other cells hold nothing
        {{27, 99, 0, 0}, 2, 0, 0}, // codes past the table belong to no family
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CamFamilyMode(c.Codes, c.Slot), c.Mode)
            << c.Codes[0] << "," << c.Codes[1] << " slot " << c.Slot;
        EXPECT_EQ(RowCamFamilyMode(c.Codes), c.RowMode) << c.Codes[0] << "," << c.Codes[1];
    }
}

TEST(ZCamRules, MenuOfAnOrdinaryMachineByMode) {
    // Mode 0: everything in four columns; mode 1: blank and 1..13, a column from 7; mode 2: blank and
    // 14..26, a column from 20.
    const TCamMenuPlan all = PrepareCamMenu({2, 14, 0, 0}, 2, 745, 5);
    EXPECT_EQ(VisibleCodes(all), Range(0, 26));
    EXPECT_EQ(Breaks(all), (std::set<int>{7, 14, 21}));
    const TCamMenuPlan first = PrepareCamMenu({2, 3, 0, 0}, 2, 745, 5);
    EXPECT_EQ(VisibleCodes(first), Range(0, 13));
    EXPECT_EQ(Breaks(first), (std::set<int>{7}));
    const TCamMenuPlan second = PrepareCamMenu({15, 16, 0, 0}, 3, 745, 5);
    std::set<int> expected = Range(14, 26);
    expected.insert(0);
    EXPECT_EQ(VisibleCodes(second), expected);
    EXPECT_EQ(Breaks(second), (std::set<int>{20}));
}

TEST(ZCamRules, AllowListsOfThe720) {
    const std::set<int> receiving{0, 1, 5, 12, 14, 18, 22, 26};
    const std::set<int> delivering{0, 1, 4, 14, 17, 21, 25};
    const std::set<int> middle{0, 1, 2, 3, 9, 14, 15, 16, 19, 20, 23, 24};
    const std::vector<int> none(8, 0);
    struct Case {
        int Slot;
        int Row;
        const std::set<int>* Codes;
    };
    const Case cases[] = {
        {0, 5, &receiving}, {1, 5, &delivering}, {6, 5, &delivering}, {7, 5, &receiving}, {0, 6, &delivering},
        {1, 6, &receiving}, {6, 6, &receiving},  {7, 6, &delivering}, {0, 0, &receiving}, {1, 0, &receiving},
        {6, 0, &receiving}, {7, 0, &receiving},  {2, 5, &middle},     {5, 6, &middle},
    };
    for (int sys : {720, 721})
        for (const Case& c : cases) {
            const TCamMenuPlan plan = PrepareCamMenu(none, c.Slot, sys, c.Row);
            EXPECT_EQ(VisibleCodes(plan), *c.Codes) << sys << " slot " << c.Slot << " row " << c.Row;
        }
    // A middle cell with nothing else in the row: 12 items, a second column from "RR".
    const TCamMenuPlan mid = PrepareCamMenu(none, 3, 720, 1);
    EXPECT_EQ(VisibleCodes(mid).size(), 12u);
    EXPECT_EQ(Breaks(mid), (std::set<int>{15}));
    // A family in force hides the other family from the list (13 counts as the second's in mode 1).
    std::vector<int> firstOnly(8, 0);
    firstOnly[4] = 2;
    EXPECT_EQ(VisibleCodes(PrepareCamMenu(firstOnly, 0, 720, 5)), (std::set<int>{0, 1, 5, 12}));
    EXPECT_TRUE(Breaks(PrepareCamMenu(firstOnly, 2, 720, 5)).empty());
    std::vector<int> secondOnly(8, 0);
    secondOnly[4] = 15;
    EXPECT_EQ(VisibleCodes(PrepareCamMenu(secondOnly, 1, 720, 5)), (std::set<int>{0, 14, 17, 21, 25}));
}

TEST(ZRacking, TheGroupStaysWhole) {
    auto group = [](int Dir, int Min, bool Blank, int Pos, int Transfer, int Corr) {
        return TRackingGroup{Dir, Min, Blank, Pos, Transfer, Corr};
    };
    const TRackingGroup blank;
    struct Case {
        const char* Name;
        TRackingGroup Before;
        TRackingEvent Event;
        TRackingGroup After;
        int Value;
    };
    const Case cases[] = {
        {"5 typed into a blank group", group(0, 0, false, 5, 0, 0), rePosition, group(1, 1, false, 5, 1, 0),
         5},
        {"the position blanked", group(2, 1, true, 0, 2, 1), rePosition, blank, 0},
        {"K1 chosen in a blank group", group(0, 0, true, 0, 0, 1), reCorrection, group(1, 1, false, 0, 1, 1),
         0},
        {"L chosen in a blank group", group(2, 0, true, 0, 0, 0), reDirection, group(2, 1, false, 0, 1, 0),
         0},
        {"L chosen over 7", group(2, 1, false, 7, 3, 0), reDirection, group(2, 1, false, 7, 3, 0), -7},
        {"the transfer blanked", group(1, 1, false, 7, 0, 2), reTransfer, blank, 0},
        {"U1 chosen in a blank group", group(0, 0, true, 0, 2, 0), reTransfer, group(1, 1, false, 0, 2, 0),
         0},
        {"the table blanked", group(1, 1, false, 4, 1, 0), reCorrection, group(1, 1, false, 4, 1, 0), 4},
    };
    for (const Case& c : cases) {
        const TRackingGroup after = RackingChanged(c.Before, c.Event);
        EXPECT_EQ(after, c.After) << c.Name;
        EXPECT_EQ(RackingValue(after), c.Value) << c.Name;
    }
    // Shown from a module: transfer 0 blanks the group over any value; the sign gives the direction.
    EXPECT_EQ(RackingGroupOf(12, 0, 0), blank);
    EXPECT_EQ(RackingGroupOf(-3, 2, 1), group(2, 1, false, 3, 2, 1));
    EXPECT_EQ(RackingGroupOf(0, 1, 0), group(1, 1, false, 0, 1, 0));
}
