#include "ui/RadioButton_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabRadioButton>;

MRadioButton::MRadioButton(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcCaption | mcArabic | mcSelfAlign | mcFont) {}

void MRadioButton::SetCaption(const QString& Text) {
    setText(Text);
    StoreCaption(Text);
}

void MRadioButton::SelfAlignMessage(bool Right) {
    SetAlignment(Right ? taLeftJustify : taRightJustify);
}
