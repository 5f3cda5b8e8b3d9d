// The P and FE editors offscreen: the P row's mode layouts and the colours a mode change drops,
// carriers, a refused renumbering, the drops of rows and colour boxes and the scroll bar; the FE
// row's signs, steps and keys; a live language switch of both.

#include "editors/ColorBox_M.h"
#include "editors/MoukikEdit_m.h"
#include "editors/NumEdit_m.h"
#include "editors/RFEPanel_m.h"
#include "editors/RPPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "tests/editors/CellTestSupport.h"
#include "tests/editors/KindPanelSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/Adapter.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

using kdstest::MScriptedMessages;
using kindtest::DragOverBarBottom;
using kindtest::Drop;
using kindtest::Unvalidated;

namespace {

MclrMap Colors(std::initializer_list<int> Indexes) {
    MclrMap m;
    for (int i : Indexes)
        m.SetBit(i, 1);
    return m;
}

// A window of one project holding its P and FE lists, with an edit outside them.
struct Window : kindtest::PairWindow {
    explicit Window(MLanguagePack* Pack = nullptr) : PairWindow(Pack, 1000) {
        P = new MRPContainerPanel(this, &Project.Palette(), this);
        FE = new MRFEContainerPanel(this, &Project.Palette(), this);
        AddLists(P, FE);
    }
    void Show() { ShowLists(Project.Lists.P, Project.Lists.FE); }
    MUnvP& PutP(int Number, int Mode, const MclrMap& Left = {}, const MclrMap& Right = {}) {
        MUnvP p;
        p.Number = Number;
        p.Mode = std::uint8_t(Mode);
        p.L = Number;
        p.R = 100 + Number;
        p.ClrsL = MclrMap(Left);
        p.ClrsR = MclrMap(Right);
        Project.Lists.P.AddOrReplace(p);
        return Project.Lists.P.GetP(Number);
    }
    void PutFE(int Number, int Difference, int Step, int Offset) {
        MUnvFE fe;
        fe.Number = Number;
        fe.Difference = Difference;
        fe.VerticalStep = Step;
        fe.HorizontalStep = 3;
        fe.Offset = Offset;
        Project.Lists.FE.AddOrReplace(fe);
    }
    template <class TRow, int Index>
    TRow* RowOf(MRKindContainer<TRow, Index>* C, int Number) {
        C->GotoItem(Number);
        for (MRBasePanel* r : C->Rows())
            if (r->isVisible() && r->EntryNumber == Number)
                return static_cast<TRow*>(r);
        return nullptr;
    }
    MRPContainerPanel* P;
    MRFEContainerPanel* FE;
};

// What a P row shows of its mode layout.
struct Layout {
    QString Left, Right; // label texts, empty when hidden
    bool Needles;
    int LeftColors, RightColors; // the boxes' limits, 0 when hidden
    friend bool operator==(const Layout&, const Layout&) = default;
};
Layout ShownLayout(const MRPPanel& Row) {
    auto label = [](const MLabel* L) { return L->isVisibleTo(L->parentWidget()) ? L->text() : QString(); };
    auto box = [](const MColorBox* B) { return B->isVisibleTo(B->parentWidget()) ? B->MaxColorCount() : 0; };
    const bool needles = Row.LeftNeedleCell->isVisibleTo(&const_cast<MRPPanel&>(Row));
    EXPECT_EQ(needles, Row.RightNeedleCell->isVisibleTo(&const_cast<MRPPanel&>(Row)));
    return {label(Row.LeftLabel), label(Row.RightLabel), needles, box(Row.LeftColorsCell),
            box(Row.RightColorsCell)};
}

} // namespace

