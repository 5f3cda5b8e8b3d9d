#pragma once
// The members of MScrollCaptionButton; included by the source that instantiates it for a base.

#include "platform/ColorQt.h"
#include "ui/ScrollCaptionButton.h"
#include "ui/control_m.tpp"

template <class Base>
MScrollCaptionButton<Base>::MScrollCaptionButton(QObject* Owner, QWidget* Parent)
    : MBilingualControl<Base>(Owner, Parent, mcFont), FCaptionList(this) {
    WireIndexChange(this);
}

template <class Base>
void MScrollCaptionButton<Base>::SetCaption(const QString& Text) {
    Base::SetCaption(Text);
    if (!this->Reading())
        FCaptionList.StoreCurrentCaption(Text);
}

template <class Base>
void MScrollCaptionButton<Base>::Click() {
    if (FCaptionList.Enable)
        FCaptionList.ScrollNext();
    Base::Click();
}

template <class Base>
void MScrollCaptionButton<Base>::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (Msg == LM_CHANGE_FONT && this->M_Font)
        ApplyLanguageFontMessage(WParam, [this](const QFont& F, const QColor& C) {
            this->SetFont(F);
            if (C.isValid())
                this->SetFontColor(fromQColor(C));
        });
    MBilingualControl<Base>::LanguageMessage(Msg, WParam, LParam);
}
