// Rows in their container, offscreen: storing on leaving a row, refused stores, Esc, Enter on the
// number cell, keyboard selection, the menu's keys against the cells and the window, the clipboard
// keys, the commands' effects on the list, the dialogs, drags and drops, and a live language switch.

#include "editors/CamBox_m.h"
#include "editors/ColorBox_M.h"
#include "editors/MRDrag.h"
#include "editors/ModuleMenu.h"
#include "editors/MoukikEdit_m.h"
#include "editors/MoukikMemo_m.h"
#include "editors/SpecFuncForm.h"
#include "model/UcstmExp.h"
#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "tests/editors/PanelTestSupport.h"
#include "tests/editors/RowDragSupport.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ScrollFlatBtn_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/button_m.h"

#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QTabWidget>

#include <QAction>
#include <QDrag>
#include <QMimeData>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

using namespace paneltest;
using kdstest::MScriptedMessages;
using Shown = MScriptedMessages::Shown;

namespace {

// Replaces the text of a cell as typing it would.
void Retype(MNumEdit* Cell, const QString& Text) {
    Cell->selectAll();
    Cell->del();
    celltest::Type(Cell, Text);
}

// The slot of the row that shows entry Number, brought into view; -1 when none does.
int SlotShowing(MRContainerPanel& C, int Number) {
    C.GotoItem(Number);
    for (MRBasePanel* r : C.Rows())
        if (!r->isHidden() && r->EntryNumber == Number)
            return r->PanelIndex;
    return -1;
}

// What a failed list change must leave as it was: each entry's number, value and selection, then
// the numbers of the clipboard's modules.
std::vector<std::tuple<int, int, bool>> ListAndClipboard(const PanelWindow& Win) {
    std::vector<std::tuple<int, int, bool>> v;
    for (int i = 0; i < Win.List.Count(); ++i) {
        const auto& m = static_cast<const MUnvSample&>(Win.List.ItemAt(i));
        v.emplace_back(m.Number, m.Value, m.Marks.Selected != 0);
    }
    for (int i = 0; i < Win.Clipboard.Buffer.Count(); ++i)
        v.emplace_back(Win.Clipboard.Buffer.ItemAt(i).Number, -1, false);
    return v;
}

// A window with a list of 1..Count (values number mod 10), shown, its module menu attached.
struct Fixture {
    explicit Fixture(int Count, MLanguagePack* Pack = nullptr) : Win(Pack) {
        Win.List.FillRange(1, Count);
        Menu = MakeModulePopupMenu(&Win, false);
        Win.Container->SetPopupMenu(Menu);
        Win.Show();
        Win.Container->SetVisibleRows(8);
    }
    MRSampleContainer& C() { return *Win.Container; }
    MRSamplePanel* Row(int Slot) { return Win.Row(Slot); }
    PanelWindow Win;
    MPopupMenu* Menu;
};

} // namespace

TEST(Container, AFixedPoolOfRowsScrollsOverALongList) {
    Fixture f(2000);
    EXPECT_EQ(f.C().Rows().size(), 8u);
    f.C().SetVisibleRows(f.C().RowsThatFit(28 * 5 + 10));
    EXPECT_EQ(f.Win.Shown(), (std::vector<int>{1, 2, 3, 4, 5, -1, -1, -1}));
    EXPECT_FALSE(f.C().ScrollBar()->isHidden());
    EXPECT_EQ(f.C().ScrollBar()->maximum(), 1995);
    // The window snaps to whole rows.
    const QSize size = f.C().size();
    EXPECT_EQ(size.height(), 28 * 5 + 2);
    EXPECT_EQ(f.Win.size(), QSize(size.width() + 1, size.height() + 1));
    f.C().ScrollBar()->setValue(1000);
    EXPECT_EQ(f.Win.Shown(), (std::vector<int>{1001, 1002, 1003, 1004, 1005, -1, -1, -1}));
    f.C().GotoItem(3);
    EXPECT_EQ(f.C().TopRow(), 0);
    EXPECT_TRUE(f.Row(2)->NumberCell->hasFocus());
    f.C().GotoItem(1800);
    EXPECT_EQ(f.C().TopRow(), 1795) << "a number below the view becomes the last visible row";
    EXPECT_TRUE(f.Row(4)->NumberCell->hasFocus());

    // Two columns pair odd and even numbers: 2000 entries still make two display rows of two rows.
    PanelWindow z(nullptr, ContainerLayoutOf(wiZ));
    z.List.DisplayMode = dmZPairs;
    z.List.Fill({1, 2, 3, 5, 6});
    z.Show();
    z.Container->SetVisibleRows(2);
    EXPECT_EQ(z.Container->Rows().size(), 4u);
    EXPECT_EQ(z.Shown(), (std::vector<int>{1, 2, 3, -1}));
    z.Container->GotoItem(6);
    EXPECT_EQ(z.Shown(), (std::vector<int>{3, -1, 5, 6}));
    EXPECT_TRUE(z.Container->Row(3)->NumberCell->hasFocus());
}

