// The drawing tools' nineteen cursors, drawn here in code as the image view's are: each a black
// figure with a white rim so that it shows on any colour. The shape tools share one form: a small
// cross whose centre is the hot spot, with the tool's figure beside it to the lower right.

#include "app/LGraphicWindow.h"
#include "imaging/ImgCursors.h"

#include <QPainter>
#include <QPolygon>

namespace {

// The fill of a filled figure: black, and white for the rim pass.
void FigureBrush(QPainter& p, bool Rim, bool Filled) {
    p.setBrush(Filled ? QBrush(Rim ? Qt::white : Qt::black) : QBrush(Qt::NoBrush));
}

// A cross of arm 6 through the hot spot (7, 7), then the figure in FigureBox, (14, 14) .. (28, 25).
template <typename Figure>
QCursor ShapeCursor(Figure figure) {
    return DrawnCursor(7, 7, [&](QPainter& p, bool rim) {
        p.drawLine(7, 1, 7, 13);
        p.drawLine(1, 7, 13, 7);
        figure(p, rim);
    });
}

const QRect FigureBox(14, 14, 15, 12);

QPolygon Rhombus() {
    const QRect& r = FigureBox;
    const int cx = r.left() + r.width() / 2, cy = r.top() + r.height() / 2;
    return QPolygon(
        {QPoint(cx, r.top()), QPoint(r.right(), cy), QPoint(cx, r.bottom()), QPoint(r.left(), cy)});
}

QCursor MakeCursor(int Id) {
    switch (Id) {
    case gcursor::Select:
        // Hot spot (7, 7): the cross, with a dotted frame beside it.
        return ShapeCursor([](QPainter& p, bool rim) {
            if (rim) {
                p.drawRect(FigureBox);
                return;
            }
            for (int x = FigureBox.left(); x <= FigureBox.right(); x += 2) {
                p.drawPoint(x, FigureBox.top());
                p.drawPoint(x, FigureBox.bottom());
            }
            for (int y = FigureBox.top(); y <= FigureBox.bottom(); y += 2) {
                p.drawPoint(FigureBox.left(), y);
                p.drawPoint(FigureBox.right(), y);
            }
        });
    case gcursor::Text:
        // Hot spot (4, 27): the bottom-left corner of an A.
        return DrawnCursor(4, 27, [](QPainter& p, bool) {
            p.drawLine(4, 27, 12, 5);
            p.drawLine(12, 5, 20, 27);
            p.drawLine(8, 18, 16, 18);
        });
    case gcursor::Pencil:
        // Hot spot (2, 29): the pencil's tip.
        return DrawnCursor(2, 29, [](QPainter& p, bool rim) {
            FigureBrush(p, rim, false);
            p.drawPolygon(
                QPolygon({QPoint(2, 29), QPoint(5, 21), QPoint(24, 2), QPoint(29, 7), QPoint(10, 26)}));
            p.drawLine(5, 21, 10, 26);
            p.drawLine(21, 5, 26, 10);
        });
    case gcursor::Line:
        return ShapeCursor(
            [](QPainter& p, bool) { p.drawLine(FigureBox.bottomLeft(), FigureBox.topRight()); });
    case gcursor::Rect:
    case gcursor::FillRect:
        return ShapeCursor([Id](QPainter& p, bool rim) {
            FigureBrush(p, rim, Id == gcursor::FillRect);
            p.drawRect(FigureBox);
        });
    case gcursor::MovingSelect:
        // Hot spot (15, 15): four arrows out of the middle.
        return DrawnCursor(15, 15, [](QPainter& p, bool) {
            p.drawLine(15, 2, 15, 28);
            p.drawLine(2, 15, 28, 15);
            p.drawPolyline(QPolygon({QPoint(11, 6), QPoint(15, 2), QPoint(19, 6)}));
            p.drawPolyline(QPolygon({QPoint(11, 24), QPoint(15, 28), QPoint(19, 24)}));
            p.drawPolyline(QPolygon({QPoint(6, 11), QPoint(2, 15), QPoint(6, 19)}));
            p.drawPolyline(QPolygon({QPoint(24, 11), QPoint(28, 15), QPoint(24, 19)}));
        });
    case gcursor::RoundRect:
    case gcursor::FillRoundRect:
        return ShapeCursor([Id](QPainter& p, bool rim) {
            FigureBrush(p, rim, Id == gcursor::FillRoundRect);
            p.drawRoundedRect(FigureBox, 4, 4);
        });
    case gcursor::Ellipse:
    case gcursor::FillEllipse:
        return ShapeCursor([Id](QPainter& p, bool rim) {
            FigureBrush(p, rim, Id == gcursor::FillEllipse);
            p.drawEllipse(FigureBox);
        });
    case gcursor::Drop:
        // Hot spot (2, 29): the dropper's tip.
        return DrawnCursor(2, 29, [](QPainter& p, bool rim) {
            p.drawLine(2, 29, 6, 25);
            FigureBrush(p, rim, false);
            p.drawPolygon(QPolygon({QPoint(6, 25), QPoint(18, 13), QPoint(20, 15), QPoint(8, 27)}));
            FigureBrush(p, rim, true);
            p.drawEllipse(QRect(19, 5, 8, 8));
            p.drawLine(16, 11, 22, 17);
        });
    case gcursor::Eraser:
    case gcursor::EraserClr:
        // Hot spot (3, 26): the eraser's lower front corner.
        return DrawnCursor(3, 26, [Id](QPainter& p, bool rim) {
            FigureBrush(p, rim, false);
            p.drawPolygon(QPolygon({QPoint(3, 26), QPoint(3, 18), QPoint(17, 4), QPoint(27, 4),
                                    QPoint(27, 12), QPoint(13, 26)}));
            p.drawLine(3, 18, 13, 18);
            p.drawLine(13, 18, 13, 26);
            p.drawLine(13, 18, 27, 4);
            if (Id == gcursor::EraserClr) {
                FigureBrush(p, rim, true);
                p.drawRect(QRect(5, 20, 5, 4));
            }
        });
    case gcursor::Magnify:
        // Hot spot (11, 11): the middle of the lens.
        return DrawnCursor(11, 11, [](QPainter& p, bool rim) {
            p.drawEllipse(QRect(3, 3, 16, 16));
            if (!rim)
                p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::SquareCap));
            p.drawLine(18, 18, 27, 27);
        });
    case gcursor::Paste:
        // Hot spot (1, 1): an arrow's tip over a clipboard.
        return DrawnCursor(1, 1, [](QPainter& p, bool rim) {
            p.drawLine(1, 1, 1, 11);
            p.drawLine(1, 1, 11, 1);
            p.drawLine(1, 1, 12, 12);
            FigureBrush(p, rim, false);
            p.drawRect(QRect(13, 12, 14, 17));
            FigureBrush(p, rim, true);
            p.drawRect(QRect(17, 10, 6, 4));
        });
    case gcursor::Fill:
        // Hot spot (3, 28): where the paint runs off the tipped bucket.
        return DrawnCursor(3, 28, [](QPainter& p, bool rim) {
            FigureBrush(p, rim, false);
            p.drawPolygon(QPolygon({QPoint(8, 16), QPoint(18, 6), QPoint(28, 16), QPoint(18, 26)}));
            p.drawLine(13, 11, 23, 21);
            FigureBrush(p, rim, true);
            p.drawPolygon(
                QPolygon({QPoint(8, 16), QPoint(3, 21), QPoint(3, 28), QPoint(6, 28), QPoint(6, 20)}));
        });
    case gcursor::Rhombus:
    case gcursor::FillRhombus:
        return ShapeCursor([Id](QPainter& p, bool rim) {
            FigureBrush(p, rim, Id == gcursor::FillRhombus);
            p.drawPolygon(Rhombus());
        });
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

} // namespace

QString GraphicCursorName(int Id) {
    static const std::array<const char*, 19> names = {
        "SELECT",    "TEXT",       "PENCILE",         "LINE",    "RECT",         "MOVING_SELECT",
        "FILL_RECT", "ROUND_RECT", "FILL_ROUND_RECT", "ELLIPSE", "FILL_ELLIPSE", "DROP",
        "ERASER",    "ERASER_CLR", "MAGNIFY",         "PASTE",   "FILL",         "SOMPA",
        "FILL_SOMPA"};
    return Id >= 1 && Id <= 19 ? QString::fromLatin1(names[std::size_t(Id - 1)]) : QString();
}

void LoadGraphicCursors() {
    if (HasCursor(gcursor::Select) && HasCursor(gcursor::FillRhombus))
        return;
    for (int id = 1; id <= 19; ++id)
        SetCursorOf(id, MakeCursor(id));
}
