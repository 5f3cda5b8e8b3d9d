#include "ui/Adapter.h"

#include "platform/Errors.h"
#include "ui/UApplication.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

// ---- Delivery

void DeliverLanguageMessage(QObject* Component, int Msg, std::intptr_t WParam, std::intptr_t LParam) {
    auto* c = dynamic_cast<MLanguageControl*>(Component);
    if (!c)
        return;
    // A message is handled by the control alone: an error there is shown as any error of an event
    // handler, and the switch goes on to the other controls and ends with every switch of the
    // language applied, instead of leaving the windows half in one language and half in the other.
    try {
        c->LanguageMessage(Msg, WParam, LParam);
    } catch (const std::exception& e) {
        MMException::ApplicationExceptionHandler(Component, e);
    } catch (...) {
        MMException::UnknownExceptionHandler(Component);
    }
}

void DeliverLanguageMessageToComponents(const MComponentOwner& Owner, int Msg, std::intptr_t WParam,
                                        std::intptr_t LParam) {
    // A handler may free other components: each is reached through a guarded pointer.
    for (const auto& c : Owner.GuardedComponents())
        if (c)
            DeliverLanguageMessage(c.data(), Msg, WParam, LParam);
}

// ---- MForm

MForm::MForm(QWidget* Parent, Qt::WindowFlags Flags) : QWidget(Parent, Flags) {
    FLanguageDetail = std::make_unique<M_LanguageDetail>();
    M_LanguageDetail& d = *FLanguageDetail;
    d.OnLanguageIDChange = [this](int n) { Change_LanguageID(n); };
    d.OnAlignEnableChanged = [this] { Change_Align(); };
    d.OnFontChange = [this] { Change_Font(); };
    d.OnSelfAlignEnableChanged = [this](bool v) { Change_SelfAlign(v); };
    d.OnArabicEnableChanged = [this](bool v) { Change_ARABIC(v); };
    d.BeforeLanguageDetailChange = [this](int n) { DOBeforeLanguageChange(n); };
    d.AfterLanguageDetailChange = [this](int n) { DOAfterLanguageChange(n); };
    FCaption = std::make_unique<MCaption>(this, 0);
    FHint = std::make_unique<MHint>(this, 0);
}

MForm::~MForm() {
    // The components go first, while the form is still whole.
    DestroyComponents();
    ClearLanguageEntries();
    if (FLanguagePack)
        FLanguagePack->UnregisterClient(this);
    FCaption.reset();
    FHint.reset();
}

void MForm::FinishLoading() {
    if (FLoaded || FFinishing)
        return;
    FFinishing = true;
    FReading = false;
    Loaded();
    for (const auto& c : GuardedComponents())
        if (auto* l = dynamic_cast<MLoadedComponent*>(c.data()))
            l->Loaded();
    FFinishing = false;
}

void MForm::Loaded() {
    FLoaded = true;
    FMirrorWidth = std::max(ClientWidth(), HorzScrollRange());
    mSetCaption(FCaption->GetCurrentCaption());
}

void MForm::SetResourceLanguage(int Index) {
    if (!FLanguagePack)
        return;
    if (MLanguageDetail* d = FLanguagePack->Detail(Index))
        SetLanguageDetail(*d);
}

void MForm::SetLanguagePack(MLanguagePack* Pack) {
    if (Pack == FLanguagePack)
        return;
    if (FLanguagePack)
        FLanguagePack->UnregisterClient(this);
    FLanguagePack = Pack;
    if (Pack) {
        Pack->RegisterClient(this);
        if (FLoaded)
            if (MLanguageDetail* d = Pack->Detail(Pack->FollowedLanguageNumber()))
                SetLanguageDetail(*d);
    }
}

void MForm::LanguagePackFreed(MLanguagePack* Pack) {
    if (FLanguagePack == Pack)
        FLanguagePack = nullptr;
}

void MForm::SetLanguageDetail(const MLanguageDetail& Detail) {
    AssignLanguageDetail(*FLanguageDetail, Detail);
}

void MForm::SetSystemMenuEnable(bool Value) {
    if (Value == FSystemMenuEnable)
        return;
    FSystemMenuEnable = Value;
    if (FLoaded)
        PrepareSystemMenu();
}

void MForm::mSetCaption(const QString& Text) {
    FCaptionText = Text;
    if (windowTitle() != Text)
        setWindowTitle(Text);
    if (!FReading)
        FCaption->StoreCurrentCaption(Text);
}

void MForm::mSetHint(const QString& Text) {
    FHintText = Text;
    if (!FReading)
        FHint->StoreCurrentHint(Text);
}

