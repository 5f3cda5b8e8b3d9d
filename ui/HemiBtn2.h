#pragma once
// The focusable round shaded button: the hemisphere button as a control that takes the keyboard
// focus. While it has the focus its outer bevel is raised; Enter and Space run its click.

#include "ui/Hemibtn.h"

class THemisphereCButton : public TCustomHemisphereButton {
    Q_OBJECT
public:
    explicit THemisphereCButton(QWidget* Parent = nullptr);
    // Created with an owner (its groups are formed among the owner's focusable hemisphere buttons).
    THemisphereCButton(QObject* Owner, QWidget* Parent);

    // Off when created: the button is then focused by a click only.
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    bool ClicksDisabled() const { return FClicksDisabled; }
    THemisphereBevel SavedBevelOuter() const { return FSavedBevelOuter; }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(QObject* Sender, int& Key)> OnKeyPress;

protected:
    bool IsGroupMate(QObject* Other) const override;
    void Press(QMouseEvent* Event, bool Double) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    // The key-down part of a key: the base hands it to OnKeyDown; true when the key is used up.
    virtual bool KeyDown(QKeyEvent* Event, int& Key);
    // The typed character, after Enter and Space have clicked; true when it is used up.
    virtual bool KeyPress(QKeyEvent* Event, int Character);

private:
    bool FTabStop = false;
    bool FClicksDisabled = false;
    THemisphereBevel FSavedBevelOuter = hbLowered;
};
