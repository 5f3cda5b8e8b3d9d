// Docks and tool windows offscreen: placement rules, arrangement, parent changes, floating parents,
// and the pointer: drags between docks, into the free and back, the close button, sizing.

#include "tests/ui/DockTestSupport.h"

#include "platform/ColorQt.h"
#include "platform/Errors.h"
#include "platform/SysColors.h"
#include "ui/DockCnst.h"
#include "ui/DockCtls.h"
#include "ui/DockPrivate.h"
#include "ui/DockTlbr.h"

#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace docktest;

namespace {

// Press at Local on W, move to the screen point Target with the button held, release there.
void Drag(QWidget* W, QPoint Local, QPoint Target, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    QTest::mousePress(W, Qt::LeftButton, Mods, Local);
    QTest::mouseMove(W, W->mapFromGlobal(Target));
    QTest::mouseRelease(W, Qt::LeftButton, Mods, W->mapFromGlobal(Target));
}

QPoint Global(QWidget* W, QPoint Local) {
    return W->mapToGlobal(Local);
}

// ---- Hooks.

int Calls[4];
void CountingHook(THookKind Kind, QObject*, QEvent*) {
    ++Calls[Kind];
}
void OtherHook(THookKind, QObject*, QEvent*) {}

TEST(DockHooks, CountedPerProcedureAndPerKind) {
    ASSERT_FALSE(HookFilterInstalled());
    RegisterHook(CountingHook, HookKind(hkMouseMove) | HookKind(hkWindowChanged));
    RegisterHook(CountingHook, HookKind(hkMouseMove) | HookKind(hkWindowChanged));
    RegisterHook(OtherHook, HookKind(hkWindowChanged));
    EXPECT_EQ(HookRegistrationCount(CountingHook), 2);
    EXPECT_EQ(HookUseCount(hkMouseMove), 2);
    EXPECT_EQ(HookUseCount(hkWindowChanged), 3);
    UnregisterHook(CountingHook);
    EXPECT_TRUE(HookFilterInstalled());
    EXPECT_EQ(HookUseCount(hkMouseMove), 1);
    UnregisterHook(OtherHook);
    EXPECT_TRUE(HookFilterInstalled());
    UnregisterHook(CountingHook);
    EXPECT_EQ(HookRegistrationCount(CountingHook), 0);
    EXPECT_EQ(HookUseCount(hkWindowChanged), 0);
    EXPECT_FALSE(HookFilterInstalled());
    // Counting only (as a designer would) installs nothing.
    RegisterHook(OtherHook, HookKind(hkActivateApp), true);
    EXPECT_FALSE(HookFilterInstalled());
    UnregisterHook(OtherHook);
}

TEST(DockHooks, WindowChangesDestructionAndSpontaneousMovesReachTheirKinds) {
    std::fill(std::begin(Calls), std::end(Calls), 0);
    RegisterHook(CountingHook, HookKind(hkWindowChanged) | HookKind(hkDestroyWindow) | HookKind(hkMouseMove));
    {
        QWidget window;
        window.setGeometry(10, 10, 100, 80);
        window.show();
        QCoreApplication::processEvents();
        EXPECT_GT(Calls[hkWindowChanged], 0);
        window.move(40, 40);
        // A move sent straight to a widget is not a pointer move of the window system.
        const int before = Calls[hkMouseMove];
        QMouseEvent direct(QEvent::MouseMove, QPointF(5, 5), QPointF(45, 45), Qt::NoButton, Qt::NoButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &direct);
        EXPECT_EQ(Calls[hkMouseMove], before);
        // Two different places: the window system drops a move that goes nowhere.
        QTest::mouseMove(window.windowHandle(), QPoint(20, 20));
        QTest::mouseMove(window.windowHandle(), QPoint(31, 27));
        QCoreApplication::processEvents();
        EXPECT_GT(Calls[hkMouseMove], before);
    }
    EXPECT_EQ(Calls[hkDestroyWindow], 1);
    UnregisterHook(CountingHook);
}

// ---- Placement.

TEST(DockPlacement, MisplacedDocksAndToolWindowsAreRefusedBeforeAnythingChanges) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 40, 20);
    bar->SetDockedTo(host.Top);
    try {
        new TDockArea(bar);
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), SDockParentNotAllowed());
    }
    EXPECT_THROW(host.Left->SetParent(host.Top), EInvalidOperation);
    EXPECT_EQ(host.Left->parentWidget(), host.Form.get());
    try {
        host.Top->SetPosition(TDockPosition::dpBottom);
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), SDockCannotChangePosition());
    }
    EXPECT_EQ(host.Top->Position(), TDockPosition::dpTop);
    try {
        bar->SetParent(host.Client);
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), SToolWindowParentNotAllowed());
    }
    EXPECT_EQ(bar->DockedTo(), host.Top);
    TDockWindow* loose = MakeWindow(nullptr, QStringLiteral("Loose"), 40, 20);
    try {
        loose->SetDockedTo(nullptr);
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Control 'Loose' has no parent window"));
    }
    delete loose;
    // An empty dock may change its edge.
    host.Bottom->SetPosition(TDockPosition::dpBottom);
}

