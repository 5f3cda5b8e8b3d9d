#include "ui/OwnerDrawnButton.h"

#include <QMouseEvent>
#include <QPainter>

TOwnerDrawnButton::TOwnerDrawnButton(QWidget* Parent, QSize Size, Qt::FocusPolicy Focus) : QWidget(Parent) {
    setLayoutDirection(Qt::LeftToRight);
    setFocusPolicy(Focus);
    resize(Size);
}

void TOwnerDrawnButton::SetCaption(const QString& Value) {
    if (Value == FCaption)
        return;
    FCaption = Value;
    CaptionChanged();
    update();
}

bool TOwnerDrawnButton::SetMouseInside(bool Inside, bool Announce) {
    if (Inside == FMouseInside)
        return false;
    FMouseInside = Inside;
    MouseInsideChanged();
    if (!Announce)
        return true;
    if (Inside)
        MouseEnter();
    else
        MouseLeave();
    return true;
}

void TOwnerDrawnButton::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TOwnerDrawnButton::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

namespace {
void Report(const TMouseButtonEvent& Handler, QObject* Sender, const QMouseEvent* Event) {
    if (!Handler)
        return;
    const QPoint pos = Event->position().toPoint();
    Handler(Sender, Event->button(), Event->modifiers(), pos.x(), pos.y());
}
} // namespace

void TOwnerDrawnButton::MouseDownEvent(const QMouseEvent* Event) {
    Report(OnMouseDown, this, Event);
}

void TOwnerDrawnButton::MouseUpEvent(const QMouseEvent* Event) {
    Report(OnMouseUp, this, Event);
}

void TOwnerDrawnButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}
