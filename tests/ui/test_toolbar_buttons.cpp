// Toolbar buttons offscreen: the combo's two parts, group toggling, repeating by timer ticks, the
// glyph cells and the disabled images, the menus below, beside and to the left of a button, the
// press that closes a menu, hot tracking, the dithered face, and what a freed menu or image list
// leaves behind.

#include "tests/ui/DockTestSupport.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/DockCtls.h"
#include "ui/DockTlbr.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <climits>
#include <string>

#include <gtest/gtest.h>

using namespace docktest;

namespace {

struct Counter {
    int Clicks = 0;
    int Drops = 0;
    void Attach(TDockToolbarButton* B) {
        B->OnClick = [this](QObject*) { ++Clicks; };
        B->OnDropdown = [this](QObject*, bool&, bool&) { ++Drops; };
    }
};

QMenu* MakeMenu(QWidget* Parent) {
    auto* menu = new QMenu(Parent);
    for (int i = 0; i < 3; ++i)
        menu->addAction(QStringLiteral("Width %1").arg(i + 1))->setData(1484 + i);
    return menu;
}

void Click(QWidget* W, QPoint P) {
    QTest::mousePress(W, Qt::LeftButton, Qt::NoModifier, P);
    QTest::mouseRelease(W, Qt::LeftButton, Qt::NoModifier, P);
}

// The pixels of R in Image that are not Colour, as "x,y" (the first few).
std::string OtherThan(const QImage& Image, QRect R, QRgb Colour) {
    std::string out;
    int n = 0;
    for (int y = R.top(); y <= R.bottom(); ++y)
        for (int x = R.left(); x <= R.right(); ++x)
            if (Image.pixel(x, y) != Colour && n++ < 4)
                out += std::to_string(x) + "," + std::to_string(y) + " ";
    return out;
}

// The (5 x 3) drop-down arrow of a box starting at X, its top row at Y, in the text colour.
void ExpectArrow(const QImage& Image, int X, int Y, int BoxWidth) {
    const QRgb text = SysQRgb(clBtnText);
    const int cx = X + BoxWidth / 2;
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Image.pixel(cx - 2 + row, Y + row), text);
        EXPECT_EQ(Image.pixel(cx + 2 - row, Y + row), text);
        EXPECT_NE(Image.pixel(cx - 3 + row, Y + row), text);
        EXPECT_NE(Image.pixel(cx + 3 - row, Y + row), text);
    }
    EXPECT_NE(Image.pixel(cx, Y + 3), text);
}

TEST(ToolbarButton, ComboDropsFromItsArrowSectionAndClicksElsewhere) {
    Host host;
    auto* b = new TDockToolbarButton(host.Client);
    b->SetDropdownArrowWidth(20);
    b->SetDropdownCombo(true);
    EXPECT_EQ(b->width(), 23 + 22);
    b->resize(78, 22);
    QMenu* menu = MakeMenu(host.Form.get());
    b->SetDropdownMenu(menu);
    b->show();
    Counter c;
    c.Attach(b);

    // At x 56 the press drops the menu at once.
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(56, 10));
    EXPECT_EQ(c.Drops, 1);
    EXPECT_EQ(c.Clicks, 0);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(b->MenuShowing());
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(56, 10));
    menu->hide();
    EXPECT_FALSE(b->MenuShowing());
    EXPECT_EQ(b->State(), tbsUp);

    // At x 55 it is a plain click on release.
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(55, 10));
    EXPECT_EQ(b->State(), tbsDown);
    EXPECT_EQ(c.Clicks, 0);
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(55, 10));
    EXPECT_EQ(c.Clicks, 1);
    EXPECT_EQ(c.Drops, 1);
    EXPECT_FALSE(menu->isVisible());

    // The arrow's box starts at 56: the triangle's rows are 64..68, 65..67 and its tip at 66.
    const int y = 22 / 2 - 1;
    ExpectArrow(b->Render(), 56, y, 20);

    // Arrow widths below 7 become 7 and the combo's width follows.
    b->SetDropdownArrowWidth(3);
    EXPECT_EQ(b->DropdownArrowWidth(), 7);
    EXPECT_EQ(b->width(), 78 - 13);
    ExpectArrow(b->Render(), 56, y, 7);
    // The largest width still leaves the face its 56 pixels: the arrow's box starts there.
    b->SetDropdownArrowWidth(1 << 30);
    EXPECT_EQ(b->DropdownArrowWidth(), 4096);
    EXPECT_EQ(b->width(), 56 + 4096 + 2);
    ExpectArrow(b->Render(), 56, y, 4096);
    b->SetDropdownCombo(false);
    EXPECT_EQ(b->width(), 78 - 13 + 4089 - 4098);
}