TEST(DockPlacement, DocksTakeTheirEdgesAndTheBarsTheirRows) {
    Host host;
    EXPECT_EQ(host.Top->height(), 0);
    host.Top->SetFixAlign(true);
    EXPECT_EQ(host.Top->height(), 1);
    host.Top->SetBoundLines(blTop | blBottom);
    EXPECT_EQ(host.Top->height(), 1);
    host.Top->SetFixAlign(false);

    TDockWindow* a = MakeWindow(host.Form.get(), QStringLiteral("A"), 46, 20);
    TDockWindow* b = MakeWindow(host.Form.get(), QStringLiteral("B"), 40, 20);
    TDockWindow* c = MakeWindow(host.Form.get(), QStringLiteral("C"), 30, 12);
    std::vector<std::pair<bool, QString>> inserted;
    host.Top->OnInsertRemoveBar = [&](TDockArea*, bool In, TCustomDockWindow* Bar) {
        inserted.emplace_back(In, Bar->objectName());
    };
    a->SetDockPos(0);
    a->SetDockedTo(host.Top);
    b->SetDockPos(10);
    b->SetDockedTo(host.Top);
    c->SetDockRow(7);
    c->SetDockedTo(host.Top);
    ASSERT_EQ(inserted.size(), 3u);
    EXPECT_TRUE(inserted[0].first);
    // a is 46 + 11 + 2 wide: b moves to its end; c's row 7 closes up to row 1.
    EXPECT_EQ(a->Width(), 59);
    EXPECT_EQ(b->DockPos(), 59);
    EXPECT_EQ(c->DockRow(), 1);
    EXPECT_EQ(a->BoundsRect(), QRect(0, 0, 59, 24));
    EXPECT_EQ(c->BoundsRect(), QRect(0, 24, 43, 16));
    // Two bound lines take a pixel each across the dock.
    EXPECT_EQ(host.Top->height(), 24 + 16 + 2);
    EXPECT_EQ(a->geometry().topLeft(), QPoint(0, 1));
    // The left dock runs between the top and bottom docks.
    host.Left->SetFixAlign(true);
    EXPECT_EQ(host.Left->geometry(), QRect(0, 42, 1, 400 - 42));
    // Hiding a bar takes it out of the dock's layout; the others close up.
    a->setVisible(false);
    EXPECT_EQ(inserted.back(), std::make_pair(false, QStringLiteral("A")));
    EXPECT_EQ(host.Top->VisibleBars().size(), 2u);
    EXPECT_EQ(b->Left(), 59);
    b->SetDockPos(0);
    EXPECT_EQ(b->Left(), 0);
}

