// The W and N editors offscreen: showing, editing and storing a module, the rows' keys, refused
// stores, the drops between windows and projects, the scroll bar under a drag, the field help and a
// live language switch.

#include "editors/NumEdit_m.h"
#include "editors/RNPanel_m.h"
#include "editors/RWPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "model/Ucommon.h"
#include "tests/editors/CellTestSupport.h"
#include "tests/editors/KindPanelSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/Adapter.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ULPackDM.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using kdstest::MScriptedMessages;
using kindtest::DragOverBarBottom;
using kindtest::Drop;
using kindtest::Unvalidated;
using Shown = MScriptedMessages::Shown;

namespace {

// A window of one project holding its W and N lists, with an edit outside them.
struct Window : kindtest::PairWindow {
    explicit Window(MLanguagePack* Pack = nullptr) : PairWindow(Pack, 800) {
        W = new MRWContainerPanel(this, this);
        N = new MRNContainerPanel(this, this);
        AddLists(W, N);
    }
    void Show() { ShowLists(Project.Lists.W, Project.Lists.N); }
    void PutW(int Number, int First) {
        MUnvW w;
        w.Number = Number;
        for (int i = 0; i < 8; ++i)
            w.Levels[std::size_t(i)] = First + i;
        Project.Lists.W.AddOrReplace(w);
    }
    void PutN(int Number, int Type, int Start, int Count, int Kind = ckD, int Value = 1) {
        MUnvN n;
        n.Number = Number;
        n.Type = std::uint8_t(Type);
        n.Start = Start;
        n.Count = Count;
        n.Counter.Kind = std::uint8_t(Kind);
        n.Counter.Value = Value;
        Project.Lists.N.AddOrReplace(n);
    }
    std::vector<int> Numbers(const MUnvList& List) const {
        std::vector<int> v;
        for (int i = 0; i < List.Count(); ++i)
            v.push_back(List.ItemAt(i).Number);
        return v;
    }
    MRWContainerPanel* W;
    MRNContainerPanel* N;
};

void Key(QWidget* Cell, Qt::Key K) {
    QTest::keyClick(Cell, K);
    QApplication::processEvents();
}

} // namespace

TEST(WPanels, LevelsEditFillAndStore) {
    Window win;
    for (int n = 1; n <= 12; ++n)
        win.PutW(n, n * 10);
    win.Project.Lists.W.Modified = false;
    win.Show();
    MRWContainerPanel& c = *win.W;
    ASSERT_EQ(int(c.Rows().size()), c.RowsNum());
    EXPECT_EQ(c.RowsNum(), 8);
    EXPECT_EQ(c.Rows()[0]->size(), QSize(396, 28));
    MRWPanel* row = c.Row(0);
    EXPECT_EQ(row->LevelCells[2]->geometry(), QRect(154, 3, 35, 21));
    EXPECT_EQ(WidgetTag(row->LevelCells[2]), 300);
    EXPECT_EQ(row->LevelCells[2]->text(), QStringLiteral("12")) << "level 3 of W 1";

    // A in the number cell: nothing, not passed on.
    Window::Focus(row->NumberCell);
    celltest::Type(row->NumberCell, QStringLiteral("a"));
    EXPECT_EQ(row->NumberCell->text(), QStringLiteral("1"));
    EXPECT_EQ(row->W_Item().Levels[0], 10);

    // 12 and A in level 3, then Down: every level of W 1 is 12, stored.
    Window::Focus(row->LevelCells[2]);
    Window::Retype(row->LevelCells[2], QStringLiteral("12"));
    celltest::Type(row->LevelCells[2], QStringLiteral("A"));
    for (MNumEdit* cell : row->LevelCells)
        EXPECT_EQ(cell->text(), QStringLiteral("12"));
    Key(row->LevelCells[2], Qt::Key_Down);
    const MUnvW& w1 = win.Project.Lists.W.GetW(1);
    for (int level : w1.Levels)
        EXPECT_EQ(level, 12);
    EXPECT_TRUE(win.Project.Lists.W.Modified);

    // An empty level cell counts as 0.
    MRWPanel* row2 = c.Row(1);
    Window::Focus(row2->LevelCells[7]);
    Window::Retype(row2->LevelCells[7], QString());
    row2->FillLevels(800);
    for (int level : row2->W_Item().Levels)
        EXPECT_EQ(level, 0);

    // Levels beyond four digits show clamped; the module keeps them until they are edited.
    {
        Unvalidated raw;
        win.PutW(13, 12345);
    }
    c.RefreshRows();
    c.GotoItem(13);
    MRWPanel* shown = nullptr;
    for (MRBasePanel* r : c.Rows())
        if (r->EntryNumber == 13)
            shown = static_cast<MRWPanel*>(r);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->LevelCells[0]->text(), QStringLiteral("9999"));
    EXPECT_EQ(shown->W_Item().Levels[0], 12345);
}

