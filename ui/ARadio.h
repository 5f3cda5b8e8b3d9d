#pragma once
// The right-to-left radio button; it behaves as the right-to-left check box.

#include "ui/BiDi.h"

#include <QRadioButton>

class TArabRadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit TArabRadioButton(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    void SetArabic(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

private:
    void ApplyLayout();
    bool FArabic;
    TAlignment FAlignment;
};