TEST(DockPlacement, ParentChangeRaisesItsEventsInOrder) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 40, 20);
    bar->SetDockedTo(host.Top);
    std::vector<std::string> events;
    bar->OnDockChanging = [&](TCustomDockWindow*) { events.push_back("Changing"); };
    bar->OnDockChangingEx = [&](TCustomDockWindow*, TDockArea* To) {
        events.push_back(To == host.Left ? "ChangingEx(Left)" : "ChangingEx(?)");
    };
    bar->OnRecreating = [&](TCustomDockWindow*) { events.push_back("Recreating"); };
    bar->OnDockChangingHidden = [&](TCustomDockWindow* W, TDockArea*) {
        events.push_back(W->isHidden() ? "ChangingHidden(hidden)" : "ChangingHidden(shown)");
    };
    bar->OnMove = [&](TCustomDockWindow*) { events.push_back("Move"); };
    bar->OnRecreated = [&](TCustomDockWindow*) { events.push_back("Recreated"); };
    bar->OnDockChanged = [&](TCustomDockWindow*) { events.push_back("Changed"); };
    bar->SetDockedTo(host.Left);
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "ChangingEx(Left)", "Recreating",
                                                "ChangingHidden(hidden)", "Move", "Recreated", "Changed"}));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->DockedTo(), host.Left);
    EXPECT_EQ(host.Top->height(), 0);
    // Docked on the left, the grip is on top.
    EXPECT_EQ(bar->FrameSize(), (TFrameSize{2, 11, 2, 2}));
}

TEST(DockPlacement, FloatingMakesOneFloatingParentAndDockingFreesIt) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 60, 24);
    bar->SetDockedTo(host.Top);
    bar->SetFloatingPosition(QPoint(300, 300));
    bar->SetDockedTo(nullptr);
    Flush();
    ASSERT_TRUE(bar->Floating());
    EXPECT_EQ(FloatingParentCount(), 1);
    TFloatingWindowParent* parent = bar->FloatParent();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^DockFloatingWindowParent_[0-9a-f]{8}$"))
                    .match(parent->objectName())
                    .hasMatch());
    EXPECT_TRUE(parent->isVisible());
    EXPECT_TRUE(parent->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(parent->windowHandle()->transientParent(), host.Form->windowHandle());
    EXPECT_EQ(bar->BoundsRect(), QRect(300, 300, 60 + 8, 24 + 8 + smSmallCaption));
    EXPECT_EQ(TCustomDockWindow::FloatingWindows(), std::vector<TCustomDockWindow*>{bar});
    // While floating it keeps its place in the top dock, which lays nothing out for it.
    EXPECT_EQ(host.Top->Bars().size(), 1u);
    EXPECT_EQ(host.Top->height(), 0);
    bar->SetDockedTo(host.Top);
    Flush();
    EXPECT_EQ(FloatingParentCount(), 0);
    EXPECT_TRUE(TCustomDockWindow::FloatingWindows().empty());
    EXPECT_EQ(host.Top->height(), 28);
}

TEST(DockPlacement, ForgettingTheLastDockLeavesUseLastDockOff) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 40, 20);
    bar->SetUseLastDock(false);
    bar->SetLastDock(nullptr);
    EXPECT_FALSE(bar->UseLastDock());
    bar->SetLastDock(host.Right);
    EXPECT_TRUE(bar->UseLastDock());
    EXPECT_EQ(host.Right->Bars().size(), 1u);
    bar->SetUseLastDock(false);
    EXPECT_EQ(bar->LastDock(), nullptr);
    EXPECT_TRUE(host.Right->Bars().empty());
}

TEST(DockPlacement, FloatingWindowGoesWithItsFormAndADockWithItsBars) {
    {
        Host host;
        TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 40, 20);
        bar->SetFloatingPosition(QPoint(200, 200));
        bar->SetDockedTo(host.Right);
        bar->SetDockedTo(nullptr);
        ASSERT_TRUE(bar->Floating());
        delete host.Right;
        EXPECT_EQ(bar->LastDock(), nullptr);
    }
    Flush();
    EXPECT_EQ(FloatingParentCount(), 0);
    EXPECT_TRUE(TCustomDockWindow::FloatingWindows().empty());
}

TEST(DockPlacement, LoadedBringsAFloatingWindowOffEveryWorkAreaOntoTheNearest) {
    Host host(QRect(100, 100, 600, 400));
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 60, 24);
    TDockWindow* kept = MakeWindow(host.Form.get(), QStringLiteral("Kept"), 60, 24);
    for (TDockWindow* w : {bar, kept}) {
        w->SetFloatingPosition(QPoint(0, 0));
        w->SetParent(host.Form.get());
        w->SetBounds(5000, -3000, w->Width(), w->Height());
    }
    kept->SetSavedAtRunTime(true);
    bar->Loaded();
    kept->Loaded();
    EXPECT_EQ(bar->BoundsRect().topLeft(), QPoint(1000 - bar->Width(), 0));
    EXPECT_EQ(kept->BoundsRect().topLeft(), QPoint(5000, -3000));
    // Given relative to the form, a place on the screen stays there.
    TDockWindow* inside = MakeWindow(host.Form.get(), QStringLiteral("Inside"), 60, 24);
    inside->SetParent(host.Form.get());
    inside->SetBounds(20, 30, inside->Width(), inside->Height());
    inside->Loaded();
    EXPECT_EQ(inside->BoundsRect().topLeft(), host.Form->mapToGlobal(QPoint(20, 30)));
}

