#include "ui/ScrollHemiSphereCBtn_m.h"

#include "platform/ColorQt.h"
#include "ui/CellKeys.h"
#include "ui/ScrollCaptionButton.h"
#include "ui/control_m.tpp"

#include <QKeyEvent>

template class MBilingualControl<THemisphereCButton>;

MScrollHemiSphereCBtn::MScrollHemiSphereCBtn(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcFont), FCaptionList(this) {
    WireIndexChange(this);
}

void MScrollHemiSphereCBtn::SetCaption(const QString& Text) {
    THemisphereCButton::SetCaption(Text);
    if (!Reading())
        FCaptionList.StoreCurrentCaption(Text);
}

void MScrollHemiSphereCBtn::Click() {
    if (FCaptionList.Enable)
        FCaptionList.ScrollNext();
    THemisphereCButton::Click();
}

bool MScrollHemiSphereCBtn::KeyDown(QKeyEvent* Event, int& Key) {
    const TCellKey k = ClassifyKey(Event);
    bool used = IsArrowKey(k.VirtualKey); // kept from focus navigation
    if (Enhanced && ButtonForwardsKey(k)) {
        SendKeyDown(this, Tag, k);
        Key = 0;
        used = true;
    }
    return THemisphereCButton::KeyDown(Event, Key) || used;
}

bool MScrollHemiSphereCBtn::KeyPress(QKeyEvent* Event, int Character) {
    bool used = false;
    if (Enhanced) {
        SendCharacter(this, Tag, ClassifyKey(Event));
        used = true;
    }
    return THemisphereCButton::KeyPress(Event, Character) || used;
}

void MScrollHemiSphereCBtn::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (Msg == LM_CHANGE_FONT && M_Font)
        ApplyLanguageFontMessage(WParam, [this](const QFont& F, const QColor& C) {
            SetFont(F);
            if (C.isValid())
                SetFontColor(fromQColor(C));
        });
    MBilingualControl::LanguageMessage(Msg, WParam, LParam);
}