TEST(ToolbarButton, GroupOfTwoWithoutAllUp) {
    Host host;
    auto* a = new TDockToolbarButton(host.Client);
    auto* b = new TDockToolbarButton(host.Client);
    b->move(30, 0);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    a->show();
    b->show();
    Click(a, QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), tbsExclusive);
    // Clicking the down one keeps it down.
    Click(a, QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    Click(b, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), tbsUp);
    // With AllowAllUp the down one comes up; a button outside any group never stays down.
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp());
    Click(b, QPoint(5, 5));
    EXPECT_FALSE(b->Down());
    auto* single = new TDockToolbarButton(host.Client);
    single->SetDown(true);
    EXPECT_FALSE(single->Down());
}

TEST(ToolbarButton, RepeatsByTimerTicksWhileThePointerIsOnIt) {
    Host host;
    auto* b = new TDockToolbarButton(host.Client);
    b->SetRepeating(true);
    b->show();
    Counter c;
    c.Attach(b);
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // 0 ms: the first click; the timer waits 400 ms, then 100 ms between clicks.
    EXPECT_EQ(c.Clicks, 1);
    ASSERT_NE(b->RepeatTimer(), nullptr);
    EXPECT_TRUE(b->RepeatTimer()->isActive());
    EXPECT_EQ(b->RepeatTimer()->interval(), 400);
    b->RepeatTick();
    EXPECT_EQ(c.Clicks, 2);
    EXPECT_EQ(b->RepeatTimer()->interval(), 100);
    b->RepeatTick();
    b->RepeatTick();
    EXPECT_EQ(c.Clicks, 4);
    // Off the button the clicks stop, and start again on it.
    QTest::mouseMove(b, QPoint(50, 5));
    EXPECT_EQ(b->State(), tbsUp);
    b->RepeatTick();
    EXPECT_EQ(c.Clicks, 4);
    EXPECT_FALSE(b->RepeatTimer()->isActive());
    QTest::mouseMove(b, QPoint(6, 5));
    EXPECT_TRUE(b->RepeatTimer()->isActive());
    b->RepeatTick();
    EXPECT_EQ(c.Clicks, 5);
    // The release clicks no more.
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, 5));
    EXPECT_EQ(c.Clicks, 5);
    EXPECT_EQ(b->RepeatTimer(), nullptr);
}

QImage Strip(int W, int H) {
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(Qt::red);
    return img;
}

// A red glyph that shows: its transparent colour (the bottom-left pixel) is fuchsia.
QImage RedGlyph(int W, int H) {
    QImage img = Strip(W, H);
    img.setPixel(0, H - 1, qRgb(255, 0, 255));
    return img;
}

