#include "tests/support/MenuInk.h"
#include "ui/AChkBox.h"
#include "ui/AComboBx.h"
#include "ui/AEdit.h"
#include "ui/AGroupBx.h"
#include "ui/ALabel.h"
#include "ui/AListBox.h"
#include "ui/AMemo.h"
#include "ui/AMenus.h"
#include "ui/ARadGrup.h"
#include "ui/ARadio.h"
#include "ui/BiDi.h"
#include "ui/KeyboardLayout.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

// Each control's switch, read and written the same way.
template <typename C>
void ExpectInert() {
    C c;
    EXPECT_FALSE(c.Arabic());
    c.SetArabic(true);
    EXPECT_FALSE(c.Arabic());
}

TEST(RightToLeftControls, InertWithoutRightToLeftSupport) {
    MKeyboardLayouts::Instance().SetBackend(nullptr);
    MiddleEastEnabled = false;
    ExpectInert<TArabLabel>();
    ExpectInert<TArabCheckBox>();
    ExpectInert<TArabRadioButton>();
    ExpectInert<TArabGroupBox>();
    ExpectInert<TArabRadioGroup>();
    ExpectInert<TArabEdit>();
    ExpectInert<TArabMemo>();
    ExpectInert<TArabComboBox>();
    ExpectInert<TArabListBox>();
    ExpectInert<TArabMainMenu>();
    ExpectInert<TArabPopupMenu>();
    TArabLabel l;
    EXPECT_EQ(l.Alignment(), taLeftJustify);
    EXPECT_EQ(l.layoutDirection(), Qt::LeftToRight);
    MiddleEastEnabled = true;
}

