#include "ui/PopupMenu_m.h"

#include "ui/ULPackDM.h"
#include "ui/control_m.h"

MPopupMenu::MPopupMenu(QObject* Owner, QWidget* Parent) : TArabPopupMenu(BilingualParent(Owner, Parent)) {
    SetComponentOwner(this, Owner);
    MForm* form = GetOwnerMForm(this);
    if (form)
        FLanguageIndex = form->LanguageDetail().LanguageID();
    // The menu reads and opens in the language shown now, its window's (the station's when no window
    // owns it), not only after the next switch.
    SetArabic(form ? form->LanguageDetail().ArabicEnable() : ArabicShown());
    Alignment = Arabic() ? paRight : paLeft;
}

QPoint MPopupMenu::PopupOrigin(int X, int Y, int MenuWidth) const {
    switch (Alignment) {
    case paRight:
        return QPoint(X - MenuWidth, Y);
    case paCenter:
        return QPoint(X - MenuWidth / 2, Y);
    case paLeft:
        break;
    }
    return QPoint(X, Y);
}

void MPopupMenu::Popup(int X, int Y) {
    popup(PopupOrigin(X, Y, sizeHint().width()));
}

void MPopupMenu::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t) {
    if (Msg == LM_UPDATE_LANGUAGEID || Msg == LM_CHANGE_LANGUAGEID) {
        FLanguageIndex = static_cast<int>(WParam);
    } else if (Msg == LM_CHANGE_ARABIC && M_Arabic) {
        SetArabic(WParam != 0);
        Alignment = Arabic() ? paRight : paLeft;
    }
}