TEST(PPanels, ModeLayoutsAndTheColoursAModeChangeDrops) {
    Window win;
    win.PutP(1, 0);
    win.PutP(2, 6, Colors({1, 2}), Colors({3, 4}));
    win.Project.Lists.P.Modified = false;
    win.Show();
    MScriptedMessages messages;
    MRPPanel* row = win.P->Row(0);
    EXPECT_EQ(row->size(), QSize(433, 28));
    EXPECT_EQ(row->LeftColorsCell->geometry(), QRect(174, 3, 100, 21));
    EXPECT_EQ(ShownLayout(*row), (Layout{"L", "R", true, 0, 0})) << "SY1";
    EXPECT_EQ(row->LeftNeedleCell->text(), QStringLiteral("1"));

    // Each mode from SY2 on; the visible cells never share a Tag.
    const struct {
        int Mode;
        Layout Shown;
    } modes[] = {{1, {"L", "R", true, 0, 0}},  {5, {"V", "B", false, 1, 1}}, {6, {"V", "B", false, 2, 2}},
                 {4, {"M", "", false, 20, 0}}, {7, {"F", "", false, 20, 0}}, {8, {"F", "", false, 20, 0}},
                 {3, {"L", "R", true, 0, 0}}};
    for (const auto& m : modes) {
        row->ModeCell->M_CaptionList().SetIndex(m.Mode);
        EXPECT_EQ(ShownLayout(*row), m.Shown) << m.Mode;
        EXPECT_EQ(row->P_Item().Mode, m.Mode);
        std::vector<int> tags = row->NavigationTags();
        std::sort(tags.begin(), tags.end());
        EXPECT_EQ(std::adjacent_find(tags.begin(), tags.end()), tags.end()) << m.Mode;
    }

    // A new entry shows SY1 whatever the row showed before.
    row->ModeCell->M_CaptionList().SetIndex(5);
    row->NewEntry(0);
    EXPECT_EQ(ShownLayout(*row), (Layout{"L", "R", true, 0, 0}));

    // WW to VB with two colours per box: the row, and once it is left the list, keeps one each.
    MRPPanel* ww = win.P->Row(1);
    Window::Focus(ww->ModeCell);
    ww->ModeCell->M_CaptionList().SetIndex(5);
    EXPECT_EQ(ww->LeftColorsCell->ColorMap().Count(), 1);
    EXPECT_TRUE(ww->P_Item().ClrsL.SameBits(Colors({1})));
    EXPECT_TRUE(ww->P_Item().ClrsR.SameBits(Colors({3})));
    win.Leave();
    const MUnvP& stored = win.Project.Lists.P.GetP(2);
    EXPECT_EQ(stored.Mode, 5);
    EXPECT_TRUE(stored.ClrsL.SameBits(Colors({1})));
    EXPECT_TRUE(stored.ClrsR.SameBits(Colors({3})));

    // Rows that showed VB modules scroll onto an SY1 module whose colours outlived an earlier mode:
    // switched to VB, its boxes keep one colour each, in the row and in the list.
    win.PutP(1, 5, Colors({1}), Colors({2}));
    win.PutP(3, 0, Colors({5, 6}), Colors({7, 8}));
    win.P->RefreshRows();
    win.P->SetVisibleRows(2);
    MRPPanel* sy = win.RowOf(win.P, 3);
    ASSERT_TRUE(sy);
    EXPECT_EQ(ShownLayout(*sy), (Layout{"L", "R", true, 0, 0}));
    Window::Focus(sy->ModeCell);
    sy->ModeCell->M_CaptionList().SetIndex(5);
    EXPECT_EQ(sy->LeftColorsCell->ColorMap().Count(), 1);
    EXPECT_EQ(sy->RightColorsCell->ColorMap().Count(), 1);
    win.Leave();
    EXPECT_TRUE(win.Project.Lists.P.GetP(3).ClrsL.SameBits(Colors({5})));
    EXPECT_TRUE(win.Project.Lists.P.GetP(3).ClrsR.SameBits(Colors({7})));
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(PPanels, OutOfRangeModulesShowClampedAndStayUnchanged) {
    Window win;
    {
        Unvalidated raw;
        MUnvP& vb = win.PutP(1, 5, Colors({1, 2, 3}), Colors({4}));
        vb.Dir = 1;
        MUnvP& wild = win.PutP(2, 11);
        wild.Dir = 7;
        wild.Carriers = {0, 9, 0, 0, 0, 0, 0, 1};
    }
    win.Project.Lists.P.Modified = false;
    win.Show();
    MScriptedMessages messages;
    MRPPanel* vb = win.P->Row(0);
    EXPECT_EQ(vb->LeftColorsCell->ColorMap().Count(), 3) << "a file's VB row shows its colours in full";
    EXPECT_EQ(vb->DirectionCell->text(), QStringLiteral(">"));
    MRPPanel* wild = win.P->Row(1);
    EXPECT_EQ(wild->ModeCell->text(), QStringLiteral("AF"));
    EXPECT_EQ(ShownLayout(*wild), (Layout{"F", "", false, 20, 0}));
    EXPECT_EQ(wild->DirectionCell->text(), QStringLiteral("<"));
    EXPECT_EQ(wild->CarrierCell->text(), QStringLiteral("28"));
    for (MRPPanel* row : {vb, wild}) {
        Window::Focus(row->NumberCell);
        win.Leave();
    }
    EXPECT_FALSE(win.Project.Lists.P.Modified);
    EXPECT_EQ(win.Project.Lists.P.GetP(1).ClrsL.Count(), 3);
    EXPECT_EQ(win.Project.Lists.P.GetP(2).Mode, 11);
    EXPECT_EQ(win.Project.Lists.P.GetP(2).Carriers[1], 9);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(PPanels, CarriersRenumberingAndLockedRows) {
    Window win;
    for (int n = 1; n <= 9; ++n)
        win.PutP(n, 0);
    win.Show();
    MScriptedMessages messages(mbCancel);
    // "318": carriers 1, 3 and 8, shown in order.
    MRPPanel* row = win.P->Row(0);
    Window::Focus(row->CarrierCell);
    celltest::Type(row->CarrierCell, QStringLiteral("318"));
    EXPECT_EQ(row->CarrierCell->text(), QStringLiteral("138"));
    win.Leave();
    EXPECT_EQ(win.Project.Lists.P.GetP(1).Carriers, (std::array<std::uint8_t, 8>{1, 0, 1, 0, 0, 0, 0, 1}));
    win.P->RefreshRows();
    EXPECT_EQ(win.P->Row(0)->CarrierCell->text(), QStringLiteral("138"));

    // 5 renumbered 9, Cancel at the question: nothing changes, no error, the bar disabled.
    row = win.P->Row(4);
    Window::Focus(row->NumberCell);
    Window::Retype(row->NumberCell, QStringLiteral("9"));
    win.Leave();
    ASSERT_EQ(messages.Coded.size(), 1u);
    EXPECT_EQ(messages.Coded[0].Code, 11);
    EXPECT_EQ(win.Project.Lists.P.Count(), 9);
    EXPECT_EQ(win.Project.Lists.P.GetP(9).L, 9);
    EXPECT_EQ(win.Project.Lists.P.GetP(5).L, 5);
    EXPECT_FALSE(win.P->ScrollBar()->isEnabled());
    Window::Retype(row->NumberCell, QStringLiteral("5"));
    win.Leave();
    EXPECT_TRUE(win.P->ScrollBar()->isEnabled());

    // A locked row never stores.
    row->Locked = true;
    row->P_Item().L = 77;
    EXPECT_FALSE(row->ApplyEntry());
    EXPECT_EQ(win.Project.Lists.P.GetP(5).L, 5);
}

TEST(PPanels, DropsOfRowsAndColourBoxesAndTheScrollBar) {
    Window a, b;
    for (int n = 1; n <= 3; ++n)
        a.PutP(n, 6, Colors({n, n + 1}), Colors({n + 2, n + 3}));
    for (int n = 1; n <= 12; ++n)
        b.PutP(n, 4, Colors({n % 8}));
    a.Show();
    b.Show();
    MScriptedMessages messages;
    // B's selected 2..3 onto A's free area: appended after A's largest number.
    b.Project.Lists.P.SetSelected(2, true);
    b.Project.Lists.P.SetSelected(3, true);
    b.P->RefreshRows();
    b.P->BeginRowDrag(1, false);
    EXPECT_TRUE(Drop(b.P, a.P, QPoint(40, a.P->height() - 4)));
    EXPECT_EQ(a.Project.Lists.P.Count(), 5);
    EXPECT_EQ(a.Project.Lists.P.GetP(4).L, 2);
    EXPECT_EQ(a.Project.Lists.P.GetP(5).L, 3);
    // B's row 7 onto A's row 2: copied in at 2.
    b.Project.Lists.P.SelectNone();
    b.P->RefreshRows();
    b.P->BeginRowDrag(6, false);
    EXPECT_TRUE(Drop(b.P, a.P->Row(1), QPoint(70, 10)));
    EXPECT_EQ(a.Project.Lists.P.GetP(2).L, 7);
    // The own rows are refused on a row.
    a.P->BeginRowDrag(0, false);
    EXPECT_FALSE(Drop(a.P, a.P->Row(2), QPoint(70, 10)));

    // A box with three colours dropped on a WW box: it keeps two, the row stores.
    MRPPanel* target = a.RowOf(a.P, 1);
    ASSERT_TRUE(target);
    MColorBox* three = b.P->Row(0)->LeftColorsCell;
    three->AssignColors(Colors({5, 6, 7}));
    bool accept = false;
    target->CellDragOver(target->RightColorsCell, TDragSource{nullptr, three}, 1, 1, dsDragMove, accept);
    EXPECT_TRUE(accept);
    target->CellDragOver(target->ModeCell, TDragSource{nullptr, three}, 1, 1, dsDragMove, accept);
    EXPECT_FALSE(accept) << "only onto a colour box";
    target->CellDragDrop(target->RightColorsCell, TDragSource{nullptr, three}, 1, 1);
    EXPECT_TRUE(a.Project.Lists.P.GetP(1).ClrsR.SameBits(Colors({5, 6})));

    // Rows of any P window, this one included, scroll the bar.
    b.P->SetVisibleRows(4);
    EXPECT_FALSE(DragOverBarBottom(b.P, *b.P, 1));
    EXPECT_EQ(b.P->TopRow(), 1);
    EXPECT_FALSE(DragOverBarBottom(a.P, *b.P, 1));
    EXPECT_EQ(b.P->TopRow(), 2);
    EXPECT_FALSE(DragOverBarBottom(b.FE, *b.P, 1));
    EXPECT_EQ(b.P->TopRow(), 2);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(FEPanels, SignsStepsAndKeys) {
    Window win;
    {
        Unvalidated raw;
        win.PutFE(1, -12, -5, -300);
        win.PutFE(2, 20, 4, 0);
        win.Project.Lists.FE.GetFE(2).StartPoint = 7;
    }
    win.Project.Lists.FE.Modified = false;
    win.Show();
    MScriptedMessages messages;
    MRFEPanel* row = win.FE->Row(0);
    EXPECT_EQ(row->size(), QSize(413, 28));
    EXPECT_EQ(row->DifferenceCell->geometry(), QRect(82, 3, 35, 21));
    EXPECT_EQ(WidgetTag(row->OffsetCell), 700);
    EXPECT_EQ(row->DifferenceSignCell->text(), QStringLiteral("B-"));
    EXPECT_EQ(row->DifferenceSignCell->palette().color(QPalette::ButtonText), QColor(Qt::blue));
    EXPECT_EQ(row->DifferenceCell->text(), QStringLiteral("12"));
    EXPECT_EQ(row->VerticalStepCell->text(), QStringLiteral("5"));
    EXPECT_EQ(row->OffsetSignCell->text(), QStringLiteral("O-"));
    EXPECT_EQ(row->OffsetCell->text(), QStringLiteral("300"));
    MRFEPanel* wild = win.FE->Row(1);
    EXPECT_EQ(wild->DifferenceSignCell->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(wild->StartPointCell->text(), QStringLiteral("A2")) << "start point 7 shows clamped";
    EXPECT_EQ(wild->FE_Item().StartPoint, 7);

    // Shown and left unchanged: the negative difference and step and the start point stay as they are.
    for (MRFEPanel* shown : {wild, row}) {
        Window::Focus(shown->DifferenceCell);
        win.Leave();
    }
    EXPECT_FALSE(win.Project.Lists.FE.Modified);
    EXPECT_EQ(row->FE_Item().VerticalStep, -5);

    // Typed cells write what they show, with the sign of their button.
    Window::Retype(row->VerticalStepCell, QStringLiteral("7"));
    EXPECT_EQ(row->FE_Item().VerticalStep, 7);
    Window::Retype(row->OffsetCell, QStringLiteral("250"));
    EXPECT_EQ(row->FE_Item().Offset, -250);
    row->DifferenceSignCell->click();
    EXPECT_EQ(row->DifferenceSignCell->text(), QStringLiteral("B+"));
    EXPECT_EQ(row->DifferenceSignCell->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(row->FE_Item().Difference, 12);

    // a steps the start point round from any cell, with its colour; b and o step the signs.
    const QColor startColors[] = {QColor(Qt::black), QColor(0x80, 0, 0), QColor(0x80, 0, 0x80)};
    Window::Focus(row->HorizontalStepCell);
    for (int i = 1; i <= 3; ++i) {
        celltest::Type(i == 2 ? static_cast<QWidget*>(row->NumberCell) : row->HorizontalStepCell,
                       QStringLiteral("a"));
        EXPECT_EQ(row->FE_Item().StartPoint, i % 3);
        EXPECT_EQ(row->StartPointCell->text(), QStringLiteral("A%1").arg(i % 3));
        EXPECT_EQ(row->StartPointCell->palette().color(QPalette::ButtonText), startColors[i % 3]);
    }
    EXPECT_EQ(row->HorizontalStepCell->text(), QStringLiteral("3")) << "the letters are not typed";
    celltest::Type(row->HorizontalStepCell, QStringLiteral("b"));
    EXPECT_EQ(row->FE_Item().Difference, -12);
    celltest::Type(row->HorizontalStepCell, QStringLiteral("O"));
    EXPECT_EQ(row->FE_Item().Offset, 250);
    win.Leave();
    const MUnvFE& fe = win.Project.Lists.FE.GetFE(1);
    EXPECT_EQ(fe.Difference, -12);
    EXPECT_EQ(fe.VerticalStep, 7);
    EXPECT_EQ(fe.Offset, 250);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(FEPanels, DropsAndTheScrollBar) {
    Window a, b;
    for (int n = 1; n <= 12; ++n)
        a.PutFE(n, 10, 1, n);
    b.PutFE(1, 30, 2, 0);
    a.Show();
    b.Show();
    MScriptedMessages messages;
    // A colour box of another row onto the colour cell: copied and stored.
    MRFEPanel* source = a.FE->Row(0);
    source->ColorsCell->AssignColors(Colors({2, 9}));
    MRFEPanel* target = a.FE->Row(3);
    bool accept = false;
    target->CellDragOver(target->ColorsCell, TDragSource{nullptr, source->ColorsCell}, 1, 1, dsDragMove,
                         accept);
    EXPECT_TRUE(accept);
    target->CellDragDrop(target->ColorsCell, TDragSource{nullptr, source->ColorsCell}, 1, 1);
    EXPECT_TRUE(a.Project.Lists.FE.GetFE(4).Colors.SameBits(Colors({2, 9})));
    // Another FE window's row: copied in at the row's number.
    b.FE->BeginRowDrag(0, false);
    EXPECT_TRUE(Drop(b.FE, a.FE->Row(1), QPoint(100, 10)));
    EXPECT_EQ(a.Project.Lists.FE.GetFE(2).Difference, 30);
    // Only another FE window's rows scroll the bar.
    a.FE->SetVisibleRows(4);
    a.FE->BeginRowDrag(0, false);
    EXPECT_FALSE(DragOverBarBottom(a.FE, *a.FE, 1));
    EXPECT_EQ(a.FE->TopRow(), 0);
    EXPECT_FALSE(DragOverBarBottom(a.P, *a.FE, 1));
    EXPECT_EQ(a.FE->TopRow(), 0);
    EXPECT_FALSE(DragOverBarBottom(b.FE, *a.FE, 2));
    EXPECT_EQ(a.FE->TopRow(), 2);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(PFEPanels, ALiveLanguageSwitchChangesTheHintsOnly) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Window win(pack.OLanguagePack);
    win.PutP(1, 5, Colors({1}), Colors({2}));
    win.PutFE(1, 10, 1, 0);
    win.Show();
    auto geometry = [&] { return kindtest::RowGeometry({win.P, win.FE}); };
    const std::vector<QRect> before = geometry();
    MScrollBitBtn* mode = win.P->Row(0)->ModeCell;
    MScrollBitBtn* start = win.FE->Row(0)->StartPointCell;
    EXPECT_EQ(mode->toolTip(), MRPPanel::ModeHelp(false));
    EXPECT_EQ(mode->toolTip().split(QStringLiteral("\n\r")).size(), 9);
    EXPECT_EQ(start->toolTip(), MRFEPanel::StartPointHelp(false));
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(mode->toolTip(), MRPPanel::ModeHelp(true));
    EXPECT_NE(MRPPanel::ModeHelp(true), MRPPanel::ModeHelp(false));
    EXPECT_EQ(start->toolTip(), MRFEPanel::StartPointHelp(true));
    EXPECT_EQ(win.P->Row(0)->LeftLabel->text(), QStringLiteral("V")) << "labels read the same";
    EXPECT_EQ(geometry(), before);
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(mode->toolTip(), MRPPanel::ModeHelp(false));
    EXPECT_EQ(geometry(), before);
}
