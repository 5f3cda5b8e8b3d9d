#pragma once
// The right-to-left combo box: with its Arabic switch on, the text and the list read right to left
// with the button and scroll bar on the left. Its keyboard layout follows the control as in the edit.

#include "ui/AEdit.h"

#include <QComboBox>

class TCustomArabComboBox : public TArabTextEntry<QComboBox> {
    Q_OBJECT
public:
    using TArabTextEntry::TArabTextEntry;
};

class TArabComboBox : public TCustomArabComboBox {
    Q_OBJECT
public:
    using TCustomArabComboBox::TCustomArabComboBox;
};
