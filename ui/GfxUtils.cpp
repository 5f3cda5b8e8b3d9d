#include "ui/GfxUtils.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

inline QRgb Opaque(TColor Color) {
    return SysQRgb(Color) | 0xFF000000u;
}

inline bool Inside(const QImage& Image, int X, int Y) {
    return X >= 0 && Y >= 0 && X < Image.width() && Y < Image.height();
}

inline void Put(QImage& Image, int X, int Y, QRgb Rgb) {
    if (Inside(Image, X, Y))
        reinterpret_cast<QRgb*>(Image.scanLine(Y))[X] = Rgb;
}

// One segment from (x0, y0) towards (x1, y1), the end point left out.
void Segment(QImage& Image, int x0, int y0, int x1, int y1, QRgb Rgb) {
    WalkLine(x0, y0, x1, y1, false, [&](int x, int y) { Put(Image, x, y, Rgb); });
}

// The columns [first, last] of row y that belong to the ellipse inscribed in R; false when none.
bool EllipseSpan(const TRect& R, int y, int& first, int& last) {
    const double a = (R.Right - R.Left) / 2.0, b = (R.Bottom - R.Top) / 2.0;
    if (a <= 0 || b <= 0 || y < R.Top || y >= R.Bottom)
        return false;
    const double cx = (R.Left + R.Right) / 2.0, cy = (R.Top + R.Bottom) / 2.0;
    const double v = (y + 0.5 - cy) / b;
    if (v * v > 1)
        return false;
    const double half = a * std::sqrt(1 - v * v);
    first = int(std::ceil(cx - half - 0.5));
    last = int(std::floor(cx + half - 0.5));
    return first <= last;
}

// A little picture of a cursor: '#' black, '.' white, anything else transparent.
QCursor CursorFromArt(const char* const* Rows, int Count, int HotX, int HotY) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(0);
    for (int y = 0; y < Count; ++y)
        for (int x = 0; Rows[y][x]; ++x) {
            if (Rows[y][x] == '#')
                image.setPixel(x, y, 0xFF000000u);
            else if (Rows[y][x] == '.')
                image.setPixel(x, y, 0xFFFFFFFFu);
        }
    return QCursor(QPixmap::fromImage(image), HotX, HotY);
}

} // namespace

QImage NewImage(int Width, int Height, TColor Color) {
    QImage image(Max(Width, 0), Max(Height, 0), QImage::Format_RGB32);
    image.fill(Opaque(Color));
    return image;
}

void PutPixel(QImage& Image, int X, int Y, TColor Color) {
    Put(Image, X, Y, Opaque(Color));
}

TColor PixelAt(const QImage& Image, int X, int Y) {
    if (!Inside(Image, X, Y))
        return 0;
    return fromQRgb(Image.pixel(X, Y));
}

void FillRect(QImage& Image, const TRect& R, TColor Color) {
    const QRgb rgb = Opaque(Color);
    const int x0 = Max(R.Left, 0), x1 = Min(R.Right, Image.width());
    for (int y = Max(R.Top, 0); y < Min(R.Bottom, Image.height()); ++y) {
        auto* row = reinterpret_cast<QRgb*>(Image.scanLine(y));
        for (int x = x0; x < x1; ++x)
            row[x] = rgb;
    }
}

void PolyLine(QImage& Image, std::initializer_list<QPoint> Points, TColor Color) {
    PolyLine(Image, std::span<const QPoint>(Points.begin(), Points.size()), Color);
}

void PolyLine(QImage& Image, std::span<const QPoint> Points, TColor Color) {
    const QRgb rgb = Opaque(Color);
    for (std::size_t i = 1; i < Points.size(); ++i)
        Segment(Image, Points[i - 1].x(), Points[i - 1].y(), Points[i].x(), Points[i].y(), rgb);
}

void FillEllipse(QImage& Image, const TRect& R, TColor Color) {
    const QRgb rgb = Opaque(Color);
    for (int y = Max(R.Top, 0); y < Min(R.Bottom, Image.height()); ++y) {
        int first, last;
        if (!EllipseSpan(R, y, first, last))
            continue;
        auto* row = reinterpret_cast<QRgb*>(Image.scanLine(y));
        for (int x = Max(first, 0); x <= Min(last, Image.width() - 1); ++x)
            row[x] = rgb;
    }
}

void EllipseOutline(QImage& Image, const TRect& R, TColor Color) {
    const QRgb rgb = Opaque(Color);
    const int h = R.Bottom - R.Top;
    if (h <= 0 || R.Right <= R.Left)
        return;
    // The span of every row and of the rows just outside; a pixel is on the outline when a
    // neighbour above, below, left or right is outside the ellipse.
    std::vector<int> first(std::size_t(h) + 2, 1), last(std::size_t(h) + 2, 0);
    for (int i = 0; i < h; ++i)
        EllipseSpan(R, R.Top + i, first[std::size_t(i) + 1], last[std::size_t(i) + 1]);
    auto in = [&](std::size_t row, int x) { return x >= first[row] && x <= last[row]; };
    for (int i = 0; i < h; ++i) {
        const std::size_t row = std::size_t(i) + 1;
        for (int x = first[row]; x <= last[row]; ++x)
            if (x == first[row] || x == last[row] || !in(row - 1, x) || !in(row + 1, x))
                Put(Image, x, R.Top + i, rgb);
    }
}

