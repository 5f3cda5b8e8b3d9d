#include "ui/Image_m.h"

#include "ui/control_m.tpp"

#include <QPainter>

template class MBilingualControl<TImage>;

void TImage::SetPicture(const QPixmap& Value) {
    FPicture = Value;
    update();
}

void TImage::SetStretch(bool Value) {
    FStretch = Value;
    update();
}

void TImage::SetCenter(bool Value) {
    FCenter = Value;
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    if (FPicture.isNull())
        return;
    QPainter p(this);
    if (FStretch) {
        p.drawPixmap(rect(), FPicture);
        return;
    }
    QPoint at(0, 0);
    if (FCenter)
        at = QPoint((width() - FPicture.width()) / 2, (height() - FPicture.height()) / 2);
    p.drawPixmap(at, FPicture);
}

MImage::MImage(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, 0) {}
