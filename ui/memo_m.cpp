#include "ui/memo_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabMemo>;

MMemo::MMemo(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, mcArabic | mcFont) {}
