#include "ui/ScrollHemiSphereBtn_m.h"

#include "platform/ColorQt.h"
#include "ui/ScrollCaptionButton.h"
#include "ui/control_m.tpp"

template class MBilingualControl<THemisphereButton>;

MScrollHemiSphereBtn::MScrollHemiSphereBtn(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcFont), FCaptionList(this) {
    WireIndexChange(this);
}

void MScrollHemiSphereBtn::SetCaption(const QString& Text) {
    THemisphereButton::SetCaption(Text);
    if (!Reading())
        FCaptionList.StoreCurrentCaption(Text);
}

void MScrollHemiSphereBtn::Click() {
    if (FCaptionList.Enable)
        FCaptionList.ScrollNext();
    THemisphereButton::Click();
}

void MScrollHemiSphereBtn::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (Msg == LM_CHANGE_FONT && M_Font)
        ApplyLanguageFontMessage(WParam, [this](const QFont& F, const QColor& C) {
            SetFont(F);
            if (C.isValid())
                SetFontColor(fromQColor(C));
        });
    MBilingualControl::LanguageMessage(Msg, WParam, LParam);
}
