#include "editors/MoukikMemo_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TMoukikMEMO>;

MMoukikMemo::MMoukikMemo(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, 0) {}
