// The pixel drawing rules and the drawing helpers of the program's own controls.
#include "platform/SysColors.h"
#include "ui/GfxUtils.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

namespace {
bool IsSet(const QImage& I, int x, int y) {
    return PixelAt(I, x, y) == clBlack;
}
} // namespace

TEST(PixelDrawing, EllipseIsInscribedSymmetricAndExcludesRightAndBottom) {
    for (const TRect r : {TRect{0, 0, 25, 25}, TRect{0, 0, 24, 17}, TRect{3, 2, 12, 9}}) {
        QImage img = NewImage(30, 30, clWhite);
        FillEllipse(img, r, clBlack);
        const int w = RectWidth(r), h = RectHeight(r);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x) {
                const bool inRect = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
                if (!inRect) {
                    ASSERT_FALSE(IsSet(img, x, y)) << x << "," << y;
                    continue;
                }
                const int mx = r.Left + (r.Right - 1 - x), my = r.Top + (r.Bottom - 1 - y);
                ASSERT_EQ(IsSet(img, x, y), IsSet(img, mx, y)) << "left-right symmetric " << x << "," << y;
                ASSERT_EQ(IsSet(img, x, y), IsSet(img, x, my)) << "top-bottom symmetric " << x << "," << y;
            }
        EXPECT_TRUE(IsSet(img, r.Left + w / 2, r.Top)) << "touches the top edge";
        EXPECT_TRUE(IsSet(img, r.Left, r.Top + h / 2)) << "touches the left edge";
        EXPECT_TRUE(IsSet(img, r.Right - 1, r.Top + h / 2)) << "touches the right edge";
        EXPECT_FALSE(IsSet(img, r.Left, r.Top)) << "not the corner";
    }
    // The outline is the border of the filled ellipse.
    QImage filled = NewImage(25, 25, clWhite), ring = NewImage(25, 25, clWhite);
    FillEllipse(filled, {0, 0, 25, 25}, clBlack);
    EllipseOutline(ring, {0, 0, 25, 25}, clBlack);
    EXPECT_TRUE(IsSet(ring, 12, 0));
    EXPECT_FALSE(IsSet(ring, 12, 12));
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x)
            if (IsSet(ring, x, y)) {
                ASSERT_TRUE(IsSet(filled, x, y));
            }
    // Empty and inverted rectangles draw nothing.
    QImage none = NewImage(5, 5, clWhite);
    FillEllipse(none, {3, 3, 3, 8}, clBlack);
    FillEllipse(none, {4, 4, 1, 1}, clBlack);
    EllipseOutline(none, {4, 4, 1, 1}, clBlack);
    EXPECT_EQ(none, NewImage(5, 5, clWhite));
}

TEST(PixelDrawing, PathsLeaveTheirEndAndFramesSitInside) {
    QImage img = NewImage(6, 6, clWhite);
    PolyLine(img, {QPoint(0, 5), QPoint(0, 0), QPoint(5, 0)}, clBlack);
    EXPECT_TRUE(IsSet(img, 0, 5));
    EXPECT_TRUE(IsSet(img, 0, 0));
    EXPECT_TRUE(IsSet(img, 4, 0));
    EXPECT_FALSE(IsSet(img, 5, 0)) << "the end point is not drawn";
    PolyLine(img, {QPoint(-3, 3), QPoint(9, 3)}, clBlack); // off the image: clipped
    EXPECT_TRUE(IsSet(img, 5, 3));

    QImage f = NewImage(6, 6, clGray);
    TRect r{0, 0, 6, 6};
    Frame3D(f, r, clWhite, clBlack, 2);
    EXPECT_EQ(r, (TRect{2, 2, 4, 4}));
    EXPECT_EQ(PixelAt(f, 0, 0), clWhite);
    EXPECT_EQ(PixelAt(f, 5, 0), clBlack) << "top-right corner takes the bottom colour";
    EXPECT_EQ(PixelAt(f, 0, 5), clBlack) << "bottom-left corner too";
    EXPECT_EQ(PixelAt(f, 1, 1), clWhite);
    EXPECT_EQ(PixelAt(f, 4, 4), clBlack);
    EXPECT_EQ(PixelAt(f, 2, 2), clGray);
}

