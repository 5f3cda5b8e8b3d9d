#pragma once
// The flat button with a multi-state caption: a click steps the caption list before the flat
// button's own click runs (which flips Selected and fires OnClick).

#include "ui/FlatBtn.h"
#include "ui/ScrollCaptionButton.h"

class MScrollFlatBtn : public MScrollCaptionButton<TFlatBtn> {
    Q_OBJECT
public:
    explicit MScrollFlatBtn(QObject* Owner, QWidget* Parent = nullptr);
};