TEST(ToolbarButton, GlyphCellsAndDisabledImages) {
    struct Case {
        int W, H, Cells;
    };
    for (const Case& c : {Case{80, 16, 5}, Case{96, 16, 1}, Case{100, 16, 1}, Case{16, 16, 1},
                          Case{32, 16, 2}, Case{0, 0, 1}, Case{5000, 1, 1}}) {
        TDockButtonGlyph g;
        g.SetGlyph(Strip(c.W, c.H));
        EXPECT_EQ(g.NumGlyphs(), c.Cells) << c.W << "x" << c.H;
    }
    TDockButtonGlyph g;
    g.SetNumGlyphs(0);
    EXPECT_EQ(g.NumGlyphs(), 1);
    g.SetNumGlyphs(9);
    EXPECT_EQ(g.NumGlyphs(), 5);
    EXPECT_TRUE(g.Image(tbsUp).isNull());

    // A 4 x 4 glyph on fuchsia (the bottom-left pixel): black, white, silver and red pixels.
    const QRgb fuchsia = qRgb(255, 0, 255);
    QImage glyph(4, 4, QImage::Format_RGB32);
    glyph.fill(fuchsia);
    glyph.setPixel(1, 1, qRgb(0, 0, 0));
    glyph.setPixel(2, 1, qRgb(255, 255, 255));
    glyph.setPixel(2, 2, qRgb(192, 192, 192));
    glyph.setPixel(1, 2, qRgb(255, 0, 0));
    const QRgb hi = SysQRgb(clBtnHighlight), sh = SysQRgb(clBtnShadow);
    for (bool old : {false, true}) {
        SCOPED_TRACE(old ? "old style" : "new style");
        TDockButtonGlyph d;
        d.SetGlyph(glyph);
        d.SetOldDisabledStyle(old);
        const QImage up = d.Image(tbsUp);
        ASSERT_EQ(up.size(), QSize(4, 4));
        EXPECT_EQ(qAlpha(up.pixel(0, 0)), 0);
        EXPECT_EQ(up.pixel(1, 1), qRgb(0, 0, 0));
        const QImage dis = d.Image(tbsDisabled);
        ASSERT_EQ(dis.size(), QSize(5, 5));
        EXPECT_EQ(d.List(tbsDisabled)->Width(), 5);
        EXPECT_EQ(dis.pixel(1, 1), sh);
        EXPECT_EQ(dis.pixel(2, 2), hi);
        EXPECT_EQ(qAlpha(dis.pixel(2, 1)), 0); // white is not part of the silhouette
        EXPECT_EQ(qAlpha(dis.pixel(0, 0)), 0);
        if (old) {
            EXPECT_EQ(qAlpha(dis.pixel(1, 2)), 0); // only black counts
            EXPECT_EQ(qAlpha(dis.pixel(2, 3)), 0);
        } else {
            EXPECT_EQ(dis.pixel(1, 2), sh);
            EXPECT_EQ(dis.pixel(2, 3), hi);
        }
    }
    // A supplied disabled image is recoloured: white to highlight, grey to shadow.
    QImage two(8, 4, QImage::Format_RGB32);
    two.fill(fuchsia);
    two.setPixel(5, 1, qRgb(255, 255, 255));
    two.setPixel(6, 1, qRgb(128, 128, 128));
    two.setPixel(6, 2, qRgb(1, 2, 3));
    TDockButtonGlyph s;
    s.SetGlyph(two);
    EXPECT_EQ(s.NumGlyphs(), 2);
    const QImage sup = s.Image(tbsDisabled);
    ASSERT_EQ(sup.size(), QSize(4, 4));
    EXPECT_EQ(sup.pixel(1, 1), hi);
    EXPECT_EQ(sup.pixel(2, 1), sh);
    EXPECT_EQ(sup.pixel(2, 2), qRgb(1, 2, 3));
    // Looks beyond the strip use the up image.
    EXPECT_EQ(s.Image(tbsHot), s.Image(tbsUp));
}

