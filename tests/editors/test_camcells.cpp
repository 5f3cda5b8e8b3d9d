// The cam cells: value and caption, the open cycle of the menu, Delete, the keys to the row, the
// menu's columns and the rule of the two menus.
#include "tests/editors/CellTestSupport.h"

#include "editors/CamBox_m.h"
#include "editors/CamEdit_m.h"
#include "editors/CamPopupMenu_m.h"
#include "model/UCamCodes.h"
#include "ui/GfxUtils.h"

#include <QTest>

#include <gtest/gtest.h>

using celltest::Click;
using celltest::Press;
using celltest::RowWindow;

namespace {
using Keys = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

struct CamFixture {
    CamFixture() {
        menu = new MCamPopupMenu(nullptr, w.Window.get());
        menu->AddCamCodes();
        box = new MCamBox(nullptr, w.RowWidget);
        box->Tag = 206;
        box->setGeometry(20, 20, 50, 30);
        box->SetCamPopupMenu1(menu);
        box->OnChange = [this](QObject*) { ++changes; };
        box->OnPopup = [this](QObject*) {
            ++popups;
            menuVisibleAtPopup = menu->isVisible();
        };
        box->show();
        box->setFocus();
    }
    RowWindow w;
    MCamPopupMenu* menu;
    MCamBox* box;
    int changes = 0;
    int popups = 0;
    bool menuVisibleAtPopup = true;
};

// Items shown and breaks as the Z row gives them for a family mode on an ordinary machine.
void PrepareMode(MCamPopupMenu& Menu, int Mode) {
    for (int i = 0; i < Menu.Count(); ++i) {
        Menu.Item(i).Visible = Mode == 0 || (Mode == 1 ? i <= 13 : i == 0 || i >= 14);
        Menu.Item(i).Break = false;
    }
    const std::vector<int> breaks =
        Mode == 0 ? std::vector<int>{7, 14, 21} : std::vector<int>{Mode == 1 ? 7 : 20};
    for (int i : breaks)
        Menu.Item(i).Break = true;
}
} // namespace

