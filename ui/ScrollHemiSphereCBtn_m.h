#pragma once
// The focusable round shaded button with a multi-state caption. With Enhanced on it hands the
// navigation and clipboard keys and typed characters to its row as the cell key message; the arrow
// keys never move the focus.

#include "ui/HemiBtn2.h"
#include "ui/control_m.h"
#include "ui/subScrollCaption.h"

class MScrollHemiSphereCBtn : public MBilingualControl<THemisphereCButton> {
    Q_OBJECT
public:
    explicit MScrollHemiSphereCBtn(QObject* Owner, QWidget* Parent = nullptr);

    MCaptionList& M_CaptionList() { return FCaptionList; }
    void SetCaption(const QString& Text);
    void Click() override;
    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

    int ID = 0;
    bool Enhanced = false;
    TNotifyEvent OnIndexChange;

protected:
    bool KeyDown(QKeyEvent* Event, int& Key) override;
    bool KeyPress(QKeyEvent* Event, int Character) override;

private:
    MCaptionList FCaptionList;
};