TEST(ToolbarButton, MenusOpenBelowBesideOrToTheLeftAsTheDockSays) {
    Host host;
    struct Place {
        TDockArea* Dock;
        const char* Name;
    };
    for (const Place& place :
         {Place{host.Top, "top"}, Place{host.Left, "left"}, Place{host.Right, "right"}}) {
        SCOPED_TRACE(place.Name);
        auto* bar = new TDockToolbar(host.Form.get());
        auto* b = new TDockToolbarButton(bar);
        QMenu* menu = MakeMenu(host.Form.get());
        b->SetDropdownMenu(menu);
        bar->SetDockedTo(place.Dock);
        Flush();
        Click(b, QPoint(5, 5));
        ASSERT_TRUE(menu->isVisible());
        const QRect g = menu->geometry();
        const QPoint at = b->mapToGlobal(QPoint(0, 0));
        if (place.Dock == host.Top) {
            EXPECT_EQ(g.topLeft(), at + QPoint(0, b->height()));
        } else if (place.Dock == host.Left) {
            EXPECT_EQ(g.topLeft(), at + QPoint(b->width(), 0));
        } else {
            EXPECT_EQ(g.right() + 1, at.x());
            EXPECT_EQ(g.top(), at.y());
        }
        menu->hide();
        delete bar;
    }
}

TEST(ToolbarButton, ThePressThatClosesTheMenuOnTheButtonDoesNotReopenIt) {
    Host host;
    auto* b = new TDockToolbarButton(host.Client);
    b->move(100, 20);
    QMenu* menu = MakeMenu(host.Form.get());
    b->SetDropdownMenu(menu);
    b->show();
    Counter c;
    c.Attach(b);
    Click(b, QPoint(5, 5));
    ASSERT_TRUE(menu->isVisible());
    ASSERT_EQ(c.Drops, 1);
    QWindow* popup = menu->windowHandle();
    ASSERT_NE(popup, nullptr);
    const QPoint onButton = popup->mapFromGlobal(b->mapToGlobal(QPoint(5, 5)));
    QTest::mousePress(popup, Qt::LeftButton, Qt::NoModifier, onButton);
    QTest::mouseRelease(b->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                        b->window()->windowHandle()->mapFromGlobal(b->mapToGlobal(QPoint(5, 5))));
    QCoreApplication::processEvents();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(c.Drops, 1);
    // The closing press is marked not to be given back to the window under it, where a window system
    // replays such presses.
    EXPECT_TRUE(menu->testAttribute(Qt::WA_NoMouseReplay));
    // A press elsewhere that closes it is not marked.
    Click(b, QPoint(5, 5));
    ASSERT_TRUE(menu->isVisible());
    QTest::mousePress(popup, Qt::LeftButton, Qt::NoModifier,
                      popup->mapFromGlobal(host.Form->mapToGlobal(QPoint(400, 300))));
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(menu->testAttribute(Qt::WA_NoMouseReplay));
    EXPECT_EQ(c.Drops, 2);
}

// The status tips that reach a window.
struct TipRecorder : QObject {
    QStringList Tips;
    bool eventFilter(QObject*, QEvent* E) override {
        if (E->type() == QEvent::StatusTip)
            Tips.push_back(static_cast<QStatusTipEvent*>(E)->tip());
        return false;
    }
};

// A button with its menu dropped, the second item's hint ("short|long") hovered.
struct DroppedMenu {
    TipRecorder Tips;
    Host Form;
    TDockToolbarButton* Button = new TDockToolbarButton(Form.Client);
    QMenu* Menu = MakeMenu(Form.Form.get());
    QAction* Item = Menu->actions()[1];
    DroppedMenu() {
        Form.Form->installEventFilter(&Tips);
        Item->setStatusTip(QStringLiteral("Width 2|Lines two pixels wide"));
        Button->SetDropdownMenu(Menu);
        Button->show();
        Click(Button, QPoint(5, 5));
        Item->hover();
    }
};