// ---- Dragging.

TEST(DockDrag, TopDockToLeftDockToTheFreeAndBackByDoubleClick) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 60, 24);
    TDockWindow* other = MakeWindow(host.Form.get(), QStringLiteral("Other"), 30, 30);
    bar->SetDockedTo(host.Top);
    other->SetDockRow(0);
    other->SetDockPos(0);
    other->SetDockedTo(host.Left);
    ASSERT_EQ(bar->BoundsRect(), QRect(0, 0, 73, 28));

    // Grabbed on its grip, dropped on the left dock below the other bar.
    Drag(bar, QPoint(5, 10), Global(host.Left, QPoint(0, 150)));
    ASSERT_EQ(bar->DockedTo(), host.Left);
    EXPECT_EQ(bar->DockRow(), 0);
    const int pos = bar->DockPos();
    EXPECT_GT(pos, other->DockPos() + other->Height() - 1);
    EXPECT_EQ(host.Top->height(), 0);
    // In a vertical dock the window keeps its client and takes the grip on top.
    EXPECT_EQ(bar->Width(), 64);
    EXPECT_EQ(bar->Height(), 24 + 11 + 2);

    // Dragged into the middle of the form: floats with its top-left at the outline's.
    const QPoint free = Global(host.Client, QPoint(200, 150));
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
    QTest::mouseMove(bar, bar->mapFromGlobal(free));
    ASSERT_TRUE(bar->Dragging());
    const QRect outline = bar->DragOutline();
    EXPECT_EQ(bar->DragHoveredDock(), nullptr);
    EXPECT_EQ(bar->DragOutlineThickness(), 4);
    EXPECT_EQ(outline.size(), QSize(60 + 8, 24 + 8 + smSmallCaption));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(free));
    ASSERT_TRUE(bar->Floating());
    EXPECT_EQ(bar->BoundsRect(), outline);
    EXPECT_EQ(bar->LastDock(), host.Left);

    // A double click on its caption sends it back to its row and position in the left dock.
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(20, 8));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(20, 8));
    Flush();
    ASSERT_EQ(bar->DockedTo(), host.Left);
    EXPECT_EQ(bar->DockRow(), 0);
    EXPECT_EQ(bar->DockPos(), pos);
    EXPECT_EQ(FloatingParentCount(), 0);

    // A double click on a docked window floats it at its last floating place.
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
    ASSERT_TRUE(bar->Floating());
    EXPECT_EQ(bar->BoundsRect().topLeft(), outline.topLeft());
}

TEST(DockDrag, CtrlKeepsTheWindowFloatingAndEscapeChangesNothing) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 60, 24);
    bar->SetDockedTo(host.Top);
    const QPoint overLeft = Global(host.Left, QPoint(2, 150));

    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    QTest::mouseMove(bar, bar->mapFromGlobal(overLeft));
    EXPECT_EQ(bar->DragHoveredDock(), host.Left);
    EXPECT_EQ(bar->DragOutlineThickness(), 1);
    QTest::keyPress(bar, Qt::Key_Control);
    EXPECT_EQ(bar->DragHoveredDock(), nullptr);
    QTest::keyRelease(bar, Qt::Key_Control);
    EXPECT_EQ(bar->DragHoveredDock(), host.Left);
    QTest::keyPress(bar, Qt::Key_Escape);
    EXPECT_FALSE(bar->Dragging());
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(overLeft));
    EXPECT_EQ(bar->DockedTo(), host.Top);
    EXPECT_EQ(bar->BoundsRect(), QRect(0, 0, 73, 28));

    Drag(bar, QPoint(5, 10), overLeft, Qt::ControlModifier);
    EXPECT_TRUE(bar->Floating());

    // A second press ends a drag with no change too.
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(20, 8));
    QTest::mouseMove(bar, bar->mapFromGlobal(overLeft));
    QTest::mousePress(bar, Qt::RightButton, Qt::NoModifier, bar->mapFromGlobal(overLeft));
    EXPECT_TRUE(bar->Dragging());
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(overLeft));
    EXPECT_FALSE(bar->Dragging());
    EXPECT_TRUE(bar->Floating());
}

