#include "editors/ColorBtn_M.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/GfxUtils.h"

#include <QMouseEvent>
#include <QPainter>

MColorBtn::MColorBtn(QWidget* Parent) : QWidget(Parent), FFont(font()), FClearColor(clBtnFace) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(30, 30);
}

void MColorBtn::Changed() {
    if (FNoFlicker)
        repaint();
    else
        update();
}

void MColorBtn::SetColor(TColor Value) {
    if (Value != FColor) {
        FColor = Value;
        Changed();
    }
}

void MColorBtn::SetCaption(const QString& Value) {
    if (Value != FCaption) {
        FCaption = Value;
        Changed();
    }
}

void MColorBtn::SetFont(const QFont& Value) {
    FFont = Value;
    Changed();
}

void MColorBtn::SetFontColor(TColor Value) {
    if (Value != FFontColor) {
        FFontColor = Value;
        Changed();
    }
}

void MColorBtn::SetDownWhenSelected(bool Value) {
    if (Value != FDownWhenSelected) {
        FDownWhenSelected = Value;
        Changed();
    }
}

void MColorBtn::SetClearWhenSelected(bool Value) {
    if (Value != FClearWhenSelected) {
        FClearWhenSelected = Value;
        Changed();
    }
}

void MColorBtn::SetSelected(bool Value) {
    FSelected = Value;
    Changed();
    if (OnSelected)
        OnSelected(this);
}

TColor MColorBtn::ShownColor() const {
    return FSelected && FClearWhenSelected ? FClearColor : FColor;
}

QString MColorBtn::ShownCaption() const {
    return FSelected && FClearWhenSelected ? QString() : FCaption;
}

QImage MColorBtn::Render() const {
    QImage image = NewImage(width(), height(), clBtnFace);
    FillRect(image, TRect{1, 1, width() - 1, height() - 1}, ShownColor());
    const QString caption = ShownCaption();
    if (!caption.isEmpty()) {
        QPainter p(&image);
        p.setFont(FFont);
        p.setPen(SysQColor(FFontColor));
        p.drawText(QRect(0, 0, width(), height()), Qt::AlignCenter, caption);
    }
    TRect r{0, 0, width(), height()};
    if (LooksPressed())
        Frame3D(image, r, 0x3F3F3F, clWhite);
    else
        Frame3D(image, r, clWhite, 0x3F3F3F);
    return image;
}

void MColorBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}

void MColorBtn::SetInside(bool Inside) {
    if (Inside == FMouseInside)
        return;
    FMouseInside = Inside;
    if (Inside) {
        if (FHeld && !LooksPressed()) {
            FPressed = true;
            Changed();
        }
        if (OnMouseEnter)
            OnMouseEnter(this);
    } else {
        if (FPressed) {
            FPressed = false;
            Changed();
        }
        if (OnMouseLeave)
            OnMouseLeave(this);
    }
}

void MColorBtn::enterEvent(QEnterEvent* Event) {
    QWidget::enterEvent(Event);
    if (isEnabled())
        SetInside(true);
}

void MColorBtn::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    if (isEnabled())
        SetInside(false);
}

void MColorBtn::mousePressEvent(QMouseEvent* Event) {
    if (!isEnabled() || Event->button() != Qt::LeftButton) {
        Event->ignore();
        return;
    }
    FHeld = true;
    FPressed = true;
    Changed();
}

void MColorBtn::mouseMoveEvent(QMouseEvent* Event) {
    // While the button is held the swatch has the mouse: it follows the pointer in and out.
    if (FHeld)
        SetInside(rect().contains(Event->position().toPoint()));
}

void MColorBtn::mouseReleaseEvent(QMouseEvent* Event) {
    if (!isEnabled() || Event->button() != Qt::LeftButton || !FHeld) {
        Event->ignore();
        return;
    }
    FHeld = false;
    FPressed = false;
    Changed();
    const QPoint p = Event->position().toPoint();
    if (p.x() >= 0 && p.x() < width() && p.y() >= 0 && p.y() <= height()) {
        SetSelected(!FSelected);
        if (OnClick)
            OnClick(this);
    }
}
