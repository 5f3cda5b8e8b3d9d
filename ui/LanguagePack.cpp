#include "ui/LanguagePack.h"

#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace {
// Takes a value that differs from the field's and says so; an equal one leaves the field alone.
template <typename T>
bool StoreChanged(T& Field, const T& Value) {
    if (Field == Value)
        return false;
    Field = Value;
    return true;
}
} // namespace

// ---- MLanguageFont

MLanguageFont::MLanguageFont() {
    FFont.setFamily(QStringLiteral("MS Sans Serif"));
    FFont.setPixelSize(11);
}

void MLanguageFont::SetFont(const QFont& Font) {
    if (StoreChanged(FFont, Font) && OnChange)
        OnChange();
}

void MLanguageFont::SetColor(const QColor& Color) {
    if (StoreChanged(FColor, Color) && OnChange)
        OnChange();
}

void MLanguageFont::Assign(const MLanguageFont& Source) {
    if (*this == Source)
        return;
    FFont = Source.FFont;
    FColor = Source.FColor;
    if (OnChange)
        OnChange();
}

bool MLanguageFont::operator==(const MLanguageFont& Other) const {
    return FFont == Other.FFont && FColor == Other.FColor;
}

void MLanguageFont::ApplyTo(QWidget* Control) const {
    if (!Control)
        return;
    Control->setFont(FFont);
    if (FColor.isValid()) {
        QPalette p = Control->palette();
        p.setColor(QPalette::WindowText, FColor);
        p.setColor(QPalette::Text, FColor);
        Control->setPalette(p);
    }
}

// ---- MLanguageDetail

void MLanguageDetail::SetLanguageID(int Value) {
    if (StoreChanged(FLanguageID, Value) && OnLanguageIDChange)
        OnLanguageIDChange(Value);
}

void MLanguageDetail::SetFont(const MLanguageFont& Value) {
    if (FFont == Value)
        return;
    FFont.Assign(Value);
    if (OnFontChange)
        OnFontChange();
}

void MLanguageDetail::SetAlignEnable(bool Value) {
    if (StoreChanged(FAlignEnable, Value) && OnAlignEnableChanged)
        OnAlignEnableChanged();
}

void MLanguageDetail::SetSelfAlignEnable(bool Value) {
    if (StoreChanged(FSelfAlignEnable, Value) && OnSelfAlignEnableChanged)
        OnSelfAlignEnableChanged(Value);
}

void MLanguageDetail::SetArabicEnable(bool Value) {
    if (StoreChanged(FArabicEnable, Value) && OnArabicEnableChanged)
        OnArabicEnableChanged(Value);
}

// ---- MLanguageProfile

MLanguageProfile::MLanguageProfile(QObject* Owner) : QObject(Owner) {}

void MLanguageProfile::Changed() {
    if (OnChange)
        OnChange(this, LanguageID());
}

void MLanguageProfile::SetFont(const MLanguageFont& Value) {
    if (FFont == Value)
        return;
    FFont.Assign(Value);
    Changed();
}

void MLanguageProfile::SetAlignEnable(bool Value) {
    if (StoreChanged(FAlignEnable, Value))
        Changed();
}

void MLanguageProfile::SetSelfAlignEnable(bool Value) {
    if (StoreChanged(FSelfAlignEnable, Value))
        Changed();
}

void MLanguageProfile::SetArabicEnable(bool Value) {
    if (StoreChanged(FArabicEnable, Value))
        Changed();
}

// ---- Copying a language

namespace {
template <typename Source>
void AssignFrom(MLanguageDetail& Target, const Source& S) {
    const int id = S.LanguageID();
    const bool changed = id != Target.LanguageID();
    if (changed && Target.BeforeLanguageDetailChange)
        Target.BeforeLanguageDetailChange(id);
    Target.SetLanguageID(id);
    Target.LanguageName = S.LanguageName;
    Target.SetFont(S.Font());
    Target.SetAlignEnable(S.AlignEnable());
    Target.SetSelfAlignEnable(S.SelfAlignEnable());
    Target.SetArabicEnable(S.ArabicEnable());
    if (changed && Target.AfterLanguageDetailChange)
        Target.AfterLanguageDetailChange(id);
}
} // namespace

