#pragma once
// The speed button with a multi-state caption: every click steps the caption list before the
// button's clicked signal goes out.

#include "ui/ScrollCaptionButton.h"
#include "ui/Speedbutton_m.h"

class MScrollSpeedButton : public MScrollStateButton<TSpeedButton> {
    Q_OBJECT
public:
    explicit MScrollSpeedButton(QObject* Owner, QWidget* Parent = nullptr)
        : MScrollStateButton(Owner, Parent) {}
};