TEST(DrawingHelpers, CheckerEmbossAndEllipsis) {
    const QImage c = CreateCheckerPattern(clBtnFace, clBtnHighlight);
    ASSERT_EQ(c.size(), QSize(8, 8));
    EXPECT_EQ(PixelAt(c, 0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(c, 1, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(c, 1, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(c, 7, 6), ColorToRGB(clBtnFace));

    // Only pixels of exactly the colour count: (1,1) black, (2,1) almost black.
    QImage glyph = NewImage(4, 4, clWhite);
    PutPixel(glyph, 1, 1, clBlack);
    PutPixel(glyph, 2, 1, 0x010101);
    const QImage e = CreateEmbossedBitmap(glyph, clBlack);
    EXPECT_EQ(PixelAt(e, 1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(PixelAt(e, 2, 2), ColorToRGB(clBtnHighlight)) << "the highlight one pixel right and down";
    EXPECT_EQ(PixelAt(e, 2, 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(e, 0, 0), ColorToRGB(clBtnFace));
    const QImage flat = CreateEmbossedBitmap(glyph, clBlack, clWhite, clGray, clBlack, false);
    EXPECT_EQ(PixelAt(flat, 2, 2), clWhite);

    QFont font;
    font.setPixelSize(12);
    const QFontMetrics fm(font);
    const QString text = QStringLiteral("Knitting scheme");
    EXPECT_EQ(FitTextWithEllipsis(text, fm, 1000), text);
    const QString fitted = FitTextWithEllipsis(text, fm, fm.horizontalAdvance(text) - 1);
    EXPECT_TRUE(fitted.endsWith(QStringLiteral("...")));
    EXPECT_TRUE(text.startsWith(fitted.chopped(3)));
    EXPECT_EQ(fitted.size(), text.size() - 2 + 3) << "the first cut drops two characters";
    EXPECT_EQ(FitTextWithEllipsis(text, fm, 0), QStringLiteral("..."));
    EXPECT_EQ(FitTextWithEllipsis(QString(), fm, 0), QString());
}

TEST(DrawingHelpers, ParentImageAndCursors) {
    QWidget parent;
    parent.resize(40, 40);
    parent.setAutoFillBackground(true);
    QPalette p;
    p.setColor(QPalette::Window, QColor(10, 200, 30));
    parent.setPalette(p);
    QLabel before(&parent);
    before.setGeometry(0, 0, 20, 40);
    before.setAutoFillBackground(true);
    QPalette bp;
    bp.setColor(QPalette::Window, QColor(200, 0, 0));
    before.setPalette(bp);
    QWidget control(&parent);
    control.setGeometry(10, 10, 20, 20);
    QLabel after(&parent);
    after.setGeometry(20, 0, 20, 40);
    after.setAutoFillBackground(true);
    after.setPalette(bp);
    parent.show();
    QImage under(20, 20, QImage::Format_RGB32);
    under.fill(0);
    {
        QPainter painter(&under);
        CopyParentImage(&control, painter);
    }
    EXPECT_EQ(under.pixel(2, 2) & 0xFFFFFF, 0xC80000u) << "a sibling placed before shows";
    EXPECT_EQ(under.pixel(15, 2) & 0xFFFFFF, 0x0AC81Eu) << "one placed after does not";

    for (int id : {crHandCursor, crDragHandCursor}) {
        const QCursor c = GetCursor(id);
        EXPECT_FALSE(c.pixmap().isNull()) << id;
    }
    EXPECT_EQ(GetCursor(1).shape(), Qt::ArrowCursor);
}
