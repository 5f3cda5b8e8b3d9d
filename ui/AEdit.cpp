#include "ui/AEdit.h"

#include "ui/BiDi.h"

#include <QFocusEvent>

TArabKeyboardFollower::TArabKeyboardFollower(QWidget* Control) : FControl(Control) {
    MKeyboardLayouts::Instance().AddListener(this);
}

TArabKeyboardFollower::~TArabKeyboardFollower() {
    MKeyboardLayouts::Instance().RemoveListener(this);
    // A control destroyed while it has the focus gets no focus-out of its own: the layout that was
    // active before it was entered is given back here.
    if (FControl && FControl->hasFocus())
        Exit();
}

void TArabKeyboardFollower::ArabicChanged(bool Value) {
    KeyboardLanguage = Value;
    SelectKeyboardLayout(Value);
}

void TArabKeyboardFollower::Enter() {
    PreviousKeyboardLanguage = IsArabicKeyboard();
    SelectKeyboardLayout(KeyboardLanguage);
}

void TArabKeyboardFollower::Exit() {
    SelectKeyboardLayout(PreviousKeyboardLanguage);
}

void TArabKeyboardFollower::KeyboardLayoutChanged(unsigned, int Charset) {
    if (!FControl || !FControl->hasFocus())
        return;
    KeyboardLanguage = Charset == ARABIC_CHARSET;
    if (OnLangChange)
        OnLangChange(FControl.data(), KeyboardLanguage ? 1 : 0);
}

bool IsPopupFocusChange(const QFocusEvent* Event) {
    return Event->reason() == Qt::PopupFocusReason;
}
