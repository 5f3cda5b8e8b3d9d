#include "imaging/ImgCursors.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

QHash<int, QCursor>& Table() {
    static QHash<int, QCursor> table;
    return table;
}

// A magnifier: a lens round (11, 11) of radius 8 with a handle to the lower right.
void Lens(QPainter& p, bool outline, bool plus) {
    p.drawEllipse(QRect(3, 3, 16, 16));
    if (outline) {
        p.drawLine(17, 17, 27, 27);
    } else {
        p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(18, 18, 26, 26);
        p.setPen(QPen(Qt::black, 1));
    }
    p.drawLine(7, 11, 15, 11);
    if (plus)
        p.drawLine(11, 7, 11, 15);
}

// A cross through (15, 15); gap leaves the middle open, box draws a small square round it.
void Cross(QPainter& p, int gap, bool box) {
    p.drawLine(15, 1, 15, 15 - gap - 1);
    p.drawLine(15, 15 + gap + 1, 15, 29);
    p.drawLine(1, 15, 15 - gap - 1, 15);
    p.drawLine(15 + gap + 1, 15, 29, 15);
    if (box)
        p.drawRect(QRect(13, 13, 4, 4));
}

} // namespace

QCursor DrawnCursor(int HotX, int HotY, const std::function<void(QPainter& P, bool Rim)>& Draw) {
    constexpr int Size = 32;
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        Draw(p, true);
        p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        Draw(p, false);
    }
    return QCursor(QPixmap::fromImage(image), HotX, HotY);
}

QCursor CursorOf(int id) {
    const auto it = Table().constFind(id);
    return it == Table().constEnd() ? QCursor(Qt::ArrowCursor) : *it;
}

bool HasCursor(int id) {
    return Table().contains(id);
}

void SetCursorOf(int id, const QCursor& cursor) {
    Table().insert(id, cursor);
}

QString ImageViewCursorName(int id) {
    static const std::array<const char*, 8> names = {"ZOOMMENO", "ZOOMPIU", "CROCE",  "GOMMA",
                                                     "MANO",     "PENNA",   "CROCE1", "CROCE2"};
    if (id < crZoomMinus || id > crCross2)
        return QString();
    return QString::fromLatin1(names[std::size_t(id - crZoomMinus)]);
}

void LoadImageViewCursors() {
    if (HasCursor(crCross2))
        return;
    SetCursorOf(crZoomMinus, DrawnCursor(11, 11, [](QPainter& p, bool o) { Lens(p, o, false); }));
    SetCursorOf(crZoomPlus, DrawnCursor(11, 11, [](QPainter& p, bool o) { Lens(p, o, true); }));
    SetCursorOf(crCross, DrawnCursor(15, 15, [](QPainter& p, bool) { Cross(p, -1, false); }));
    // An eraser: a slanted block whose lower left corner is the point.
    SetCursorOf(crEraser, DrawnCursor(3, 28, [](QPainter& p, bool) {
                    p.drawPolygon(QPolygon({QPoint(3, 28), QPoint(17, 14), QPoint(25, 22), QPoint(11, 28)}));
                    p.drawPolygon(QPolygon({QPoint(17, 14), QPoint(24, 7), QPoint(30, 13), QPoint(25, 22)}));
                }));
    // An open hand: four fingers, a thumb and the palm.
    SetCursorOf(crHand, DrawnCursor(15, 15, [](QPainter& p, bool) {
                    for (int i = 0; i < 4; ++i)
                        p.drawRoundedRect(QRect(8 + 4 * i, 4 + (i == 0 || i == 3 ? 3 : 0), 3, 14), 1, 1);
                    p.drawLine(7, 17, 3, 13);
                    p.drawLine(3, 13, 2, 15);
                    p.drawLine(2, 15, 8, 25);
                    p.drawRoundedRect(QRect(7, 15, 17, 13), 3, 3);
                }));
    // A pen whose nib is at the lower left.
    SetCursorOf(crPen, DrawnCursor(2, 29, [](QPainter& p, bool) {
                    p.drawPolygon(QPolygon(
                        {QPoint(2, 29), QPoint(4, 22), QPoint(23, 3), QPoint(28, 8), QPoint(9, 27)}));
                    p.drawLine(4, 22, 9, 27);
                    p.drawLine(20, 6, 25, 11);
                }));
    SetCursorOf(crCross1, DrawnCursor(15, 15, [](QPainter& p, bool) { Cross(p, 3, false); }));
    SetCursorOf(crCross2, DrawnCursor(15, 15, [](QPainter& p, bool) { Cross(p, 3, true); }));
}
