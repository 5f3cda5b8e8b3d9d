#pragma once
// Drawing helpers of the program's own controls. Shapes are drawn pixel by pixel on a QImage by
// fixed rules, without antialiasing, so a control looks the same under any theme and its pixels
// can be tested: rectangles and ellipses exclude their right and bottom edges, a line path does
// not draw its last point, positions outside the image are skipped. Colours may name system
// colours (platform/SysColors.h).

#include "platform/Color.h"

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <initializer_list>
#include <span>

class QFontMetrics;
class QPainter;
class QWidget;

// Bresenham's line from (X1, Y1) to (X2, Y2): Plot(x, y) for every pixel in order, the end pixel
// only when WithEnd.
template <typename Plot>
void WalkLine(int X1, int Y1, int X2, int Y2, bool WithEnd, Plot plot) {
    const int dx = X2 > X1 ? X2 - X1 : X1 - X2, dy = Y2 > Y1 ? Y1 - Y2 : Y2 - Y1;
    const int sx = X1 < X2 ? 1 : -1, sy = Y1 < Y2 ? 1 : -1;
    int err = dx + dy;
    while (X1 != X2 || Y1 != Y2) {
        plot(X1, Y1);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            X1 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            Y1 += sy;
        }
    }
    if (WithEnd)
        plot(X2, Y2);
}

// A rectangle whose Right and Bottom lie just outside it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    static TRect FromQRect(const QRect& R) {
        return {R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
    }
};

inline int Max(int A, int B) {
    return A > B ? A : B;
}
inline int Min(int A, int B) {
    return A < B ? A : B;
}
inline int RectWidth(const TRect& R) {
    return R.Right - R.Left;
}
inline int RectHeight(const TRect& R) {
    return R.Bottom - R.Top;
}

// ---- Pixels.
// A new image of the size in Format_RGB32, filled with Color.
QImage NewImage(int Width, int Height, TColor Color);
void PutPixel(QImage& Image, int X, int Y, TColor Color);
// The colour at (X, Y); 0 outside the image.
TColor PixelAt(const QImage& Image, int X, int Y);
void FillRect(QImage& Image, const TRect& R, TColor Color);
// A line path through the points; every segment but the last point is drawn.
void PolyLine(QImage& Image, std::initializer_list<QPoint> Points, TColor Color);
void PolyLine(QImage& Image, std::span<const QPoint> Points, TColor Color);
// The filled ellipse inscribed in R: the pixels whose centres lie inside it.
void FillEllipse(QImage& Image, const TRect& R, TColor Color);
// Its outline one pixel wide: the pixels of the filled ellipse next to a pixel outside it.
void EllipseOutline(QImage& Image, const TRect& R, TColor Color);
// A 3-D edge Width pixels thick along the inside of R: top and left in TopColor, bottom and right
// (with the top-right and bottom-left corners) in BottomColor. R moves in by Width on every side.
void Frame3D(QImage& Image, TRect& R, TColor TopColor, TColor BottomColor, int Width = 1);

// ---- The helpers of the speed button and the hint window.
// A new 8 x 8 image of Color1 whose pixels with x and y of equal parity are Color2.
QImage CreateCheckerPattern(TColor Color1, TColor Color2);
// Draws into Painter (whose origin is the control's top-left corner) what lies under Control: the
// parent's background and painting, then every visible sibling placed before Control that overlaps
// it, all clipped to the control.
void CopyParentImage(QWidget* Control, QPainter& Painter);
// A new image of the picture's size filled with BackColor; the pixels of the picture that have
// exactly the colour Color are "set": HighlightColor goes into the set pixels shifted by (1, 1)
// when DrawHighlight, then ShadowColor into the set pixels at (0, 0).
QImage CreateEmbossedBitmap(const QImage& Bitmap, TColor Color, TColor BackColor, TColor HighlightColor,
                            TColor ShadowColor, bool DrawHighlight);
// The short form: clBtnFace, clBtnHighlight, clBtnShadow, with the highlight.
QImage CreateEmbossedBitmap(const QImage& Bitmap, TColor Color);
// Draws the disabled look of an image whose opaque pixels are given by Mask (true = opaque): the
// highlight colour into the opaque pixels at (X + 1, Y + 1) when DrawHighlight, then the shadow
// colour at (X, Y).
void DrawMaskDisabled(QImage& Canvas, const QImage& Mask, int X, int Y, TColor HighlightColor,
                      TColor ShadowColor, bool DrawHighlight);
// The text, or the text without its last 2, 3, 4, ... characters followed by "...", whichever first
// fits MaxWidth; at worst "..." alone.
QString FitTextWithEllipsis(const QString& Text, const QFontMetrics& Metrics, int MaxWidth);
// True when the active window belongs to this program.
bool IsForegroundTask();

// ---- The two cursors registered at start (no window of the system selects them).
constexpr int crHandCursor = 14000;
constexpr int crDragHandCursor = 14001;
// The cursor of a number: the hand and the dragging hand, drawn here; any other number gives the
// arrow.
QCursor GetCursor(int Id);
