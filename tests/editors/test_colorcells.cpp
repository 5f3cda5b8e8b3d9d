// The colour cells: the popup palette's layout and place, the colour box's grid and painting, and
// editing a set through the popup.
#include "tests/editors/CellTestSupport.h"

#include "editors/ColorBox_M.h"
#include "editors/PopPalette_m.h"
#include "platform/ColorQt.h"
#include "ui/GfxUtils.h"

#include <QTest>

#include <gtest/gtest.h>

using celltest::Click;
using celltest::Press;
using celltest::RowWindow;

TEST(PopupPalette, LaysOutTwoGridsByTheFormulas) {
    TPaletteLayout l = PaletteLayout(32, 8, 4, 4, 0, 15, 15);
    EXPECT_EQ(l.Size, QSize(128, 139));
    EXPECT_EQ(l.Rows, 4);
    EXPECT_EQ(l.Upper[0], QRect(4, 4, 15, 15));
    EXPECT_EQ(l.Upper[9], QRect(19, 19, 15, 15));
    EXPECT_EQ(l.Lower[0].top(), 75);
    EXPECT_EQ(l.Lower[31], QRect(109, 120, 15, 15));
    EXPECT_EQ(l.Bevel, QRect(1, 68, 126, 3));

    l = PaletteLayout(20, 8, 4, 4, 0, 15, 15);
    EXPECT_EQ(l.Rows, 3);
    EXPECT_EQ(l.Count, 20);
    EXPECT_EQ(PaletteLayout(40, 8, 4, 4, 0, 15, 15).Count, 32) << "above 32 counts as 32";
    // Nothing to draw, and nothing divided by zero.
    for (const auto& bad : {PaletteLayout(32, 0, 4, 4, 0, 15, 15), PaletteLayout(32, 8, 4, 4, 0, 0, 15),
                            PaletteLayout(32, -3, 4, 4, 0, 15, -1), PaletteLayout(-5, 8, 4, 4, 0, 15, 15)}) {
        EXPECT_EQ(bad.Count, 0);
        EXPECT_EQ(bad.Rows, 0);
    }

    MPopupPalette popup;
    popup.SetNumOfColor(20);
    EXPECT_EQ(popup.size(), QSize(128, 109));
    for (int i : {19, 51})
        EXPECT_FALSE(popup.Swatch(i)->isHidden()) << i;
    for (int i : {20, 31, 52, 63}) {
        EXPECT_TRUE(popup.Swatch(i)->isHidden()) << i;
        EXPECT_EQ(popup.Swatch(i)->Tag, -1);
    }
    popup.SetNumColumns(0);
    EXPECT_TRUE(popup.Swatch(0)->isHidden());
}

