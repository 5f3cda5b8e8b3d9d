#include "ui/ScrollFlatBtn_m.h"

#include "ui/ScrollCaptionButton.tpp"

template class MBilingualControl<TFlatBtn>;
template class MScrollCaptionButton<TFlatBtn>;

MScrollFlatBtn::MScrollFlatBtn(QObject* Owner, QWidget* Parent) : MScrollCaptionButton(Owner, Parent) {}