TEST(Container, TypedEditsAreStoredWhenTheRowIsLeft) {
    Fixture f(5);
    MScriptedMessages messages;
    PanelWindow::Focus(f.Row(0)->ValueCell);
    EXPECT_TRUE(f.Row(0)->IsEditing());
    Retype(f.Row(0)->ValueCell, QStringLiteral("7"));
    EXPECT_EQ(f.Win.List.Get(1).Value, 1) << "the list is not touched while editing";
    PanelWindow::Focus(f.Win.Outside);
    EXPECT_EQ(f.Win.List.Get(1).Value, 7);
    EXPECT_TRUE(f.Win.List.Modified);
    EXPECT_FALSE(f.Row(0)->IsEditing());

    // Leaving for another row stores as well; Esc gives a row back its stored entry.
    PanelWindow::Focus(f.Row(1)->ValueCell);
    Retype(f.Row(1)->ValueCell, QStringLiteral("8"));
    KeyClick(f.Row(1)->ValueCell, Qt::Key_Escape);
    EXPECT_EQ(f.Row(1)->ValueCell->text(), QStringLiteral("2"));
    PanelWindow::Focus(f.Row(2)->ValueCell);
    EXPECT_EQ(f.Win.List.Get(2).Value, 2);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(Container, ShowingAndLeavingARowWritesNothingOfItsOwn) {
    PanelWindow win;
    {
        // A module read from a file with a value no cell can show and no check allows.
        MSwitchGuard off(ListsAutoValidate, false);
        win.List.Put(1, 123456);
        win.List.Put(2, 2);
        win.List.Modified = false;
    }
    win.Show();
    MScriptedMessages messages;
    EXPECT_EQ(win.Row(0)->ValueCell->text(), QStringLiteral("9999"));
    EXPECT_EQ(win.Row(0)->Sample().Value, 123456);
    PanelWindow::Focus(win.Row(0)->ValueCell);
    PanelWindow::Focus(win.Row(1)->ValueCell);
    EXPECT_EQ(win.List.Get(1).Value, 123456);
    EXPECT_FALSE(win.List.Modified);
    EXPECT_TRUE(messages.Coded.empty());

    // A Locked row never stores and ends editing.
    win.Row(1)->Locked = true;
    Retype(win.Row(1)->ValueCell, QStringLiteral("5"));
    PanelWindow::Focus(win.Outside);
    EXPECT_EQ(win.List.Get(2).Value, 2);
    EXPECT_FALSE(win.Row(1)->IsEditing());
}

TEST(Container, ARefusedStoreKeepsTheEditsAndTheRow) {
    Fixture f(20);
    MScriptedMessages messages(mbCancel);
    // Renumbering 1 to 3 asks before it overwrites 3; Cancel refuses without a message.
    PanelWindow::Focus(f.Row(0)->NumberCell);
    Retype(f.Row(0)->NumberCell, QStringLiteral("3"));
    PanelWindow::Focus(f.Win.Outside);
    QApplication::processEvents();
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{11, 1101, QString(), mbOK | mbCancel}}));
    EXPECT_EQ(f.Win.List.Numbers().size(), 20u);
    EXPECT_EQ(f.Win.List.Get(3).Value, 3);
    EXPECT_FALSE(f.C().ScrollBar()->isEnabled());
    EXPECT_TRUE(f.Row(0)->NumberCell->hasFocus());
    EXPECT_TRUE(f.Row(0)->IsEditing());
    EXPECT_EQ(f.Row(0)->NumberCell->text(), QStringLiteral("3")) << "the edit stays";
    // The bar takes no click; moved from code it goes back, the row is refused again.
    QTest::mouseClick(f.C().ScrollBar(), Qt::LeftButton, {}, QPoint(5, f.C().ScrollBar()->height() - 5));
    EXPECT_EQ(f.C().TopRow(), 0);
    f.C().ScrollBar()->setValue(4);
    EXPECT_EQ(f.C().TopRow(), 0);
    EXPECT_EQ(f.C().ScrollBar()->value(), 0);
    EXPECT_EQ(f.Win.Shown()[0], 1);

    // A validation error is shown and keeps editing; a valid edit then stores and frees the bar.
    messages.Coded.clear();
    Retype(f.Row(0)->NumberCell, QStringLiteral("1"));
    Retype(f.Row(0)->ValueCell, QStringLiteral("12"));
    PanelWindow::Focus(f.Win.Outside);
    QApplication::processEvents();
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{5015, 2, QStringLiteral("1"), mbOK}}));
    EXPECT_TRUE(f.Row(0)->IsEditing());
    EXPECT_TRUE(f.Row(0)->ValueCell->hasFocus() || f.Row(0)->NumberCell->hasFocus());
    Retype(f.Row(0)->ValueCell, QStringLiteral("4"));
    PanelWindow::Focus(f.Win.Outside);
    EXPECT_EQ(f.Win.List.Get(1).Value, 4);
    EXPECT_TRUE(f.C().ScrollBar()->isEnabled());
    EXPECT_FALSE(f.Row(0)->IsEditing());
}

TEST(Container, EnterInTheNumberCellGoesToTheTypedNumber) {
    Fixture f(30);
    PanelWindow::Focus(f.Row(0)->NumberCell);
    Retype(f.Row(0)->NumberCell, QStringLiteral("99"));
    KeyClick(f.Row(0)->NumberCell, Qt::Key_Return);
    EXPECT_EQ(f.Row(0)->NumberCell->text(), QStringLiteral("1")) << "the row takes its number back";
    EXPECT_EQ(f.C().TopRow(), 0);
    EXPECT_TRUE(f.Row(0)->NumberCell->hasFocus());
    Retype(f.Row(0)->NumberCell, QStringLiteral("20"));
    KeyClick(f.Row(0)->NumberCell, Qt::Key_Return);
    EXPECT_EQ(f.C().TopRow(), 12);
    EXPECT_EQ(f.Row(7)->EntryNumber, 20);
    EXPECT_TRUE(f.Row(7)->NumberCell->hasFocus());
    EXPECT_EQ(f.Win.List.Numbers().size(), 30u) << "Enter never renumbers";
}

