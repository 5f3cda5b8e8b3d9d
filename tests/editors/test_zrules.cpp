// The knitting-scheme row's rules, headless: the cam families, the cam menu for a cell on ordinary
// machines and on the 720 with its allow-lists, the cam completion and the cam menu against the
// row's own check of the cam pairs, and the racking group's cells.
#include "editors/ZRules.h"
#include "model/UCamCodes.h"
#include "model/UcstmExp.h"
#include "model/UunvZ.h"
#include "tests/support/TestSupport.h"
#include "ui/UmessageCatalog.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
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

// A row holding Codes whose every slot has the colours any cam needs (LG and KNF apart), so that
// only the cam pairs can make the check refuse it.
std::unique_ptr<MUnvZ> RowOfCams(const std::vector<int>& Codes) {
    auto z = std::make_unique<MUnvZ>();
    z->Number = 2;
    for (std::size_t i = 0; i < Codes.size(); ++i) {
        z->CamCode[i] = std::uint8_t(Codes[i]);
        z->LG[i].SetBit(1, 1);
        z->KNF[i].SetBit(2, 1);
    }
    return z;
}

// The validation error of a row: code, subcode and arguments; empty when it passes.
QString Refusal(const MUnvZ& Z) {
    try {
        Z.Validate();
        return {};
    } catch (const MException& e) {
        return QStringLiteral("%1/%2 %3").arg(e.Code).arg(e.SubCode).arg(e.Args);
    }
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

TEST(ZCamRules, CompletionNeverFillsInAPairTheCheckRefuses) {
    // Every front and rear cam of system 1, beside a system 2 whose front cam sets the row's family
    // and whose rear is blank.
    int filled = 0, leftBlank = 0;
    for (int family : {camJR, camRR})
        for (int front = 0; front < CamCodeCount; ++front)
            for (int rear = 0; rear < CamCodeCount; ++rear) {
                const std::vector<int> left{front, rear, family, 0};
                const std::vector<int> done = CompletedCams(left);
                const int mode = RowCamFamilyMode(left);
                const int neutral = mode == 1 ? camJA : camA;
                const std::string where =
                    std::to_string(front) + "/" + std::to_string(rear) + " beside " + std::to_string(family);
                // System 2's blank rear always takes the neutral cam beside "JR" or "RR" (none when
                // system 1 holds the other family).
                EXPECT_EQ(done[3], mode == 0 ? 0 : neutral) << where;
                for (int i = 0; i < 2; ++i) {
                    const std::size_t ii = std::size_t(i);
                    if (done[ii] != left[ii]) {
                        EXPECT_EQ(left[ii], 0) << where;
                        EXPECT_EQ(done[ii], neutral) << where;
                        ++filled;
                    } else if (left[ii] == 0 && mode != 0) {
                        ++leftBlank;
                    }
                }
                // The station's own check refuses the completed row only for the pair as the designer
                // left it: nothing completion wrote is ever refused.
                const QString refusal = Refusal(*RowOfCams(done));
                if (CamPairFits(done[0], done[1])) {
                    EXPECT_TRUE(refusal.isEmpty()) << where << " " << refusal.toStdString();
                } else {
                    EXPECT_EQ(done[0], front) << where;
                    EXPECT_EQ(done[1], rear) << where;
                    EXPECT_TRUE(refusal.startsWith(QStringLiteral("5014/23 2;1;"))) << where;
                }
                // Where the neutral cam fits, completion still fills it in.
                if (mode != 0 && (front == 0) != (rear == 0)) {
                    const bool fits = front == 0 ? CamPairFits(neutral, rear) : CamPairFits(front, neutral);
                    EXPECT_EQ(done[front == 0 ? 0 : 1] == neutral, fits) << where;
                }
            }
    EXPECT_GT(filled, 0);
    EXPECT_GT(leftBlank, 0);
    // The reported row: rear "JU", front blank: the front stays blank and no "JA" is written.
    EXPECT_EQ(CompletedCams({0, camJU, 0, 0}), (std::vector<int>{0, camJU, camJA, camJA}));
    EXPECT_EQ(CompletedCams({camJN, 0}), (std::vector<int>{camJN, 0}));
    EXPECT_EQ(CompletedCams({0, camJURR, 0, 0}), (std::vector<int>{0, camJURR, camA, camA}));
    EXPECT_EQ(CompletedCams({0, camJR}), (std::vector<int>{camJA, camJR}));
}

TEST(ZCamRules, TheCamMenuOffersOnlyCamsThatFitTheOtherBed) {
    // For every cell and every cam on the other bed of its system: the menu offers blank and, of
    // what the family and allow-list rules offer, exactly the cams the check accepts beside it.
    for (int machine : {745, 720})
        for (int slot = 0; slot < 8; ++slot)
            for (int partner = 1; partner < CamCodeCount; ++partner) {
                std::vector<int> codes(8, 0);
                codes[std::size_t(slot ^ 1)] = partner;
                // The same family in force with the other bed blank: the cam in another system.
                std::vector<int> free(8, 0);
                free[std::size_t(((slot ^ 1) + 2) % 8)] = partner;
                const TCamMenuPlan plan = PrepareCamMenu(codes, slot, machine, 5);
                const TCamMenuPlan open = PrepareCamMenu(free, slot, machine, 5);
                const std::string where = std::to_string(machine) + " slot " + std::to_string(slot) +
                                          " beside " + std::to_string(partner);
                EXPECT_EQ(plan.Visible[0], open.Visible[0]) << where;
                for (int k = 1; k < CamCodeCount; ++k) {
                    const bool fits = slot % 2 == 0 ? CamPairFits(k, partner) : CamPairFits(partner, k);
                    EXPECT_EQ(plan.Visible[std::size_t(k)], open.Visible[std::size_t(k)] && fits)
                        << where << " item " << k;
                }
            }
    // The reported menu: beside a rear "JU" the front is offered "JN", "NA", "JU+JN" and "JU+NA",
    // no "JA".
    const TCamMenuPlan front = PrepareCamMenu({0, camJU, 0, 0}, 0, 745, 3);
    EXPECT_EQ(VisibleCodes(front), (std::set<int>{0, camJN, camJUJN, camNA, camJUNA}));
}

TEST(ZCamRules, TheRefusalNamesTheSystemAndTheCamsOfBothBedsInBothLanguages) {
    MMessageCatalog catalogue;
    catalogue.LoadFromBytes(
        kdstest::ReadFile(kdstest::SourcePath(QStringLiteral("resources/Dta/sysmsg.dta"))));
    struct Case {
        std::vector<int> Codes;
        const char* Args;
        const char* English;
        const char* Arabic;
    };
    const Case cases[] = {
        {{camJA, camJR, 0, camJU},
         "2;2;-;JU",
         "Module Z2, system (2): the front cam (-) does not fit the rear cam (JU).",
         "الوحدة Z2، النظام (2): لا تتوافق الكامة الأمامية (-) مع الكامة الخلفية (JU)."},
        {{camJU, camJU},
         "2;1;JU;JU",
         "Module Z2, system (1): the front cam (JU) does not fit the rear cam (JU).",
         "الوحدة Z2، النظام (1): لا تتوافق الكامة الأمامية (JU) مع الكامة الخلفية (JU)."},
        {{0, 0, 0, 0, camJURR, camA},
         "2;3;JURR;A",
         "Module Z2, system (3): the front cam (JURR) does not fit the rear cam (A).",
         "الوحدة Z2، النظام (3): لا تتوافق الكامة الأمامية (JURR) مع الكامة الخلفية (A)."},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Refusal(*RowOfCams(c.Codes)), QStringLiteral("5014/23 ") + QLatin1String(c.Args));
        QString text, caption;
        catalogue.LookupMessage(1, 5014, 23, QLatin1String(c.Args), text, caption);
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.English))) << text.toStdString();
        catalogue.LookupMessage(MMessageCatalog::ArabicLanguage, 5014, 23, QLatin1String(c.Args), text,
                                caption);
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.Arabic))) << text.toStdString();
    }
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
