#include "ui/subcaption.h"

#include "platform/Errors.h"
#include "ui/ALabel.h"
#include "ui/Adapter.h"
#include "ui/UComponents.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>

// ---- MStrings

namespace {
[[noreturn]] void IndexError(int i) {
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(i));
}
} // namespace

QString MStrings::Strings(int i) const {
    if (i < 0 || i >= Count())
        IndexError(i);
    return FList[i];
}

void MStrings::Put(int i, const QString& S) {
    if (i < 0 || i >= Count())
        IndexError(i);
    if (FList[i] == S)
        return;
    FList[i] = S;
    Changed();
}

void MStrings::Add(const QString& S) {
    FList.append(S);
    Changed();
}

void MStrings::Insert(int i, const QString& S) {
    if (i < 0 || i > Count())
        IndexError(i);
    FList.insert(i, S);
    Changed();
}

void MStrings::Delete(int i) {
    if (i < 0 || i >= Count())
        IndexError(i);
    FList.removeAt(i);
    Changed();
}

void MStrings::Clear() {
    if (FList.isEmpty())
        return;
    FList.clear();
    Changed();
}

void MStrings::Assign(const QStringList& Source) {
    if (FList == Source)
        return;
    FList = Source;
    Changed();
}

void MStrings::EndUpdate() {
    if (FUpdating > 0 && --FUpdating == 0 && FPending) {
        FPending = false;
        if (OnChange)
            OnChange();
    }
}

void MStrings::Changed() {
    if (FUpdating > 0) {
        FPending = true;
        return;
    }
    if (OnChange)
        OnChange();
}

// ---- MLanguageTexts

MLanguageTexts::MLanguageTexts(QObject* Owner, int LanguageIndex)
    : FOwner(Owner), FLanguageIndex(LanguageIndex) {}

void MLanguageTexts::Change_LanguageID(int i) {
    if (i == FLanguageIndex)
        return;
    FLanguageIndex = i;
    Apply(false);
}

QString MLanguageTexts::CurrentText() const {
    if (FLanguageIndex >= 0 && FLanguageIndex < FTexts.Count())
        return FTexts.Strings(FLanguageIndex);
    return QString();
}

void MLanguageTexts::StoreCurrentText(const QString& Text) {
    if (!Enable)
        return;
    // A language past the end of the list grows it with empty entries (up to the last language
    // slot) instead of failing; an index outside every slot records nothing.
    if (FLanguageIndex < 0 || FLanguageIndex >= MaxLanguageEntries)
        return;
    if (FTexts.Count() <= FLanguageIndex) {
        FTexts.BeginUpdate();
        while (FTexts.Count() <= FLanguageIndex)
            FTexts.Add(QString());
        FTexts.Put(FLanguageIndex, Text);
        FTexts.EndUpdate();
        return;
    }
    FTexts.Put(FLanguageIndex, Text);
}

void MLanguageTexts::Apply(bool Force) {
    if (FApplying || !FOwner)
        return;
    if (!Force && (!Enable || ComponentIsReading(FOwner)))
        return;
    FApplying = true;
    try {
        ApplyToOwner(CurrentText());
    } catch (...) {
        FApplying = false;
        throw;
    }
    FApplying = false;
}

// ---- MCaption

MCaption::MCaption(QObject* Owner, int LanguageIndex, const QStringList& InitialTexts)
    : MLanguageTexts(Owner, LanguageIndex) {
    if (!InitialTexts.isEmpty())
        FTexts.Assign(InitialTexts);
    FTexts.OnChange = [this] { CaptionsChanged(); };
}

void MCaption::ApplyToOwner(const QString& Text) {
    QObject* o = Owner();
    if (auto* c = dynamic_cast<MCaptionOwner*>(o)) {
        c->SetOwnerCaption(Text);
    } else if (auto* f = dynamic_cast<MForm*>(o)) {
        f->mSetCaption(Text);
    } else if (auto* a = dynamic_cast<MLanguageAdapter*>(o)) {
        if (MForm* form = a->OwnerForm())
            form->mSetCaption(Text);
    } else if (auto* l = qobject_cast<QLabel*>(o)) {
        if (const QString shown = LabelText(Text); l->text() != shown)
            l->setText(shown);
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        if (b->text() != Text)
            b->setText(Text);
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        if (g->title() != Text)
            g->setTitle(Text);
    } else if (auto* act = qobject_cast<QAction*>(o)) {
        if (act->text() != Text)
            act->setText(Text);
    }
}