TEST(Container, KeyboardSelection) {
    Fixture f(30);
    // Shift+Down toggles the row and moves down: three presses select three entries.
    PanelWindow::Focus(f.Row(0)->ValueCell);
    for (int i = 0; i < 3; ++i)
        KeyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(f.Win.List.SelectedNumbers(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(f.Row(3)->ValueCell->hasFocus());
    EXPECT_TRUE(f.Row(2)->Selected());
    // Down past the last visible row scrolls by one.
    PanelWindow::Focus(f.Row(7)->ValueCell);
    KeyClick(f.Row(7)->ValueCell, Qt::Key_Down);
    EXPECT_EQ(f.C().TopRow(), 1);
    EXPECT_TRUE(f.Row(7)->ValueCell->hasFocus());
    EXPECT_EQ(f.Row(7)->EntryNumber, 9);

    // Shift+PgDn from display row 2 flips the entries from there to the one before the new row.
    f.C().DeselectAll();
    f.C().GotoItem(1);
    PanelWindow::Focus(f.Row(2)->ValueCell);
    KeyClick(f.Row(2)->ValueCell, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(f.C().TopRow(), 8);
    EXPECT_TRUE(f.Row(2)->ValueCell->hasFocus());
    EXPECT_EQ(f.Win.List.SelectedNumbers(), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10}));
    // End goes to the last row of the list; Shift+Home flips back up to the top.
    KeyClick(f.Row(2)->ValueCell, Qt::Key_End);
    EXPECT_EQ(f.C().TopRow(), 22);
    EXPECT_TRUE(f.Row(7)->ValueCell->hasFocus());
    KeyClick(f.Row(7)->ValueCell, Qt::Key_PageDown);
    EXPECT_TRUE(f.Row(7)->ValueCell->hasFocus()) << "PgDn at the end stays on the last row";

    // Shift-releasing a select button selects the entries above up to the first selected one.
    f.C().DeselectAll();
    f.C().GotoItem(1);
    f.Row(1)->SetSelected(true);
    QTest::mouseClick(f.Row(5)->SelectButton, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(f.Win.List.SelectedNumbers(), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_TRUE(f.Row(3)->Selected());
}

TEST(Container, TheMenuKeysBeatTheCellsAndTheWindow) {
    Fixture f(10);
    MScriptedMessages messages;
    int windowActions = 0;
    auto* action = new QAction(&f.Win);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    f.Win.addAction(action);
    QObject::connect(action, &QAction::triggered, [&] { ++windowActions; });

    // Ctrl+A: the container's Select all runs, the cell does not select its text, the window's
    // action does not fire.
    PanelWindow::Focus(f.Row(4)->ValueCell);
    KeyClick(f.Row(4)->ValueCell, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.Win.List.SelectedNumbers().size(), 10u);
    EXPECT_TRUE(f.Row(4)->ValueCell->selectedText().isEmpty());
    EXPECT_EQ(windowActions, 0);
    // Outside the container the window's action has its key.
    auto* plain = new QWidget(&f.Win);
    plain->setFocusPolicy(Qt::StrongFocus);
    plain->show();
    PanelWindow::Focus(plain);
    KeyClick(plain, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(windowActions, 1);

    // Ctrl+Del is the menu's Delete of the selection, not the row's own entry.
    f.C().DeselectAll();
    f.Win.List.SetSelected(3, true);
    PanelWindow::Focus(f.Row(4)->ValueCell);
    KeyClick(f.Row(4)->ValueCell, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 4, 5, 6, 7, 8, 9, 10}));
    // Ins makes a new entry after the editing row's once, not twice.
    PanelWindow::Focus(f.Row(0)->ValueCell);
    KeyClick(f.Row(0)->ValueCell, Qt::Key_Insert);
    EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(f.Win.List.Get(2).Value, 0);
    EXPECT_TRUE(f.Row(1)->NumberCell->hasFocus());
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(Container, ClipboardKeysAndAPasteOfAnotherKind) {
    Fixture f(10);
    MScriptedMessages messages;
    // Modules of another kind in the clipboard: Ctrl+V (the menu's Insert) is silent, Shift+Ins
    // (the row's key) shows 1020; nothing is pasted.
    f.Win.Clipboard.SetKind(wiS);
    f.Win.Clipboard.Buffer.Append(f.Win.List.ItemAt(0).Clone());
    PanelWindow::Focus(f.Row(2)->ValueCell);
    KeyClick(f.Row(2)->ValueCell, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(messages.Coded.empty());
    KeyClick(f.Row(2)->ValueCell, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{1020, 0, QString(), mbOK}}));
    EXPECT_EQ(f.Win.List.Count(), 10);

    // Ctrl+Ins copies the row's entry; Shift+Ins pastes it with room made at the row.
    messages.Coded.clear();
    KeyClick(f.Row(2)->ValueCell, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(f.Win.Clipboard.Kind, wiR);
    PanelWindow::Focus(f.Row(5)->ValueCell);
    KeyClick(f.Row(5)->ValueCell, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(f.Win.List.Count(), 11);
    EXPECT_EQ(f.Win.List.Get(6).Value, 3);
    EXPECT_EQ(f.Win.List.Get(7).Value, 6);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(Container, CommandsOnTheList) {
    MScriptedMessages messages;
    // New Item on 5 of 1..10 makes a default 6 and moves the old 6..10 up; on 10 it appends 11.
    {
        Fixture f(10);
        f.C().PopupNumber = 5;
        f.C().InsertNewItem();
        EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        EXPECT_EQ(f.Win.List.Get(6).Value, 0);
        EXPECT_EQ(f.Win.List.Get(7).Value, 6);
        EXPECT_EQ(f.C().PopupNumber, -1);
        f.C().PopupNumber = 11;
        f.C().InsertNewItem();
        EXPECT_EQ(f.Win.List.MaxNumber(), 12);
    }
    // An empty list without an editing row starts at 1.
    {
        Fixture f(0);
        f.C().InsertNewItem();
        EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1}));
        EXPECT_EQ(f.Win.Shown()[0], 1);
    }
    EXPECT_TRUE(messages.Coded.empty());
    // The kind's largest number (63) in use: after it, or with the entries shifting past it, the
    // notice names that number, not the 64 the shift would make; nothing changes. With 63 free the
    // shift has room.
    {
        Fixture f(63);
        f.C().PopupNumber = 63;
        f.C().InsertNewItem();
        f.C().PopupNumber = 5;
        f.C().InsertNewItem();
        EXPECT_EQ(f.Win.List.Count(), 63);
        EXPECT_EQ(f.Win.List.Get(6).Value, 6);
        EXPECT_EQ(messages.Coded, (std::vector<Shown>{{11, 4401, QStringLiteral("63"), mbOK},
                                                      {11, 4401, QStringLiteral("63"), mbOK}}));
        messages.Coded.clear();
        f.Win.List.DeleteNumber(63);
        f.C().PopupNumber = 5;
        f.C().InsertNewItem();
        EXPECT_EQ(f.Win.List.Get(6).Value, 0);
        EXPECT_EQ(f.Win.List.MaxNumber(), 63);
        EXPECT_TRUE(messages.Coded.empty());
    }
    messages.Coded.clear();
    // Delete: the selection, or the row under the popup when nothing is selected.
    {
        Fixture f(6);
        f.C().PopupRecordRow(f.Row(3)->mapToGlobal(QPoint(30, 10)));
        EXPECT_EQ(f.C().PopupNumber, 4);
        f.C().DeleteSelected();
        EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 3, 5, 6}));
        f.Win.List.SetSelected(1, true);
        f.C().PopupNumber = 5;
        f.C().DeleteSelected();
        EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{2, 3, 5, 6}));
        // Delete Contents resets the entry, keeping its number.
        f.C().PopupNumber = 3;
        f.C().DeleteContents();
        EXPECT_EQ(f.Win.List.Get(3).Value, 0);
    }
    // Select all with an edit in a row stores it first; a refused edit stops it.
    {
        Fixture f(5);
        PanelWindow::Focus(f.Row(0)->ValueCell);
        Retype(f.Row(0)->ValueCell, QStringLiteral("7"));
        f.C().SelectAll();
        EXPECT_EQ(f.Win.List.Get(1).Value, 7);
        EXPECT_EQ(f.Win.List.SelectedNumbers().size(), 5u);
        f.C().DeselectAll();
        Retype(f.Row(0)->ValueCell, QStringLiteral("12"));
        f.C().SelectAll();
        EXPECT_TRUE(f.Win.List.SelectedNumbers().empty());
        EXPECT_EQ(f.Row(0)->ValueCell->text(), QStringLiteral("12"));
        EXPECT_EQ(messages.Coded, (std::vector<Shown>{{5015, 2, QStringLiteral("1"), mbOK}}));
        Retype(f.Row(0)->ValueCell, QStringLiteral("1"));
    }
    messages.Coded.clear();
    // Insert shows the paste's own refusal: a shift past the largest number.
    {
        Fixture f(63);
        f.Win.Clipboard.Copy(f.Win.List, 2);
        f.Win.Clipboard.SetKind(wiR);
        f.C().PopupNumber = 10;
        f.C().InsertFromClipboard();
        EXPECT_EQ(f.Win.List.Count(), 63);
        ASSERT_EQ(messages.Coded.size(), 1u);
        EXPECT_EQ(messages.Coded[0].Code, 5015);
    }
}

