#include "ui/HemiBtn2.h"

#include "ui/CellKeys.h"

#include <QKeyEvent>
#include <QMouseEvent>

THemisphereCButton::THemisphereCButton(QWidget* Parent) : TCustomHemisphereButton(Parent) {
    setFocusPolicy(Qt::ClickFocus);
}

THemisphereCButton::THemisphereCButton(QObject* Owner, QWidget* Parent)
    : THemisphereCButton(Parent ? Parent : qobject_cast<QWidget*>(Owner)) {
    SetComponentOwner(this, Owner);
}

void THemisphereCButton::SetTabStop(bool Value) {
    FTabStop = Value;
    setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

bool THemisphereCButton::IsGroupMate(QObject* Other) const {
    return qobject_cast<THemisphereCButton*>(Other) != nullptr;
}

void THemisphereCButton::Press(QMouseEvent* Event, bool Double) {
    if (Event->button() == Qt::LeftButton && !hasFocus()) {
        FClicksDisabled = true;
        setFocus(Qt::MouseFocusReason);
        FClicksDisabled = false;
        if (!hasFocus())
            return; // the focus could not be taken: the press is dropped
    }
    TCustomHemisphereButton::Press(Event, Double);
}

bool THemisphereCButton::KeyDown(QKeyEvent* Event, int& Key) {
    if (OnKeyDown)
        OnKeyDown(this, Key, Event->modifiers());
    return false;
}

bool THemisphereCButton::KeyPress(QKeyEvent*, int Character) {
    if (OnKeyPress)
        OnKeyPress(this, Character);
    return false;
}

void THemisphereCButton::keyPressEvent(QKeyEvent* Event) {
    const TCellKey k = ClassifyKey(Event);
    int key = k.VirtualKey;
    bool used = KeyDown(Event, key);
    if (k.Character >= 0) {
        if (k.Character == 13 || k.Character == 32) {
            Click();
            used = true;
        }
        used = KeyPress(Event, k.Character) || used;
    }
    Event->setAccepted(used);
}

void THemisphereCButton::focusInEvent(QFocusEvent* Event) {
    FSavedBevelOuter = BevelOuter();
    SetBevelOuter(hbRaised);
    QWidget::focusInEvent(Event);
    if (OnEnter)
        OnEnter(this);
}

void THemisphereCButton::focusOutEvent(QFocusEvent* Event) {
    SetBevelOuter(FSavedBevelOuter);
    QWidget::focusOutEvent(Event);
    if (OnExit)
        OnExit(this);
}