TEST(RightToLeftControls, SwitchesSetTheDirectionAndKeepExplicitAlignmentAbsolute) {
    MKeyboardLayouts::Instance().SetBackend(nullptr);
    TArabLabel l;
    EXPECT_TRUE(l.Arabic());
    EXPECT_EQ(l.Alignment(), taRightJustify);
    EXPECT_EQ(l.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(l.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight | Qt::AlignAbsolute);
    l.SetArabic(false);
    EXPECT_EQ(l.layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(l.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight | Qt::AlignAbsolute);
    l.SetAlignment(taLeftJustify);
    EXPECT_EQ(l.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft | Qt::AlignAbsolute);
    EXPECT_GT(l.sizeHint().height(), 0); // an empty caption measures as a blank

    TArabCheckBox c;
    EXPECT_EQ(c.Alignment(), taLeftJustify); // caption on the left of the box
    EXPECT_EQ(c.layoutDirection(), Qt::RightToLeft);
    c.SetAlignment(taRightJustify);
    EXPECT_EQ(c.layoutDirection(), Qt::LeftToRight);

    TArabGroupBox g;
    EXPECT_EQ(g.alignment(), Qt::AlignRight | Qt::AlignAbsolute);
    g.SetArabic(false);
    EXPECT_EQ(g.alignment(), Qt::AlignLeft | Qt::AlignAbsolute);

    TArabMemo m;
    EXPECT_EQ(m.Alignment(), taRightJustify);
    EXPECT_EQ(m.document()->defaultTextOption().alignment(), Qt::AlignRight | Qt::AlignAbsolute);
    m.SetArabic(false);
    EXPECT_EQ(m.layoutDirection(), Qt::LeftToRight);
    EXPECT_FALSE(m.KeyboardLanguage);

    TArabEdit e;
    TArabComboBox cb;
    TArabListBox lb;
    for (QWidget* w : std::initializer_list<QWidget*>{&e, &cb, &lb})
        EXPECT_EQ(w->layoutDirection(), Qt::RightToLeft);
    lb.SetArabic(false);
    EXPECT_EQ(lb.layoutDirection(), Qt::LeftToRight);
}

TEST(RightToLeftControls, MenusTakeTheOrderOnceTheyHaveItems) {
    TArabMainMenu bar;
    bar.SetArabic(false);
    EXPECT_FALSE(bar.OrderApplied()); // no items yet
    bar.addAction(QStringLiteral("File"));
    EXPECT_TRUE(bar.OrderApplied());
    EXPECT_EQ(bar.layoutDirection(), Qt::LeftToRight);
    bar.SetArabic(true);
    EXPECT_EQ(bar.layoutDirection(), Qt::RightToLeft);

    TArabPopupMenu pop;
    pop.SetArabic(false);
    pop.SetArabic(true);
    EXPECT_FALSE(pop.OrderApplied());
    pop.addAction(QStringLiteral("Copy"));
    emit pop.aboutToShow();
    EXPECT_TRUE(pop.OrderApplied());
    EXPECT_EQ(pop.layoutDirection(), Qt::RightToLeft);

    // Switched while emptied, a menu shows the items added afterwards in the new order.
    bar.clear();
    bar.SetArabic(false);
    bar.addAction(QStringLiteral("Edit"));
    EXPECT_EQ(bar.layoutDirection(), Qt::LeftToRight);
    pop.clear();
    pop.SetArabic(false);
    pop.addAction(QStringLiteral("Paste"));
    emit pop.aboutToShow();
    EXPECT_EQ(pop.layoutDirection(), Qt::LeftToRight);
}

TEST(RightToLeftControls, MenuItemTextsStandOnTheSideOfTheMenusDirection) {
    for (const bool arabic : {false, true}) {
        SCOPED_TRACE(arabic ? "right to left" : "left to right");
        TArabPopupMenu pop;
        pop.SetArabic(arabic);
        QAction* shortItem = pop.addAction(QStringLiteral("Copy"));
        QAction* longItem = pop.addAction(QStringLiteral("Copy the whole selection"));
        emit pop.aboutToShow();
        pop.adjustSize();
        const QImage image = pop.grab().toImage();
        const auto [shortLeft, shortRight] = kdstest::InkColumns(image, pop.actionGeometry(shortItem));
        const auto [longLeft, longRight] = kdstest::InkColumns(image, pop.actionGeometry(longItem));
        ASSERT_GE(shortRight, shortLeft);
        if (arabic) {
            EXPECT_NEAR(shortRight, longRight, 1);
            EXPECT_GT(shortLeft, longLeft + 20);
        } else {
            EXPECT_NEAR(shortLeft, longLeft, 1);
            EXPECT_LT(shortRight, longRight - 20);
        }
    }
}

struct RadioCase {
    bool Arabic;
    int Columns;
    int Count;
    std::vector<int> Column; // expected column of each button, counted from the left
};

TEST(RightToLeftControls, RadioGroupLaysOutItsButtons) {
    const std::vector<RadioCase> cases{
        {true, 2, 5, {1, 1, 1, 0, 0}}, {false, 2, 5, {0, 0, 0, 1, 1}}, {true, 3, 4, {2, 2, 1, 1}},
        {false, 1, 3, {0, 0, 0}},      {true, 16, 2, {15, 14}},
    };
    for (const RadioCase& rc : cases) {
        TArabRadioGroup g;
        g.resize(216, 120);
        g.SetArabic(rc.Arabic);
        g.SetColumns(rc.Columns);
        QStringList items;
        for (int i = 0; i < rc.Count; ++i)
            items << QStringLiteral("Item %1").arg(i);
        g.SetItems(items);
        const int T = QFontMetrics(g.font()).height();
        const int rows = (rc.Count + rc.Columns - 1) / rc.Columns;
        const int bw = (216 - 16) / rc.Columns;
        const int free = 120 - T - 5;
        const int bh = free / rows;
        const int top = T + 1 + (free % rows) / 2;
        ASSERT_EQ(g.Buttons().size(), rc.Count);
        for (int i = 0; i < rc.Count; ++i) {
            const auto* b = g.Buttons()[i];
            EXPECT_EQ(b->geometry(), QRect(8 + rc.Column[i] * bw, top + (i % rows) * bh, bw, bh))
                << "case " << rc.Columns << "x" << rc.Count << " arabic " << rc.Arabic << " item " << i;
            EXPECT_EQ(b->text(), items[i]);
            EXPECT_EQ(b->Alignment(), rc.Arabic ? taLeftJustify : taRightJustify);
        }
    }
}

TEST(RightToLeftControls, RadioGroupClampsAndChecks) {
    TArabRadioGroup g;
    g.SetItems({"a", "b", "c"});
    g.SetColumns(0);
    EXPECT_EQ(g.Columns(), 1);
    g.SetColumns(40);
    EXPECT_EQ(g.Columns(), 16);
    g.SetItemIndex(7);
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_TRUE(g.Buttons()[2]->isChecked());
    g.SetItemIndex(-5);
    EXPECT_EQ(g.ItemIndex(), -1);
    for (auto* b : g.Buttons())
        EXPECT_FALSE(b->isChecked());
    int clicks = 0;
    g.OnClick = [&] { ++clicks; };
    g.Buttons()[1]->click();
    EXPECT_EQ(g.ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    // Switching the direction builds the buttons again with the group's switch.
    g.SetArabic(false);
    EXPECT_FALSE(g.Buttons()[0]->Arabic());
    EXPECT_TRUE(g.Buttons()[1]->isChecked());
}

} // namespace