TEST(WPanels, RenumberRefusedStoreAndClipboardKind) {
    Window win;
    for (int n = 1; n <= 6; ++n)
        win.PutW(n, n);
    win.Show();
    MRWContainerPanel& c = *win.W;
    MScriptedMessages messages(mbCancel);
    // 5 renumbered 9 and left: W 9 exists, W 5 is gone.
    MRWPanel* row = c.Row(4);
    Window::Focus(row->NumberCell);
    Window::Retype(row->NumberCell, QStringLiteral("9"));
    Window::Focus(win.Outside);
    EXPECT_EQ(win.Numbers(win.Project.Lists.W), (std::vector<int>{1, 2, 3, 4, 6, 9}));
    EXPECT_EQ(c.Row(5)->EntryNumber, 9) << "the rows are shown again in order";
    EXPECT_TRUE(messages.Coded.empty());

    // 4 renumbered 9 with W 9 present, Cancel: nothing changes, no error, bar disabled, focus back.
    row = c.Row(3);
    Window::Focus(row->NumberCell);
    Window::Retype(row->NumberCell, QStringLiteral("9"));
    Window::Focus(win.Outside);
    QApplication::processEvents();
    ASSERT_EQ(messages.Coded.size(), 1u) << "only the question";
    EXPECT_EQ(messages.Coded[0].Code, 11);
    EXPECT_EQ(win.Numbers(win.Project.Lists.W), (std::vector<int>{1, 2, 3, 4, 6, 9}));
    EXPECT_EQ(win.Project.Lists.W.GetW(9).Levels[0], 5);
    EXPECT_FALSE(c.ScrollBar()->isEnabled());
    EXPECT_TRUE(row->NumberCell->hasFocus());
    Window::Retype(row->NumberCell, QStringLiteral("4"));
    Window::Focus(win.Outside);
    EXPECT_TRUE(c.ScrollBar()->isEnabled());

    // A Locked row never stores.
    row->Locked = true;
    row->W_Item().Levels[0] = 77;
    EXPECT_FALSE(row->ApplyEntry());
    EXPECT_EQ(win.Project.Lists.W.GetW(4).Levels[0], 4);
    row->Locked = false;

    // N modules on the clipboard: 1020 before anything is pasted.
    win.PutN(1, 1, 1, 0);
    win.Clipboard.SetKind(wiN);
    win.Clipboard.Buffer.Append(win.Project.Lists.N.ItemAt(0).Clone());
    messages.Coded.clear();
    messages.DefaultAnswer = mbOK;
    Window::Focus(c.Row(2)->LevelCells[0]);
    QTest::keyClick(c.Row(2)->LevelCells[0], Qt::Key_Insert, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{1020, 0, QString(), mbOK}}));
    EXPECT_EQ(win.Numbers(win.Project.Lists.W), (std::vector<int>{1, 2, 3, 4, 6, 9}));
}

