#include "ui/shape_m.h"

#include "ui/control_m.tpp"

#include <QPainter>

#include <algorithm>

template class MBilingualControl<TShape>;

TShape::TShape(QWidget* Parent) : QWidget(Parent), FPen(Qt::black), FBrush(Qt::white) {}

void TShape::SetShape(TShapeType Value) {
    FShape = Value;
    update();
}

void TShape::SetPen(const QPen& Value) {
    FPen = Value;
    update();
}

void TShape::SetBrush(const QBrush& Value) {
    FBrush = Value;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(FPen);
    p.setBrush(FBrush);
    const int pw = std::max(1, FPen.width());
    QRect r(pw / 2, pw / 2, width() - pw, height() - pw);
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        const int side = std::min(r.width(), r.height());
        r = QRect(r.x() + (r.width() - side) / 2, r.y() + (r.height() - side) / 2, side, side);
    }
    switch (FShape) {
    case stRectangle:
    case stSquare:
        p.drawRect(r);
        break;
    case stRoundRect:
    case stRoundSquare: {
        const int radius = std::min(r.width(), r.height()) / 4;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    case stEllipse:
    case stCircle:
        p.drawEllipse(r);
        break;
    }
}

MShape::MShape(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, mcFont) {}