void AssignLanguageDetail(MLanguageDetail& Target, const MLanguageDetail& Source) {
    if (&Target == &Source)
        return;
    AssignFrom(Target, Source);
}

void AssignLanguageDetail(MLanguageDetail& Target, const MLanguageProfile& Source) {
    AssignFrom(Target, Source);
}

// ---- MLanguagePack

MLanguagePack::MLanguagePack(QObject* Owner) : QObject(Owner) {
    for (int i = 0; i < LanguageSlotCount; ++i) {
        FSlots[i] = std::make_unique<MLanguageDetail>();
        FSlots[i]->StoreLanguageID(i);
        FSlots[i]->LanguageName = QStringLiteral("Default!!!");
    }
}

MLanguagePack::~MLanguagePack() {
    // Tell every client; each clears its link (and may unregister while we walk).
    const QList<MLanguageClient*> clients = FClients;
    FClients.clear();
    for (auto* c : clients)
        c->LanguagePackFreed(this);
}

MLanguageDetail* MLanguagePack::Detail(int i) const {
    if (i < 0 || i >= LanguageSlotCount)
        return nullptr;
    return FSlots[i].get();
}

void MLanguagePack::SetLang(int i, MLanguageDetail& Source) {
    MLanguageDetail* slot = Detail(i);
    if (!slot)
        return;
    Source.StoreLanguageID(i);
    AssignLanguageDetail(*slot, Source);
}

void MLanguagePack::SetLanguageNumber(int n) {
    // The slots end at 20 whatever LanguageCount says; a number past them is ignored like any
    // other number outside the languages in use.
    const bool accepted = (FLanguageCount == 0 && n == 0) || (n >= 0 && n < FLanguageCount);
    if (!accepted || !Detail(n))
        return;
    // A window that asks for a language while the clients take one would otherwise hand out its
    // language against the old number in the middle of the running switch, and the pack and its
    // windows would end on different languages: the request waits for the running switch instead.
    if (FSwitching) {
        FRequested = n;
        return;
    }
    struct Reset {
        MLanguagePack& P;
        ~Reset() {
            P.FSwitching = false;
            P.FRequested.reset();
        }
    } reset{*this};
    FSwitching = true;
    // Handlers that keep asking for other languages cannot hold the program here for ever.
    constexpr int MaxRounds = 64;
    for (int round = 1;; ++round) {
        FSwitchingTo = n;
        BroadcastLanguageDetail(*this, *Detail(n), FLanguageNumber);
        FLanguageNumber = n;
        if (!FRequested || round >= MaxRounds)
            break;
        n = *FRequested;
        FRequested.reset();
    }
}

bool MLanguagePack::GetLanguageNames(QStringList& List) const {
    List.clear();
    // A count above the slots is outside the pack; the list ends with the last slot.
    const int count = std::min(FLanguageCount, LanguageSlotCount);
    for (int i = 0; i < count; ++i) {
        const MLanguageDetail* d = Detail(i);
        List.append(d ? d->LanguageName : QStringLiteral("No Lang!!!"));
    }
    return true;
}

void MLanguagePack::RegisterClient(MLanguageClient* Client) {
    if (Client && !FClients.contains(Client))
        FClients.append(Client);
}

void MLanguagePack::UnregisterClient(MLanguageClient* Client) {
    FClients.removeOne(Client);
}

bool MLanguagePack::IsClient(const MLanguageClient* Client) const {
    return FClients.contains(const_cast<MLanguageClient*>(Client));
}

void BroadcastLanguageDetail(MLanguagePack& Pack, const MLanguageDetail& NewDetail, int OldNumber) {
    // A client may close windows or register new ones while it switches: walk a snapshot and
    // skip those that left in the meantime.
    const QList<MLanguageClient*> clients = Pack.Clients();
    for (auto* c : clients) {
        if (!Pack.IsClient(c))
            continue;
        MLanguageDetail* d = c->ClientLanguageDetail();
        if (d && d->LanguageID() == OldNumber && d->LanguagePackFollow)
            c->SetClientLanguageDetail(NewDetail);
    }
}
