#include "ui/edit_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabEdit>;

MEdit::MEdit(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, mcArabic | mcFont) {}