TEST(WPanels, DropsAndTheScrollBar) {
    Window a, b;
    for (int n = 1; n <= 12; ++n)
        a.PutW(n, n);
    for (int n = 1; n <= 3; ++n)
        b.PutW(n, 100 + n);
    a.Show();
    b.Show();
    MScriptedMessages messages;
    // A row of B dropped on A's row of 2: copied to 2, the rest moved up.
    b.W->BeginRowDrag(0, false);
    EXPECT_TRUE(Drop(b.W, a.W->Row(1), QPoint(100, 10)));
    EXPECT_EQ(a.Project.Lists.W.GetW(2).Levels[0], 101);
    EXPECT_EQ(a.Project.Lists.W.MaxNumber(), 13);
    // On B's free area (three rows of eight shown): after B's largest number.
    a.W->BeginRowDrag(4, false);
    EXPECT_TRUE(Drop(a.W, b.W, QPoint(40, b.W->height() - 4)));
    EXPECT_EQ(b.Project.Lists.W.MaxNumber(), 4);
    EXPECT_EQ(b.Project.Lists.W.GetW(4).Levels[0], 4) << "A's 5 is its old 4";
    a.W->SetVisibleRows(4);
    // Own rows are refused on rows, the free area and the bar, which does not scroll.
    a.W->BeginRowDrag(0, false);
    EXPECT_FALSE(Drop(a.W, a.W->Row(2), QPoint(100, 10)));
    EXPECT_FALSE(DragOverBarBottom(a.W, *a.W, 2));
    EXPECT_EQ(a.W->TopRow(), 0);
    // B's rows over A's bar scroll it one row per move and are not accepted.
    b.W->BeginRowDrag(0, false);
    EXPECT_FALSE(DragOverBarBottom(b.W, *a.W, 2));
    EXPECT_EQ(a.W->TopRow(), 2);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(NPanels, ShowingKeysAndSigns) {
    Window win;
    win.PutN(1, 1, 10, -3);
    win.PutN(2, 2, 5, 2, ckW, 12);
    {
        Unvalidated raw; // out of range: clamped states, the full number
        win.PutN(3, 3, 1, 123456, 4, 7);
    }
    win.Show();
    MScriptedMessages messages;
    MRNPanel* row = win.N->Row(0);
    EXPECT_EQ(row->size(), QSize(273, 27));
    EXPECT_EQ(row->CountCell->text(), QStringLiteral("3"));
    EXPECT_EQ(row->SignCell->text(), QStringLiteral("-"));
    EXPECT_EQ(row->N_Item().Count, -3);
    EXPECT_EQ(row->TypeCell->text(), QStringLiteral("X"));
    EXPECT_EQ(row->TypeCell->palette().color(QPalette::ButtonText), QColor(Qt::black));
    MRNPanel* row2 = win.N->Row(1);
    EXPECT_EQ(row2->TypeCell->palette().color(QPalette::ButtonText), QColor(Qt::red));
    EXPECT_EQ(row2->CounterKindCell->text(), QStringLiteral("W"));
    EXPECT_EQ(row2->CounterKindCell->palette().color(QPalette::ButtonText), QColor(Qt::blue));
    MRNPanel* row3 = win.N->Row(2);
    EXPECT_EQ(row3->TypeCell->text(), QStringLiteral("N"));
    EXPECT_EQ(row3->CounterKindCell->text(), QStringLiteral("W"));
    EXPECT_EQ(row3->CountCell->text(), QStringLiteral("9999"));
    EXPECT_EQ(row3->N_Item().Type, 3);
    EXPECT_EQ(row3->N_Item().Count, 123456);

    // "+" makes the count 3; "-" typed in the count cell leaves the text and negates it.
    Window::Focus(row->CountCell);
    celltest::Type(row->CountCell, QStringLiteral("+"));
    EXPECT_EQ(row->N_Item().Count, 3);
    EXPECT_EQ(row->SignCell->palette().color(QPalette::ButtonText), QColor(0x00, 0x00, 0xB0));
    celltest::Type(row->CountCell, QStringLiteral("-"));
    EXPECT_EQ(row->CountCell->text(), QStringLiteral("3"));
    EXPECT_EQ(row->SignCell->text(), QStringLiteral("-"));
    EXPECT_EQ(row->N_Item().Count, -3);
    // Letters from any cell set the buttons.
    for (QWidget* cell :
         std::initializer_list<QWidget*>{row->NumberCell, row->StartCell, row->CounterValueCell}) {
        Window::Focus(cell);
        celltest::Type(cell, QStringLiteral("n"));
        EXPECT_EQ(row->TypeCell->text(), QStringLiteral("N"));
        EXPECT_EQ(row->N_Item().Type, 2);
        celltest::Type(cell, QStringLiteral("x"));
        EXPECT_EQ(row->N_Item().Type, 1);
    }
    celltest::Type(row->CounterValueCell, QStringLiteral("w"));
    EXPECT_EQ(row->N_Item().Counter.Kind, ckW);
    celltest::Type(row->CounterValueCell, QStringLiteral("d"));
    EXPECT_EQ(row->N_Item().Counter.Kind, ckD);
    // "n" on a type 3 row that already shows N writes type 2.
    Window::Focus(row3->StartCell);
    celltest::Type(row3->StartCell, QStringLiteral("n"));
    EXPECT_EQ(row3->N_Item().Type, 2);

    // A module numbered 0 shows empty number, start, count and counter cells.
    MUnvN zero;
    zero.Start = 4;
    zero.Count = 2;
    row3->Locked = true;
    row3->SetN_Item(zero);
    for (MNumEdit* cell : {row3->NumberCell, row3->StartCell, row3->CountCell, row3->CounterValueCell})
        EXPECT_TRUE(cell->text().isEmpty());
    EXPECT_EQ(row3->N_Item().Start, 4);
}

TEST(NPanels, DropsOntoRowsAndTheFieldHelp) {
    Window a, b;
    for (int n = 1; n <= 10; ++n)
        a.PutN(n, 1, n, 0);
    for (int n = 1; n <= 12; ++n)
        a.PutW(n, n);
    b.PutN(1, 1, 50, 0);
    b.PutN(2, 1, 60, 0);
    b.PutW(12, 0);
    a.Show();
    b.Show();
    MScriptedMessages messages;
    MRNContainerPanel& n = *a.N;
    // The selected 4..7 of the own list dropped on row 1: N, 4, +, 3, stored.
    for (int k = 4; k <= 7; ++k)
        a.Project.Lists.N.FindByNumber(k).Marks.Selected = 1;
    n.RefreshRows();
    n.BeginRowDrag(3, false);
    EXPECT_TRUE(n.DragSelected);
    EXPECT_TRUE(Drop(&n, n.Row(0), QPoint(150, 10)));
    const MUnvN& n1 = a.Project.Lists.N.GetN(1);
    EXPECT_EQ(n1.Type, 2);
    EXPECT_EQ(n1.Start, 4);
    EXPECT_EQ(n1.Count, 3);
    EXPECT_EQ(n.Row(0)->TypeCell->text(), QStringLiteral("N"));
    EXPECT_EQ(n.Row(0)->SignCell->text(), QStringLiteral("+"));
    // A row onto itself is refused, and so is every row of the dragged selection: N 5 referring to
    // 4..7 would repeat itself.
    n.BeginRowDrag(1, false);
    EXPECT_FALSE(Drop(&n, n.Row(1), QPoint(150, 10)));
    n.BeginRowDrag(3, false);
    for (int slot : {4, 5}) {
        EXPECT_FALSE(Drop(&n, n.Row(slot), QPoint(150, 10))) << slot;
        EXPECT_EQ(a.Project.Lists.N.GetN(slot + 1).Type, 1) << slot;
    }

    // W 12 of the same project: counter W 12, stored; of another project: refused.
    a.W->RefreshRows();
    a.W->GotoItem(12);
    int slot = -1;
    for (MRBasePanel* r : a.W->Rows())
        if (r->EntryNumber == 12)
            slot = r->PanelIndex;
    ASSERT_GE(slot, 0);
    a.W->BeginRowDrag(slot, false);
    EXPECT_TRUE(Drop(a.W, n.Row(1), QPoint(150, 10)));
    EXPECT_EQ(a.Project.Lists.N.GetN(2).Counter.Kind, ckW);
    EXPECT_EQ(a.Project.Lists.N.GetN(2).Counter.Value, 12);
    b.W->BeginRowDrag(0, false);
    EXPECT_FALSE(Drop(b.W, n.Row(2), QPoint(150, 10)));
    EXPECT_EQ(a.Project.Lists.N.GetN(3).Counter.Kind, ckD);

    // Another project's N row: copied at the row's number; its selection when the row was selected.
    b.N->BeginRowDrag(1, false);
    EXPECT_TRUE(Drop(b.N, n.Row(2), QPoint(150, 10)));
    EXPECT_EQ(a.Project.Lists.N.GetN(3).Start, 60);
    EXPECT_EQ(a.Project.Lists.N.GetN(4).Start, 3);
    b.Project.Lists.N.FindByNumber(1).Marks.Selected = 1;
    b.Project.Lists.N.FindByNumber(2).Marks.Selected = 1;
    b.N->RefreshRows();
    b.N->BeginRowDrag(0, false);
    const int before = a.Project.Lists.N.Count();
    EXPECT_TRUE(Drop(b.N, n.Row(4), QPoint(150, 10)));
    EXPECT_EQ(a.Project.Lists.N.Count(), before + 2);
    EXPECT_EQ(a.Project.Lists.N.GetN(5).Start, 50);
    EXPECT_EQ(a.Project.Lists.N.GetN(6).Start, 60);
    // Own rows on the free area are refused; another N window's are appended there.
    b.N->BeginRowDrag(0, false);
    EXPECT_FALSE(Drop(b.N, b.N, QPoint(40, b.N->height() - 4)));
    n.BeginRowDrag(7, false);
    EXPECT_TRUE(Drop(&n, b.N, QPoint(40, b.N->height() - 4)));
    EXPECT_EQ(b.Project.Lists.N.MaxNumber(), 3);
    // Rows of any N or W window, this one included, scroll the bar.
    n.SetVisibleRows(4);
    EXPECT_FALSE(DragOverBarBottom(&n, n, 1));
    EXPECT_EQ(n.TopRow(), 1);
    EXPECT_FALSE(DragOverBarBottom(a.W, n, 1));
    EXPECT_EQ(n.TopRow(), 2);
    EXPECT_TRUE(messages.Coded.empty());

    // Field help: N 5 / -2 asks for the labels of N lines 5 down to 3; an X row has none.
    n.GotoItem(1);
    MRNPanel* row = nullptr;
    for (MRBasePanel* r : n.Rows())
        if (r->EntryNumber == 1)
            row = static_cast<MRNPanel*>(r);
    ASSERT_TRUE(row);
    Window::Retype(row->StartCell, QStringLiteral("5"));
    Window::Retype(row->CountCell, QStringLiteral("2"));
    row->SetSignState(1);
    QString help, expected;
    row->GetFieldHint(row->StartCell, help);
    a.Project.GetItemHint(wiN, 5, -2, expected);
    EXPECT_EQ(help, QStringLiteral("\n\r@S@") + expected);
    EXPECT_EQ(expected.count(QLatin1Char('\n')), 2) << "three labels";
    row->GetFieldHint(row->NumberCell, help);
    EXPECT_TRUE(help.isEmpty());
    row->SetCounterKindState(1);
    Window::Retype(row->CounterValueCell, QStringLiteral("3"));
    row->GetFieldHint(row->CounterValueCell, help);
    a.Project.GetItemHint(wiW, 3, 0, expected);
    EXPECT_EQ(help, QStringLiteral("\n\r@S@") + expected);
    row->SetTypeState(0);
    row->GetFieldHint(row->StartCell, help);
    EXPECT_TRUE(help.isEmpty());
}

TEST(WNPanels, ALiveLanguageSwitchChangesTheHintsOnly) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Window win(pack.OLanguagePack);
    win.PutW(1, 1);
    win.PutN(1, 1, 1, 0);
    win.Show();
    auto geometry = [&] { return kindtest::RowGeometry({win.W, win.N}); };
    const std::vector<QRect> before = geometry();
    MNumEdit* level = win.W->Row(0)->LevelCells[2];
    MNumEdit* count = win.N->Row(0)->CountCell;
    EXPECT_EQ(level->toolTip(), QStringLiteral("Value of Repeat of level (3)"));
    EXPECT_EQ(count->toolTip(), QStringLiteral("Number of column/line to follow"));
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(level->toolTip(), QStringLiteral("قيمة تكرار المستوى الثالث"));
    EXPECT_EQ(count->toolTip(), QStringLiteral("عدد الأعمدة أو الأسطر التالية"));
    EXPECT_EQ(geometry(), before);
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(level->toolTip(), QStringLiteral("Value of Repeat of level (3)"));
    EXPECT_EQ(geometry(), before);
}
