// The speed button with its glyph strip: the shared glyph cache, the derived looks, layout, frames,
// mouse and groups, and the features without a user in the station (menu, repeat, transparency).
#include "tests/ui/ButtonTestSupport.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/GlyphCtrls.h"

#include <QDialog>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using buttontest::ShowActive;

namespace {

// A strip of Cells cells of 8 x 6: a border of the transparent colour (magenta, bottom-left) round a
// block of the cell's own colour; cell k's block is Colors[k].
QImage Strip(int Cells,
             std::initializer_list<TColor> Colors = {clBlack, clGray, 0x0000FF, 0x00FF00, 0xFF0000}) {
    QImage img = NewImage(8 * Cells, 6, clFuchsia);
    auto c = Colors.begin();
    for (int k = 0; k < Cells; ++k, ++c)
        FillRect(img, {8 * k + 2, 1, 8 * k + 6, 5}, *c);
    return img;
}

int Clicks(TGlyphSpeedButton& b) {
    return b.property("clicks").toInt();
}
void CountClicks(TGlyphSpeedButton& b) {
    b.OnClick = [&b](QObject*) { b.setProperty("clicks", Clicks(b) + 1); };
}

} // namespace

TEST(GlyphCache, ButtonsOfOneSizeShareAListAndEqualImagesShareASlot) {
    TGlyphCache& cache = TGlyphCache::Instance();
    const int lists = cache.ListCount();
    auto a = std::make_unique<TCachedButtonGlyph>();
    auto b = std::make_unique<TCachedButtonGlyph>();
    auto other = std::make_unique<TCachedButtonGlyph>();
    a->SetGlyph(Strip(1));
    b->SetGlyph(Strip(1));
    other->SetGlyph(Strip(1, {clGray}));
    const int ia = a->CreateButtonGlyph(bsUp), ib = b->CreateButtonGlyph(bsUp),
              io = other->CreateButtonGlyph(bsUp);
    ASSERT_EQ(a->List(), b->List());
    ASSERT_EQ(a->List(), other->List());
    EXPECT_EQ(cache.ListCount(), lists + 1);
    EXPECT_EQ(ia, ib) << "the same pixels in the same look are one image";
    EXPECT_NE(ia, io);
    TGlyphList* list = a->List();
    EXPECT_EQ(list->Users(ia), 2);
    EXPECT_EQ(list->Count(), 2);
    // The down look of a one-cell strip is the up image again.
    EXPECT_EQ(a->CreateButtonGlyph(bsDown), ia);
    EXPECT_EQ(list->Users(ia), 3);

    a.reset();
    EXPECT_EQ(list->Users(ib), 1);
    b.reset();
    EXPECT_FALSE(list->Used(ib));
    EXPECT_TRUE(cache.Holds(list));
    other.reset();
    EXPECT_FALSE(cache.Holds(list)) << "the list goes with its last image";
    EXPECT_EQ(cache.ListCount(), lists);

    // Another size takes another list; lists are searched from the last one.
    TCachedButtonGlyph small, large;
    small.SetGlyph(Strip(1));
    large.SetGlyph(NewImage(16, 16, clBlack));
    small.CreateButtonGlyph(bsUp);
    large.CreateButtonGlyph(bsUp);
    EXPECT_NE(small.List(), large.List());
    EXPECT_EQ(large.List()->Width(), 16);
}

