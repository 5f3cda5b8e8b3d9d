#include "ui/AComboBx.h"

#include "ui/BiDi.h"

#include <QFocusEvent>

TCustomArabComboBox::TCustomArabComboBox(QWidget* Parent)
    : QComboBox(Parent), TArabKeyboardFollower(this), FArabic(MiddleEastEnabled) {
    setLayoutDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomArabComboBox::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    setLayoutDirection(Value ? Qt::RightToLeft : Qt::LeftToRight);
    ArabicChanged(Value);
}

void TCustomArabComboBox::focusInEvent(QFocusEvent* Event) {
    if (!IsPopupFocusChange(Event))
        Enter();
    QComboBox::focusInEvent(Event);
}

void TCustomArabComboBox::focusOutEvent(QFocusEvent* Event) {
    if (!IsPopupFocusChange(Event))
        Exit();
    QComboBox::focusOutEvent(Event);
}
