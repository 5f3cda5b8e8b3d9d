#pragma once
// The right-to-left combo box: with its Arabic switch on, the text and the list read right to left
// with the button and scroll bar on the left. Its keyboard layout follows the control as in the edit.

#include "ui/AEdit.h"

#include <QComboBox>

class TCustomArabComboBox : public QComboBox, public TArabKeyboardFollower {
    Q_OBJECT
public:
    explicit TCustomArabComboBox(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    void SetArabic(bool Value);

protected:
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    bool FArabic;
};

class TArabComboBox : public TCustomArabComboBox {
    Q_OBJECT
public:
    using TCustomArabComboBox::TCustomArabComboBox;
};
