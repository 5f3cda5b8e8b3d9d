#include "ui/ToolBar_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<QToolBar>;

MToolBar::MToolBar(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, mcFont) {}