bool MForm::GetLanguageNames(QStringList& List) const {
    if (!FLanguagePack)
        return false;
    return FLanguagePack->GetLanguageNames(List);
}

MLanguageAdapter* MForm::Get_Current_Adapter() const {
    for (QObject* c : Components())
        if (auto* a = qobject_cast<MLanguageAdapter*>(c))
            return a;
    return nullptr;
}

void MForm::SendMessage_Component(int Msg, std::intptr_t WParam, std::intptr_t LParam) {
    DeliverLanguageMessageToComponents(*this, Msg, WParam, LParam);
}

void MForm::Self_Update_LanguageID(int Index) {
    FCaption->Update_LanguageID(Index);
    // The hint too: a form built in another language than the first would otherwise record its
    // hints for the wrong language.
    FHint->Update_LanguageID(Index);
}

void MForm::SetRightToLeftStyle(bool Value) {
    FRightToLeft = Value;
    setLayoutDirection(Value ? Qt::RightToLeft : Qt::LeftToRight);
}

// ---- The detail's events

QWidget* MForm::DialogAnchor(const QWidget* Fallback) const {
    if (QWidget* active = QApplication::activeWindow(); active && active != this)
        return active;
    if (Fallback && Fallback->isVisible())
        return Fallback->window();
    return parentWidget() ? parentWidget()->window() : nullptr;
}

void MForm::PlaceOver(const QWidget* Anchor) {
    QScreen* screen = Anchor ? Anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect over = Anchor ? Anchor->frameGeometry() : area;
    // The form with the frame the window manager gave it when last shown; before its first showing,
    // with a frame as thick as the anchor's.
    QSize outer = frameGeometry().size();
    if (outer == size() && Anchor)
        outer += Anchor->frameGeometry().size() - Anchor->size();
    const auto centred = [](int Start, int Length, int Inner, int AreaStart, int AreaLength) {
        const int at = Start + (Length - Inner) / 2;
        return std::max(AreaStart, std::min(at, AreaStart + AreaLength - Inner));
    };
    move(centred(over.x(), over.width(), outer.width(), area.x(), area.width()),
         centred(over.y(), over.height(), outer.height(), area.y(), area.height()));
}

void MForm::DOBeforeLanguageChange(int aNewLanguage) {
    if (!FLoaded || FReading)
        return;
    if (OnBeforeLanguageChange)
        OnBeforeLanguageChange(this, aNewLanguage);
}

void MForm::DOAfterLanguageChange(int aNewLanguage) {
    if (!FLoaded || FReading)
        return;
    if (OnAfterLanguageChange)
        OnAfterLanguageChange(this, aNewLanguage);
}

void MForm::Change_LanguageID(int aNewLanguage) {
    if (!FLoaded)
        return;
    FCaption->Change_LanguageID(aNewLanguage);
    FHint->Change_LanguageID(aNewLanguage);
    SendMessage_Component(LM_CHANGE_LANGUAGEID, aNewLanguage);
}

void MForm::Change_Font() {
    if (!FLoaded || FReading)
        return;
    SendMessage_Component(LM_CHANGE_FONT, PackFont(&FLanguageDetail->Font()));
}

void MForm::Change_Align() {
    if (!FLoaded || FReading)
        return;
    SendMessage_Component(LM_CHANGE_ALIGN, 0);
}

void MForm::Change_SelfAlign(bool aValue) {
    if (!FLoaded || FReading)
        return;
    SendMessage_Component(LM_CHANGE_SELFALIGN, aValue ? 1 : 0);
}

void MForm::Change_ARABIC(bool aValue) {
    if (!FLoaded || FReading)
        return;
    if (MLanguageAdapter* a = Get_Current_Adapter())
        a->SetArabic(aValue);
    SendMessage_Component(LM_CHANGE_ARABIC, aValue ? 1 : 0);
}

// ---- Showing

void MForm::setVisible(bool Visible) {
    // The controls take the pack's language before the window appears. The show event that comes
    // within this call is the same showing; a form whose parent is still hidden shows later, with
    // a show event of its own.
    if (Visible && !isVisible() && !FShowPrepared) {
        DoShow();
        FShowPrepared = true;
    }
    QWidget::setVisible(Visible);
    FShowPrepared = false;
}

void MForm::showEvent(QShowEvent* Event) {
    // A window restored by the window manager is not being shown by the program; a form shown with
    // its parent (an MDI child, an embedded form) gets here without passing setVisible.
    if (!Event->spontaneous() && !FShowPrepared)
        DoShow();
    QWidget::showEvent(Event);
}

