#include "ui/subheight.h"

int MHeight::OwnerValue() const {
    return Owner() ? Owner()->height() : 0;
}

void MHeight::SetOwnerValue(int Value) {
    if (QWidget* w = Owner())
        w->resize(w->width(), Value);
}