TEST(DockDrag, RefusedDockHandsTheWindowToTheNextAndCandidatesFollowTheRules) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 60, 24);
    bar->SetDockedTo(host.Top);
    host.Right->SetAllowDrag(false);
    bar->SetDockableTo(AllDockPositions & ~DockPositionBit(TDockPosition::dpBottom));
    // A second dock on the left, inside the client area, takes what the first refuses.
    auto* inner = new TDockArea(host.Client, TDockPosition::dpLeft);
    inner->setGeometry(0, 0, 1, 200);
    inner->show();
    int asked = 0;
    host.Left->OnRequestDock = [&](TDockArea*, TCustomDockWindow*, bool& Accept) {
        ++asked;
        Accept = false;
    };
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    EXPECT_EQ(bar->DragCandidates(), (std::vector<TDockArea*>{host.Top, host.Left, inner}));
    const QPoint target = Global(host.Left, QPoint(0, 100));
    QTest::mouseMove(bar, bar->mapFromGlobal(target));
    EXPECT_GT(asked, 0);
    EXPECT_EQ(bar->DragHoveredDock(), inner);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(target));
    EXPECT_EQ(bar->DockedTo(), inner);

    // Only within its own dock: no other dock and no floating.
    bar->SetDockMode(TDockMode::dmCannotFloatOrChangeDocks);
    Drag(bar, QPoint(10, 5), Global(host.Client, QPoint(300, 200)));
    EXPECT_EQ(bar->DockedTo(), inner);
    bar->SetDockMode(TDockMode::dmCannotFloat);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
    QTest::mouseMove(bar, bar->mapFromGlobal(Global(host.Client, QPoint(300, 200))));
    EXPECT_TRUE(bar->DragOutline().isEmpty());
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier,
                        bar->mapFromGlobal(Global(host.Client, QPoint(300, 200))));
    EXPECT_EQ(bar->DockedTo(), inner);
}

TEST(DockDrag, FullSizeBarDroppedOnAnOccupiedRowGetsANewRowAfterIt) {
    Host host;
    TDockWindow* a = MakeWindow(host.Form.get(), QStringLiteral("A"), 60, 24);
    TDockWindow* b = MakeWindow(host.Form.get(), QStringLiteral("B"), 60, 24);
    TDockWindow* full = MakeWindow(host.Form.get(), QStringLiteral("Full"), 60, 24);
    a->SetDockedTo(host.Top);
    b->SetDockRow(1);
    b->SetDockedTo(host.Top);
    full->SetFullSize(true);
    full->SetDockedTo(host.Bottom);
    // Dropped into the middle of row 0 of the top dock.
    Drag(full, QPoint(5, 10), Global(host.Top, QPoint(300, 14)));
    ASSERT_EQ(full->DockedTo(), host.Top);
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(full->DockRow(), 1);
    EXPECT_EQ(b->DockRow(), 2);
    EXPECT_EQ(full->Width(), 600);
}

TEST(DockDrag, DockDestroyedDuringTheDragDropsOut) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 60, 24);
    bar->SetDockedTo(host.Top);
    const QPoint overLeft = Global(host.Left, QPoint(2, 150));
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    QTest::mouseMove(bar, bar->mapFromGlobal(overLeft));
    EXPECT_EQ(bar->DragHoveredDock(), host.Left);
    delete host.Left;
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(overLeft));
    EXPECT_EQ(bar->DockedTo(), host.Top);
    // The form going away during a drag takes the window and its drag with it.
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    host.Form.reset();
    Flush();
    EXPECT_TRUE(LiveDockWindows().empty());
}

// ---- Close button and sizing.