void MForm::DoShow() {
    if (!FLoaded)
        FinishLoading();
    // Shown while the pack hands out a switch, the window takes the language being switched to.
    if (FLanguagePack && FLanguageDetail->LanguagePackFollow &&
        FLanguageDetail->LanguageID() != FLanguagePack->FollowedLanguageNumber())
        if (MLanguageDetail* d = FLanguagePack->Detail(FLanguagePack->FollowedLanguageNumber()))
            SetLanguageDetail(*d);
    PrepareSystemMenu();
}

// ---- System menu

void MForm::ClearLanguageEntries() {
    for (const auto& a : FLanguageActions)
        delete a.data();
    FLanguageActions.clear();
    delete FSeparator.data();
    delete FLanguageMenu.data();
    FContextEntries = false;
}

void MForm::PrepareSystemMenu() {
    ClearLanguageEntries();
    QStringList names;
    if (!FLanguagePack || !FSystemMenuEnable || !GetLanguageNames(names))
        return;
    // The identifiers stop at 120: one per language slot.
    const int count =
        std::min<int>(static_cast<int>(names.size()), SystemMenuLanguageLast - SystemMenuLanguageFirst + 1);
    auto makeAction = [this](const QString& text, int id, QObject* parent) {
        auto* a = new QAction(text, parent);
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { WMSysCommand(id); });
        FLanguageActions.append(a);
        return a;
    };
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && sub->systemMenu()) {
        QMenu* menu = sub->systemMenu();
        FSeparator = menu->addSeparator();
        for (int i = 0; i < count; ++i)
            menu->addAction(makeAction(names[i], SystemMenuLanguageFirst + i, menu));
        return;
    }
    if (auto* bar = findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        FLanguageMenu = bar->addMenu(QStringLiteral("Language"));
        for (int i = 0; i < count; ++i)
            FLanguageMenu->addAction(makeAction(names[i], SystemMenuLanguageFirst + i, FLanguageMenu));
        return;
    }
    for (int i = 0; i < count; ++i)
        makeAction(names[i], SystemMenuLanguageFirst + i, this);
    FContextEntries = true;
}

QList<QAction*> MForm::LanguageMenuActions() const {
    QList<QAction*> result;
    for (const auto& a : FLanguageActions)
        if (a)
            result.append(a.data());
    return result;
}

void MForm::contextMenuEvent(QContextMenuEvent* Event) {
    const QList<QAction*> actions = LanguageMenuActions();
    if (!FContextEntries || actions.isEmpty()) {
        QWidget::contextMenuEvent(Event);
        return;
    }
    QMenu menu(this);
    menu.addActions(actions);
    menu.exec(Event->globalPos());
}

void MForm::WMSysCommand(int Command) {
    if (Command < SystemMenuLanguageFirst || Command > SystemMenuLanguageLast)
        return;
    const int n = Command - SystemMenuLanguageFirst;
    if (n == FLanguageDetail->LanguageID() || !FLanguagePack)
        return;
    if (MasterAdapter) {
        FLanguagePack->SetLanguageNumber(n);
    } else if (MLanguageDetail* d = FLanguagePack->Detail(n)) {
        SetLanguageDetail(*d);
    }
}

// ---- MLanguageAdapter

MLanguageAdapter::MLanguageAdapter(QObject* Owner) : TArabForm(Owner) {
    FOwnerForm = dynamic_cast<MForm*>(Owner);
    if (!FOwnerForm)
        Abort();
}

void MLanguageAdapter::Loaded() {
    MForm* form = FOwnerForm;
    if (!FLoadedOnce) {
        FLoadedOnce = true;
        const int id = form->LanguageDetail().LanguageID();
        form->Self_Update_LanguageID(id);
        form->SendMessage_Component(LM_UPDATE_LANGUAGEID, id);
    }
    form->mSetCaption(form->M_Caption().GetCurrentCaption());
    SetArabic(form->LanguageDetail().AlignEnable());
}

// ---- Owners

MForm* GetOwnerMForm(const QObject* Component) {
    const QObject* c = Component ? ComponentOwner(Component) : nullptr;
    for (int depth = 0; c && depth < 64; ++depth) {
        if (auto* f = dynamic_cast<MForm*>(const_cast<QObject*>(c)))
            return f;
        c = ComponentOwner(c);
    }
    return nullptr;
}

QWidget* GetOwnerForm(const QObject* Component) {
    return GetOwnerMForm(Component);
}

MLanguageAdapter* GetOwnerAdapter(const QObject* Component) {
    MForm* f = GetOwnerMForm(Component);
    return f ? f->Get_Current_Adapter() : nullptr;
}
