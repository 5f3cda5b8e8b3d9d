#pragma once
// The right-to-left check box. Its Alignment says on which side of the box the caption sits
// (taLeftJustify: on the left, the right-to-left arrangement, as created on a middle-east platform).
// The right-to-left radio button places its caption the same way.

#include "ui/BiDi.h"

#include <QCheckBox>
#include <QRadioButton>

// A check box or radio button with the Arabic switch and the caption side.
template <class Button>
class TArabCaptionButton : public Button {
public:
    explicit TArabCaptionButton(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    void SetArabic(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

private:
    void ApplyLayout();
    bool FArabic;
    TAlignment FAlignment;
};

extern template class TArabCaptionButton<QCheckBox>;
extern template class TArabCaptionButton<QRadioButton>;

class TCustomArabCheckBox : public TArabCaptionButton<QCheckBox> {
    Q_OBJECT
public:
    using TArabCaptionButton::TArabCaptionButton;
};

class TArabCheckBox : public TCustomArabCheckBox {
    Q_OBJECT
public:
    using TCustomArabCheckBox::TCustomArabCheckBox;
};
