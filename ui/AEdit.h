#pragma once
// The right-to-left single-line edit, and the keyboard handling that the three text-entry controls
// (edit, memo, combo box) share: each remembers the layout the user last chose while typing in it,
// selects it again whenever it gets the focus, and gives the previous layout back when it loses the
// focus (also when its window is deactivated).

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

class TCustomArabEdit : public QLineEdit, public TArabKeyboardFollower {
    Q_OBJECT
public:
    explicit TCustomArabEdit(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    // Ignored when unchanged or without right-to-left support.
    void SetArabic(bool Value);

protected:
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    bool FArabic;
};

class TArabEdit : public TCustomArabEdit {
    Q_OBJECT
public:
    using TCustomArabEdit::TCustomArabEdit;
};

// The focus moving into a popup (a combo box list, a context menu) is not leaving the control.
bool IsPopupFocusChange(const QFocusEvent* Event);
