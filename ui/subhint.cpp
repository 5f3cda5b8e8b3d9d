#include "ui/subhint.h"

#include "ui/Adapter.h"

#include <QAction>
#include <QWidget>

MHint::MHint(QObject* Owner, int LanguageIndex, const QStringList& InitialTexts)
    : MLanguageTexts(Owner, LanguageIndex) {
    FTexts.OnChange = [this] { HintsChanged(); };
    if (!InitialTexts.isEmpty())
        FTexts.Assign(InitialTexts);
}

void MHint::ApplyToOwner(const QString& Text) {
    QObject* o = Owner();
    if (auto* h = dynamic_cast<MHintOwner*>(o)) {
        h->SetOwnerHint(Text);
    } else if (auto* f = dynamic_cast<MForm*>(o)) {
        f->mSetHint(Text);
    } else if (auto* a = dynamic_cast<MLanguageAdapter*>(o)) {
        if (MForm* form = a->OwnerForm())
            form->mSetHint(Text);
    } else if (auto* w = qobject_cast<QWidget*>(o)) {
        if (w->toolTip() != Text)
            w->setToolTip(Text);
    } else if (auto* act = qobject_cast<QAction*>(o)) {
        if (act->toolTip() != Text)
            act->setToolTip(Text);
    }
}
