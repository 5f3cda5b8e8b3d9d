#pragma once
// The right-to-left radio button; it behaves as the right-to-left check box.

#include "ui/AChkBox.h"

class TArabRadioButton : public TArabCaptionButton<QRadioButton> {
    Q_OBJECT
public:
    using TArabCaptionButton::TArabCaptionButton;
};