TEST(PopupPalette, OpensBelowTheBoxInsideItsScreen) {
    const QRect screen(0, 0, 1000, 800);
    const QSize size(128, 139);
    const struct {
        QRect Box;
        QRect Screen;
        QSize Size;
        QPoint At;
    } cases[] = {
        {QRect(100, 100, 50, 30), screen, size, QPoint(100, 130)},
        {QRect(950, 100, 50, 30), screen, size, QPoint(872, 130)},        // right edge
        {QRect(100, 700, 50, 30), screen, size, QPoint(100, 561)},        // lower edge: above the box
        {QRect(960, 750, 40, 30), screen, size, QPoint(872, 611)},        // the corner
        {QRect(10, 10, 50, 30), screen, QSize(2000, 2000), QPoint(0, 0)}, // never past the left or top
        {QRect(1950, 100, 50, 30), QRect(1000, 0, 1000, 800), size, QPoint(1872, 130)}, // a second screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(PopupPosition(c.Box, c.Size, c.Screen), c.At) << c.Box.x() << "," << c.Box.y();
}

TEST(ColorBox, GridGrowsWithItsColours) {
    const struct {
        int Width, Height, Count, Cols, Rows, MaxCols;
        bool Warp;
        int GotCols, GotRows, CellWidth, CellHeight;
    } cases[] = {
        {50, 30, 3, 6, 2, 10, true, 6, 2, 5, 9},
        {50, 30, 15, 6, 2, 10, true, 8, 2, 4, 9},
        {50, 30, 25, 6, 2, 10, true, 10, 3, 3, 6},
        {50, 30, 25, 6, 2, 10, false, 6, 2, 5, 9},
        {58, 25, 7, 5, 2, 10, true, 5, 2, 8, 7},
        {50, 30, 32, 6, 2, 4, true, 6, 6, 5, 2}, // fewer maximum columns than columns
    };
    for (const auto& c : cases) {
        const TColorGrid g =
            ColorBoxGrid(c.Width, c.Height, c.Count, c.Cols, c.Rows, c.MaxCols, 3, 3, 1, c.Warp);
        EXPECT_EQ(g.Cols, c.GotCols) << c.Count;
        EXPECT_EQ(g.Rows, c.GotRows) << c.Count;
        EXPECT_EQ(g.CellWidth, c.CellWidth) << c.Count;
        EXPECT_EQ(g.CellHeight, c.CellHeight) << c.Count;
    }
    const TColorGrid g = ColorBoxGrid(58, 25, 7, 5, 2, 10, 3, 3, 1, true);
    EXPECT_EQ(ColorCellRect(g, 0, 3, 3, 1), QRect(5, 5, 8, 7));
    EXPECT_EQ(ColorCellRect(g, 6, 3, 3, 1), QRect(14, 13, 8, 7));
    EXPECT_FALSE(ColorBoxGrid(58, 25, 7, 0, 2, 10, 3, 3, 1, true).Drawable());
    EXPECT_FALSE(ColorBoxGrid(58, 25, 7, 5, 0, 10, 3, 3, 1, true).Drawable());
    EXPECT_FALSE(ColorBoxGrid(8, 8, 40, 6, 2, 10, 3, 3, 1, true).Drawable());
}

TEST(ColorBox, PaintsFrameAndColourCells) {
    MPalette palette;
    palette.Colors[3] = 0x00FF00;
    MColorBox box(nullptr);
    box.resize(58, 25);
    box.SetNumColumns(5);
    box.SetPalette(&palette);
    MbitsMap set;
    set.SetBit(0, 1);
    set.SetBit(3, 1);
    set.SetBit(31, 1);
    box.AssignColors(set);
    const QImage img = box.Render();
    EXPECT_EQ(PixelAt(img, 0, 0), 0x7F7F7Fu);
    EXPECT_EQ(PixelAt(img, 1, 1), 0x000000u);
    EXPECT_EQ(PixelAt(img, 57, 24), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(img, 56, 23), 0xDFDFDFu);
    EXPECT_EQ(PixelAt(img, 5, 5), 0x000000u) << "cells larger than 5 x 5 have a black border";
    EXPECT_EQ(PixelAt(img, 8, 8), palette.Color(0));
    EXPECT_EQ(PixelAt(img, 17, 8), 0x00FF00u);
    EXPECT_EQ(PixelAt(img, 26, 8), palette.Color(31));
    EXPECT_EQ(PixelAt(img, 40, 8), 0xFFFFFFu) << "no fourth cell";

    // Nothing but the frame without rows, and without a palette.
    box.SetNumRows(0);
    EXPECT_EQ(PixelAt(box.Render(), 8, 8), 0xFFFFFFu);
    box.SetNumRows(2);
    box.SetPalette(nullptr);
    EXPECT_EQ(PixelAt(box.Render(), 8, 8), 0xFFFFFFu);
}

TEST(ColorBox, LoweringMaxColorCountKeepsTheLowestColoursAndTellsTheOwner) {
    MColorBox box(nullptr);
    int changes = 0;
    box.OnChange = [&](QObject*) { ++changes; };
    MbitsMap set;
    for (int i : {1, 5, 9, 20})
        set.SetBit(i, 1);
    box.AssignColors(set);
    changes = 0;
    box.SetMaxColorCount(4);
    EXPECT_EQ(changes, 0);
    box.SetMaxColorCount(2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.ColorMap().BitText(0, 31), QStringLiteral("01000100000000000000000000000000"));
    box.SetMaxColorCount(0); // no limit: nothing to drop
    EXPECT_TRUE(box.SetColorBit(7, true));
    EXPECT_TRUE(box.SetColorBit(8, true));
    EXPECT_EQ(box.ColorMap().Count(), 4);
    EXPECT_FALSE(box.SetColorBit(40, true));
}

namespace {
struct PaletteFixture {
    PaletteFixture() {
        box = new MColorBox(nullptr, w.RowWidget);
        box->Tag = 4;
        box->setGeometry(20, 20, 50, 30);
        box->SetPalette(&palette);
        box->SetPopupPalette(&popup);
        box->OnChange = [this](QObject*) { ++changes; };
        box->show();
        box->setFocus();
        popup.SetPalette(&palette);
    }
    RowWindow w;
    MPalette palette;
    MPopupPalette popup{w.Window.get()};
    MColorBox* box;
    int changes = 0;
};
} // namespace

TEST(ColorBox, PopupMovesColoursAndTheBoxRefusesOneTooMany) {
    PaletteFixture f;
    MbitsMap set;
    set.SetBit(1, 1);
    set.SetBit(2, 1);
    f.box->AssignColors(set);
    f.box->SetMaxColorCount(2);
    f.changes = 0;
    Click(f.box);
    ASSERT_TRUE(f.box->PopupOpen());
    EXPECT_TRUE(f.popup.Swatch(1)->Selected()) << "a member shows blank above";
    EXPECT_FALSE(f.popup.Swatch(32 + 1)->Selected());
    EXPECT_TRUE(f.popup.Swatch(32 + 3)->Selected()) << "a non-member shows blank below";

    // A third colour is refused: both swatches go back and the set stays.
    QTest::mouseClick(f.popup.Swatch(3), Qt::LeftButton);
    EXPECT_FALSE(f.popup.Swatch(3)->Selected());
    EXPECT_TRUE(f.popup.Swatch(32 + 3)->Selected());
    EXPECT_EQ(f.box->ColorMap().Count(), 2);
    EXPECT_EQ(f.changes, 0);

    // A member clicked below leaves the set; then the third colour fits.
    QTest::mouseClick(f.popup.Swatch(32 + 1), Qt::LeftButton);
    QTest::mouseClick(f.popup.Swatch(3), Qt::LeftButton);
    EXPECT_EQ(f.box->ColorMap().BitText(0, 3), QStringLiteral("0011"));
    EXPECT_EQ(f.popup.ColorMap().BitText(0, 3), QStringLiteral("0011"));
    EXPECT_TRUE(f.popup.Swatch(1 + 32)->Selected());
    EXPECT_EQ(f.changes, 2);
    EXPECT_TRUE(f.popup.isVisible());
}

TEST(ColorBox, ClickOpensAndASecondClickOnTheBoxOnlyCloses) {
    PaletteFixture f;
    Click(f.box);
    ASSERT_TRUE(f.box->PopupOpen());
    EXPECT_EQ(f.popup.pos(), f.box->mapToGlobal(QPoint(0, 30)));
    EXPECT_TRUE(f.box->FocusShown()) << "the popup does not take the box's focus colour";

    Click(f.box);
    QApplication::processEvents();
    EXPECT_FALSE(f.box->PopupOpen());
    EXPECT_FALSE(f.popup.isVisible());

    // Enter opens it again and reaches the row as a character.
    Press(f.box, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_TRUE(f.box->PopupOpen());
    EXPECT_EQ(f.w.RowWidget->Keys,
              (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0x000D0000u, 0x00040000u}}));

    // Enter or Space typed while it is open (the open popup has the keyboard) closes it, and
    // still reaches the row.
    for (const auto& [key, text] :
         {std::pair{int(Qt::Key_Return), "\r"}, std::pair{int(Qt::Key_Space), " "}}) {
        f.w.RowWidget->Keys.clear();
        Press(&f.popup, key, Qt::NoModifier, QString::fromLatin1(text));
        EXPECT_FALSE(f.box->PopupOpen()) << text;
        EXPECT_FALSE(f.popup.isVisible()) << text;
        EXPECT_EQ(f.w.RowWidget->Keys.size(), 1u) << text;
        Press(f.box, key, Qt::NoModifier, QString::fromLatin1(text));
        EXPECT_TRUE(f.box->PopupOpen()) << text;
    }

    // Escape in the popup only closes it; leaving the box closes it too.
    Press(&f.popup, Qt::Key_Escape);
    EXPECT_FALSE(f.box->PopupOpen());
    Click(f.box);
    ASSERT_TRUE(f.box->PopupOpen());
    f.popup.HidePopup();
    auto* other = new QWidget(f.w.RowWidget);
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    other->setFocus();
    EXPECT_FALSE(f.box->FocusShown());
    EXPECT_EQ(f.box->Color(), 0xFFFFFFu);
}

