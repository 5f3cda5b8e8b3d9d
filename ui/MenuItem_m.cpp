#include "ui/MenuItem_m.h"

MMenuItem::MMenuItem(QObject* Owner) : QAction(Owner) {
    SetComponentOwner(this, Owner);
    QStringList names;
    if (MForm* form = GetOwnerMForm(this)) {
        FLanguageIndex = form->LanguageDetail().LanguageID();
        form->GetLanguageNames(names);
    }
    FCaption = std::make_unique<MCaption>(this, FLanguageIndex, names);
}

MMenuItem::~MMenuItem() {
    FCaption.reset();
}

void MMenuItem::SetCaption(const QString& Text) {
    setText(Text);
    if (!ComponentIsReading(this))
        FCaption->StoreCurrentCaption(Text);
}

void MMenuItem::SetLanguageIndex(int Index) {
    FLanguageIndex = Index;
    FCaption->Update_LanguageID(Index);
}

void MMenuItem::ChangeLanguage(int Index) {
    if (Index == FLanguageIndex)
        return;
    FLanguageIndex = Index;
    FCaption->Change_LanguageID(Index);
}

void MMenuItem::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t) {
    if (Msg == LM_UPDATE_LANGUAGEID)
        SetLanguageIndex(static_cast<int>(WParam));
    else if (Msg == LM_CHANGE_LANGUAGEID)
        ChangeLanguage(static_cast<int>(WParam));
}
