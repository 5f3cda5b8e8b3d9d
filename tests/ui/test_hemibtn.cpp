// The round shaded buttons: the made images pixel by pixel, the property rules, groups among the
// owner's components and the two click paths.
#include "tests/ui/ButtonTestSupport.h"

#include "platform/ColorQt.h"
#include "ui/GfxUtils.h"
#include "ui/HemiBtn2.h"
#include "ui/Hemibtn.h"

#include <QTest>

#include <gtest/gtest.h>

using buttontest::OwnerWidget;
using buttontest::ShowActive;

namespace {
int Grey(const QImage& I, int x, int y) {
    const QRgb c = I.pixel(x, y);
    EXPECT_EQ(qRed(c), qGreen(c));
    EXPECT_EQ(qRed(c), qBlue(c));
    return qRed(c);
}
} // namespace

TEST(HemisphereButton, ShadesTheDomeAndTheRing) {
    for (THemisphereBevel outer : {hbNone, hbLowered}) {
        THemisphereParams p;
        p.BevelOuter = outer;
        THemisphereImages img;
        ASSERT_TRUE(RebuildHemisphereImages(p, img));
        EXPECT_EQ(img.ImageOut.pixel(12, 12) & 0xFFFFFF, 0xCACACAu) << "202 up, bevel " << outer;
        EXPECT_EQ(img.ImageIn.pixel(12, 12) & 0xFFFFFF, 0x363636u) << "54 pressed, bevel " << outer;
        // The face is lit from the upper left when up, from the lower right when pressed.
        EXPECT_GT(Grey(img.ImageOut, 8, 8), Grey(img.ImageOut, 16, 16));
        EXPECT_LT(Grey(img.ImageIn, 8, 8), Grey(img.ImageIn, 16, 16));
        EXPECT_EQ(img.ImageMask.pixel(12, 12) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.ImageMask.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(qAlpha(img.PaintOut.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(img.PaintOut.pixel(12, 12)), 255);
    }
    // A lowered ring is dark at its upper left and bright at its lower right, in both looks.
    THemisphereParams p;
    THemisphereImages img;
    RebuildHemisphereImages(p, img);
    for (const QImage* look : {&img.ImageOut, &img.ImageIn}) {
        EXPECT_LT(Grey(*look, 4, 4), 128);
        EXPECT_GT(Grey(*look, 20, 20), 200);
        EXPECT_EQ(Grey(*look, 4, 4), Grey(img.ImageOut, 4, 4)) << "the rings are the same in both";
    }
    p.BevelOuter = hbRaised;
    RebuildHemisphereImages(p, img);
    EXPECT_GT(Grey(img.ImageOut, 4, 4), 200);
    EXPECT_LT(Grey(img.ImageOut, 20, 20), 128);

    // Two rings, an outline and a colour: the face keeps its colour's proportions.
    p.BevelInner = hbLowered;
    p.BorderStyle = hbsSingle;
    p.BorderColor = 0x0000FF;
    p.FaceColor = 0x0000C0;
    p.Width = p.Height = 40;
    RebuildHemisphereImages(p, img);
    const QRgb centre = img.ImageOut.pixel(20, 20);
    EXPECT_GT(qRed(centre), 0xC0);
    EXPECT_EQ(qGreen(centre), 0);
    EXPECT_EQ(img.ImageOut.pixel(20, 8) & 0xFFFFFF, 0xFF0000u) << "the outline at 2 x bevel width";

    // Sizes below 2 leave the images as they were.
    THemisphereImages keep = img;
    p.Width = 1;
    EXPECT_FALSE(RebuildHemisphereImages(p, keep));
    EXPECT_EQ(keep.ImageOut, img.ImageOut);
}

TEST(HemisphereButton, PropertyRulesAndBadInput) {
    THemisphereButton b;
    EXPECT_EQ(b.size(), QSize(25, 25));
    b.SetGlyph(NewImage(64, 16, clBlack));
    EXPECT_EQ(b.NumGlyphs(), 4);
    EXPECT_EQ(b.GlyphIndex(), 1);
    b.SetGlyphIndex(3);
    EXPECT_EQ(b.GlyphIndex(), 3);
    b.SetGlyphIndex(0);
    b.SetGlyphIndex(5);
    EXPECT_EQ(b.GlyphIndex(), 3) << "0 and beyond NumGlyphs are refused";
    b.SetGlyph(NewImage(50, 16, clBlack));
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_EQ(b.GlyphIndex(), 1);
    b.SetBevelWidth(0);
    EXPECT_EQ(b.BevelWidth(), 2);

    // A count below one with a glyph is one cell; an index past the strip draws no glyph.
    b.SetGlyph(NewImage(30, 10, 0x00FF00));
    b.SetNumGlyphs(0);
    b.SetNumGlyphs(-3);
    EXPECT_EQ(b.ImageOut().size(), QSize(25, 25));
    b.SetNumGlyphs(3);
    b.SetGlyphIndex(3);
    b.SetNumGlyphs(1);
    b.SetNumGlyphs(2);
    b.SetGlyph(QImage());
    EXPECT_FALSE(b.GlyphValid());

    // Bevels as wide as the button: no face to hit, no division by zero.
    b.SetBevelWidth(13);
    b.SetBevelInner(hbRaised);
    EXPECT_FALSE(b.PointInFace(12, 12));
    b.SetBevelWidth(2);
    b.SetBevelInner(hbNone);
    EXPECT_TRUE(b.PointInFace(12, 12));
    EXPECT_FALSE(b.PointInFace(1, 1));

    b.resize(1, 30);
    EXPECT_EQ(b.ImageOut().size(), QSize(25, 25)) << "too small: the images stay";
    b.resize(30, 20);
    EXPECT_EQ(b.ImageOut().size(), QSize(30, 20));

    // A glyph centred on the face takes the face colour's place and is shaded too.
    b.resize(25, 25);
    QImage glyph = NewImage(6, 6, clFuchsia);
    FillRect(glyph, {1, 0, 5, 5}, 0x0000FF);
    b.SetGlyph(glyph);
    EXPECT_GT(qRed(b.ImageOut().pixel(12, 11)), 200);
    EXPECT_EQ(qGreen(b.ImageOut().pixel(12, 11)), 0);
    const QRgb face = b.ImageOut().pixel(12, 16);
    EXPECT_TRUE(qRed(face) == qGreen(face) && qGreen(face) == qBlue(face))
        << "outside the glyph the grey face";
    b.SetFaceTransparent(true);
    EXPECT_EQ(b.ImageMask().pixel(12, 11) & 0xFFFFFF, 0u) << "the glyph stays opaque";
    EXPECT_EQ(b.ImageMask().pixel(12, 18) & 0xFFFFFF, 0xFFFFFFu) << "the bare face shows the background";
    EXPECT_EQ(b.ImageMask().pixel(12, 1) & 0xFFFFFF, 0u) << "the ring stays opaque";
}

TEST(HemisphereButton, GroupsAmongTheOwnersComponentsAndTheTwoClickPaths) {
    OwnerWidget owner;
    QWidget elsewhere(&owner);
    auto* a = new THemisphereButton(&owner, &owner);
    auto* b = new THemisphereButton(&owner, &elsewhere); // same owner, other parent
    auto* c = new THemisphereCButton(&owner, &owner);    // the other class: not in the group
    b->move(30, 0);
    elsewhere.setGeometry(0, 40, 100, 40);
    c->move(60, 0);
    for (TCustomHemisphereButton* x :
         {(TCustomHemisphereButton*)a, (TCustomHemisphereButton*)b, (TCustomHemisphereButton*)c})
        x->SetGroupIndex(1);
    int clicks = 0;
    a->OnClick = [&](QObject*) { ++clicks; };
    ShowActive(owner);

    c->SetDown(true);
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(a->Down());
    b->SetDown(false);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down()) << "the other of the group goes up";
    EXPECT_TRUE(c->Down()) << "a focusable button is not of this group";
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(b->Down()) << "a down button stays down without AllowAllUp";
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp()) << "written into the whole group";
    EXPECT_FALSE(c->AllowAllUp());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_FALSE(b->Down());

    // A release in the rectangle but off the face: no OnClick, and the button comes back up.
    QTest::mousePress(a, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(a->Down());
    QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(a->Down());
    // A press off the face does nothing at all.
    QTest::mousePress(a, Qt::LeftButton, {}, QPoint(1, 0)); // (0, 0) would mean the centre
    EXPECT_FALSE(a->Tracking());
    QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(1, 0));
}

TEST(HemisphereButton, FocusableTwinRaisesItsBevelWhileFocused) {
    OwnerWidget owner;
    auto* c = new THemisphereCButton(&owner, &owner);
    auto* d = new THemisphereCButton(&owner, &owner);
    d->move(40, 0);
    ShowActive(owner);
    EXPECT_EQ(c->focusPolicy(), Qt::ClickFocus);
    const QImage before = c->ImageOut();
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(c->hasFocus());
    EXPECT_EQ(c->BevelOuter(), hbRaised);
    EXPECT_NE(c->ImageOut(), before);
    d->setFocus();
    EXPECT_EQ(c->BevelOuter(), hbLowered);
    EXPECT_EQ(c->ImageOut(), before);
    c->SetTabStop(true);
    EXPECT_EQ(c->focusPolicy(), Qt::StrongFocus);
}
