#pragma once
// The speed button (a flat tool button with an optional glyph) and its bilingual wrapper: caption,
// hint, width, height and position per language; follows the language font. Justification
// messages are accepted and leave the button's layout as it is.

#include "ui/control_m.h"

#include <QPixmap>
#include <QToolButton>

class TSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* Parent = nullptr);
    const QPixmap& Glyph() const { return FGlyph; }
    void SetGlyph(const QPixmap& Glyph);
    // A flat button shows its frame only under the mouse.
    bool Flat() const { return autoRaise(); }
    void SetFlat(bool Value) { setAutoRaise(Value); }

private:
    QPixmap FGlyph;
};

class MSpeedButton : public MBilingualControl<TSpeedButton> {
    Q_OBJECT
public:
    explicit MSpeedButton(QObject* Owner, QWidget* Parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& Text);
};
