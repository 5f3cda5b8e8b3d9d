// The R and S editors offscreen: the R row's systems, signs and spreading key, the S row's signs,
// type and keys, the drops that fill both, the field help, refused stores and a live language switch.

#include "editors/NumEdit_m.h"
#include "editors/RNPanel_m.h"
#include "editors/RPPanel_m.h"
#include "editors/RRPanel_m.h"
#include "editors/RSPanel_m.h"
#include "editors/RWPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "tests/editors/CellTestSupport.h"
#include "tests/editors/KindPanelSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

using kdstest::MScriptedMessages;
using kindtest::Drop;
using kindtest::Unvalidated;
using Shown = MScriptedMessages::Shown;

namespace {

// A window of one project holding its R (two systems) and S lists, and its W, N and P lists below
// them as drag sources.
struct Window : kindtest::PairWindow {
    explicit Window(MLanguagePack* Pack = nullptr, int Systems = 2) : PairWindow(Pack, 1500) {
        resize(1500, 600);
        R = new MRRContainerPanel(this, Systems, this);
        S = new MRSContainerPanel(this, this);
        W = new MRWContainerPanel(this, this);
        N = new MRNContainerPanel(this, this);
        AddLists(R, S);
        int x = 0;
        for (MRContainerPanel* c : std::initializer_list<MRContainerPanel*>{W, N}) {
            c->Project = &Project;
            c->InitLayout(0);
            c->SetClipboard(&Clipboard);
            c->move(x, 300);
            x += 420;
        }
        Outside->move(1300, 580);
    }
    void Show() {
        ShowLists(Project.Lists.R, Project.Lists.S);
        W->SetItems(&Project.Lists.W);
        N->SetItems(&Project.Lists.N);
        W->SetVisibleRows(8);
        N->SetVisibleRows(8);
    }
    void PutR(int Number, int Kind, int Value, std::initializer_list<int> Offsets = {}) {
        MUnvR r;
        r.Number = Number;
        r.Counter.Kind = std::uint8_t(Kind);
        r.Counter.Value = Value;
        int k = 0;
        for (int v : Offsets)
            r.Offsets[std::size_t(k++)] = v;
        Project.Lists.R.AddOrReplace(r);
    }
    void PutS(int Number, int Type, int First, int Count) {
        MUnvS s;
        s.Number = Number;
        s.Type = std::uint8_t(Type);
        s.First = First;
        s.Count = Count;
        s.Counter.Value = 1;
        Project.Lists.S.AddOrReplace(s);
    }
    void PutW(int Number) {
        MUnvW w;
        w.Number = Number;
        Project.Lists.W.AddOrReplace(w);
    }
    void PutN(int Number) {
        MUnvN n;
        n.Number = Number;
        n.Start = Number;
        n.Counter.Value = 1;
        Project.Lists.N.AddOrReplace(n);
    }
    MRRContainerPanel* R;
    MRSContainerPanel* S;
    MRWContainerPanel* W;
    MRNContainerPanel* N;
};

QColor CaptionColor(const MScrollBitBtn* B) {
    return B->palette().color(QPalette::ButtonText);
}

// The row of a list that shows entry Number, brought into view.
template <class Row>
Row* RowOf(MRContainerPanel& C, int Number) {
    C.GotoItem(Number);
    for (MRBasePanel* r : C.Rows())
        if (!r->isHidden() && r->EntryNumber == Number)
            return static_cast<Row*>(r);
    return nullptr;
}

} // namespace

