#include "ui/AChkBox.h"

template <class Button>
TArabCaptionButton<Button>::TArabCaptionButton(QWidget* Parent)
    : Button(Parent), FArabic(MiddleEastEnabled),
      FAlignment(MiddleEastEnabled ? taLeftJustify : taRightJustify) {
    ApplyLayout();
}

template <class Button>
void TArabCaptionButton<Button>::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyLayout();
}

template <class Button>
void TArabCaptionButton<Button>::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    ApplyLayout();
}

template <class Button>
void TArabCaptionButton<Button>::ApplyLayout() {
    // Qt draws the caption right after the box in reading order, so a caption on the left of the box
    // is the right-to-left arrangement.
    this->setLayoutDirection(FAlignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
    this->updateGeometry();
    this->update();
}

template class TArabCaptionButton<QCheckBox>;
template class TArabCaptionButton<QRadioButton>;
