#pragma once
// The right-to-left check box. Its Alignment says on which side of the box the caption sits
// (taLeftJustify: on the left, the right-to-left arrangement, as created on a middle-east platform).

#include "ui/BiDi.h"

#include <QCheckBox>

class TCustomArabCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TCustomArabCheckBox(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    void SetArabic(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

private:
    void ApplyLayout();
    bool FArabic;
    TAlignment FAlignment;
};

class TArabCheckBox : public TCustomArabCheckBox {
    Q_OBJECT
public:
    using TCustomArabCheckBox::TCustomArabCheckBox;
};