TEST(ColorSwatch, CaptionColourFollowsTheSwatchBrightness) {
    MPalette palette;
    palette.Colors[0] = 0xFFFFFF;
    palette.Colors[1] = 0x000077;
    MPopupPalette popup;
    popup.SetPalette(&palette);
    EXPECT_EQ(popup.Swatch(0)->FontColor(), 0x000000u);
    EXPECT_EQ(popup.Swatch(32)->FontColor(), 0x000000u);
    EXPECT_EQ(popup.Swatch(1)->FontColor(), 0xFFFFFFu);
    EXPECT_EQ(popup.Swatch(1)->Caption(), palette.Symbol(1));
    // A selected swatch with ClearWhenSelected shows the button face and no caption.
    popup.Swatch(1)->SetSelected(true);
    EXPECT_TRUE(popup.Swatch(1)->ShownCaption().isEmpty());
    EXPECT_EQ(popup.Swatch(1)->ShownColor(), clBtnFace);
}

TEST(ColorBox, MembersThePopupDoesNotShowStayInTheSet) {
    PaletteFixture f;
    f.popup.SetNumOfColor(20);
    MbitsMap set;
    set.SetBit(2, 1);
    set.SetBit(25, 1);
    f.box->AssignColors(set);
    Click(f.box);
    ASSERT_TRUE(f.box->PopupOpen());
    EXPECT_TRUE(f.popup.ColorMap().IsSet(25));
    QTest::mouseClick(f.popup.Swatch(3), Qt::LeftButton);
    QTest::mouseClick(f.popup.Swatch(32 + 2), Qt::LeftButton);
    EXPECT_EQ(f.box->ColorMap().BitText(0, 31), QStringLiteral("00010000000000000000000001000000"));
}
