// Toolbar buttons under a real window system (the display of test_docks_x11.cpp): a dropped menu
// closed by a real press on the button that dropped it stays closed. The window system gives that
// press back to the widget under the pointer once the menu has gone, which the offscreen platform
// never does.

#include "tests/ui/DockTestSupport.h"
#include "tests/ui/DockX11Support.h"

#include "ui/DockCtls.h"

#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

using namespace docktest;

namespace {

TEST(ToolbarButtonX11, ThePressThatClosesTheMenuOnItsButtonDoesNotReopenIt) {
    SKIP_WITHOUT_X11();
    for (const bool combo : {true, false}) {
        SCOPED_TRACE(combo ? "combo" : "whole button");
        Host host(QRect(100, 100, 400, 300));
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.Form.get()));
        auto* b = new TDockToolbarButton(host.Client);
        b->move(40, 30);
        if (combo) {
            b->SetDropdownArrowWidth(20);
            b->SetDropdownCombo(true);
        }
        auto* menu = new QMenu(host.Form.get());
        menu->addAction(QStringLiteral("Width 1"))->setData(1484);
        menu->addAction(QStringLiteral("Width 2"))->setData(1485);
        b->SetDropdownMenu(menu);
        b->show();
        int drops = 0, clicks = 0;
        b->OnDropdown = [&](QObject*, bool&, bool&) { ++drops; };
        b->OnClick = [&](QObject*) { ++clicks; };
        QTest::qWait(100);

        const QPoint at = b->mapToGlobal(QPoint(b->width() - 6, b->height() / 2));
        dockx11::Click(at.x(), at.y());
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        EXPECT_EQ(drops, 1);
        QTest::qWait(150);

        // The same press again closes the menu and does not drop it once more.
        dockx11::Click(at.x(), at.y());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }));
        QTest::qWait(300);
        EXPECT_FALSE(menu->isVisible());
        EXPECT_EQ(drops, 1);
        EXPECT_FALSE(b->MenuShowing());
        EXPECT_EQ(b->State(), tbsHot); // the pointer is still on it
        // A press after that drops it as before.
        dockx11::Click(at.x(), at.y());
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        EXPECT_EQ(drops, 2);
        menu->hide();
        EXPECT_EQ(clicks, combo ? 0 : 2);
    }
}

} // namespace
