#include "ui/label_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabLabel>;

MLabel::MLabel(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcCaption | mcArabic | mcSelfAlign | mcFont) {}

void MLabel::SetCaption(const QString& Text) {
    setText(LabelText(Text));
    StoreCaption(Text);
}

void MLabel::SelfAlignMessage(bool Right) {
    SetAlignment(Right ? taRightJustify : taLeftJustify);
}
