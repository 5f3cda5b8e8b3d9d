#include "ui/button_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<QPushButton>;

MButton::MButton(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, mcCaption | mcFont) {}

void MButton::SetCaption(const QString& Text) {
    setText(Text);
    StoreCaption(Text);
}
