#pragma once
// The flat button with a multi-state caption: a click steps the caption list before the flat
// button's own click runs (which flips Selected and fires OnClick).

#include "ui/FlatBtn.h"
#include "ui/RowCell.h"
#include "ui/ScrollCaptionButton.h"

class MScrollFlatBtn : public MScrollCaptionButton<TFlatBtn>, public MRowCell {
    Q_OBJECT
public:
    explicit MScrollFlatBtn(QObject* Owner, QWidget* Parent = nullptr);

    int ID() const override { return TFlatBtn::ID(); }
    void SetID(int Value) override { TFlatBtn::SetID(Value); }
    // Caption index 0.
    void ClearCell() override { M_CaptionList().SetIndex(0); }
};