void Frame3D(QImage& Image, TRect& R, TColor TopColor, TColor BottomColor, int Width) {
    for (int i = 0; i < Width; ++i) {
        const int l = R.Left, t = R.Top, r = R.Right - 1, b = R.Bottom - 1;
        PolyLine(Image, {QPoint(l, b), QPoint(l, t), QPoint(r, t)}, TopColor);
        PolyLine(Image, {QPoint(r, t), QPoint(r, b), QPoint(l - 1, b)}, BottomColor);
        R.Left += 1;
        R.Top += 1;
        R.Right -= 1;
        R.Bottom -= 1;
    }
}

QImage CreateCheckerPattern(TColor Color1, TColor Color2) {
    QImage image = NewImage(8, 8, Color1);
    const QRgb c2 = Opaque(Color2);
    for (int y = 0; y < 8; ++y)
        for (int x = y % 2; x < 8; x += 2)
            Put(image, x, y, c2);
    return image;
}

void CopyParentImage(QWidget* Control, QPainter& Painter) {
    if (!Control || !Control->parentWidget())
        return;
    QWidget* parent = Control->parentWidget();
    const QRect area = Control->geometry();
    Painter.save();
    Painter.setClipRect(QRect(QPoint(0, 0), area.size()));
    // A rendered region starts at the target offset.
    parent->render(&Painter, QPoint(0, 0), QRegion(area), QWidget::DrawWindowBackground);
    for (QObject* child : parent->children()) {
        if (child == Control)
            break;
        auto* sibling = qobject_cast<QWidget*>(child);
        if (!sibling || !sibling->isVisible() || sibling->isWindow() || !sibling->geometry().intersects(area))
            continue;
        const QRect overlap = sibling->geometry().intersected(area);
        sibling->render(&Painter, overlap.topLeft() - area.topLeft(),
                        QRegion(overlap.translated(-sibling->pos())),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    Painter.restore();
}

QImage CreateEmbossedBitmap(const QImage& Bitmap, TColor Color, TColor BackColor, TColor HighlightColor,
                            TColor ShadowColor, bool DrawHighlight) {
    QImage result = NewImage(Bitmap.width(), Bitmap.height(), BackColor);
    if (Bitmap.isNull())
        return result;
    const QImage source = Bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb key = SysQRgb(Color) & 0xFFFFFFu;
    auto set = [&](int x, int y) {
        return Inside(source, x, y) &&
               (reinterpret_cast<const QRgb*>(source.constScanLine(y))[x] & 0xFFFFFFu) == key;
    };
    QImage mask = NewImage(source.width(), source.height(), clWhite);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (set(x, y))
                Put(mask, x, y, 0xFF000000u);
    DrawMaskDisabled(result, mask, 0, 0, HighlightColor, ShadowColor, DrawHighlight);
    return result;
}

QImage CreateEmbossedBitmap(const QImage& Bitmap, TColor Color) {
    return CreateEmbossedBitmap(Bitmap, Color, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

void DrawMaskDisabled(QImage& Canvas, const QImage& Mask, int X, int Y, TColor HighlightColor,
                      TColor ShadowColor, bool DrawHighlight) {
    auto paint = [&](int dx, int dy, TColor Color) {
        const QRgb rgb = Opaque(Color);
        for (int y = 0; y < Mask.height(); ++y)
            for (int x = 0; x < Mask.width(); ++x)
                if ((Mask.pixel(x, y) & 0xFFFFFFu) == 0)
                    Put(Canvas, X + x + dx, Y + y + dy, rgb);
    };
    if (DrawHighlight)
        paint(1, 1, HighlightColor);
    paint(0, 0, ShadowColor);
}

QString FitTextWithEllipsis(const QString& Text, const QFontMetrics& Metrics, int MaxWidth) {
    const QString dots = QStringLiteral("...");
    QString result = Text;
    qsizetype cut = 1;
    while (Metrics.horizontalAdvance(result) > MaxWidth && cut < Text.size()) {
        ++cut;
        result = Text.left(Text.size() - cut) + dots;
    }
    if (Metrics.horizontalAdvance(result) > MaxWidth && !Text.isEmpty())
        result = dots;
    return result;
}

bool IsForegroundTask() {
    return QApplication::activeWindow() != nullptr;
}

QCursor GetCursor(int Id) {
    static const char* const hand[] = {
        "      ##          ", "     #..#         ", "     #..#         ", "     #..#         ",
        "     #..###       ", "     #..#..###    ", "     #..#..#..##  ", "  ## #..#..#..#.# ",
        " #..##........#..#", " #...#...........#", "  #..............#", "  #..............#",
        "   #.............#", "   #............# ", "    #...........# ", "    #..........#  ",
        "     #.........#  ", "     #.........#  ", "     ###########  ",
    };
    static const char* const drag[] = {
        "                  ", "                  ", "                  ", "                  ",
        "      ## ## ##    ", "     #..#..#..##  ", "     #........#.# ", "    ##...........#",
        "   #.#...........#", "   #.............#", "    #............#", "    #............#",
        "     #..........# ", "     #..........# ", "      #........#  ", "      #........#  ",
        "      ##########  ",
    };
    if (Id == crHandCursor)
        return CursorFromArt(hand, int(std::size(hand)), 6, 1);
    if (Id == crDragHandCursor)
        return CursorFromArt(drag, int(std::size(drag)), 9, 8);
    return QCursor(Qt::ArrowCursor);
}
