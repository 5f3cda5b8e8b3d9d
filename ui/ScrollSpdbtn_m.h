#pragma once
// The speed button with a multi-state caption: every click steps the caption list before the
// button's clicked signal goes out.

#include "ui/Speedbutton_m.h"
#include "ui/control_m.h"
#include "ui/subScrollCaption.h"

class MScrollSpeedButton : public MBilingualControl<TSpeedButton> {
    Q_OBJECT
public:
    explicit MScrollSpeedButton(QObject* Owner, QWidget* Parent = nullptr);

    MCaptionList& M_CaptionList() { return FCaptionList; }
    QString Caption() const { return text(); }
    void SetCaption(const QString& Text);

    TNotifyEvent OnIndexChange;

protected:
    void nextCheckState() override;

private:
    MCaptionList FCaptionList;
};
