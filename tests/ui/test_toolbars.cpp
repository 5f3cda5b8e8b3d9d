// Toolbars: the layout, the candidate floating sizes and the snapping as headless arithmetic; then
// the widgets in a small form: docked rows and columns, separators, row lines, and one drag from the
// top dock into the free, sized narrower into two rows, and into the right dock.

#include "tests/ui/DockTestSupport.h"

#include "platform/ColorQt.h"
#include "platform/Errors.h"
#include "platform/SysColors.h"
#include "ui/DockCnst.h"
#include "ui/DockTlbr.h"
#include "ui/ToolbarCore.h"

#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace docktest;

namespace {

TToolbarItem C(int W, int H) {
    TToolbarItem it;
    it.Width = W;
    it.Height = H;
    return it;
}
TToolbarItem Sep(bool Blank = false, int H = 6, int V = 6) {
    TToolbarItem it;
    it.Separator = true;
    it.Blank = Blank;
    it.SizeHorz = H;
    it.SizeVert = V;
    return it;
}

struct LayoutCase {
    const char* Name;
    std::vector<TToolbarItem> Items;
    int DockType;
    int Wrap;
    QSize Client;
    std::vector<QRect> Bounds;
    std::vector<TToolbarRowLine> Lines;
};

TEST(ToolbarLayout, TableOfArrangements) {
    const std::vector<LayoutCase> cases = {
        {"docked in a row",
         {C(23, 22), Sep(), C(23, 22)},
         1,
         0,
         {52, 22},
         {{0, 0, 23, 22}, {23, 0, 6, 22}, {29, 0, 23, 22}},
         {}},
        {"docked in a column",
         {C(23, 22), Sep(), C(23, 22)},
         2,
         0,
         {23, 50},
         {{0, 0, 23, 22}, {0, 22, 23, 6}, {0, 28, 23, 22}},
         {}},
        {"empty in a row", {}, 1, 0, {8, 8}, {}, {}},
        {"empty in a column", {}, 2, 0, {8, 8}, {}, {}},
        {"empty floating", {}, 0, 0, {16, 11}, {}, {}},
        {"floating in one row",
         {C(23, 22), Sep(), C(23, 22)},
         0,
         0,
         {60, 25},
         {{4, 2, 23, 22}, {27, 2, 6, 22}, {33, 2, 23, 22}},
         {}},
        // The break at the separator: it shrinks to nothing, the next row starts 6 pixels lower.
        {"broken at a separator",
         {C(23, 22), Sep(), C(23, 22)},
         0,
         40,
         {31, 53},
         {{4, 2, 23, 22}, {27, 2, 0, 22}, {4, 30, 23, 22}},
         {{30, false}}},
        {"broken at a blank separator",
         {C(23, 22), Sep(true), C(23, 22)},
         0,
         40,
         {31, 53},
         {{4, 2, 23, 22}, {27, 2, 0, 22}, {4, 30, 23, 22}},
         {{30, true}}},
        // Separators alone (a group whose buttons are hidden) make no row: they end the row before,
        // all shrink to nothing where that row's last control ends, and one line follows.
        {"adjacent separators",
         {C(23, 22), Sep(), Sep(true), Sep(), C(23, 22)},
         0,
         30,
         {31, 53},
         {{4, 2, 23, 22}, {27, 2, 0, 22}, {27, 2, 0, 22}, {27, 2, 0, 22}, {4, 30, 23, 22}},
         {{30, false}}},
        {"leading separator", {Sep(), C(23, 22)}, 0, 30, {31, 25}, {{4, 2, 0, 22}, {4, 2, 23, 22}}, {}},
        {"trailing separators",
         {C(23, 22), Sep(), Sep()},
         0,
         30,
         {43, 25},
         {{4, 2, 23, 22}, {27, 2, 6, 22}, {33, 2, 6, 22}},
         {}},
        // A group longer than the wrap width breaks between its controls, without gap or line.
        {"long group",
         {C(23, 22), C(23, 22), C(23, 22)},
         0,
         40,
         {31, 69},
         {{4, 2, 23, 22}, {4, 24, 23, 22}, {4, 46, 23, 22}},
         {}},
        // After a break inside a group the next group starts a row of its own.
        {"long group then a group",
         {C(23, 22), C(23, 22), Sep(), C(10, 22)},
         0,
         40,
         {31, 75},
         {{4, 2, 23, 22}, {4, 24, 23, 22}, {27, 24, 0, 22}, {4, 52, 10, 22}},
         {{52, false}}},
        // Thinner controls are centred across the row; separators take its full thickness.
        {"centred",
         {C(23, 22), Sep(false, 3, 9), C(16, 16)},
         1,
         0,
         {42, 22},
         {{0, 0, 23, 22}, {23, 0, 3, 22}, {26, 3, 16, 16}},
         {}},
        {"centred in a column",
         {C(23, 22), Sep(false, 3, 9), C(16, 16)},
         2,
         0,
         {23, 47},
         {{0, 0, 23, 22}, {0, 22, 23, 9}, {3, 31, 16, 16}},
         {}},
        // A wrap width narrower than a control is raised to the control plus the margins.
        {"wrap below a control",
         {C(50, 22), C(50, 22)},
         0,
         10,
         {58, 47},
         {{4, 2, 50, 22}, {4, 24, 50, 22}},
         {}},
        {"negative wrap is one row",
         {C(23, 22), C(23, 22)},
         0,
         -5,
         {54, 25},
         {{4, 2, 23, 22}, {27, 2, 23, 22}},
         {}},
        {"huge wrap is one row",
         {C(23, 22), C(23, 22)},
         0,
         1 << 30,
         {54, 25},
         {{4, 2, 23, 22}, {27, 2, 23, 22}},
         {}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TToolbarItem> items = c.Items;
        TToolbarLayoutInput in;
        in.DockType = c.DockType;
        in.WrapWidth = c.Wrap;
        in.Apply = true;
        std::vector<TToolbarRowLine> lines;
        EXPECT_EQ(LayOutToolbar(items, in, &lines), c.Client);
        ASSERT_EQ(items.size(), c.Bounds.size());
        for (std::size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i].Bounds, c.Bounds[i]) << "item " << i;
        EXPECT_EQ(lines, c.Lines);
        // Measuring without applying gives the same size and writes nothing.
        std::vector<TToolbarItem> fresh = c.Items;
        in.Apply = false;
        EXPECT_EQ(LayOutToolbar(fresh, in, nullptr), c.Client);
        for (const TToolbarItem& it : fresh)
            EXPECT_TRUE(it.Bounds.isNull());
    }
}

TEST(ToolbarLayout, GroupsCloseAtSeparatorsAndThicknessIsAtLeastEight) {
    const std::vector<TToolbarItem> items = {C(23, 22), C(10, 30), Sep(), Sep(), C(5, 4)};
    const std::vector<TToolbarGroup> groups = BuildToolbarGroups(items);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].Items, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(groups[0].Width, 33);
    EXPECT_EQ(groups[0].Height, 52);
    EXPECT_EQ(groups[1].Items, (std::vector<int>{3}));
    EXPECT_EQ(groups[1].Width, 0);
    EXPECT_EQ(groups[2].Items, (std::vector<int>{4}));
    EXPECT_EQ(ToolbarDockedThickness(items, 1), 30);
    EXPECT_EQ(ToolbarDockedThickness(items, 2), 23);
    EXPECT_EQ(ToolbarDockedThickness({C(5, 4), Sep(false, 40, 40)}, 1), 8);
}

