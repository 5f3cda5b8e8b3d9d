#include "ui/AChkBox.h"

TCustomArabCheckBox::TCustomArabCheckBox(QWidget* Parent)
    : QCheckBox(Parent), FArabic(MiddleEastEnabled),
      FAlignment(MiddleEastEnabled ? taLeftJustify : taRightJustify) {
    ApplyLayout();
}

void TCustomArabCheckBox::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyLayout();
}

void TCustomArabCheckBox::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    ApplyLayout();
}

void TCustomArabCheckBox::ApplyLayout() {
    // Qt draws the caption right after the box in reading order, so a caption on the left of the box
    // is the right-to-left arrangement.
    setLayoutDirection(FAlignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
    updateGeometry();
    update();
}
