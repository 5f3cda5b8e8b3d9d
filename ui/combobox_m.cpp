#include "ui/combobox_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabComboBox>;

MComboBox::MComboBox(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, mcArabic | mcFont) {}
