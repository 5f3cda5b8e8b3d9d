#include "ui/DockToolBar_m.h"

#include "ui/control_m.h"

namespace {
// The language index and names of the nearest bilingual form up the owner chain.
int OwnerLanguage(const QObject* Component, QStringList& Names) {
    if (MForm* form = GetOwnerMForm(Component)) {
        form->GetLanguageNames(Names);
        return form->LanguageDetail().LanguageID();
    }
    return 0;
}
} // namespace

// ============================================================================ MDockToolBar

MDockToolBar::MDockToolBar(QWidget* Owner) : TDockToolbar(Owner) {
    SetComponentOwner(this, Owner);
    QStringList names;
    FLanguageIndex = OwnerLanguage(this, names);
    FCaption = std::make_unique<MCaption>(this, FLanguageIndex, names);
    FHintTexts = std::make_unique<MHint>(this, FLanguageIndex, names);
    FLoaded = true;
}

MDockToolBar::~MDockToolBar() {
    FHintTexts.reset();
    FCaption.reset();
}

void MDockToolBar::SetCaption(const QString& Value) {
    TDockToolbar::SetCaption(Value);
    if (FLoaded && !ComponentIsReading(this))
        FCaption->StoreCurrentCaption(Value);
}

void MDockToolBar::SetHint(const QString& Value) {
    FHint = Value;
    if (FLoaded && !ComponentIsReading(this))
        FHintTexts->StoreCurrentHint(Value);
}

void MDockToolBar::SetOwnerCaption(const QString& Text) {
    TDockToolbar::SetCaption(Text);
}

void MDockToolBar::SetOwnerHint(const QString& Text) {
    FHint = Text;
}

void MDockToolBar::Loaded() {
    FLoaded = true;
    TDockToolbar::Loaded();
}

void MDockToolBar::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t) {
    const int i = static_cast<int>(WParam);
    switch (Msg) {
    case LM_UPDATE_LANGUAGEID:
        FLanguageIndex = i;
        FCaption->Update_LanguageID(i);
        FHintTexts->Update_LanguageID(i);
        break;
    case LM_CHANGE_LANGUAGEID:
        if (i != FLanguageIndex) {
            FLanguageIndex = i;
            FCaption->Change_LanguageID(i);
            FHintTexts->Change_LanguageID(i);
        }
        break;
    case LM_CHANGE_ARABIC:
        if (M_Arabic)
            SetArabic(WParam != 0);
        break;
    default:
        break;
    }
}

// ============================================================================ MDockToolBarButton

MDockToolBarButton::MDockToolBarButton(QObject* Owner, QWidget* Parent)
    : TDockToolbarButton(BilingualParent(Owner, Parent)) {
    SetComponentOwner(this, Owner);
    QStringList names;
    FLanguageIndex = OwnerLanguage(this, names);
    FHintTexts = std::make_unique<MHint>(this, FLanguageIndex, names);
    FLoaded = true;
}

MDockToolBarButton::~MDockToolBarButton() {
    FHintTexts.reset();
}

void MDockToolBarButton::SetHint(const QString& Value) {
    SetOwnerHint(Value);
    if (FLoaded && !ComponentIsReading(this))
        FHintTexts->StoreCurrentHint(Value);
}

void MDockToolBarButton::SetOwnerHint(const QString& Text) {
    FHint = Text;
    const QString tip = FShowHint ? Text : QString();
    if (toolTip() != tip)
        setToolTip(tip);
}

void MDockToolBarButton::SetShowHint(bool Value) {
    FShowHint = Value;
    SetOwnerHint(FHint);
}

void MDockToolBarButton::Loaded() {
    FLoaded = true;
    TDockToolbarButton::Loaded();
}

void MDockToolBarButton::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t) {
    const int i = static_cast<int>(WParam);
    if (Msg == LM_UPDATE_LANGUAGEID) {
        FLanguageIndex = i;
        FHintTexts->Update_LanguageID(i);
    } else if (Msg == LM_CHANGE_LANGUAGEID && i != FLanguageIndex) {
        FLanguageIndex = i;
        FHintTexts->Change_LanguageID(i);
    }
}
