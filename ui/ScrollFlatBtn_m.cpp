#include "ui/ScrollFlatBtn_m.h"

#include "platform/ColorQt.h"
#include "ui/ScrollCaptionButton.h"
#include "ui/control_m.tpp"

template class MBilingualControl<TFlatBtn>;

MScrollFlatBtn::MScrollFlatBtn(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcFont), FCaptionList(this) {
    WireIndexChange(this);
}

void MScrollFlatBtn::SetCaption(const QString& Text) {
    TFlatBtn::SetCaption(Text);
    if (!Reading())
        FCaptionList.StoreCurrentCaption(Text);
}

void MScrollFlatBtn::Click() {
    if (FCaptionList.Enable)
        FCaptionList.ScrollNext();
    TFlatBtn::Click();
}

void MScrollFlatBtn::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (Msg == LM_CHANGE_FONT && M_Font)
        ApplyLanguageFontMessage(WParam, [this](const QFont& F, const QColor& C) {
            SetFont(F);
            if (C.isValid())
                SetFontColor(fromQColor(C));
        });
    MBilingualControl::LanguageMessage(Msg, WParam, LParam);
}