TEST(ToolbarLayout, CandidateFloatingSizes) {
    std::vector<TToolbarItem> three = {C(23, 22), C(23, 22), C(23, 22)};
    EXPECT_EQ(BuildToolbarFloatingSizes(three), (std::vector<QSize>{{77, 25}, {54, 47}, {31, 69}}));
    // Separators break with a gap; each distinct arrangement once, narrowest per height.
    std::vector<TToolbarItem> grouped = {C(23, 22), Sep(), C(23, 22), Sep(), C(23, 22)};
    EXPECT_EQ(BuildToolbarFloatingSizes(grouped), (std::vector<QSize>{{89, 25}, {60, 53}, {31, 81}}));
    // Of two arrangements in two rows only the narrower stays.
    std::vector<TToolbarItem> mixed = {C(40, 22), C(10, 22), C(10, 22), C(40, 22)};
    EXPECT_EQ(BuildToolbarFloatingSizes(mixed), (std::vector<QSize>{{108, 25}, {58, 47}, {48, 69}}));
    std::vector<TToolbarItem> none;
    EXPECT_EQ(BuildToolbarFloatingSizes(none), (std::vector<QSize>{{16, 11}}));
    std::vector<TToolbarItem> wide = {C(5000, 22)};
    EXPECT_EQ(BuildToolbarFloatingSizes(wide), (std::vector<QSize>{{5008, 25}}));
}