// The rows cannot show their entries once Fail is set (a kind's cells that raise while loading).
struct FailingRows {
    explicit FailingRows(MRSampleContainer& C, int Code = 1003, int SubCode = 7) : C(C) {
        C.OnShowCells = [this, Code, SubCode](int) {
            if (Fail)
                RaiseM(Code, SubCode);
        };
    }
    ~FailingRows() { C.OnShowCells = nullptr; }
    MRSampleContainer& C;
    bool Fail = false;
};

TEST(Container, NoCommandOfTheSchemeMenuRunsWhileTheEditingRowIsRefused) {
    Fixture f(12);
    MScriptedMessages messages(mbOK);
    f.Win.List.Get(4).Marks.Selected = 1;
    f.Win.Clipboard.SetKind(wiR);
    f.Win.Clipboard.Copy(f.Win.List, 2);
    f.Win.List.Get(4).Marks.Selected = 1;
    // Value 12 fails the kind's check: the row refuses to store.
    PanelWindow::Focus(f.Row(0)->ValueCell);
    Retype(f.Row(0)->ValueCell, QStringLiteral("12"));
    const auto before = ListAndClipboard(f.Win);
    for (int p = 0; p < ModuleMenuItemCount(true); ++p) {
        const int command = ModuleMenuCommandAt(true, p);
        if (command == ccNone || command == ccGoto)
            continue; // Go to only moves the view, through the row's store (its own tests)
        messages.Coded.clear();
        f.C().PopupNumber = 3;
        f.C().RunCommand(command);
        EXPECT_EQ(ListAndClipboard(f.Win), before) << "command " << command;
        EXPECT_EQ(messages.Coded.size(), 1u) << "command " << command << ": the refusal is shown";
        EXPECT_EQ(f.Win.List.Get(1).Value, 1) << command;
    }
}

TEST(Container, ADeleteWhoseRefreshFailsDeletesNothingElse) {
    // 3 and 4 selected, the popup on 7: the selection goes; the refresh's error is shown, and the
    // popup's entry, the fallback for nothing selected, stays.
    using TCommand = void (*)(MRSampleContainer&);
    const std::pair<const char*, TCommand> commands[] = {
        {"Delete", [](MRSampleContainer& C) { C.RunCommand(ccDelete); }},
        {"Ctrl+Del",
         [](MRSampleContainer& C) { KeyClick(C.Row(0)->ValueCell, Qt::Key_Delete, Qt::ControlModifier); }},
    };
    for (const auto& [what, command] : commands) {
        Fixture f(10);
        MScriptedMessages messages;
        PanelWindow::Focus(f.Row(0)->ValueCell);
        f.Win.List.SetSelected(3, true);
        f.Win.List.SetSelected(4, true);
        f.C().PopupNumber = 7;
        FailingRows rows(f.C());
        rows.Fail = true;
        command(f.C());
        rows.Fail = false;
        EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 5, 6, 7, 8, 9, 10})) << what;
        EXPECT_EQ(messages.Coded, (std::vector<Shown>{{1003, 7, QString(), mbOK}})) << what;
        EXPECT_TRUE(messages.Plain.isEmpty()) << what;
    }
}

TEST(Container, ADeleteOfThePopupEntryWhoseRefreshFailsShowsItsOwnError) {
    // Nothing selected, the popup on 7: the entry alone goes; the refresh's error is shown with its
    // own message, not as a failed deletion.
    Fixture f(10);
    MScriptedMessages messages;
    PanelWindow::Focus(f.Row(0)->ValueCell);
    f.C().PopupNumber = 7;
    FailingRows rows(f.C());
    rows.Fail = true;
    f.C().RunCommand(ccDelete);
    rows.Fail = false;
    EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 10}));
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{1003, 7, QString(), mbOK}}));
    EXPECT_TRUE(messages.Plain.isEmpty());
}

TEST(Container, ADeleteThatFindsItsEntryMissingShowsTheNumberedMessage) {
    // The entry is gone when the rows are shown again: the catalogue's own message says so, in the
    // language shown, and the other entries stay.
    Fixture f(10);
    MScriptedMessages messages;
    FailingRows rows(f.C(), ValidationBaseCode, 4);
    rows.Fail = true;
    f.C().DeleteItem(7);
    rows.Fail = false;
    EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 10}));
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{ValidationBaseCode, 4, QString(), mbOK}}));
    EXPECT_TRUE(messages.Plain.isEmpty());
}