TEST(ToolbarButton, AHoveredItemsLongHintIsTheWindowsTipUntilTheMenuCloses) {
    DroppedMenu d;
    ASSERT_TRUE(d.Menu->isVisible());
    ASSERT_FALSE(d.Tips.Tips.isEmpty());
    EXPECT_EQ(d.Tips.Tips.back(), QStringLiteral("Lines two pixels wide"));
    // Closing the menu (or choosing from it) takes the tip away.
    QSignalSpy hints(&TDropdownList::Instance(), &TDropdownList::Hint);
    QTest::keyClick(d.Menu, Qt::Key_Escape);
    ASSERT_FALSE(d.Menu->isVisible());
    EXPECT_EQ(d.Tips.Tips.back(), QString());
    ASSERT_FALSE(hints.isEmpty());
    EXPECT_EQ(hints.back()[0].toString(), QString());
}

TEST(ToolbarButton, AMenuClosesWithItsButtonAndOutlivesItSafely) {
    DroppedMenu d;
    ASSERT_TRUE(d.Menu->isVisible());
    d.Tips.Tips.clear();
    delete d.Button;
    EXPECT_FALSE(d.Menu->isVisible());
    EXPECT_EQ(d.Tips.Tips, QStringList{QString()});
    // Shown again from code, its items still say their hints, to no one in particular.
    QSignalSpy hints(&TDropdownList::Instance(), &TDropdownList::Hint);
    d.Menu->popup(QPoint(10, 10));
    d.Item->hover();
    ASSERT_FALSE(hints.isEmpty());
    EXPECT_EQ(hints.back()[0].toString(), QStringLiteral("Lines two pixels wide"));
    d.Menu->hide();
}

TEST(ToolbarButton, HotEdgeGoesWithinOneTickAfterThePointerLeaves) {
    Host host;
    auto* b = new TDockToolbarButton(host.Client);
    b->move(10, 10);
    b->show();
    int enters = 0, exits = 0;
    b->OnMouseEnter = [&](QObject*) { ++enters; };
    b->OnMouseExit = [&](QObject*) { ++exits; };
    const QRgb face = SysQRgb(clBtnFace);
    EXPECT_EQ(b->Render().pixel(0, 0), face);
    QCursor::setPos(b->mapToGlobal(QPoint(5, 5)));
    QTest::mouseMove(b, QPoint(5, 5));
    EXPECT_EQ(TDockToolbarButton::HotButton(), b);
    EXPECT_EQ(b->State(), tbsHot);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(b->Render().pixel(0, 0), SysQRgb(clBtnHighlight));
    EXPECT_EQ(b->Render().pixel(22, 21), SysQRgb(clBtnShadow));
    // The pointer goes elsewhere without the button being told: the next tick takes the edge away.
    QCursor::setPos(host.Form->mapToGlobal(QPoint(500, 300)));
    TDockToolbarButton::HotTrackTick();
    EXPECT_EQ(TDockToolbarButton::HotButton(), nullptr);
    EXPECT_EQ(b->State(), tbsUp);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(b->Render().pixel(0, 0), face);
}

TEST(ToolbarButton, DownGroupButtonHasADitheredFaceRemadeWithTheColours) {
    Host host;
    auto* b = new TDockToolbarButton(host.Client);
    b->SetGroupIndex(1);
    b->SetDown(true);
    const QImage img = b->Render();
    // The sunken thin edge, then the pattern: highlight where x and y have equal parity.
    EXPECT_EQ(img.pixel(0, 0), SysQRgb(clBtnShadow));
    EXPECT_EQ(img.pixel(2, 2), SysQRgb(clBtnHighlight));
    EXPECT_EQ(img.pixel(3, 2), SysQRgb(clBtnFace));
    const TColor old = ColorToRGB(clBtnHighlight);
    SetSysColor(20, 0x00FFEE);
    EXPECT_EQ(b->Render().pixel(2, 2), toQRgb(0x00FFEE));
    SetSysColor(20, old);
    // Without HighlightWhenDown the face stays plain.
    b->SetHighlightWhenDown(false);
    EXPECT_EQ(b->Render().pixel(2, 2), SysQRgb(clBtnFace));
}

