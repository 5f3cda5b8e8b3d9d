#include "ui/AGroupBx.h"

#include "ui/BiDi.h"

TCustomArabGroupBox::TCustomArabGroupBox(QWidget* Parent) : QGroupBox(Parent), FArabic(MiddleEastEnabled) {
    ApplyTitle();
}

void TCustomArabGroupBox::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyTitle();
    update();
}

void TCustomArabGroupBox::ApplyTitle() {
    setAlignment(FArabic && MiddleEastEnabled ? Qt::AlignRight | Qt::AlignAbsolute
                                              : Qt::AlignLeft | Qt::AlignAbsolute);
}