TEST(DockFrame, CloseButtonClosesOnlyWhenReleasedOnIt) {
    Host host;
    TDockWindow* bar = MakeWindow(host.Form.get(), QStringLiteral("Bar"), 60, 24);
    bar->SetCloseButtonWhenDocked(true);
    bar->SetDockedTo(host.Top);
    EXPECT_EQ(bar->FrameSize().Left, 16);
    EXPECT_EQ(bar->CloseButtonRect(), QRect(3, 2, 11, 11));
    int closed = 0;
    bool allow = false;
    bar->OnClose = [&](TCustomDockWindow*) { ++closed; };
    bar->OnCloseQuery = [&](TCustomDockWindow*, bool& CanClose) { CanClose = allow; };

    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(8, 7));
    EXPECT_TRUE(bar->CloseButtonPressed());
    QTest::mouseMove(bar, QPoint(40, 20));
    EXPECT_FALSE(bar->CloseButtonPressed());
    EXPECT_TRUE(bar->CloseButtonTracking());
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(40, 20));
    EXPECT_FALSE(bar->CloseButtonTracking());
    EXPECT_TRUE(bar->Visible());

    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(8, 7));
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(closed, 0);
    allow = true;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(8, 7));
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(host.Top->height(), 0);
}

TEST(DockFrame, SizingStopsAtTheMinimumAndEscapeRestores) {
    Host host;
    TDockWindow* w = MakeWindow(host.Form.get(), QStringLiteral("Tool"), 100, 80);
    w->SetFloatingPosition(QPoint(300, 300));
    w->SetDockedTo(nullptr);
    const QRect start = w->BoundsRect();
    ASSERT_EQ(start, QRect(300, 300, 108, 80 + 8 + smSmallCaption));
    // The right edge, dragged far to the left, stops at the minimum client of 32.
    const QPoint edge(start.width() - 2, 50);
    EXPECT_EQ(w->HitTest(edge), TDockHit::Right);
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, edge);
    ASSERT_TRUE(w->Sizing());
    QTest::mouseMove(w, edge - QPoint(300, 0));
    EXPECT_EQ(w->SizingRect(), QRect(300, 300, 32 + 8, start.height()));
    QTest::keyPress(w, Qt::Key_Escape);
    EXPECT_FALSE(w->Sizing());
    EXPECT_EQ(w->BoundsRect(), start);
    // Accepted: the new size is the window's, and its client area is remembered.
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mouseMove(w, edge + QPoint(40, 0));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, edge + QPoint(40, 0));
    EXPECT_EQ(w->BoundsRect(), QRect(300, 300, 148, start.height()));
    EXPECT_EQ(w->ClientAreaWidth(), 140);
    // The bottom-left corner moves the left side and the bottom.
    const QPoint corner(1, w->Height() - 2);
    EXPECT_EQ(w->HitTest(corner), TDockHit::BottomLeft);
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, corner);
    QTest::mouseMove(w, corner + QPoint(-20, 10));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, corner + QPoint(-20, 10));
    EXPECT_EQ(w->BoundsRect(), QRect(280, 300, 168, start.height() + 10));
}

// A tool window of the form floated at (300, 300), shown while the application is inactive.
TDockWindow* FloatingTool(Host& H) {
    TDockWindow* w = MakeWindow(H.Form.get(), QStringLiteral("Tool"), 100, 40);
    w->SetHideWhenInactive(false);
    w->SetFloatingPosition(QPoint(300, 300));
    w->SetDockedTo(nullptr);
    return w;
}

TEST(DockFrame, FloatingCaptionIsDrawnActiveOrInactive) {
    Host host;
    TDockWindow* w = FloatingTool(host);
    const QRect square = FloatingCloseButtonRect(true, w->ClientWidth());
    QImage image = w->grab().toImage();
    EXPECT_EQ(fromQRgb(image.pixel(square.x(), square.y() + 5)), ColorToRGB(clActiveCaption));
    EXPECT_EQ(fromQRgb(image.pixel(0, 30)), ColorToRGB(cl3DLight));
    EXPECT_EQ(fromQRgb(image.pixel(1, 30)), ColorToRGB(clBtnHighlight));
    // The offscreen platform keeps its focus window: look before it hands the activation back.
    QApplication::setActiveWindow(nullptr);
    EXPECT_TRUE(w->InactiveCaption());
    EXPECT_TRUE(w->FloatParent()->isVisible());
    image = w->grab().toImage();
    EXPECT_EQ(fromQRgb(image.pixel(square.x(), square.y() + 5)), ColorToRGB(clInactiveCaption));
    // A window that hides while the application is inactive does so.
    w->SetHideWhenInactive(true);
    EXPECT_FALSE(w->FloatParent()->isVisible());
    QApplication::setActiveWindow(host.Form.get());
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->FloatParent()->isVisible());
    EXPECT_FALSE(w->InactiveCaption());
}