// The row being edited laid over a copy of its list as its store would, without a word: a change
// and a free new number go in; a copy the kind refuses or a number that is taken leave the entry as
// it is stored. The container's own list, the messages and the focus stay as they are.
TEST(Container, TheEditingRowLaysItsEntryOverACopyOfTheListWithoutAWord) {
    struct Case {
        const char* What;
        const char* Number; // typed into the number cell, when given
        const char* Value;  // typed into the value cell, when given
        bool Unstored;
        bool Laid;
        std::vector<int> Numbers; // of the copy, sorted
        int At;                   // an entry of the copy and its value
        int AtValue;
    };
    const Case cases[] = {
        {"unchanged", nullptr, nullptr, false, true, {1, 2, 3, 4, 5, 6}, 3, 3},
        {"a change", nullptr, "7", true, true, {1, 2, 3, 4, 5, 6}, 3, 7},
        {"a free number", "40", "8", true, true, {1, 2, 4, 5, 6, 40}, 40, 8},
        {"a taken number", "5", "8", true, false, {1, 2, 3, 4, 5, 6}, 5, 5},
        {"not valid", nullptr, "12", true, false, {1, 2, 3, 4, 5, 6}, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        Fixture f(6);
        MScriptedMessages messages;
        MRSamplePanel* row = f.Row(2);
        PanelWindow::Focus(row->ValueCell);
        if (c.Number)
            Retype(row->NumberCell, QString::fromLatin1(c.Number));
        if (c.Value)
            Retype(row->ValueCell, QString::fromLatin1(c.Value));
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(row->IsEditing());
        EXPECT_EQ(row->Unstored(), c.Unstored);

        const std::unique_ptr<MUnvList> copy = f.Win.List.ScratchCopy();
        EXPECT_EQ(row->LayOver(*copy), c.Laid);
        std::vector<int> numbers;
        for (int i = 0; i < copy->Count(); ++i)
            numbers.push_back(copy->ItemAt(i).Number);
        std::sort(numbers.begin(), numbers.end());
        EXPECT_EQ(numbers, c.Numbers);
        EXPECT_EQ(static_cast<const MUnvSample&>(copy->FindByNumber(c.At)).Value, c.AtValue);

        EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(f.Win.List.Get(3).Value, 3);
        EXPECT_FALSE(f.Win.List.Modified);
        EXPECT_TRUE(messages.Coded.empty());
        EXPECT_TRUE(messages.Plain.isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), focus);
        EXPECT_TRUE(row->IsEditing());
    }
}

TEST(Container, APopupTargetTheStoreRenumberedIsPassedOverSilently) {
    // The popup opens on 4 while its number cell holds 40; the command's store moves the entry to
    // 40, so the target is gone: Delete and Delete Contents pass over it, nothing shown.
    for (const bool contents : {false, true}) {
        Fixture f(6);
        MScriptedMessages messages;
        MNumEdit* number = f.Row(3)->NumberCell;
        PanelWindow::Focus(number);
        Retype(number, QStringLiteral("40"));
        f.C().PopupRecordRow(f.Row(3)->mapToGlobal(QPoint(30, 10)));
        ASSERT_EQ(f.C().PopupNumber, 4);
        contents ? f.C().DeleteContents() : f.C().DeleteSelected();
        EXPECT_EQ(f.Win.List.Numbers(), (std::vector<int>{1, 2, 3, 5, 6, 40})) << contents;
        EXPECT_EQ(f.Win.List.Get(40).Value, 4) << contents;
        EXPECT_TRUE(messages.Coded.empty()) << contents;
        EXPECT_TRUE(messages.Plain.isEmpty()) << contents;
    }
}

TEST(Container, TheRowsKeysShowWhatFailsAndPassOverAMissingNumber) {
    // Each key reloads rows; when they cannot show their entries the error is shown once. Enter on
    // a number that is not in the list goes nowhere, silently.
    struct Case {
        const char* What;
        const char* Typed; // into the number cell first, when given
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        bool Fail;
        std::size_t Shown;
    };
    const Case cases[] = {
        {"Enter on a missing number", "99", Qt::Key_Return, Qt::NoModifier, false, 0},
        {"Enter on a number below", "20", Qt::Key_Return, Qt::NoModifier, true, 1},
        {"Esc", "5", Qt::Key_Escape, Qt::NoModifier, true, 1},
        {"PgDn", nullptr, Qt::Key_PageDown, Qt::NoModifier, true, 1},
        {"Shift+End", nullptr, Qt::Key_End, Qt::ShiftModifier, true, 1},
    };
    for (const Case& c : cases) {
        Fixture f(30);
        MScriptedMessages messages;
        MNumEdit* cell = f.Row(2)->NumberCell;
        PanelWindow::Focus(cell);
        if (c.Typed)
            Retype(cell, QString::fromLatin1(c.Typed));
        FailingRows rows(f.C());
        rows.Fail = c.Fail;
        KeyClick(cell, c.Key, c.Modifiers);
        rows.Fail = false;
        EXPECT_EQ(messages.Coded.size(), c.Shown) << c.What;
        // A jump that failed selected nothing on its way.
        EXPECT_TRUE(f.Win.List.SelectedNumbers().empty()) << c.What;
        EXPECT_EQ(f.Win.List.Count(), 30) << c.What;
    }
}

