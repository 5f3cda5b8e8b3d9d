#pragma once
// The right-to-left single-line edit, and the keyboard handling that the three text-entry controls
// (edit, memo, combo box) share: each remembers the layout the user last chose while typing in it,
// selects it again whenever it gets the focus, and gives the previous layout back when it loses the
// focus (also when its window is deactivated).

#include "ui/BiDi.h"
#include "ui/KeyboardLayout.h"

#include <QLineEdit>
#include <QPointer>

#include <functional>

// Language: 1 Arabic, 0 English.
using TLanguageChangeNotify = std::function<void(QObject* Sender, int Language)>;

class TArabKeyboardFollower : public MKeyboardListener {
public:
    explicit TArabKeyboardFollower(QWidget* Control);
    ~TArabKeyboardFollower() override;
    TArabKeyboardFollower(const TArabKeyboardFollower&) = delete;
    TArabKeyboardFollower& operator=(const TArabKeyboardFollower&) = delete;

    // The layout of this control: True Arabic.
    bool KeyboardLanguage = true;
    // The layout that was active before the control got the focus.
    bool PreviousKeyboardLanguage = false;
    TLanguageChangeNotify OnLangChange;

    // The control's Arabic switch changed: its layout follows and is selected at once.
    void ArabicChanged(bool Value);
    void Enter();
    void Exit();
    void KeyboardLayoutChanged(unsigned Id, int Charset) override;

private:
    QPointer<QWidget> FControl;
};

// The focus moving into a popup (a combo box list, a context menu) is not leaving the control.
bool IsPopupFocusChange(const QFocusEvent* Event);

// A text-entry control with the Arabic switch: its reading direction and keyboard layout follow the
// switch, and its layout is selected on entering it and given back on leaving it.
template <class Control>
class TArabTextEntry : public Control, public TArabKeyboardFollower {
public:
    explicit TArabTextEntry(QWidget* Parent = nullptr)
        : Control(Parent), TArabKeyboardFollower(this), FArabic(MiddleEastEnabled) {
        this->setLayoutDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
    }

    bool Arabic() const { return FArabic; }
    // Ignored when unchanged or without right-to-left support.
    void SetArabic(bool Value) {
        if (StoreArabic(Value))
            ArabicChanged(Value);
    }

protected:
    // Takes a changed switch and the reading direction that goes with it; false when it is ignored.
    bool StoreArabic(bool Value) {
        if (Value == FArabic || !MiddleEastEnabled)
            return false;
        FArabic = Value;
        this->setLayoutDirection(Value ? Qt::RightToLeft : Qt::LeftToRight);
        return true;
    }

    void focusInEvent(QFocusEvent* Event) override {
        if (!IsPopupFocusChange(Event))
            Enter();
        Control::focusInEvent(Event);
    }
    void focusOutEvent(QFocusEvent* Event) override {
        if (!IsPopupFocusChange(Event))
            Exit();
        Control::focusOutEvent(Event);
    }

private:
    bool FArabic;
};

class TCustomArabEdit : public TArabTextEntry<QLineEdit> {
    Q_OBJECT
public:
    using TArabTextEntry::TArabTextEntry;
};

class TArabEdit : public TCustomArabEdit {
    Q_OBJECT
public:
    using TCustomArabEdit::TCustomArabEdit;
};