TEST(CamBox, ValueShowsTheMenuCaptionAndFiresOnChange) {
    CamFixture f;
    f.box->SetValue(3);
    EXPECT_EQ(f.box->Caption(), CamCodeName(3));
    EXPECT_EQ(f.changes, 1);
    f.box->SetValue(3);
    EXPECT_EQ(f.changes, 1) << "the same value fires nothing";
    f.box->SetValue(27);
    EXPECT_TRUE(f.box->Caption().isEmpty());
    EXPECT_EQ(f.box->Value(), 27);
    f.box->SetValue(-1);
    EXPECT_TRUE(f.box->Caption().isEmpty());

    // Delete clears the box (one OnChange) and goes nowhere; Ctrl+Delete goes to the row.
    f.box->SetValue(5);
    f.changes = 0;
    EXPECT_TRUE(Press(f.box, Qt::Key_Delete));
    EXPECT_EQ(f.box->Value(), 0);
    EXPECT_TRUE(f.box->Caption().trimmed().isEmpty()) << "the blank name of code 0";
    EXPECT_EQ(f.changes, 1);
    EXPECT_TRUE(f.w.RowWidget->Keys.empty());
    Press(f.box, Qt::Key_Delete, Qt::ControlModifier);
    Press(f.box, Qt::Key_Left);
    Press(f.box, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    EXPECT_EQ(f.w.RowWidget->Keys,
              (Keys{{0x002E0002u, 0x00CE0000u}, {0x00250001u, 0x00CE0000u}, {0x00610000u, 0x00CE0000u}}));

    // The caption is drawn in the middle of the sunken box.
    f.box->SetValue(camJUJN);
    const QImage img = f.box->Render();
    EXPECT_EQ(PixelAt(img, 0, 0), 0x7F7F7Fu);
    int dark = 0;
    for (int y = 8; y < 22; ++y)
        for (int x = 8; x < 42; ++x)
            dark += GetRValue(PixelAt(img, x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 10);
}

TEST(CamBox, ClickCycleOpensClosesAndOpensAgain) {
    CamFixture f;
    Click(f.box);
    ASSERT_TRUE(f.menu->isVisible());
    EXPECT_TRUE(f.box->MenuOpened());
    EXPECT_EQ(f.popups, 1);
    EXPECT_FALSE(f.menuVisibleAtPopup) << "OnPopup runs before the menu is shown";
    EXPECT_EQ(f.menu->PopupComponent(), f.box);
    EXPECT_EQ(f.menu->pos(), f.box->mapToGlobal(QPoint(0, 30)));

    // The second click closes the cycle without opening again.
    Click(f.box);
    QApplication::processEvents();
    EXPECT_FALSE(f.menu->isVisible());
    EXPECT_FALSE(f.box->MenuOpened());
    EXPECT_EQ(f.popups, 1);

    Click(f.box);
    ASSERT_TRUE(f.menu->isVisible());
    EXPECT_EQ(f.popups, 2);

    // Choosing an item: caption, value, one OnChange, the cycle closed.
    const QRect item = f.menu->Layout().Items[camJU];
    QTest::mouseClick(f.menu, Qt::LeftButton, Qt::NoModifier, item.center());
    EXPECT_FALSE(f.menu->isVisible());
    EXPECT_EQ(f.box->Value(), camJU);
    EXPECT_EQ(f.box->Caption(), CamCodeName(camJU));
    EXPECT_FALSE(f.box->MenuOpened());
    EXPECT_EQ(f.changes, 1);

    // By the keyboard: Space opens, the arrows walk the columns, Enter chooses.
    Press(f.box, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    ASSERT_TRUE(f.menu->isVisible());
    Press(f.menu, Qt::Key_Down);
    Press(f.menu, Qt::Key_Down);
    EXPECT_EQ(f.menu->Highlighted(), 1);
    Press(f.menu, Qt::Key_Return);
    EXPECT_EQ(f.box->Value(), camJA);
}

TEST(CamMenu, ColumnsBreakAtTheItemsOfTheMode) {
    MCamPopupMenu menu(nullptr);
    menu.AddCamCodes();
    ASSERT_EQ(menu.Count(), CamCodeCount);
    for (int i = 0; i < menu.Count(); ++i) {
        EXPECT_EQ(menu.Item(i).Tag, i);
        EXPECT_EQ(menu.ItemCaption(i), CamCodeName(i));
    }
    EXPECT_TRUE(menu.ItemCaption(27).isEmpty());

    PrepareMode(menu, 0);
    std::vector<TCamMenuItem> items;
    for (int i = 0; i < menu.Count(); ++i)
        items.push_back(menu.Item(i));
    TCamMenuLayout l = CamMenuLayout(items, 40, 16);
    EXPECT_EQ(l.Columns, 4);
    EXPECT_EQ(l.Items[6], QRect(2, 2 + 6 * 16, 40, 16));
    EXPECT_EQ(l.Items[7], QRect(2 + 41, 2, 40, 16));
    EXPECT_EQ(l.Items[21], QRect(2 + 3 * 41, 2, 40, 16));
    EXPECT_EQ(l.Items[26], QRect(2 + 3 * 41, 2 + 5 * 16, 40, 16));
    EXPECT_EQ(l.Size, QSize(4 + 4 * 40 + 3, 4 + 7 * 16));

    PrepareMode(menu, 2);
    items.clear();
    for (int i = 0; i < menu.Count(); ++i)
        items.push_back(menu.Item(i));
    l = CamMenuLayout(items, 40, 16);
    EXPECT_EQ(l.Columns, 2);
    EXPECT_TRUE(l.Items[5].isEmpty()) << "a hidden item has no place";
    EXPECT_EQ(l.Items[14], QRect(2, 2 + 16, 40, 16));
    EXPECT_EQ(l.Items[20], QRect(2 + 41, 2, 40, 16));
}

TEST(CamMenu, OnlyTheFirstMenuIsActiveAsTheRowsSetThem) {
    CamFixture f;
    MCamPopupMenu second(nullptr, f.w.Window.get());
    for (int i = 0; i < 27; ++i)
        second.AddItem(QStringLiteral("m2-%1").arg(i), i);
    f.box->SetValue(2);
    f.box->SetCamPopupMenu2(&second);
    EXPECT_EQ(f.box->ActiveMenu(), f.menu);
    EXPECT_EQ(f.box->Caption(), CamCodeName(2));

    TCamMenus rule;
    MCamPopupMenu a(nullptr), b(nullptr);
    EXPECT_TRUE(rule.SetMenu1(&a));
    EXPECT_FALSE(rule.SetMenu2(&b));
    EXPECT_EQ(rule.Active(), &a);
    EXPECT_FALSE(rule.SetCurrentMenu(5)); // kept as 1: the first menu, already active
    EXPECT_EQ(rule.CurrentMenu(), 1);
    EXPECT_TRUE(rule.SetCurrentMenu(0));
    EXPECT_EQ(rule.Active(), &b);
    EXPECT_TRUE(rule.SetMenu2(&b) == false);
}

TEST(CamEdit, OpensTheMenuAndSendsKeyDowns) {
    RowWindow w;
    auto* menu = new MCamPopupMenu(nullptr, w.Window.get());
    menu->AddCamCodes();
    auto* edit = new MCamEdit(nullptr, w.RowWidget);
    edit->Tag = 2;
    edit->SetEnhanced(true);
    edit->SetCamPopupMenu1(menu);
    int popups = 0, changes = 0;
    edit->OnPopup = [&](QObject*) { ++popups; };
    edit->OnChange = [&](QObject*) { ++changes; };
    edit->setGeometry(10, 10, 60, 24);
    edit->show();
    edit->setFocus();
    EXPECT_TRUE(edit->isReadOnly());

    QTest::mouseClick(edit, Qt::LeftButton);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(popups, 1);
    menu->ChooseItem(camRR);
    EXPECT_EQ(edit->Value(), camRR);
    EXPECT_EQ(edit->text(), CamCodeName(camRR));
    EXPECT_EQ(changes, 1);

    Press(edit, Qt::Key_Delete, Qt::ControlModifier);
    Press(edit, Qt::Key_Down);
    Press(edit, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); // characters stay in the read-only edit
    EXPECT_EQ(w.RowWidget->Keys, (Keys{{0x002E0002u, 0x00020000u}, {0x00280001u, 0x00020000u}}));
    EXPECT_EQ(edit->text(), CamCodeName(camRR));
}

TEST(CamPopupMenu, TheNamesStandInAFixedPitchFont) {
    RowWindow w;
    MCamPopupMenu menu(nullptr, w.Window.get());
    menu.AddCamCodes();
    ASSERT_EQ(menu.Count(), 27);
    EXPECT_TRUE(QFontInfo(menu.font()).fixedPitch());
    // Every name is five characters with its own spaces: all measure alike, so the columns are
    // straight.
    const QFontMetrics fm(menu.font());
    const int width = fm.horizontalAdvance(menu.ItemCaption(1));
    for (int i = 0; i < menu.Count(); ++i)
        EXPECT_EQ(fm.horizontalAdvance(menu.ItemCaption(i)), width) << i;
}