TEST(GlyphCache, LooksComeFromTheirCellsOrAreDerived) {
    TCachedButtonGlyph g;
    g.SetGlyph(Strip(1));
    EXPECT_EQ(g.TransparentColor(), clFuchsia);
    // Disabled with one cell: the black block embossed on the face, the face transparent.
    const int d = g.CreateButtonGlyph(bsDisabled);
    const QImage dis = g.List()->Image(d);
    EXPECT_EQ(qAlpha(dis.pixel(0, 0)), 0) << "the face is the transparent colour of this image";
    EXPECT_EQ(dis.pixel(2, 1) & 0xFFFFFF, SysQRgb(clBtnShadow) & 0xFFFFFF);
    EXPECT_EQ(dis.pixel(6, 5) & 0xFFFFFF, SysQRgb(clBtnHighlight) & 0xFFFFFF) << "highlight one down-right";
    // Inactive with fewer than five cells: grey of cell 0; the transparent colour stays transparent.
    TCachedButtonGlyph red;
    red.SetGlyph(Strip(1, {0x0000FF}));
    const int i = red.CreateButtonGlyph(bsInactive);
    const QImage gi = red.List()->Image(i);
    const int v = InactiveGrey(255, 0, 0);
    EXPECT_EQ(gi.pixel(3, 2), qRgb(v, v, v));
    EXPECT_EQ(qAlpha(gi.pixel(0, 0)), 0);

    // Cells by number: a three-cell strip has its own down cell; exclusive (3) falls back to cell 0.
    const struct {
        int Cells;
        TButtonState Look;
        TColor Block;
    } cases[] = {{3, bsDown, 0x0000FF}, {3, bsDisabled, clGray},   {3, bsExclusive, clBlack},
                 {2, bsDown, clBlack},  {5, bsInactive, 0xFF0000}, {4, bsExclusive, 0x00FF00}};
    for (const auto& c : cases) {
        TCachedButtonGlyph s;
        s.SetGlyph(Strip(c.Cells));
        s.SetNumGlyphs(c.Cells);
        const int idx = s.CreateButtonGlyph(c.Look);
        EXPECT_EQ(s.List()->Image(idx).pixel(3, 2) & 0xFFFFFF, toQRgb(c.Block) & 0xFFFFFF)
            << c.Cells << " cells, look " << c.Look;
    }
}

TEST(GlyphCache, BadStripsAndColourChanges) {
    TCachedButtonGlyph g;
    g.SetNumGlyphs(0);
    EXPECT_EQ(g.NumGlyphs(), 1);
    g.SetNumGlyphs(9);
    EXPECT_EQ(g.NumGlyphs(), 5);
    g.SetGlyph(QImage(0, 6, QImage::Format_RGB32));
    EXPECT_EQ(g.CreateButtonGlyph(bsUp), -1);
    g.SetGlyph(NewImage(3, 6, clBlack)); // narrower than five cells
    EXPECT_EQ(g.CreateButtonGlyph(bsUp), -1);
    QImage canvas = NewImage(20, 20, clWhite);
    g.Draw(canvas, QRect(0, 0, 20, 20), QPoint(), QString(), QFont(), blGlyphTop, -1, 1, bsUp);

    // A change of the system colours drops the derived images; the next use makes them again.
    TCachedButtonGlyph e;
    e.SetGlyph(Strip(1));
    const int before = e.CreateButtonGlyph(bsDisabled);
    const QRgb shadow = e.List()->Image(before).pixel(2, 1);
    SetSysColor(16, 0x123456);
    const int after = e.CreateButtonGlyph(bsDisabled);
    EXPECT_NE(e.List()->Image(after).pixel(2, 1), shadow);
    EXPECT_EQ(e.List()->Image(after).pixel(2, 1) & 0xFFFFFF, 0x563412u);
    ResetSysColors();
}

TEST(GlyphSpeedButton, LayoutRules) {
    const QRect client(2, 2, 40, 30);
    const QSize glyph(10, 8), text(12, 6);
    const struct {
        TButtonLayout Layout;
        int Margin, Spacing;
        QPoint Glyph, Text;
    } cases[] = {
        {blGlyphLeft, -1, -1, {2 + 6, 2 + 11}, {2 + 22, 2 + 12}}, // (40-22)/3 = 6 each
        {blGlyphLeft, -1, 2, {2 + 8, 13}, {2 + 20, 14}},          // block of 24 centred
        {blGlyphLeft, 3, -1, {5, 13}, {2 + 3 + 10 + 7, 14}},      // text centred after margin and glyph
        {blGlyphRight, 3, 4, {2 + 27, 13}, {2 + 11, 14}},
        {blGlyphTop, 1, 1, {2 + 15, 3}, {2 + 14, 2 + 10}},
        {blGlyphBottom, 1, 1, {17, 2 + 21}, {16, 2 + 14}},
    };
    for (const auto& c : cases) {
        const TGlyphLayout l = CalcButtonLayout(client, glyph, text, c.Layout, c.Margin, c.Spacing);
        EXPECT_EQ(l.GlyphPos, c.Glyph) << c.Layout << " " << c.Margin << " " << c.Spacing;
        EXPECT_EQ(l.TextBounds.topLeft(), c.Text) << c.Layout << " " << c.Margin << " " << c.Spacing;
    }
    // Without a caption the glyph alone is centred (the spacing is 0).
    EXPECT_EQ(CalcButtonLayout(client, glyph, QSize(), blGlyphTop, -1, 1).GlyphPos, QPoint(17, 13));
}