TEST(ToolbarSizing, SnapsPastTheSensitivityToTheNextArrangement) {
    const std::vector<QSize> sizes = {{77, 25}, {54, 47}, {31, 69}};
    const QSize frame(8, 23);
    const QRect start(100, 100, 85, 48);
    // The right edge: a few pixels narrower change nothing.
    TToolbarSizing right(1, sizes, frame, 4, start.size(), 0);
    EXPECT_EQ(right.Sensitivity(), 12);
    EXPECT_EQ(right.Step(QRect(100, 100, 80, 48), start), start);
    EXPECT_EQ(right.Step(QRect(100, 100, 73, 48), start), start);
    EXPECT_EQ(right.WrapWidth(), 0);
    // Past it: the largest arrangement that fits, with the wrap width taken from its outer width.
    EXPECT_EQ(right.Step(QRect(100, 100, 72, 48), start), QRect(100, 100, 62, 70));
    EXPECT_EQ(right.WrapWidth(), 54);
    EXPECT_EQ(right.Step(QRect(100, 100, 61, 48), start), QRect(100, 100, 39, 92));
    EXPECT_EQ(right.WrapWidth(), 31);
    // Far narrower than anything: the narrowest.
    EXPECT_EQ(right.Step(QRect(100, 100, 5, 48), start), QRect(100, 100, 39, 92));
    // Back within the sensitivity of the start: the start again.
    EXPECT_EQ(right.Step(QRect(100, 100, 90, 48), start), start);
    EXPECT_EQ(right.WrapWidth(), 0);

    // The left edge keeps the right side; growing snaps to the smallest arrangement larger than asked.
    const QRect narrow(100, 100, 39, 92);
    TToolbarSizing left(0, sizes, frame, 4, narrow.size(), 31);
    EXPECT_EQ(left.Sensitivity(), 12);
    EXPECT_EQ(left.Step(QRect(95, 100, 44, 92), narrow), narrow);
    EXPECT_EQ(left.WrapWidth(), 31);
    EXPECT_EQ(left.Step(QRect(80, 100, 59, 92), narrow), QRect(77, 100, 62, 70));

    // The bottom edge sorts by height: pulled down, the toolbar takes the next taller arrangement.
    TToolbarSizing bottom(5, sizes, frame, 4, start.size(), 0);
    EXPECT_EQ(bottom.Step(QRect(100, 100, 85, 65), start), QRect(100, 100, 62, 70));
    EXPECT_EQ(bottom.Step(QRect(100, 100, 85, 75), start), QRect(100, 100, 39, 92));
    EXPECT_EQ(bottom.Step(QRect(100, 100, 85, 300), start), QRect(100, 100, 39, 92));
    // The top edge keeps the bottom.
    TToolbarSizing top(2, sizes, frame, 4, start.size(), 0);
    EXPECT_EQ(top.Step(QRect(100, 88, 85, 60), start), QRect(100, 78, 62, 70));

    // Close neighbours lower the sensitivity to their distance minus one.
    TToolbarSizing close(1, {{77, 25}, {72, 47}, {31, 69}}, frame, 4, start.size(), 0);
    EXPECT_EQ(close.Sensitivity(), 4);
    EXPECT_EQ(close.Step(QRect(100, 100, 81, 48), start), start);
    EXPECT_EQ(close.Step(QRect(100, 100, 80, 48), start).width(), 80);
}

// ---- Widgets.

QWidget* Control(TCustomDockToolbar* Bar, int W, int H) {
    auto* w = new QWidget(Bar);
    w->resize(W, H);
    return w;
}

