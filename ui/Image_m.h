#pragma once
// The image (a picture drawn at its own size, centred or stretched) and its bilingual wrapper: hint,
// width, height and position per language. It has no text and ignores the language font.

#include "imaging/ImgViewLink.h"
#include "ui/control_m.h"

#include <QPixmap>
#include <QWidget>

#include <memory>

// The picture is a pixmap, or a bitmap that the picture components (TImageIO, TImageProc) change in
// place once they are attached (AttachedTImage); a change of the bitmap repaints the image.
class TImage : public QWidget, public TBitmapPictureLink {
    Q_OBJECT
public:
    explicit TImage(QWidget* Parent = nullptr) : QWidget(Parent) {}
    ~TImage() override;

    // The picture as a pixmap (a bitmap picture converted).
    QPixmap Picture() const;
    void SetPicture(const QPixmap& Value);
    // Makes the picture a bitmap picture (a pixmap picture keeps its pixels, 24 bits per pixel) and
    // answers its bitmap.
    TBitmap* PictureBitmap() override;
    QObject* LinkObject() override { return this; }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QPixmap FPicture;
    std::unique_ptr<TBitmap> FBitmap;
    bool FStretch = false;
    bool FCenter = false;
};

class MImage : public MBilingualControl<TImage> {
    Q_OBJECT
public:
    explicit MImage(QObject* Owner, QWidget* Parent = nullptr);
};
