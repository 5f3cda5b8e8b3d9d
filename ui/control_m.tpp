// The members of MBilingualControl; each control source includes this file once and instantiates
// the template for its base class.
#pragma once

#include "ui/control_m.h"

template <class Base>
MBilingualControl<Base>::MBilingualControl(QObject* Owner, QWidget* Parent, unsigned Features)
    : Base(BilingualParent(Owner, Parent)), FFeatures(Features) {
    FReady = true; // the base class is built: from now on size changes are the program's
    SetComponentOwner(this, Owner);
    QStringList names;
    if (MForm* form = GetOwnerMForm(this)) {
        FLanguageIndex = form->LanguageDetail().LanguageID();
        form->GetLanguageNames(names);
    }
    if (Features & mcCaption)
        FCaption = std::make_unique<MCaption>(this, FLanguageIndex, names);
    FHint = std::make_unique<MHint>(this, FLanguageIndex, names);
    FWidth = std::make_unique<MWidth>(this, FLanguageIndex);
    FHeight = std::make_unique<MHeight>(this, FLanguageIndex);
    FAlign = std::make_unique<MAlign>(this, FLanguageIndex);
    if (Features & mcItems)
        FItems = std::make_unique<MItems>(this, FLanguageIndex);
}

template <class Base>
MBilingualControl<Base>::~MBilingualControl() {
    // The objects go before the control; their owner pointers are guarded anyway.
    FItems.reset();
    FAlign.reset();
    FHeight.reset();
    FWidth.reset();
    FHint.reset();
    FCaption.reset();
}

template <class Base>
void MBilingualControl<Base>::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (FReady && !Reading()) {
        if (AWidth != this->width())
            FWidth->StoreCurrentWidth(AWidth);
        if (AHeight != this->height())
            FHeight->StoreCurrentHeight(AHeight);
        if (ALeft != this->x())
            FAlign->StoreCurrentLeft(ALeft);
    }
    this->setGeometry(ALeft, ATop, AWidth, AHeight);
}

template <class Base>
void MBilingualControl<Base>::StoreCaption(const QString& Text) {
    if (FCaption && !Reading())
        FCaption->StoreCurrentCaption(Text);
}

template <class Base>
void MBilingualControl<Base>::SetHint(const QString& Text) {
    SetOwnerHint(Text);
    if (!Reading())
        FHint->StoreCurrentHint(Text);
}

template <class Base>
void MBilingualControl<Base>::SetOwnerHint(const QString& Text) {
    FHintText = Text;
    const QString tip = FShowHint ? Text : QString();
    if (this->toolTip() != tip)
        this->setToolTip(tip);
}

template <class Base>
void MBilingualControl<Base>::SetShowHint(bool Value) {
    FShowHint = Value;
    SetOwnerHint(FHintText);
}

template <class Base>
void MBilingualControl<Base>::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) {
    bool forward = false;
    switch (Msg) {
    case LM_UPDATE_LANGUAGEID: {
        const int i = static_cast<int>(WParam);
        FLanguageIndex = i;
        // The items keep their own index here; the next language change re-applies them.
        if (FCaption)
            FCaption->Update_LanguageID(i);
        FHint->Update_LanguageID(i);
        FWidth->Update_LanguageID(i);
        FHeight->Update_LanguageID(i);
        FAlign->Update_LanguageID(i);
        forward = true;
        break;
    }
    case LM_CHANGE_LANGUAGEID: {
        const int i = static_cast<int>(WParam);
        if (i != FLanguageIndex) {
            FLanguageIndex = i;
            if (FItems)
                FItems->Change_LanguageID(i);
            if (FCaption)
                FCaption->Change_LanguageID(i);
            FHint->Change_LanguageID(i);
            FWidth->Change_LanguageID(i);
            FHeight->Change_LanguageID(i);
            FAlign->Change_LanguageID(i);
        }
        forward = true;
        break;
    }
    case LM_CHANGE_FONT:
        if (!(FFeatures & mcFont))
            return;
        if (M_Font)
            if (const MLanguageFont* font = UnpackFont(WParam))
                font->ApplyTo(this);
        forward = true;
        break;
    case LM_CHANGE_ALIGN:
        FAlign->Realign();
        forward = true;
        break;
    case LM_CHANGE_SELFALIGN:
        if ((FFeatures & mcSelfAlign) && M_SelfAlign)
            SelfAlignMessage(WParam == 1);
        break;
    case LM_CHANGE_ARABIC:
        if ((FFeatures & mcArabic) && M_Arabic)
            ArabicMessage(WParam != 0);
        break;
    case LM_ALIGN_MODE:
        if (WParam == LM_ALIGN_MODE_RECORD)
            FAlign->ApplyLeft(true);
        else if (WParam == LM_ALIGN_MODE_AUTO)
            FAlign->SetEnable(asAuto);
        else if (WParam == LM_ALIGN_MODE_MANUAL)
            FAlign->SetEnable(asManual);
        forward = true;
        break;
    default:
        break;
    }
    if (forward && (FFeatures & mcForward))
        if (auto* owner = dynamic_cast<MComponentOwner*>(this))
            DeliverLanguageMessageToComponents(*owner, Msg, WParam, LParam);
}