TEST(ToolbarButton, ModalResultKeysAndCommands) {
    QDialog dialog;
    auto* ok = new TDockToolbarButton(&dialog);
    ok->SetModalResult(1);
    ok->SetDefault(true);
    ok->SetCaption(QStringLiteral("&Go"));
    auto* cancel = new TDockToolbarButton(&dialog);
    cancel->SetModalResult(2);
    cancel->SetCancel(true);
    int clicks = 0;
    ok->OnClick = [&](QObject*) { ++clicks; };
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), 2);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(clicks, 1);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(&dialog, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);

    // A chosen item whose data holds a command number comes out of the drop-down list.
    QMenu* menu = MakeMenu(&dialog);
    ok->SetDropdownMenu(menu);
    QSignalSpy spy(&TDropdownList::Instance(), &TDropdownList::Command);
    menu->actions()[1]->trigger();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 1485);
    EXPECT_EQ(spy[0][1].value<QMenu*>(), menu);
    EXPECT_EQ(spy[0][2].value<QWidget*>(), nullptr) << "shown from code, dropped from no button";
    EXPECT_EQ(TDropdownList::LongHint(QStringLiteral("Short|The long part")),
              QStringLiteral("The long part"));
    EXPECT_EQ(TDropdownList::LongHint(QStringLiteral("Only")), QStringLiteral("Only"));
}

// A window with a toolbar whose button drops a menu of three widths; it keeps the commands that
// come from its own menus and buttons.
struct CommandWindow {
    Host Form;
    TDockToolbar* Bar = new TDockToolbar(Form.Form.get());
    TDockToolbarButton* Button = new TDockToolbarButton(Bar);
    QMenu* Menu = MakeMenu(Form.Form.get());
    QList<int> Commands;
    explicit CommandWindow(QRect Geometry) : Form(Geometry) {
        Button->SetDropdownMenu(Menu);
        Bar->SetDockedTo(Form.Top);
        QObject::connect(&TDropdownList::Instance(), &TDropdownList::Command, Form.Form.get(),
                         [this](int Id, QMenu* M, QWidget* B) {
                             if (TDropdownList::ComesFrom(Form.Form.get(), M, B))
                                 Commands << Id;
                         });
        Flush();
    }
    // Drops the menu from the button and chooses item Index.
    void Choose(int Index) {
        Click(Button, QPoint(5, 5));
        ASSERT_TRUE(Menu->isVisible());
        Menu->setActiveAction(Menu->actions()[Index]);
        QTest::keyClick(Menu, Qt::Key_Return);
        EXPECT_FALSE(Menu->isVisible());
    }
};

TEST(ToolbarButton, ACommandChosenFromAToolbarsMenuReachesItsOwnWindowOnly) {
    CommandWindow one(QRect(100, 100, 400, 300));
    CommandWindow two(QRect(520, 100, 400, 300));
    QSignalSpy spy(&TDropdownList::Instance(), &TDropdownList::Command);
    one.Choose(0);
    two.Choose(2);
    one.Choose(1);
    EXPECT_EQ(one.Commands, (QList<int>{1484, 1485}));
    EXPECT_EQ(two.Commands, (QList<int>{1486}));
    // Each command names the menu and the button it came from.
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy[1][1].value<QMenu*>(), two.Menu);
    EXPECT_EQ(spy[1][2].value<QWidget*>(), two.Button);

    // A menu owned by neither window, dropped from the second one's button, is the second one's.
    QMenu loose;
    loose.addAction(QStringLiteral("Loose"))->setData(1490);
    two.Button->SetDropdownMenu(&loose);
    Click(two.Button, QPoint(5, 5));
    ASSERT_TRUE(loose.isVisible());
    loose.actions()[0]->trigger();
    loose.hide();
    EXPECT_EQ(two.Commands, (QList<int>{1486, 1490}));
    EXPECT_EQ(one.Commands, (QList<int>{1484, 1485}));
    // An item without a command number says nothing.
    loose.addAction(QStringLiteral("Plain"))->trigger();
    EXPECT_EQ(spy.count(), 4);
    two.Button->SetDropdownMenu(nullptr);
}