TEST(DockToolbar, DockedInARowAndInAColumn) {
    Host host;
    auto* bar = new TDockToolbar(host.Form.get());
    QWidget* a = Control(bar, 23, 22);
    auto* sep = new TDockToolbarSep(bar);
    QWidget* b = Control(bar, 23, 22);
    bar->SetDockedTo(host.Top);
    Flush();
    const QPoint o = bar->ClientOrigin();
    EXPECT_EQ(QSize(bar->ClientWidth(), bar->ClientHeight()), QSize(52, 22));
    EXPECT_EQ(a->geometry(), QRect(o, QSize(23, 22)));
    EXPECT_EQ(sep->geometry(), QRect(o + QPoint(23, 0), QSize(6, 22)));
    EXPECT_EQ(b->geometry(), QRect(o + QPoint(29, 0), QSize(23, 22)));
    ASSERT_EQ(bar->Groups().size(), 2u);

    bar->SetDockedTo(host.Right);
    Flush();
    EXPECT_EQ(QSize(bar->ClientWidth(), bar->ClientHeight()), QSize(23, 50));
    EXPECT_EQ(sep->geometry().size(), QSize(23, 6));

    // A hidden child does not count; a separator's size change re-arranges.
    b->hide();
    EXPECT_EQ(bar->ClientHeight(), 28);
    sep->SetSizeVert(0);
    EXPECT_EQ(sep->SizeVert(), 1);
    EXPECT_EQ(bar->ClientHeight(), 23);
    a->hide();
    sep->hide();
    EXPECT_EQ(QSize(bar->ClientWidth(), bar->ClientHeight()), QSize(8, 8));
    EXPECT_EQ(bar->DockedThickness(2), 8);
}

TEST(DockToolbar, ChildrenAreCentredInARowMadeThickerByANeighbour) {
    Host host;
    auto* thin = new TDockToolbar(host.Form.get());
    QWidget* a = Control(thin, 16, 16);
    auto* thick = new TDockToolbar(host.Form.get());
    Control(thick, 30, 30);
    thin->SetDockedTo(host.Top);
    thick->SetDockedTo(host.Top);
    Flush();
    ASSERT_EQ(thick->DockRow(), thin->DockRow());
    EXPECT_EQ(thin->ClientHeight(), 30);
    EXPECT_EQ(a->geometry().topLeft(), thin->ClientOrigin() + QPoint(0, 7));
}

TEST(DockToolbar, SeparatorOnlyOnAToolbarAndAPressOnItDrags) {
    Host host;
    QWidget panel(host.Form.get());
    try {
        TDockToolbarSep sep(&panel);
        FAIL() << "placed on a panel";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), SToolbarSepParentNotAllowed());
    }
    auto* bar = new TDockToolbar(host.Form.get());
    Control(bar, 23, 22);
    auto* sep = new TDockToolbarSep(bar);
    Control(bar, 23, 22);
    EXPECT_THROW(sep->SetParent(&panel), EInvalidOperation);
    EXPECT_EQ(sep->parentWidget(), bar);
    bar->SetDockedTo(host.Top);
    Flush();
    EXPECT_TRUE(bar->ChildLetsDrag(sep));
    QTest::mousePress(sep, Qt::LeftButton, Qt::NoModifier, QPoint(3, 10));
    EXPECT_TRUE(bar->Dragging());
    QTest::mouseRelease(sep, Qt::LeftButton, Qt::NoModifier, QPoint(3, 10));
    EXPECT_FALSE(bar->Dragging());
}

TEST(DockToolbar, OrderFollowsAdditionOrPositionsOnLoad) {
    Host host;
    auto* bar = new TDockToolbar(host.Form.get());
    QWidget* a = Control(bar, 20, 22);
    QWidget* b = Control(bar, 30, 22);
    QWidget* c = Control(bar, 40, 22);
    a->move(100, 0);
    b->move(0, 0);
    c->move(50, 0);
    EXPECT_EQ(bar->OrderList(), (std::vector<QWidget*>{a, b, c}));
    // The form finishes loading before it places its toolbars.
    bar->Loaded();
    bar->SetDockedTo(host.Top);
    EXPECT_EQ(bar->OrderList(), (std::vector<QWidget*>{b, c, a}));
    const QPoint o = bar->ClientOrigin();
    EXPECT_EQ(b->pos(), o);
    EXPECT_EQ(c->pos(), o + QPoint(30, 0));
    EXPECT_EQ(a->pos(), o + QPoint(70, 0));
    delete c;
    EXPECT_EQ(bar->OrderList(), (std::vector<QWidget*>{b, a}));
    Flush();
    EXPECT_EQ(a->pos(), o + QPoint(30, 0));
}