TEST(Container, ToggledRangesEndWithTheList) {
    Fixture f(10);
    f.C().SetVisibleRows(4);
    f.Row(1)->SetSelected(true);
    // Indexes 1 .. 12 of ten entries: 2 .. 10 flip, through the shown rows where they are shown;
    // the part outside the list is passed over.
    f.C().ToggleIndexRange(1, 12);
    EXPECT_EQ(f.Win.List.SelectedNumbers(), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_FALSE(f.Row(1)->Selected());
    EXPECT_TRUE(f.Row(2)->Selected());
    f.C().ToggleIndexRange(-3, 2);
    EXPECT_EQ(f.Win.List.SelectedNumbers(), (std::vector<int>{1, 2, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(Container, ANewEntryEmptiesEveryCellAndTheIDsShowAndHideThem) {
    PanelWindow win;
    win.Show();
    MRSamplePanel& row = *win.Row(0);
    // A cell of every factory beside the number and value cells, each showing something.
    auto* flat = row.MakeFlatButton(2, 200, QRect(0, 30, 20, 20), 3, true, true, 0, 0, nullptr, nullptr);
    auto* caption = row.MakeScrollBitBtn(3, 300, QRect(20, 30, 20, 20), 2, nullptr);
    auto* carriers = row.MakeMoukikEdit(4, 400, QRect(40, 30, 40, 20), 8, nullptr, 0, 0);
    auto* memo = row.MakeMoukikMemo(5, 500, QRect(80, 30, 40, 20), 8, nullptr, 0, 0);
    auto* cam = row.MakeCamBox(6, 600, QRect(120, 30, 20, 20), nullptr, nullptr, nullptr, nullptr, 0, 0);
    auto* colors = row.MakeColorBox(7, 700, QRect(0, 50, 60, 20), {}, nullptr, nullptr, nullptr, 0, 0);
    flat->M_CaptionList().SetIndex(2);
    caption->M_CaptionList().SetIndex(1);
    carriers->SetValue(135);
    memo->SetValue(24);
    cam->SetValue(3);
    colors->SetColorBit(4, true);
    row.ValueCell->SetValue(8);

    row.NewEntry(0);
    EXPECT_EQ(flat->M_CaptionList().Index(), 0);
    EXPECT_EQ(caption->M_CaptionList().Index(), 0);
    EXPECT_TRUE(carriers->text().isEmpty());
    EXPECT_TRUE(memo->Text().isEmpty());
    EXPECT_EQ(cam->Value(), 0);
    EXPECT_EQ(colors->ColorMap().Count(), 0);
    EXPECT_TRUE(row.ValueCell->text().isEmpty());

    // IDs 2 .. 7 hide every one of those cells and nothing else; shown again alike.
    const std::vector<QWidget*> cells = {flat, caption, carriers, memo, cam, colors};
    row.SetCellsVisible(2, 7, false);
    for (QWidget* cell : cells)
        EXPECT_FALSE(cell->isVisibleTo(&row)) << cell->metaObject()->className();
    EXPECT_TRUE(row.ValueCell->isVisibleTo(&row));
    row.SetCellsVisible(2, 7, true);
    for (QWidget* cell : cells)
        EXPECT_TRUE(cell->isVisibleTo(&row)) << cell->metaObject()->className();

    // A factory's hint is the cell's, in both languages, and shows.
    MNumEdit* hinted = row.MakeNumEdit(8, 800, QRect(60, 50, 30, 20), 4, nullptr, 0, 0,
                                       {QStringLiteral("القيمة"), QStringLiteral("The value")});
    EXPECT_EQ(hinted->M_Hint().Hints().List(),
              (QStringList{QStringLiteral("القيمة"), QStringLiteral("The value")}));
    EXPECT_EQ(hinted->toolTip(), hinted->M_Hint().GetCurrentHint());
    EXPECT_FALSE(hinted->toolTip().isEmpty());
}

TEST(Container, TheScrollBarThumbIsRaisedOnTheTrack) {
    Fixture f(30);
    QScrollBar* bar = f.C().ScrollBar();
    // Whatever the style draws (a flat one here), the thumb is a block of the button face with a
    // raised edge, on the checkered track.
    std::unique_ptr<QStyle> flat(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_TRUE(flat);
    bar->setStyle(flat.get());
    QStyleOptionSlider o;
    o.initFrom(bar);
    o.orientation = Qt::Vertical;
    o.minimum = bar->minimum();
    o.maximum = bar->maximum();
    o.sliderPosition = o.sliderValue = bar->value();
    o.pageStep = bar->pageStep();
    o.singleStep = bar->singleStep();
    const QRect thumb = flat->subControlRect(QStyle::CC_ScrollBar, &o, QStyle::SC_ScrollBarSlider, bar);
    ASSERT_GT(thumb.height(), 4);
    const QImage image = bar->grab().toImage();
    auto at = [&](QPoint P) { return QColor(image.pixel(P)); };
    EXPECT_EQ(at(thumb.topLeft()), SysQColor(clBtnHighlight));
    EXPECT_EQ(at(thumb.bottomRight()), SysQColor(cl3DDkShadow));
    EXPECT_EQ(at(thumb.bottomRight() - QPoint(1, 1)), SysQColor(clBtnShadow));
    EXPECT_EQ(at(thumb.center()), SysQColor(clBtnFace));
    const QPoint below(thumb.center().x(), thumb.bottom() + 3);
    const QPoint beside(below.x() + 1, below.y());
    EXPECT_NE(at(below), at(beside)) << "the track is checkered";
    bar->setStyle(nullptr);
}

TEST(Container, AFailedPasteIsShownAndChangesNothing) {
    using TPaste = void (*)(MRSampleContainer&, int At);
    const std::pair<const char*, TPaste> pastes[] = {
        {"menu paste",
         [](MRSampleContainer& C, int At) {
             C.PopupNumber = At;
             C.PasteFromClipboard();
         }},
        {"menu insert",
         [](MRSampleContainer& C, int At) {
             C.PopupNumber = At;
             C.InsertFromClipboard();
         }},
        {"row paste", [](MRSampleContainer& C, int At) { C.PasteOverRow(SlotShowing(C, At)); }},
        {"row insert", [](MRSampleContainer& C, int At) { C.PasteInsertRow(SlotShowing(C, At)); }},
    };
    // The clipboard's 1, 2, 3 pasted at 4 with 2 refused by the kind's check, or at 62 where 3
    // would pass the largest number: the paste stops half way.
    const std::pair<int, int> failures[] = {{4, 12}, {62, 2}};
    for (const auto& [what, paste] : pastes)
        for (const auto& [at, middle] : failures) {
            MScriptedMessages messages;
            Fixture f(63);
            f.Win.List.SetSelected(7, true);
            for (int n = 1; n <= 3; ++n) {
                MUnvSample m;
                m.Number = n;
                m.Value = n == 2 ? middle : n;
                f.Win.Clipboard.Buffer.Append(m.Clone());
            }
            f.Win.Clipboard.SetKind(wiR);
            const auto before = ListAndClipboard(f.Win);
            paste(f.C(), at);
            EXPECT_EQ(ListAndClipboard(f.Win), before) << what << " at " << at;
            ASSERT_EQ(messages.Coded.size(), 1u) << what << " at " << at;
            EXPECT_EQ(messages.Coded[0].Code, 5015) << what << " at " << at;
        }
}

TEST(Container, TheDialogs) {
    MScriptedMessages messages;
    Fixture f(30);
    struct HookGuard {
        ~HookGuard() { MModalForm::ModalHook = nullptr; }
    } guard;

    // Go to: an empty edit shows 1042 and the dialog stays; a missing number 1041; a present one goes.
    int rounds = 0;
    MModalForm::ModalHook = [&](MModalForm& Form) {
        auto& g = dynamic_cast<TGoToForm&>(Form);
        ++rounds;
        g.MButton2Click();
        EXPECT_EQ(g.ModalResult(), mrNone);
        g.IDEdit->setText(rounds == 1 ? QStringLiteral("99") : QStringLiteral("25"));
        g.MButton2Click();
    };
    f.C().GotoItemDialog();
    EXPECT_EQ(messages.Coded,
              (std::vector<Shown>{{11, 1042, QString(), mbOK}, {11, 1041, QStringLiteral("99"), mbOK}}));
    f.C().GotoItemDialog();
    EXPECT_EQ(f.C().TopRow(), 17);
    EXPECT_TRUE(f.Row(7)->NumberCell->hasFocus());

    // Special Functions: a refused range keeps the dialog open; an accepted copy runs, and the
    // request is kept for the next time.
    messages.Coded.clear();
    MModalForm::ModalHook = [&](MModalForm& Form) {
        auto& s = dynamic_cast<TSpecialFuncForm&>(Form);
        EXPECT_FALSE(s.CopyByY->isVisibleTo(&s)) << "line options only in two-column windows";
        s.SpecFuncPage->setCurrentIndex(sfCopy);
        s.CopyFrom->setText(QStringLiteral("3"));
        s.CopyTo->setText(QStringLiteral("1"));
        s.CopyIN->setText(QStringLiteral("62"));
        s.OkBtnClick();
        EXPECT_EQ(s.ModalResult(), mrNone);
        s.CopyIN->setText(QStringLiteral("40"));
        s.OkBtnClick();
    };
    f.C().SpecialFunctions();
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{11, 1037, QStringLiteral("63"), mbOK}}));
    EXPECT_EQ(f.Win.List.Get(40).Value, 1);
    EXPECT_EQ(f.Win.List.Get(42).Value, 3);
    EXPECT_EQ(f.C().SpecialParams.From, 1);
    EXPECT_EQ(f.C().SpecialParams.To, 3);
    EXPECT_EQ(f.Win.List.Count(), 33);
    MModalForm::ModalHook = [&](MModalForm& Form) {
        auto& s = dynamic_cast<TSpecialFuncForm&>(Form);
        EXPECT_EQ(s.SpecFuncPage->currentIndex(), sfCopy);
        EXPECT_EQ(s.CopyFrom->text(), QStringLiteral("1"));
        EXPECT_EQ(s.CopyIN->text(), QStringLiteral("40"));
        EXPECT_TRUE(s.CopyByY->text().isEmpty());
        EXPECT_TRUE(s.DeleteFrom->text().isEmpty());
        s.CancelBtn->click();
    };
    f.C().SpecialFunctions();
    EXPECT_EQ(f.Win.List.Count(), 33);
}

namespace {
// Two windows of the kind; drags run through the seam, which records the data and ends at once.
struct DragFixture {
    DragFixture() {
        A.List.FillRange(1, 6);
        B.List.FillRange(1, 20);
        A.Show();
        B.Show();
        A.Container->SetVisibleRows(8);
        B.Container->SetVisibleRows(4);
        Old = DragExec;
        DragExec = [this](QDrag& Drag) {
            Formats = Drag.mimeData()->formats();
            Source = DragContext().Container.data();
            Cell = DragContext().Cell.data();
            return Qt::CopyAction;
        };
    }
    ~DragFixture() {
        DragExec = Old;
        DragContext().Clear();
    }
    // A drop of Source's rows (or of Data) onto Target at Pos; true when the drop was taken.
    static bool Drop(MRContainerPanel* Source, QWidget* Target, QPoint Pos, const QMimeData* Data = nullptr) {
        return dragtest::DeliverRowsDrag(Source, *Target, Pos, 1, true, Data).Dropped;
    }
    static void Move(QWidget* W, QPoint Local, Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers) {
        QMouseEvent e(QEvent::MouseMove, QPointF(Local), QPointF(W->mapToGlobal(Local)), Qt::NoButton,
                      Buttons, Modifiers);
        QApplication::sendEvent(W, &e);
    }
    PanelWindow A, B;
    std::function<Qt::DropAction(QDrag&)> Old;
    QStringList Formats;
    MRContainerPanel* Source = nullptr;
    QWidget* Cell = nullptr;
};
} // namespace

TEST(Container, DragsStartWhenThePointerLeavesTheCell) {
    DragFixture f;
    MNumEdit* cell = f.A.Row(2)->ValueCell;
    f.A.Row(2)->SetSelected(true);
    f.A.Row(3)->SetSelected(true);
    QTest::mousePress(cell, Qt::LeftButton);
    f.Move(cell, QPoint(5, 5), Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(f.Formats.isEmpty()) << "inside the cell nothing starts";
    f.Move(cell, QPoint(5, -3), Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(f.Formats, QStringList{QString::fromLatin1(RowsMimeType)});
    EXPECT_EQ(f.Source, f.A.Container);
    EXPECT_EQ(f.A.Container->DragNumber, 3);
    EXPECT_TRUE(f.A.Container->DragSelected);
    EXPECT_EQ(f.A.Container->DragFirstNumber(), 3);
    EXPECT_EQ(f.A.Container->DragLastNumber(), 4);
    EXPECT_FALSE(f.A.Container->DragMirror);
    EXPECT_EQ(f.A.List.SelectedNumbers(), (std::vector<int>{3, 4})) << "a drag changes no selection";
    EXPECT_TRUE(DragContext().Container.isNull()) << "the context ends with the drag";

    // Shift mirrors (window managers take Alt); Ctrl drags the cell itself.
    f.Formats.clear();
    QTest::mousePress(cell, Qt::LeftButton);
    f.Move(cell, QPoint(-4, 5), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_TRUE(f.A.Container->DragMirror);
    QTest::mousePress(cell, Qt::LeftButton);
    f.Move(cell, QPoint(5, 40), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(f.Formats, QStringList{QString::fromLatin1(CellMimeType)});
    EXPECT_EQ(f.Cell, cell);
    // A button left held would classify every later key of this program as a mouse combination.
    QTest::mouseRelease(cell, Qt::LeftButton);
}

TEST(Container, DropsReadTheirSourceFromTheDragContext) {
    DragFixture f;
    MScriptedMessages messages;
    MRSampleContainer* a = f.A.Container;
    // Entry 2 of A dropped on B's row of 3: copied to 3, the rest moved up.
    a->BeginRowDrag(1, false);
    EXPECT_TRUE(f.Drop(a, f.B.Row(2), QPoint(80, 10)));
    EXPECT_EQ(f.B.Row(2)->Drops, 1);
    EXPECT_EQ(f.B.List.Count(), 21);
    EXPECT_EQ(f.B.List.Get(3).Value, 2);
    EXPECT_EQ(f.B.List.Get(4).Value, 3);
    // On B's free surface: appended after its largest number.
    const QPoint free(f.B.Container->width() - f.B.Container->ScrollBar()->width() - 4, 5);
    EXPECT_TRUE(f.Drop(a, f.B.Container, free));
    EXPECT_EQ(f.B.List.MaxNumber(), 22);
    EXPECT_EQ(f.B.List.Get(22).Value, 2);
    // A's own rows on its own surface: refused.
    EXPECT_FALSE(f.Drop(a, a, QPoint(5, a->height() - 1)));
    // Within A, onto another row: pasted over it through the second buffer.
    f.A.Clipboard.Buffer.Append(f.A.List.ItemAt(5).Clone());
    EXPECT_TRUE(f.Drop(a, f.A.Row(4), QPoint(80, 10)));
    EXPECT_EQ(f.A.List.Get(5).Value, 2);
    EXPECT_EQ(f.A.Clipboard.Buffer.Count(), 1) << "the main clipboard keeps what it held";

    // A source whose window closed, and foreign data, are refused without a message.
    EXPECT_FALSE(f.Drop(nullptr, f.B.Row(0), QPoint(80, 10)));
    QMimeData text;
    text.setText(QStringLiteral("7"));
    EXPECT_FALSE(f.Drop(a, f.B.Row(0), QPoint(80, 10), &text));
    EXPECT_EQ(f.B.List.Count(), 22);
    EXPECT_TRUE(messages.Coded.empty());

    // Over the lower third of B's scroll bar a drag from A scrolls B down one row per move.
    QScrollBar* bar = f.B.Container->ScrollBar();
    EXPECT_FALSE(dragtest::DeliverRowsDrag(a, *bar, QPoint(3, bar->height() - 3), 2, false).Moved);
    EXPECT_EQ(f.B.Container->TopRow(), 2);
}

TEST(Container, AFailedDragWithinIsShownAndChangesNothing) {
    // A selected run dragged within the list, plain or mirrored, stops half way: onto 62 the run
    // 60..62 would pass the largest number 63; onto 10 the run 3..5 meets 4, which the kind's
    // check refuses (stored unchecked, as a file may hold it).
    struct Case {
        int First, Last, At;
        bool Mirror;
        int SubCode;
    };
    const Case cases[] = {{60, 62, 62, false, 1}, {60, 62, 62, true, 1}, {3, 5, 10, false, 2}};
    for (const Case& c : cases) {
        MScriptedMessages messages;
        Fixture f(63);
        {
            MSwitchGuard unchecked(ListsAutoValidate, false);
            f.Win.List.Put(4, 12);
        }
        for (int n = c.First; n <= c.Last; ++n)
            f.Win.List.SetSelected(n, true);
        f.C().RefreshRows();
        f.Win.Clipboard.Copy(f.Win.List, 0);
        f.Win.Clipboard.SetKind(wiR);
        const auto before = ListAndClipboard(f.Win);
        f.C().BeginRowDrag(SlotShowing(f.C(), c.First), c.Mirror);
        EXPECT_TRUE(DragFixture::Drop(&f.C(), f.Row(SlotShowing(f.C(), c.At)), QPoint(80, 10)));
        EXPECT_EQ(ListAndClipboard(f.Win), before) << "onto " << c.At << (c.Mirror ? " mirrored" : "");
        ASSERT_EQ(messages.Coded.size(), 1u) << "onto " << c.At;
        EXPECT_EQ(std::pair(messages.Coded[0].Code, messages.Coded[0].SubCode), std::pair(5015, c.SubCode));
    }
}

namespace {
// A component that counts the language messages it gets.
class MessageLog : public QObject, public MLanguageControl {
public:
    explicit MessageLog(QObject* Owner) { SetComponentOwner(this, Owner); }
    void LanguageMessage(int Msg, std::intptr_t, std::intptr_t) override { ++Count[Msg]; }
    std::map<int, int> Count;
};
} // namespace

TEST(Container, ALiveLanguageSwitchKeepsTheRows) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Fixture f(10, pack.OLanguagePack);
    f.C().SetVisibleRows(4);
    auto* log = new MessageLog(f.Row(1));
    f.Row(1)->ValueCell->SetHint(QStringLiteral("Value"));
    auto geometry = [&] {
        std::vector<QRect> g{f.C().geometry()};
        for (MRBasePanel* r : f.C().Rows()) {
            g.push_back(r->geometry());
            for (QObject* o : r->Components())
                if (auto* w = qobject_cast<QWidget*>(o))
                    g.push_back(w->geometry());
        }
        return g;
    };
    const std::vector<QRect> before = geometry();
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(geometry(), before);
    EXPECT_EQ(log->Count[LM_CHANGE_LANGUAGEID], 1);
    EXPECT_EQ(f.Row(1)->LanguageIndex(), LanguageArabic);
    EXPECT_EQ(f.Row(1)->ValueCell->layoutDirection(), Qt::LeftToRight);
    EXPECT_TRUE(f.Menu->Arabic());
    EXPECT_EQ(f.Menu->actions()[0]->text(), QStringLiteral("عنصر جديد"));
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(geometry(), before);
    EXPECT_EQ(log->Count[LM_CHANGE_LANGUAGEID], 2);
    EXPECT_FALSE(f.Menu->Arabic());
    EXPECT_EQ(f.Menu->actions()[9]->text(), QStringLiteral("Deslect all  "));
    EXPECT_EQ(f.Menu->actions()[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
}

TEST(Container, FieldHelpRefreshMessageAndSlots) {
    Fixture f(3);
    QString text;
    // The help of entries of another kind comes from the project; without one the container says so.
    MUnvR r;
    r.Number = 4;
    f.Win.Project.Lists.R.AddOrReplace(r);
    f.C().ItemHint(wiR, 4, 0, text);
    EXPECT_TRUE(text.startsWith(QStringLiteral("R004"))) << text.toStdString();
    f.C().Project = nullptr;
    f.C().ItemHint(wiR, 4, 0, text);
    EXPECT_EQ(text, QStringLiteral("NO UContainer"));
    QString help;
    f.Row(0)->GetFieldHint(f.Row(0)->ValueCell, help);
    EXPECT_EQ(help, QStringLiteral("\n\r"));

    // Message 0x65A with 1 in WParam's low word refreshes the rows from the list.
    f.Win.List.Put(2, 9);
    EXPECT_EQ(f.Row(1)->ValueCell->text(), QStringLiteral("2"));
    TContainerMessage other(WM_REFRESHROWS, 0x10000, 0);
    QApplication::sendEvent(f.Win.Container, &other);
    EXPECT_EQ(f.Row(1)->ValueCell->text(), QStringLiteral("2"));
    TContainerMessage refresh(WM_REFRESHROWS, 1, 0);
    QApplication::sendEvent(f.Win.Container, &refresh);
    EXPECT_EQ(f.Row(1)->ValueCell->text(), QStringLiteral("9"));

    // A slot outside the rows raises 1003; the focused cell's Tag is -1 when no cell has the focus.
    try {
        f.C().RowAt(8);
        ADD_FAILURE() << "no error";
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, 1003);
    }
    PanelWindow::Focus(f.Win.Outside);
    EXPECT_EQ(f.Row(0)->FocusedCellTag(), -1);
    PanelWindow::Focus(f.Row(0)->ValueCell);
    EXPECT_EQ(f.Row(0)->FocusedCellTag(), 100);
    EXPECT_EQ(f.Row(0)->FocusedTag, 100);
}
