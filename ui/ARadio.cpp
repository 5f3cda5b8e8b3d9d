#include "ui/ARadio.h"

TArabRadioButton::TArabRadioButton(QWidget* Parent)
    : QRadioButton(Parent), FArabic(MiddleEastEnabled),
      FAlignment(MiddleEastEnabled ? taLeftJustify : taRightJustify) {
    ApplyLayout();
}

void TArabRadioButton::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyLayout();
}

void TArabRadioButton::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    ApplyLayout();
}

void TArabRadioButton::ApplyLayout() {
    setLayoutDirection(FAlignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
    updateGeometry();
    update();
}
