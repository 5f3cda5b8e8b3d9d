#pragma once
// The flat button with a multi-state caption: a click steps the caption list before the flat
// button's own click runs (which flips Selected and fires OnClick).

#include "ui/FlatBtn.h"
#include "ui/control_m.h"
#include "ui/subScrollCaption.h"

class MScrollFlatBtn : public MBilingualControl<TFlatBtn> {
    Q_OBJECT
public:
    explicit MScrollFlatBtn(QObject* Owner, QWidget* Parent = nullptr);

    MCaptionList& M_CaptionList() { return FCaptionList; }
    // Shows the caption and records it for the current state.
    void SetCaption(const QString& Text);
    void Click() override;
    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

    TNotifyEvent OnIndexChange;

private:
    MCaptionList FCaptionList;
};
