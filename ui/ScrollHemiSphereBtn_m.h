#pragma once
// The round shaded button with a multi-state caption: a release anywhere on the button steps the
// caption list; its OnClick (a release on the face) then sees the new index.

#include "ui/Hemibtn.h"
#include "ui/control_m.h"
#include "ui/subScrollCaption.h"

class MScrollHemiSphereBtn : public MBilingualControl<THemisphereButton> {
    Q_OBJECT
public:
    explicit MScrollHemiSphereBtn(QObject* Owner, QWidget* Parent = nullptr);

    MCaptionList& M_CaptionList() { return FCaptionList; }
    void SetCaption(const QString& Text);
    void Click() override;
    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

    TNotifyEvent OnIndexChange;

private:
    MCaptionList FCaptionList;
};
