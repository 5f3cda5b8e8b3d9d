#include "ui/Image_m.h"

#include "ui/control_m.tpp"

#include <QPainter>

#include <cstring>

template class MBilingualControl<TImage>;

TImage::~TImage() = default;

QPixmap TImage::Picture() const {
    if (FBitmap)
        return QPixmap::fromImage(FBitmap->ToQImage());
    return FPicture;
}

void TImage::SetPicture(const QPixmap& Value) {
    FBitmap.reset();
    FPicture = Value;
    update();
}

TBitmap* TImage::PictureBitmap() {
    if (!FBitmap) {
        FBitmap = std::make_unique<TBitmap>();
        if (!FPicture.isNull()) {
            const QImage image = FPicture.toImage().convertToFormat(QImage::Format_BGR888);
            *FBitmap = TBitmap(image.width(), image.height(), pf24bit);
            for (int y = 0; y < image.height(); ++y)
                std::memcpy(FBitmap->ScanLine(y), image.constScanLine(y), std::size_t(image.width()) * 3);
        }
        FPicture = QPixmap();
        FBitmap->OnChange = [this](TBitmap*) { update(); };
    }
    return FBitmap.get();
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
    QImage bitmapPicture;
    if (FBitmap)
        bitmapPicture = FBitmap->PixelFormat() == pf24bit || FBitmap->PixelFormat() == pf1bit
                            ? FBitmap->WrapQImage()
                            : FBitmap->ToQImage();
    const QSize size = FBitmap ? bitmapPicture.size() : FPicture.size();
    if (size.isEmpty())
        return;
    QRect target = rect();
    if (!FStretch)
        target = QRect(FCenter ? QPoint((width() - size.width()) / 2, (height() - size.height()) / 2)
                               : QPoint(0, 0),
                       size);
    QPainter p(this);
    if (FBitmap)
        p.drawImage(target, bitmapPicture);
    else
        p.drawPixmap(target, FPicture);
}

MImage::MImage(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, 0) {}
