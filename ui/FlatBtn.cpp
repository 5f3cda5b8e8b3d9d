#include "ui/FlatBtn.h"

#include "platform/ColorQt.h"
#include "ui/CellKeys.h"
#include "ui/GfxUtils.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

QFont FlatButtonFont() {
    QFont f;
    f.setFamilies(
        {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Courier")});
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(11);
    return f;
}

TFlatBtn::TFlatBtn(QWidget* Parent)
    : TOwnerDrawnButton(Parent, QSize(30, 30), Qt::StrongFocus), FFont(FlatButtonFont()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetCaption(QStringLiteral("A"));
}

void TFlatBtn::SetBorderWhenFlat(bool Value) {
    Change(FBorderWhenFlat, Value);
}

void TFlatBtn::SetDownWhenSelected(bool Value) {
    Change(FDownWhenSelected, Value);
}

void TFlatBtn::SetClearWhenSelected(bool Value) {
    Change(FClearWhenSelected, Value);
}

void TFlatBtn::SetColor(TColor Value) {
    Change(FColor, Value);
}

void TFlatBtn::SetFont(const QFont& Value) {
    FFont = Value;
    update();
}

void TFlatBtn::SetFontColor(TColor Value) {
    FFontColor = Value;
    update();
}

void TFlatBtn::SetSelected(bool Value) {
    if (!Change(FSelected, Value))
        return;
    if (OnSelected)
        OnSelected(this);
}

void TFlatBtn::SetFocusedColor(TColor Value) {
    if (Value == FFocusedColor)
        return;
    FFocusedColor = Value;
    if (FIsFocused)
        SetColor(Value);
}

void TFlatBtn::SetNonFocusedColor(TColor Value) {
    if (Value == FNonFocusedColor)
        return;
    FNonFocusedColor = Value;
    if (!FIsFocused)
        SetColor(Value);
}

void TFlatBtn::SetTabStop(bool Value) {
    FTabStop = Value;
    setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TFlatBtn::Click() {
    SetSelected(!FSelected);
    if (OnClick)
        OnClick(this);
}

QImage TFlatBtn::Render() {
    const int w = width(), h = height();
    const bool cleared = FSelected && FClearWhenSelected;
    QImage img = NewImage(w, h, cleared ? FClearColor : FColor);
    const QString text = cleared ? QString() : Caption();
    if (!text.isEmpty()) {
        const QFontMetrics fm(FFont);
        const int x = (w - 4 - fm.horizontalAdvance(text)) / 2 + 2;
        const int y = (h - 4 - fm.height()) / 2 + 2;
        QPainter p(&img);
        p.setFont(FFont);
        p.setPen(SysQColor(FFontColor));
        p.drawText(x, y + fm.ascent(), text);
    }
    auto four = [&](TColor a, TColor b, TColor c, TColor d) {
        PolyLine(img, {QPoint(0, h - 1), QPoint(0, 0), QPoint(w - 1, 0)}, a);
        PolyLine(img, {QPoint(1, h - 2), QPoint(1, 1), QPoint(w - 2, 1)}, b);
        PolyLine(img, {QPoint(0, h - 1), QPoint(w - 1, h - 1), QPoint(w - 1, -1)}, c);
        PolyLine(img, {QPoint(1, h - 2), QPoint(w - 2, h - 2), QPoint(w - 2, 0)}, d);
    };
    if (FIsDown || (FSelected && FDownWhenSelected))
        four(clBlack, 0x7F7F7F, clWhite, 0xDFDFDF);
    else if (!Flat() || MouseInside() || hasFocus())
        four(clWhite, 0xDFDFDF, clBlack, 0x7F7F7F);
    else if (FBorderWhenFlat)
        PolyLine(img,
                 {QPoint(0, h - 1), QPoint(0, 0), QPoint(w - 1, 0), QPoint(w - 1, h - 1), QPoint(0, h - 1)},
                 clBlack);
    return img;
}

void TFlatBtn::keyPressEvent(QKeyEvent* Event) {
    const TCellKey k = ClassifyKey(Event);
    // Key down: the arrows never reach focus navigation; forwarded keys go to the row and are
    // consumed, also when the modifiers send nothing.
    bool accepted = IsArrowKey(k.VirtualKey);
    int key = k.VirtualKey;
    if (FEnhanced && ButtonForwardsKey(k)) {
        SendKeyDown(this, Tag, k);
        key = 0;
        accepted = true;
    }
    if (OnKeyDown)
        OnKeyDown(this, key, Event->modifiers());
    // The typed character: Enter and Space click, then an enhanced button hands it on.
    if (k.Character >= 0) {
        if (k.Character == 13 || k.Character == 32) {
            Click();
            accepted = true;
        }
        if (FEnhanced) {
            SendCharacter(this, Tag, k);
            accepted = true;
        }
        int ch = k.Character;
        if (OnKeyPress)
            OnKeyPress(this, ch);
    }
    Event->setAccepted(accepted);
}

void TFlatBtn::focusInEvent(QFocusEvent* Event) {
    if (!FIsFocused) {
        FIsFocused = true;
        SetColor(FFocusedColor);
    }
    update();
    QWidget::focusInEvent(Event);
}

void TFlatBtn::focusOutEvent(QFocusEvent* Event) {
    if (FIsFocused) {
        FIsFocused = false;
        SetColor(FNonFocusedColor);
    }
    update();
    QWidget::focusOutEvent(Event);
}

void TFlatBtn::Press(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton && !hasFocus()) {
        FClicksDisabled = true;
        setFocus(Qt::MouseFocusReason);
        FClicksDisabled = false;
        if (!hasFocus())
            return; // the focus could not be taken: the press is dropped
    }
    if (isEnabled()) {
        PointerEntered(); // a press on the button finds the pointer over it
        FPressed = true;
        FIsDown = true;
        if (!(FSelected && FDownWhenSelected))
            update();
    }
    MouseDownEvent(Event);
}

void TFlatBtn::mousePressEvent(QMouseEvent* Event) {
    Press(Event);
}

void TFlatBtn::mouseDoubleClickEvent(QMouseEvent* Event) {
    Press(Event);
}

void TFlatBtn::mouseMoveEvent(QMouseEvent* Event) {
    // While a button is held the pointer crossing the edge counts as entering or leaving.
    if (!FPressed)
        return;
    const QPoint pos = Event->position().toPoint();
    if (rect().contains(pos))
        PointerEntered();
    else
        PointerLeft();
}

void TFlatBtn::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint pos = Event->position().toPoint();
    if (isEnabled()) {
        FPressed = false;
        FIsDown = false;
        update();
        if (pos.x() >= 0 && pos.y() >= 0 && pos.x() <= width() - 1 && pos.y() <= height() - 1)
            Click();
    }
    if (!rect().contains(pos))
        PointerLeft();
    MouseUpEvent(Event);
}

void TFlatBtn::PointerEntered() {
    if (isEnabled())
        SetMouseInside(true);
}

void TFlatBtn::PointerLeft() {
    if (isEnabled())
        SetMouseInside(false);
}

void TFlatBtn::MouseInsideChanged() {
    if (FPressed && !(FSelected && FDownWhenSelected))
        FIsDown = MouseInside();
    repaint();
}

void TFlatBtn::enterEvent(QEnterEvent*) {
    PointerEntered();
}

void TFlatBtn::leaveEvent(QEvent*) {
    PointerLeft();
}
