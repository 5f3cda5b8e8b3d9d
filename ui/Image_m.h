#pragma once
// The image (a picture drawn at its own size, centred or stretched) and its bilingual wrapper: hint,
// width, height and position per language. It has no text and ignores the language font.

#include "ui/control_m.h"

#include <QPixmap>
#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* Parent = nullptr) : QWidget(Parent) {}

    const QPixmap& Picture() const { return FPicture; }
    void SetPicture(const QPixmap& Value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QPixmap FPicture;
    bool FStretch = false;
    bool FCenter = false;
};

class MImage : public MBilingualControl<TImage> {
    Q_OBJECT
public:
    explicit MImage(QObject* Owner, QWidget* Parent = nullptr);
};