TEST(RPanels, SystemsSignsAndTheSpreadingKey) {
    Window win;
    win.PutR(1, ckD, 5, {0, 0, 0, -7});
    win.PutR(2, ckD, 3);
    {
        Unvalidated raw; // counter kind 0: shown as D, kept until edited
        win.PutR(3, 0, 9);
    }
    for (int n = 4; n <= 9; ++n)
        win.PutR(n, ckD, n);
    win.Show();
    MScriptedMessages messages;
    MRRContainerPanel& c = *win.R;
    EXPECT_EQ(c.RowsNum(), 4);
    EXPECT_EQ(c.VisibleRows(), 4) << "eight asked for, four rows exist";
    MRRPanel* row = c.Row(0);
    EXPECT_EQ(row->size(), QSize(260, 53));
    // The right column is system 1: slot 1 above (rear), slot 0 below (front).
    EXPECT_EQ(row->ValueCells[1]->geometry(), QRect(217, 3, 35, 21));
    EXPECT_EQ(row->ValueCells[0]->geometry(), QRect(217, 27, 35, 21));
    EXPECT_EQ(WidgetTag(row->ValueCells[0]), 601);
    EXPECT_EQ(row->ValueCells[0]->ID(), 10);
    EXPECT_EQ(row->ValueCells[3]->geometry(), QRect(150, 3, 35, 21));
    EXPECT_EQ(row->SignCells[2]->geometry(), QRect(126, 27, 24, 21));
    EXPECT_EQ(row->ValueCells[4], nullptr);
    // -7 in slot 3: the upper line of the second column from the right.
    EXPECT_EQ(row->SignCells[3]->text(), QStringLiteral("-"));
    EXPECT_EQ(row->ValueCells[3]->text(), QStringLiteral("7"));
    EXPECT_EQ(CaptionColor(row->SignCells[3]), QColor(Qt::black));
    EXPECT_EQ(CaptionColor(row->SignCells[1]), QColor(0x00, 0x00, 0xB0));
    MRRPanel* row3 = c.Row(2);
    EXPECT_EQ(row3->CounterKindCell->text(), QStringLiteral("D"));
    EXPECT_EQ(row3->R_Item().Counter.Kind, 0);

    // -12 in the lower cell of system 1 and "a": every lower line is -12; "a" again: every line.
    MRRPanel* row2 = c.Row(1);
    Window::Focus(row2->ValueCells[0]);
    Window::Retype(row2->ValueCells[0], QStringLiteral("12"));
    row2->SetSlotSign(0, 1);
    celltest::Type(row2->ValueCells[0], QStringLiteral("a"));
    EXPECT_EQ(row2->R_Item().Offsets, (MBedValues{-12, 0, -12, 0, 0, 0, 0, 0}));
    celltest::Type(row2->ValueCells[0], QStringLiteral("A"));
    EXPECT_EQ(row2->R_Item().Offsets, (MBedValues{-12, -12, -12, -12, 0, 0, 0, 0}));
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(row2->SignCells[std::size_t(k)]->text(), QStringLiteral("-")) << k;
    // "a" in the counter value: nothing; "w" there: counter W in blue.
    Window::Focus(row2->CounterValueCell);
    celltest::Type(row2->CounterValueCell, QStringLiteral("a"));
    EXPECT_EQ(row2->CounterValueCell->text(), QStringLiteral("3"));
    EXPECT_EQ(row2->R_Item().Offsets[1], -12);
    celltest::Type(row2->CounterValueCell, QStringLiteral("w"));
    EXPECT_EQ(row2->R_Item().Counter.Kind, ckW);
    EXPECT_EQ(CaptionColor(row2->CounterKindCell), QColor(Qt::blue));
    celltest::Type(row2->CounterValueCell, QStringLiteral("d"));
    win.Leave();
    const MUnvR& r2 = win.Project.Lists.R.GetR(2);
    EXPECT_EQ(r2.Offsets, (MBedValues{-12, -12, -12, -12, 0, 0, 0, 0}));
    EXPECT_EQ(r2.Counter.Kind, ckD);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(RPanels, DropsAndTheFieldHelp) {
    Window a, b;
    for (int n = 1; n <= 4; ++n)
        a.PutR(n, ckD, n);
    for (int n = 1; n <= 12; ++n)
        a.PutW(n);
    b.PutR(1, ckD, 77, {5});
    a.Show();
    b.Show();
    MScriptedMessages messages;
    MRRContainerPanel& r = *a.R;
    // W 12 of the same project: counter W 12, stored at once.
    MRWPanel* w12 = RowOf<MRWPanel>(*a.W, 12);
    ASSERT_TRUE(w12);
    a.W->BeginRowDrag(w12->PanelIndex, false);
    EXPECT_TRUE(Drop(a.W, r.Row(1), QPoint(100, 20)));
    EXPECT_EQ(a.Project.Lists.R.GetR(2).Counter.Kind, ckW);
    EXPECT_EQ(a.Project.Lists.R.GetR(2).Counter.Value, 12);
    EXPECT_EQ(r.Row(1)->CounterKindCell->text(), QStringLiteral("W"));
    // Its field help lists W 12; a D counter has none.
    QString help, expected;
    r.Row(1)->GetFieldHint(r.Row(1)->CounterValueCell, help);
    a.Project.GetItemHint(wiW, 12, 0, expected);
    EXPECT_EQ(help, QStringLiteral("\n\r@S@") + expected);
    r.Row(0)->GetFieldHint(r.Row(0)->CounterValueCell, help);
    EXPECT_TRUE(help.isEmpty());
    // A W row of another project and the own rows are refused.
    b.PutW(3);
    b.W->RefreshRows();
    b.W->BeginRowDrag(0, false);
    EXPECT_FALSE(Drop(b.W, r.Row(2), QPoint(100, 20)));
    r.BeginRowDrag(0, false);
    EXPECT_FALSE(Drop(&r, r.Row(2), QPoint(100, 20)));
    EXPECT_EQ(a.Project.Lists.R.GetR(3).Counter.Kind, ckD);
    // Another R window's row: copied in at the row's number, on a row or after the last on the free
    // area.
    b.R->BeginRowDrag(0, false);
    EXPECT_TRUE(Drop(b.R, r.Row(2), QPoint(100, 20)));
    EXPECT_EQ(a.Project.Lists.R.GetR(3).Counter.Value, 77);
    EXPECT_EQ(a.Project.Lists.R.GetR(3).Offsets[0], 5);
    a.R->BeginRowDrag(0, false);
    EXPECT_TRUE(Drop(a.R, b.R, QPoint(40, b.R->height() - 4)));
    EXPECT_EQ(b.Project.Lists.R.MaxNumber(), 2);
    // Rows of R and W windows scroll the bar, others do not.
    EXPECT_TRUE(r.ScrollsForSource({a.W, nullptr}));
    EXPECT_TRUE(r.ScrollsForSource({&r, nullptr}));
    EXPECT_FALSE(r.ScrollsForSource({a.N, nullptr}));
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(SPanels, SignsTypeAndKeys) {
    Window win;
    win.PutS(1, 1, 20, -5);
    {
        Unvalidated raw; // type 3, counter kind 4, offset 9: shown clamped, kept until edited
        MUnvS s;
        s.Number = 2;
        s.Type = 3;
        s.Counter.Kind = 4;
        s.Offset = 9;
        s.NFirst = 4;
        win.Project.Lists.S.AddOrReplace(s);
    }
    win.Show();
    MScriptedMessages messages;
    MRSPanel* row = win.S->Row(0);
    EXPECT_EQ(row->size(), QSize(465, 28));
    EXPECT_EQ(row->PCountCell->geometry(), QRect(409, 3, 29, 21));
    EXPECT_EQ(row->SignCell->text(), QStringLiteral("-"));
    EXPECT_EQ(row->CountCell->text(), QStringLiteral("5"));
    MRSPanel* bad = win.S->Row(1);
    EXPECT_EQ(bad->TypeCell->text(), QStringLiteral("S"));
    EXPECT_EQ(bad->CounterKindCell->text(), QStringLiteral("R"));
    EXPECT_EQ(bad->OffsetCell->text(), QStringLiteral("8"));
    EXPECT_EQ(bad->S_Item().Type, 3);
    EXPECT_EQ(bad->S_Item().Counter.Kind, 4);
    EXPECT_EQ(bad->S_Item().Offset, 9);

    // The sign button to "+": count 5, stored when the row is left.
    Window::Focus(row->CountCell);
    QTest::mouseClick(row->SignCell, Qt::LeftButton);
    EXPECT_EQ(row->SignCell->text(), QStringLiteral("+"));
    win.Leave();
    EXPECT_EQ(win.Project.Lists.S.GetS(1).Count, 5);

    // "s" hides the N and P groups, both labels and the offset; "z" shows them with their values.
    Window::Focus(row->FirstCell);
    Window::Retype(row->FirstCell, QStringLiteral("20"));
    row->NFirstCell->SetValue(7);
    celltest::Type(row->FirstCell, QStringLiteral("s"));
    EXPECT_EQ(row->S_Item().Type, 2);
    EXPECT_EQ(CaptionColor(row->TypeCell), QColor(Qt::red));
    for (QWidget* w : std::initializer_list<QWidget*>{row->NFirstCell, row->NSignCell, row->PCountCell,
                                                      row->OffsetCell, row->NLabel, row->PLabel})
        EXPECT_TRUE(w->isHidden());
    EXPECT_FALSE(row->CounterValueCell->isHidden());
    celltest::Type(row->FirstCell, QStringLiteral("z"));
    EXPECT_FALSE(row->NFirstCell->isHidden());
    EXPECT_FALSE(row->PLabel->isHidden());
    EXPECT_EQ(row->NFirstCell->text(), QStringLiteral("7"));
    EXPECT_EQ(row->S_Item().NFirst, 7);
    // Letters set the counter kind in its colours.
    const std::pair<QString, QColor> kinds[] = {{QStringLiteral("w"), QColor(Qt::blue)},
                                                {QStringLiteral("r"), QColor(0xCC, 0x00, 0xDD)},
                                                {QStringLiteral("d"), QColor(Qt::black)}};
    for (const auto& [letter, colour] : kinds) {
        celltest::Type(row->FirstCell, letter);
        EXPECT_EQ(row->CounterKindCell->text(), letter.toUpper());
        EXPECT_EQ(CaptionColor(row->CounterKindCell), colour) << letter.toStdString();
    }
    celltest::Type(row->FirstCell, QStringLiteral("s"));
    win.Leave();
    EXPECT_EQ(win.Project.Lists.S.GetS(1).Type, 2);
    EXPECT_EQ(win.Project.Lists.S.GetS(1).Counter.Kind, ckD);

    // A new entry: type Z, counter D, offset 1.
    win.S->Row(2)->NewEntry(5);
    EXPECT_EQ(win.S->Row(2)->S_Item().Offset, 1);
    EXPECT_EQ(win.S->Row(2)->OffsetCell->text(), QStringLiteral("1"));
    EXPECT_EQ(win.S->Row(2)->TypeCell->text(), QStringLiteral("Z"));
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(SPanels, ACountPastItsCellStaysWhileTheOtherCountsAreEdited) {
    Window win;
    {
        Unvalidated raw;
        MUnvS s;
        s.Number = 1;
        s.Type = 1;
        s.Counter.Kind = 1;
        s.Offset = 1;
        s.Count = -123456;
        s.NCount = 70000;
        win.Project.Lists.S.AddOrReplace(s);
    }
    win.Show();
    MRSPanel* row = win.S->Row(0);
    EXPECT_EQ(row->CountCell->text(), QStringLiteral("9999"));
    Window::Focus(row->PCountCell);
    Window::Retype(row->PCountCell, QStringLiteral("3"));
    QTest::mouseClick(row->PSignCell, Qt::LeftButton);
    EXPECT_EQ(row->S_Item().PCount, -3);
    EXPECT_EQ(row->S_Item().Count, -123456);
    EXPECT_EQ(row->S_Item().NCount, 70000);
    // Edited, the count takes what its cell shows.
    Window::Focus(row->NCountCell);
    Window::Retype(row->NCountCell, QStringLiteral("12"));
    EXPECT_EQ(row->S_Item().NCount, 12);
    EXPECT_EQ(row->S_Item().Count, -123456);
}

TEST(SPanels, DropsFillCyclesCountersAndRanges) {
    Window a, b;
    for (int n = 1; n <= 16; ++n)
        a.PutS(n, 1, n, 0);
    for (int n = 1; n <= 10; ++n)
        a.PutN(n);
    a.PutW(4);
    a.PutR(2, ckD, 1);
    b.PutS(1, 1, 900, 0);
    a.Show();
    b.Show();
    MScriptedMessages messages;
    MRSContainerPanel& s = *a.S;
    // The selected run 12..15 dropped on S 1: a cycle over S 12, + 3, stored at once.
    for (int k = 12; k <= 15; ++k)
        a.Project.Lists.S.FindByNumber(k).Marks.Selected = 1;
    s.GotoItem(15); // 8 .. 15 shown
    MRSPanel* s12 = RowOf<MRSPanel>(s, 12);
    ASSERT_TRUE(s12);
    s.BeginRowDrag(s12->PanelIndex, false);
    ASSERT_TRUE(s.DragSelected);
    MRSPanel* s9 = RowOf<MRSPanel>(s, 9);
    MRSPanel* s14 = RowOf<MRSPanel>(s, 14);
    ASSERT_TRUE(s9 && s14);
    EXPECT_TRUE(Drop(&s, s9, QPoint(150, 10)));
    const MUnvS& cycle = a.Project.Lists.S.GetS(9);
    EXPECT_EQ(cycle.Type, 2);
    EXPECT_EQ(cycle.First, 12);
    EXPECT_EQ(cycle.Count, 3);
    // A row of the run itself refuses: a cycle over its own line would never end.
    EXPECT_FALSE(Drop(&s, s14, QPoint(150, 10)));
    EXPECT_EQ(a.Project.Lists.S.GetS(14).Type, 1);

    // N 7 (not selected), W 4 and R 2 of the same project fill S 10's range and counter.
    MRSPanel* s10 = RowOf<MRSPanel>(s, 10);
    ASSERT_TRUE(s10);
    MRNPanel* n7 = RowOf<MRNPanel>(*a.N, 7);
    ASSERT_TRUE(n7);
    a.N->BeginRowDrag(n7->PanelIndex, false);
    EXPECT_TRUE(Drop(a.N, s10, QPoint(300, 10)));
    EXPECT_EQ(a.Project.Lists.S.GetS(10).NFirst, 7);
    EXPECT_EQ(a.Project.Lists.S.GetS(10).NCount, 0);
    EXPECT_EQ(s10->NCountCell->text(), QStringLiteral("0"));
    a.W->BeginRowDrag(0, false);
    EXPECT_TRUE(Drop(a.W, s10, QPoint(300, 10)));
    EXPECT_EQ(a.Project.Lists.S.GetS(10).Counter.Kind, ckW);
    EXPECT_EQ(a.Project.Lists.S.GetS(10).Counter.Value, 4);
    a.R->BeginRowDrag(0, false);
    EXPECT_TRUE(Drop(a.R, s10, QPoint(300, 10)));
    EXPECT_EQ(a.Project.Lists.S.GetS(10).Counter.Kind, ckR);
    EXPECT_EQ(a.Project.Lists.S.GetS(10).Counter.Value, 2);
    EXPECT_EQ(s10->CounterKindCell->text(), QStringLiteral("R"));
    // Another project's N row is refused; its S row is copied in at the row's number.
    b.PutN(1);
    b.N->RefreshRows();
    b.N->BeginRowDrag(0, false);
    EXPECT_FALSE(Drop(b.N, s10, QPoint(300, 10)));
    b.S->BeginRowDrag(0, false);
    EXPECT_TRUE(Drop(b.S, s10, QPoint(300, 10)));
    EXPECT_EQ(a.Project.Lists.S.GetS(10).First, 900);
    EXPECT_EQ(a.Project.Lists.S.GetS(11).First, 10) << "the rest moved up";
    EXPECT_TRUE(messages.Coded.empty());

    // Field help: N "-" 3 from 10 lists N 10 down to 7, the way the sign runs.
    MRSPanel* row = RowOf<MRSPanel>(s, 1);
    ASSERT_TRUE(row);
    row->NFirstCell->SetValue(10);
    row->NCountCell->SetValue(3);
    row->SetSignState(row->NSignCell, 1);
    QString help, expected;
    row->GetFieldHint(row->NCountCell, help);
    a.Project.GetItemHint(wiN, 10, -3, expected);
    EXPECT_EQ(help, QStringLiteral("\n\r@S@") + expected);
    EXPECT_TRUE(expected.contains(QStringLiteral("7"))) << expected.toStdString();
    // An S cycle's type cell lists its S lines; a Z line's lists none.
    row->GetFieldHint(row->TypeCell, help);
    EXPECT_TRUE(help.isEmpty());
    row->SetTypeState(1);
    row->FirstCell->SetValue(3);
    row->CountCell->SetValue(2);
    row->GetFieldHint(row->TypeCell, help);
    a.Project.GetItemHint(wiS, 3, 2, expected);
    EXPECT_EQ(help, QStringLiteral("\n\r@S@") + expected);
}

TEST(SPanels, RenumberCancelledKeepsTheEditsAndAPasteOfRIsRefused) {
    Window win;
    for (int n = 1; n <= 6; ++n)
        win.PutS(n, 1, n, 0);
    win.Show();
    MRSContainerPanel& c = *win.S;
    MScriptedMessages messages(mbCancel);
    // S 4 renumbered 6 with S 6 present, Cancel: the row keeps its edits and the focus, the bar is
    // disabled and the row still edits.
    MRSPanel* row = c.Row(3);
    Window::Focus(row->FirstCell);
    Window::Retype(row->FirstCell, QStringLiteral("44"));
    Window::Focus(row->NumberCell);
    Window::Retype(row->NumberCell, QStringLiteral("6"));
    win.Leave();
    QApplication::processEvents();
    ASSERT_EQ(messages.Coded.size(), 1u) << "only the question";
    EXPECT_EQ(win.Project.Lists.S.GetS(6).First, 6);
    EXPECT_EQ(win.Project.Lists.S.GetS(4).First, 4);
    EXPECT_EQ(row->NumberCell->text(), QStringLiteral("6"));
    EXPECT_EQ(row->S_Item().First, 44);
    EXPECT_TRUE(row->IsEditing());
    EXPECT_TRUE(row->NumberCell->hasFocus());
    EXPECT_FALSE(c.ScrollBar()->isEnabled());
    Window::Retype(row->NumberCell, QStringLiteral("4"));
    win.Leave();
    EXPECT_TRUE(c.ScrollBar()->isEnabled());
    EXPECT_EQ(win.Project.Lists.S.GetS(4).First, 44);

    // R modules on the clipboard: Shift+Ins shows 1020 and pastes nothing.
    win.PutR(1, ckD, 1);
    win.Clipboard.SetKind(wiR);
    win.Clipboard.Buffer.Append(win.Project.Lists.R.ItemAt(0).Clone());
    messages.Coded.clear();
    messages.DefaultAnswer = mbOK;
    Window::Focus(c.Row(2)->FirstCell);
    QTest::keyClick(c.Row(2)->FirstCell, Qt::Key_Insert, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{1020, 0, QString(), mbOK}}));
    EXPECT_EQ(win.Project.Lists.S.Count(), 6);
}

TEST(RSPanels, ALiveLanguageSwitchChangesTheHintsOnly) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Window win(pack.OLanguagePack);
    win.PutR(1, ckD, 1);
    win.PutS(1, 1, 1, 0);
    win.Show();
    auto geometry = [&] { return kindtest::RowGeometry({win.R, win.S}); };
    const std::vector<QRect> before = geometry();
    MNumEdit* rear2 = win.R->Row(0)->ValueCells[3];
    MNumEdit* nfirst = win.S->Row(0)->NFirstCell;
    EXPECT_EQ(rear2->toolTip(),
              QStringLiteral("Number of lines of draft to be added or subtracted from every System"));
    EXPECT_EQ(nfirst->toolTip(), QStringLiteral("N= The first Needle setup line"));
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(rear2->toolTip(),
              QStringLiteral("عدد أسطر المسودة المضافة أو المطروحة في النظام الثاني (خلفي)"));
    EXPECT_EQ(nfirst->toolTip(), QStringLiteral("N= أول سطر لإعداد الإبر"));
    EXPECT_EQ(geometry(), before);
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(nfirst->toolTip(), QStringLiteral("N= The first Needle setup line"));
    EXPECT_EQ(geometry(), before);
}
