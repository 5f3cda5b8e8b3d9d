#include "ui/MainMenu_m.h"

#include "ui/control_m.h"

MMainMenu::MMainMenu(QObject* Owner, QWidget* Parent) : TArabMainMenu(BilingualParent(Owner, Parent)) {
    SetComponentOwner(this, Owner);
    if (MForm* form = GetOwnerMForm(this))
        FLanguageIndex = form->LanguageDetail().LanguageID();
}

void MMainMenu::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t) {
    if (Msg == LM_UPDATE_LANGUAGEID || Msg == LM_CHANGE_LANGUAGEID)
        FLanguageIndex = static_cast<int>(WParam);
    else if (Msg == LM_CHANGE_ARABIC && M_Arabic)
        SetArabic(WParam != 0);
}
