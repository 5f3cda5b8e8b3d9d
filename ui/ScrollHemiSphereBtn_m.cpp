#include "ui/ScrollHemiSphereBtn_m.h"

#include "ui/ScrollCaptionButton.tpp"

template class MBilingualControl<THemisphereButton>;
template class MScrollCaptionButton<THemisphereButton>;

MScrollHemiSphereBtn::MScrollHemiSphereBtn(QObject* Owner, QWidget* Parent)
    : MScrollCaptionButton(Owner, Parent) {}
