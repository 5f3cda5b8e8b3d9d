#pragma once
// What the program's own painted push buttons share, the flat button and the speed button with its
// glyph: the caption, the flat look, whether the pointer is over the button with the enter and
// leave events, the click, the mouse events, and a face painted as one image of the button's size.

#include "ui/UComponents.h"

#include <QImage>
#include <QWidget>

#include <functional>

// A press or release as the buttons report it: the mouse button, the shift state and the point.
using TMouseButtonEvent =
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

class TOwnerDrawnButton : public QWidget, public virtual MTag {
    Q_OBJECT
public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    // No 3-D frame while the pointer is elsewhere (each button says what else raises it).
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value) { Change(FFlat, Value); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool Value) { setEnabled(Value); }
    // The pointer is over the button.
    bool MouseInside() const { return FMouseInside; }

    // What a click does (each button its own), ending with OnClick.
    virtual void Click() = 0;
    // The button as it paints itself.
    virtual QImage Render() = 0;

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseButtonEvent OnMouseDown;
    TMouseButtonEvent OnMouseUp;

protected:
    // The face is the same in both directions: an Arabic form does not mirror it.
    TOwnerDrawnButton(QWidget* Parent, QSize Size, Qt::FocusPolicy Focus);

    // Stores Value and repaints when it differs; true when it did.
    template <typename T>
    bool Change(T& Field, const T& Value) {
        if (Field == Value)
            return false;
        Field = Value;
        update();
        return true;
    }
    // Records whether the pointer is over the button. On a change the look follows
    // (MouseInsideChanged), then, when Announce, MouseEnter or MouseLeave; false when nothing
    // changed.
    bool SetMouseInside(bool Inside, bool Announce = true);
    // The look after the pointer came or went: repainted by default.
    virtual void MouseInsideChanged() { update(); }
    // Fire OnMouseEnter and OnMouseLeave.
    virtual void MouseEnter();
    virtual void MouseLeave();
    // The caption changed (a button with mnemonics takes its key here).
    virtual void CaptionChanged() {}
    // Fire OnMouseDown and OnMouseUp for a press or release.
    void MouseDownEvent(const QMouseEvent* Event);
    void MouseUpEvent(const QMouseEvent* Event);

    void paintEvent(QPaintEvent* Event) override;

private:
    QString FCaption;
    bool FFlat = false;
    bool FMouseInside = false;
};