TEST(GlyphSpeedButton, FramesAndFacesOfTheLooks) {
    QWidget w;
    w.resize(100, 60);
    TGlyphSpeedButton b(&w);
    b.SetGlyph(Strip(1));
    ShowActive(w);
    QImage up = b.Render();
    EXPECT_EQ(PixelAt(up, 0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(up, 24, 24), ColorToRGB(clWindowFrame));
    EXPECT_EQ(PixelAt(up, 23, 23), ColorToRGB(clBtnShadow));
    EXPECT_EQ(PixelAt(up, 1, 1), ColorToRGB(clBtnFace));
    // The glyph is centred in (3, 3, 22, 22): 3 + (19 - 8) / 2 = 8 across, 3 + (19 - 6) / 2 = 9 down.
    EXPECT_EQ(PixelAt(up, 10, 10), clBlack);

    b.SetGroupIndex(1);
    b.SetDown(true);
    EXPECT_EQ(b.State(), bsExclusive);
    QImage ex = b.Render();
    EXPECT_EQ(PixelAt(ex, 0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(PixelAt(ex, 24, 24), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(ex, 1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(PixelAt(ex, 2, 2), ColorToRGB(clBtnFace)) << "the face edge, then one pixel more";
    EXPECT_EQ(PixelAt(ex, 3, 3), ColorToRGB(clBtnHighlight)) << "checker: equal parity is the highlight";
    EXPECT_EQ(PixelAt(ex, 4, 3), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(ex, 11, 11), clBlack) << "shifted by one";

    // A flat button without the pointer has no frame and shows the grey image.
    TGlyphSpeedButton flat(&w);
    flat.move(50, 0);
    flat.SetFlat(true);
    flat.SetGlyph(Strip(1, {0x0000FF}));
    const QImage f = flat.Render();
    EXPECT_EQ(PixelAt(f, 0, 0), ColorToRGB(clBtnFace));
    const int v = InactiveGrey(255, 0, 0);
    EXPECT_EQ(PixelAt(f, 10, 10), RGB(v, v, v));
    flat.SetGrayedInactive(false);
    EXPECT_EQ(PixelAt(flat.Render(), 10, 10), 0x0000FFu);
    flat.setEnabled(false);
    EXPECT_EQ(PixelAt(flat.Render(), 10, 10), ColorToRGB(clBtnFace)) << "disabled: the embossed image";
}

TEST(GlyphSpeedButton, ClicksOnlyOnReleaseInsideAndGroupsKeepOneDown) {
    QWidget w;
    w.resize(100, 60);
    TGlyphSpeedButton a(&w), b(&w);
    b.move(30, 0);
    CountClicks(a);
    ShowActive(w);
    const struct {
        QPoint Release;
        int Clicks;
    } releases[] = {{{24, 24}, 1}, {{25, 10}, 1}, {{10, 25}, 1}, {{0, 0}, 2}};
    for (const auto& r : releases) {
        QTest::mousePress(&a, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(a.State(), bsDown);
        QTest::mouseMove(&a, r.Release);
        QTest::mouseRelease(&a, Qt::LeftButton, {}, r.Release);
        EXPECT_EQ(Clicks(a), r.Clicks) << r.Release.x() << "," << r.Release.y();
        EXPECT_EQ(a.State(), bsUp);
    }
    a.SetDown(true);
    EXPECT_FALSE(a.Down()) << "no group, never down";

    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a.Down());
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b.Down()) << "a down button does not go up without AllowAllUp";
    b.SetAllowAllUp(true);
    EXPECT_TRUE(a.AllowAllUp()) << "the group shares it";
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(b.Down());
}

TEST(GlyphSpeedButton, FeaturesWithoutAUser) {
    // Modal result: a click closes its dialog with it.
    QDialog dialog;
    TGlyphSpeedButton ok(&dialog);
    ok.SetModalResult(QDialog::Accepted);
    QTimer::singleShot(0, &ok, [&ok] { ok.Click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);

    QWidget w;
    w.resize(120, 60);
    TGlyphSpeedButton rep(&w);
    CountClicks(rep);
    ShowActive(w);
    // The repeat timer clicks while the button is held down.
    rep.SetAllowTimer(true);
    rep.SetInitPause(5);
    rep.SetRepeatInterval(5);
    QTest::mousePress(&rep, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_VERIFY_WITH_TIMEOUT(Clicks(rep) >= 2, 2000);
    QTest::mouseRelease(&rep, Qt::LeftButton, {}, QPoint(5, 5));
    const int held = Clicks(rep);
    QTest::qWait(30);
    EXPECT_EQ(Clicks(rep), held) << "the release stops the timer";

    // The drop-down menu opens on the press; the button takes no replayed press meanwhile.
    TGlyphSpeedButton drop(&w);
    drop.move(40, 0);
    QMenu menu;
    menu.addAction(QStringLiteral("one"));
    drop.SetDropDownMenu(&menu);
    bool noReplay = false;
    QTimer::singleShot(50, &menu, [&] {
        noReplay = drop.testAttribute(Qt::WA_NoMouseReplay) && drop.MenuTracking();
        menu.close();
    });
    QTest::mousePress(&drop, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&drop, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(noReplay);
    EXPECT_FALSE(drop.MenuTracking());
    EXPECT_FALSE(drop.testAttribute(Qt::WA_NoMouseReplay));
    EXPECT_EQ(drop.State(), bsUp);

    // Word wrap: a long caption takes two lines instead of an ellipsis.
    TGlyphSpeedButton wrap(&w);
    wrap.resize(60, 40);
    wrap.SetCaption(QStringLiteral("Knit Knit Knit"));
    QImage plain = wrap.Render();
    wrap.SetWordWrap(true);
    QImage wrapped = wrap.Render();
    EXPECT_NE(plain, wrapped);

    // Transparent: the parent shows where the button paints no frame.
    QWidget green;
    green.resize(40, 40);
    green.setAutoFillBackground(true);
    QPalette p;
    p.setColor(QPalette::Window, QColor(0, 200, 0));
    green.setPalette(p);
    TGlyphSpeedButton see(&green);
    see.SetFlat(true);
    see.SetTransparent(true);
    green.show();
    EXPECT_EQ(PixelAt(see.Render(), 12, 12), RGB(0, 200, 0));

    // A glyph from an outside list: its disabled look is drawn from the list's mask.
    TGlyphList images(8, 6);
    const int idx = images.AddMasked(Strip(1), clFuchsia);
    TCachedButtonGlyph g;
    g.SetImageList(&images, idx);
    QImage canvas = NewImage(20, 20, clWhite);
    g.Draw(canvas, QRect(0, 0, 20, 20), QPoint(), QString(), QFont(), blGlyphTop, -1, 1, bsDisabled);
    EXPECT_EQ(PixelAt(canvas, 6 + 2, 7 + 1), ColorToRGB(clBtnShadow));
    g.Draw(canvas, QRect(0, 0, 20, 20), QPoint(), QString(), QFont(), blGlyphTop, -1, 1, bsInactive);
    EXPECT_EQ(PixelAt(canvas, 6 + 2, 7 + 1), clBlack) << "the grey of black";
    EXPECT_GE(g.CreateButtonGlyph(bsInactive), 0);
}