TEST(DockToolbar, FloatingRowLinesAreEtched) {
    Host host;
    auto* bar = new TDockToolbar(host.Form.get());
    Control(bar, 23, 22);
    auto* sep = new TDockToolbarSep(bar);
    Control(bar, 23, 22);
    bar->SetFloatingPosition(QPoint(300, 300));
    bar->SetDockedTo(nullptr);
    bar->SetFloatingWrapWidth(40);
    Flush();
    ASSERT_TRUE(bar->Floating());
    EXPECT_EQ(QSize(bar->ClientWidth(), bar->ClientHeight()), QSize(31, 53));
    EXPECT_EQ(sep->width(), 0);
    ASSERT_EQ(bar->RowLines().size(), 1u);
    const QImage img = bar->grab().toImage();
    const QPoint o = bar->ClientOrigin();
    EXPECT_EQ(img.pixel(o + QPoint(10, 26)), SysQRgb(clBtnShadow));
    EXPECT_EQ(img.pixel(o + QPoint(10, 27)), SysQRgb(clBtnHighlight));
    EXPECT_EQ(img.pixel(o + QPoint(0, 26)), SysQRgb(clBtnFace));
    // A blank separator keeps the gap but draws no line.
    sep->SetBlank(true);
    const QImage blank = bar->grab().toImage();
    EXPECT_EQ(blank.pixel(o + QPoint(10, 26)), SysQRgb(clBtnFace));
    // The wrap width survives docking.
    bar->SetDockedTo(host.Top);
    Flush();
    EXPECT_EQ(bar->FloatingWrapWidth(), 40);
    EXPECT_EQ(bar->ClientWidth(), 52);
    EXPECT_EQ(sep->width(), 6);
}

TEST(DockToolbar, DraggedToFloatSizedIntoTwoRowsAndDockedAtTheRight) {
    Host host;
    auto* bar = new TDockToolbar(host.Form.get());
    bar->SetCaption(QStringLiteral("Drawing"));
    for (int i = 0; i < 3; ++i)
        Control(bar, 23, 22);
    new TDockToolbarSep(bar);
    for (int i = 0; i < 3; ++i)
        Control(bar, 23, 22);
    bar->SetDockedTo(host.Top);
    Flush();
    ASSERT_EQ(bar->ClientWidth(), 144);

    // Pulled from the top dock by its grip into the middle of the form: one row.
    const QPoint free = host.Client->mapToGlobal(QPoint(150, 150));
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    QTest::mouseMove(bar, bar->mapFromGlobal(free));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(free));
    Flush();
    ASSERT_TRUE(bar->Floating());
    EXPECT_EQ(QSize(bar->ClientWidth(), bar->ClientHeight()), QSize(152, 25));
    const QRect start = bar->BoundsRect();

    // Its right edge pulled a little to the left changes nothing; further, it snaps into two rows.
    const QPoint edge(bar->Width() - 2, bar->Height() / 2);
    ASSERT_EQ(bar->HitTest(edge), TDockHit::Right);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, edge);
    ASSERT_TRUE(bar->Sizing());
    QTest::mouseMove(bar, edge - QPoint(8, 0));
    EXPECT_EQ(bar->SizingRect(), start);
    QTest::mouseMove(bar, edge - QPoint(40, 0));
    EXPECT_EQ(bar->SizingRect().width(), 77 + 8);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, edge - QPoint(40, 0));
    Flush();
    EXPECT_EQ(bar->FloatingWrapWidth(), 77);
    EXPECT_EQ(QSize(bar->ClientWidth(), bar->ClientHeight()), QSize(77, 53));
    EXPECT_EQ(bar->BoundsRect().topLeft(), start.topLeft());
    EXPECT_EQ(bar->RowLines().size(), 1u);

    // Dropped into the right dock: one column.
    const QPoint right = host.Right->mapToGlobal(QPoint(0, 100));
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(20, 8));
    QTest::mouseMove(bar, bar->mapFromGlobal(right));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(right));
    Flush();
    ASSERT_EQ(bar->DockedTo(), host.Right);
    EXPECT_EQ(QSize(bar->ClientWidth(), bar->ClientHeight()), QSize(23, 6 * 22 + 6));
    EXPECT_EQ(bar->FloatingWrapWidth(), 77);
}

} // namespace
