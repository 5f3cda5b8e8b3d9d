#include "ui/checkbox_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabCheckBox>;

MCheckBox::MCheckBox(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcCaption | mcArabic | mcSelfAlign | mcFont) {}

void MCheckBox::SetCaption(const QString& Text) {
    setText(Text);
    StoreCaption(Text);
}

void MCheckBox::SelfAlignMessage(bool Right) {
    SetAlignment(Right ? taLeftJustify : taRightJustify);
}
