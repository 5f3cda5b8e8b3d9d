#include "ui/ArabForm.h"

#include "ui/Adapter.h"
#include "ui/BiDi.h"
#include "ui/UComponents.h"

TArabForm::TArabForm(QObject* Owner) : QObject(Owner), FArabic(MiddleEastEnabled) {
    SetComponentOwner(this, Owner);
    ApplyArabicStyle(*this);
}

TArabForm::~TArabForm() {
    FArabic = false;
    auto* form = dynamic_cast<MForm*>(ComponentOwner(this));
    if (!form)
        return;
    for (QObject* c : form->Components())
        if (c != this && qobject_cast<TArabForm*>(c))
            return;
    ApplyArabicStyle(*this);
}

void TArabForm::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyArabicStyle(*this);
}

void ApplyArabicStyle(TArabForm& Component) {
    auto* form = dynamic_cast<MForm*>(ComponentOwner(&Component));
    if (!form)
        return;
    const bool arabic = Component.Arabic();
    for (QObject* c : form->Components())
        if (auto* other = qobject_cast<TArabForm*>(c); other && other != &Component)
            other->SetArabic(arabic); // equal ones are left alone, which ends the round
    form->SetRightToLeftStyle(arabic);
}