// A caption's text ends as far from the close button in Arabic, right-aligned, as a cut English
// caption does: at least the gap, whole or cut.
TEST(DockFrame, FloatingCaptionKeepsItsGapToTheCloseButtonInEitherLanguage) {
    Host host;
    TDockWindow* w = FloatingTool(host);
    const QRect square = FloatingCloseButtonRect(true, w->ClientWidth());
    const QRgb caption = SysQRgb(clActiveCaption);
    const std::pair<const char*, bool> cases[] = {
        {"أدوات", true}, {"فرش وأقلام ونقوش الرسم", true}, {"Brushes and pens of the drawing", false}};
    for (const auto& [text, arabic] : cases) {
        w->SetArabic(arabic);
        w->SetCaption(QString::fromUtf8(text));
        const QImage image = w->grab().toImage();
        // The blank columns of the caption bar from the button's ring leftwards.
        int blank = 0;
        for (int x = square.left(); x >= 0; --x, ++blank) {
            bool ink = false;
            for (int y = square.top() + 1; y < square.bottom(); ++y)
                ink = ink || (image.pixel(x, y) & 0xFFFFFF) != (caption & 0xFFFFFF);
            if (ink)
                break;
        }
        EXPECT_GE(blank, 5) << text;
        EXPECT_LT(blank, square.left() - 10) << text; // the text is there
    }
}

