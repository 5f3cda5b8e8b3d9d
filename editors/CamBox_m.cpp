#include "editors/CamBox_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TCamBox>;

MCamBox::MCamBox(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, 0) {}
