#include "ui/groupbox_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabGroupBox>;

MGroupBox::MGroupBox(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcCaption | mcArabic | mcFont) {}

void MGroupBox::SetCaption(const QString& Text) {
    setTitle(Text);
    StoreCaption(Text);
}
