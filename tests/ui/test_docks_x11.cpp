// Floating tool windows under a real window system: Xvfb with the openbox window manager. What the
// offscreen platform cannot show: the application losing the focus to another program, a minimised
// form, a real click that must leave the form active, and a window kept above others.
// Skips itself with a message when Xvfb or openbox cannot run.

#include "tests/ui/DockTestSupport.h"
#include "tests/ui/DockX11Support.h"

#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace docktest;

namespace {

// A form with its docks shown and active, and one floating tool window over it.
struct Scene {
    Host Form{QRect(100, 100, 500, 360)};
    TDockWindow* Tool;
    Scene() {
        Tool = MakeWindow(Form.Form.get(), QStringLiteral("Tool"), 120, 30);
        Tool->SetFloatingPosition(QPoint(700, 150));
        Tool->SetDockedTo(nullptr);
        Form.Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.Form.get()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Tool->FloatParent()->isVisible(); }));
        QTest::qWait(100);
    }
    bool FloatingShown() const { return Tool->FloatParent() && Tool->FloatParent()->isVisible(); }
};

TEST(DocksX11, DeactivatingTheApplicationHidesAWindowThatHidesWhenInactive) {
    SKIP_WITHOUT_X11();
    Scene s;
    const unsigned long other = dockx11::ForeignWindowTakesFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !AppHasActiveWindow(); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.FloatingShown(); }));
    s.Form.Form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(s.Form.Form.get()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.FloatingShown(); }));
    // One that stays shows its caption inactive instead.
    s.Tool->SetHideWhenInactive(false);
    dockx11::DestroyForeignWindow(other);
    const unsigned long again = dockx11::ForeignWindowTakesFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.Tool->InactiveCaption(); }));
    EXPECT_TRUE(s.FloatingShown());
    dockx11::DestroyForeignWindow(again);
}

TEST(DocksX11, MinimisingTheFormHidesItsFloatingWindow) {
    SKIP_WITHOUT_X11();
    Scene s;
    s.Form.Form->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.FloatingShown(); }));
    s.Form.Form->showNormal();
    s.Form.Form->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.FloatingShown(); }));
}

TEST(DocksX11, ClickingTheFloatingWindowLeavesTheFormActive) {
    SKIP_WITHOUT_X11();
    Scene s;
    const QPoint at = s.Tool->mapToGlobal(QPoint(s.Tool->width() / 2, s.Tool->height() - 8));
    dockx11::Click(at.x(), at.y());
    QTest::qWait(300);
    EXPECT_EQ(QApplication::activeWindow(), s.Form.Form.get());
    EXPECT_TRUE(s.FloatingShown());
    EXPECT_FALSE(s.Tool->Dragging());
    EXPECT_TRUE(s.Tool->Floating());
}

TEST(DocksX11, OnTopOfAllFormsStaysAboveAnotherWindow) {
    SKIP_WITHOUT_X11();
    Scene s;
    s.Tool->SetFloatingMode(TFloatingMode::fmOnTopOfAllForms);
    QWidget other;
    other.setGeometry(650, 120, 300, 200);
    other.show();
    other.raise();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::qWait(200);
    // Another window raised and activated does not hide it; it asks to be kept above while enabled.
    EXPECT_TRUE(s.FloatingShown());
    EXPECT_TRUE(s.Tool->FloatParent()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(s.Tool->FloatParent()->windowHandle()->transientParent(), nullptr);
    s.Tool->setEnabled(false);
    EXPECT_FALSE(s.Tool->FloatParent()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.FloatingShown(); }));
}

TEST(DocksX11, FloatingAgainAfterDockingStaysAboveItsFormWhenTheFormIsClicked) {
    SKIP_WITHOUT_X11();
    Scene s;
    s.Tool->SetDockedTo(s.Form.Right);
    QTest::qWait(100);
    s.Tool->SetFloatingPosition(QPoint(200, 200));
    s.Tool->SetDockedTo(nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.FloatingShown(); }));
    QTest::qWait(200);
    // A click on the form's title bar raises the form; its floating window stays above it.
    const QRect frame = s.Form.Form->frameGeometry();
    const QRect inner = s.Form.Form->geometry();
    dockx11::Click(inner.center().x(), (frame.top() + inner.top()) / 2);
    QTest::qWait(300);
    EXPECT_TRUE(s.FloatingShown());
    EXPECT_TRUE(dockx11::StackedAbove(s.Tool->FloatParent()->winId(), s.Form.Form->winId()));
}

} // namespace