TEST(ToolbarButton, FreedMenusAndImageListsAndBadValuesLeaveAWorkingButton) {
    Host host;
    auto* b = new TDockToolbarButton(host.Client);
    b->show();
    auto* menu = MakeMenu(host.Form.get());
    b->SetDropdownMenu(menu);
    EXPECT_TRUE(b->UsesDropdown());
    delete menu;
    EXPECT_EQ(b->DropdownMenu(), nullptr);
    EXPECT_FALSE(b->UsesDropdown());
    Counter c;
    c.Attach(b);
    Click(b, QPoint(5, 5));
    EXPECT_EQ(c.Clicks, 1);
    // DropdownAlways without a menu: OnDropdown runs, nothing drops.
    b->SetDropdownAlways(true);
    Click(b, QPoint(5, 5));
    EXPECT_EQ(c.Drops, 1);
    EXPECT_EQ(b->State(), tbsUp);
    b->SetDropdownAlways(false);

    auto list = std::make_shared<TGlyphList>(16, 16);
    list->Add(Strip(16, 16));
    b->SetImages(list);
    b->SetImageIndex(0);
    EXPECT_EQ(b->ButtonGlyph().Size(), QSize(16, 16));
    b->SetImageIndex(7);
    EXPECT_TRUE(b->ButtonGlyph().Size().isEmpty());
    b->SetImageIndex(0);
    b->setEnabled(false);
    EXPECT_EQ(b->ButtonGlyph().Image(tbsDisabled).size(), QSize(17, 17));
    b->setEnabled(true);
    // Inside its edge the button shows the red glyph from the list, and the plain face once the
    // list is freed.
    const QRect inside = b->rect().adjusted(2, 2, -2, -2);
    const QRgb face = SysQRgb(clBtnFace);
    EXPECT_EQ(b->Render().pixel(inside.center()), qRgb(255, 0, 0));
    list.reset();
    EXPECT_TRUE(b->ButtonGlyph().Size().isEmpty());
    EXPECT_EQ(OtherThan(b->Render(), inside, face), "");

    b->SetMargin(-5);
    EXPECT_EQ(b->Margin(), -1);
    b->SetSpacing(-7);
    EXPECT_EQ(b->Spacing(), 4);
    // Huge margins and spacings are held to a size a button can have.
    b->SetMargin(INT_MAX);
    b->SetSpacing(INT_MAX);
    EXPECT_EQ(b->Margin(), 4096);
    EXPECT_EQ(b->Spacing(), 4096);
    // Glyph and caption start beyond the button: the face stays plain.
    b->SetImages(nullptr);
    b->SetGlyph(RedGlyph(16, 16));
    b->SetCaption(QStringLiteral("Wide"));
    EXPECT_EQ(OtherThan(b->Render(), inside, face), "");
    // Centred, a glyph far wider than the button is cut to it and covers the face.
    b->SetMargin(-1);
    b->SetSpacing(4);
    b->SetGlyph(RedGlyph(100000, 16));
    b->SetCaption(QStringLiteral("A long caption that wraps"));
    b->SetWordWrap(true);
    EXPECT_EQ(OtherThan(b->Render(), QRect(inside.left(), 3, inside.width(), 16), qRgb(255, 0, 0)), "");
    // A button of no size is one pixel of face.
    b->resize(0, 0);
    const QImage none = b->Render();
    ASSERT_EQ(none.size(), QSize(1, 1));
    EXPECT_EQ(none.pixel(0, 0), face);
}

} // namespace
