#pragma once
// The bitmap button (a push button with a glyph) and its bilingual wrapper: caption, hint, width,
// height and position per language; follows the language font. Justification messages are
// accepted and leave the button's layout as it is.

#include "ui/control_m.h"

#include <QPixmap>
#include <QPushButton>

class TBitBtn : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtn(QWidget* Parent = nullptr) : QPushButton(Parent) {}
    const QPixmap& Glyph() const { return FGlyph; }
    void SetGlyph(const QPixmap& Glyph);

private:
    QPixmap FGlyph;
};

class MBitBtn : public MBilingualControl<TBitBtn> {
    Q_OBJECT
public:
    explicit MBitBtn(QObject* Owner, QWidget* Parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& Text);
};