TEST(DockFrame, FloatingWindowFollowsItsFormsVisibility) {
    Host host;
    TDockWindow* w = MakeWindow(host.Form.get(), QStringLiteral("Tool"), 100, 40);
    w->SetFloatingPosition(QPoint(300, 300));
    w->SetDockedTo(nullptr);
    ASSERT_TRUE(w->FloatParent()->isVisible());
    host.Form->hide();
    EXPECT_FALSE(w->FloatParent()->isVisible());
    host.Form->show();
    QApplication::setActiveWindow(host.Form.get());
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->FloatParent()->isVisible());
    host.Form->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->FloatParent()->isVisible());
    host.Form->showNormal();
    QApplication::setActiveWindow(host.Form.get());
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->FloatParent()->isVisible());
    // On top of all forms: its form no longer matters, and it stays above other windows.
    w->SetFloatingMode(TFloatingMode::fmOnTopOfAllForms);
    EXPECT_TRUE(w->FloatParent()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    w->setEnabled(false);
    EXPECT_FALSE(w->FloatParent()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    w->setEnabled(true);
    w->SetHideWhenInactive(false);
    host.Form->hide();
    EXPECT_TRUE(w->FloatParent()->isVisible());
}

TEST(DockFrame, DockedFrameDrawsGripAndCloseButton) {
    Host host;
    TDockWindow* w = MakeWindow(host.Form.get(), QStringLiteral("Tool"), 60, 24);
    w->SetDockedTo(host.Top);
    QImage image = w->grab().toImage();
    // Raised outer edge; the double grip's first bar at x 4..6 from y 2.
    EXPECT_EQ(fromQRgb(image.pixel(0, 5)), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(fromQRgb(image.pixel(w->width() - 1, 5)), ColorToRGB(clBtnShadow));
    EXPECT_EQ(fromQRgb(image.pixel(4, 10)), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(fromQRgb(image.pixel(6, 10)), ColorToRGB(clBtnShadow));
    EXPECT_EQ(fromQRgb(image.pixel(7, 10)), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(fromQRgb(image.pixel(4, 2)), ColorToRGB(clBtnHighlight));
    // Without dragging in the dock there is no grip.
    host.Top->SetAllowDrag(false);
    EXPECT_EQ(w->FrameSize(), (TFrameSize{2, 2, 2, 2}));
    image = w->grab().toImage();
    EXPECT_EQ(fromQRgb(image.pixel(4, 10)), ColorToRGB(clBtnFace));
}

TEST(DockDrag, PressOnAChildDoesNotDragButOnABlankSpotDoes) {
    Host host;
    TDockWindow* w = MakeWindow(host.Form.get(), QStringLiteral("Tool"), 100, 40);
    auto* label = new QLabel(QStringLiteral("x"), w);
    w->PlaceChild(label, QRect(0, 0, 20, 20));
    w->SetDockedTo(host.Top);
    label->show();
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(w->Dragging());
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(label->geometry(), QRect(11, 2, 20, 20));
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(80, 30));
    EXPECT_TRUE(w->Dragging());
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(80, 30));
    EXPECT_FALSE(w->Dragging());
}

} // namespace

namespace {

TEST(DockPlacement, WindowsDockedBeforeTheFormIsShownAppearWithItUnlessHidden) {
    Host host(QRect(100, 100, 600, 400), false);
    TDockWindow* shown = MakeWindow(host.Form.get(), QStringLiteral("Shown"), 60, 24);
    shown->SetDockedTo(host.Top);
    auto* child = new QLabel(QStringLiteral("x"), shown);
    shown->PlaceChild(child, QRect(0, 0, 20, 20));
    TDockWindow* hidden = MakeWindow(host.Form.get(), QStringLiteral("Hidden"), 60, 24);
    hidden->SetDockedTo(host.Top);
    hidden->setVisible(false);
    host.Form->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(child->isVisible());
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_EQ(host.Top->VisibleBars(), std::vector<TCustomDockWindow*>{shown});
    // Hiding and showing the form keeps both as they are.
    host.Form->hide();
    host.Form->show();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(hidden->isVisible());
    hidden->setVisible(true);
    EXPECT_TRUE(hidden->isVisible());
}

// A toolbar that counts its applied layouts.
class CountingToolbar : public TDockToolbar {
public:
    using TDockToolbar::TDockToolbar;
    int Layouts = 0;
    QSize LayOutContents(bool ResizeChildren, int OrderDockType, TDockArea* Dock) override {
        Layouts += ResizeChildren ? 1 : 0;
        return TDockToolbar::LayOutContents(ResizeChildren, OrderDockType, Dock);
    }
};

TEST(DockPlacement, ToolbarOfManyButtonsIsLaidOutAFewTimesNotOncePerButton) {
    for (const bool showFirst : {true, false}) {
        SCOPED_TRACE(showFirst ? "form shown first" : "form shown after docking");
        Host host(QRect(100, 100, 600, 400), showFirst);
        auto* bar = new CountingToolbar(host.Form.get());
        std::vector<TDockToolbarButton*> buttons;
        for (int i = 0; i < 60; ++i)
            buttons.push_back(new TDockToolbarButton(bar));
        bar->SetDockedTo(host.Top);
        QCoreApplication::processEvents();
        // A button resized while nothing shows is laid out when the form appears.
        buttons[0]->resize(40, 22);
        host.Form->show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(buttons[59]->isVisible());
        EXPECT_LT(bar->Layouts, 12);
        EXPECT_EQ(bar->ClientWidth(), 40 + 59 * 23);
        // Live changes still lay the toolbar out at once.
        buttons[1]->hide();
        EXPECT_EQ(bar->ClientWidth(), 40 + 58 * 23);
        buttons[2]->resize(30, 22);
        EXPECT_EQ(bar->ClientWidth(), 40 + 30 + 57 * 23);
    }
}

TEST(DockPlacement, EveryFloatingParentIsOwnedByTheFormsWindow) {
    Host host;
    TDockWindow* w = MakeWindow(host.Form.get(), QStringLiteral("Tool"), 100, 40);
    w->SetFloatingPosition(QPoint(300, 300));
    // Floating, docked and floating again: each new floating parent stays above the form.
    for (TDockArea* dock : {host.Right, host.Top}) {
        SCOPED_TRACE(dock == host.Right ? "first" : "again");
        QApplication::setActiveWindow(host.Form.get());
        w->SetDockedTo(nullptr);
        ASSERT_TRUE(w->FloatParent()->isVisible());
        EXPECT_EQ(w->FloatParent()->windowHandle()->transientParent(), host.Form->windowHandle());
        w->SetDockedTo(dock);
        Flush();
    }
}

} // namespace
