// The frame's Width drop-down under a real window system (Xvfb with openbox): the press that closes
// its menu on the Width button leaves it closed and chooses no width, and the next press drops it
// again, in both languages.

#include "tests/app/AppTestSupport.h"
#include "tests/ui/DockX11Support.h"

#include "app/BusCodes.h"
#include "ui/DockToolBar_m.h"
#include "ui/PopupMenu_m.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(MainToolbarsX11, ThePressThatClosesTheWidthMenuOnItsButtonChoosesNoWidth) {
    if (!dockx11::Running())
        GTEST_SKIP() << "no X display";
    for (const int language : {0, 1}) {
        SCOPED_TRACE(language == 0 ? "Arabic" : "English");
        apptest::StationFixture station("[JXW777]\nLangID=" + QByteArray::number(language) + "\n");
        TFormMain& frame = station.Main();
        frame.showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        MDockToolBarButton* thick = frame.Tools()->Thick;
        QMenu* menu = frame.Tools()->WidthMenu;
        const QImage glyph = thick->Glyph();
        int widths = 0;
        QObject::connect(&TDropdownList::Instance(), &TDropdownList::Command, &frame,
                         [&](int Id, QMenu*, QWidget*) { widths += Id >= bus::MenuCmdWidthFirst; });
        QTest::qWait(150);

        const QPoint at = thick->mapToGlobal(QPoint(thick->width() / 2, thick->height() / 2));
        dockx11::Click(at.x(), at.y());
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        EXPECT_EQ(menu->layoutDirection(), language == 0 ? Qt::RightToLeft : Qt::LeftToRight);
        QTest::qWait(150);

        dockx11::Click(at.x(), at.y());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }));
        QTest::qWait(300);
        EXPECT_FALSE(menu->isVisible());
        EXPECT_FALSE(thick->MenuShowing());
        EXPECT_EQ(widths, 0);
        EXPECT_EQ(thick->Glyph(), glyph);
        EXPECT_EQ(frame.Tools()->ToolState().PenWidth, 1);

        dockx11::Click(at.x(), at.y());
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        menu->hide();
        QTest::qWait(50);
    }
}

} // namespace
