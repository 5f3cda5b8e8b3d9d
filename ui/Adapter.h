#pragma once
// The bilingual form base MForm and its language adapter. A bilingual form owns the detail of the
// language it shows, its caption and hint in every language and its link to the shared language
// pack. When its detail changes it re-applies its caption and hint and hands every component it owns
// the language messages below, synchronously and in a fixed order.
//
// A form is built in two phases: while it is loading (from construction until FinishLoading) its
// build code creates the components and gives them their texts, sizes and modes, and nothing is
// recorded or sent; FinishLoading then runs the finishing steps of the form and of each component in
// order, and the adapter hands every component the form's language index (message 0x5F4) once.

#include "ui/ArabForm.h"
#include "ui/LanguagePack.h"
#include "ui/UComponents.h"
#include "ui/subcaption.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

// ---- The language messages. LParam is always 0 and no result is used.
// Take this language index (WParam) without applying anything; sent once when a form has loaded.
constexpr int LM_UPDATE_LANGUAGEID = 0x5F4;
// The language changed to WParam: take it and apply what is recorded for it.
constexpr int LM_CHANGE_LANGUAGEID = 0x5F5;
// Not sent by the system.
constexpr int LM_RESERVED_5F6 = 0x5F6;
// WParam: the language's font (PackFont); controls that follow the language font copy it.
constexpr int LM_CHANGE_FONT = 0x5F7;
// Not sent by the system.
constexpr int LM_RESERVED_5F8 = 0x5F8;
// The layout direction flipped (WParam 0): automatic positions are mirrored.
constexpr int LM_CHANGE_ALIGN = 0x5F9;
// Text justification: WParam 1 right, 0 left.
constexpr int LM_CHANGE_SELFALIGN = 0x5FA;
// Right-to-left mode: WParam 1 on, 0 off.
constexpr int LM_CHANGE_ARABIC = 0x5FB;
// Position mode (sent by nothing in the system): WParam 0 records the present Left for the shown
// language, 1 makes the position automatic, 2 manual.
constexpr int LM_ALIGN_MODE = 0x5FC;
constexpr int LM_ALIGN_MODE_RECORD = 0;
constexpr int LM_ALIGN_MODE_AUTO = 1;
constexpr int LM_ALIGN_MODE_MANUAL = 2;

inline std::intptr_t PackFont(const MLanguageFont* Font) {
    return reinterpret_cast<std::intptr_t>(Font);
}
inline const MLanguageFont* UnpackFont(std::intptr_t WParam) {
    return reinterpret_cast<const MLanguageFont*>(WParam);
}

// A component that answers language messages. The handler runs before the sender goes on.
class MLanguageControl {
public:
    virtual ~MLanguageControl() = default;
    virtual void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) = 0;
};

// Hands one message to one component (nothing when it does not answer language messages). An error
// raised by its handler is shown by the application-wide handler and goes no further.
void DeliverLanguageMessage(QObject* Component, int Msg, std::intptr_t WParam, std::intptr_t LParam = 0);
// Hands one message to every component of an owner, in the owner's order.
void DeliverLanguageMessageToComponents(const MComponentOwner& Owner, int Msg, std::intptr_t WParam,
                                        std::intptr_t LParam = 0);

// The identifiers of the language entries of the system menu: 100 + language index.
constexpr int SystemMenuLanguageFirst = 100;
constexpr int SystemMenuLanguageLast = 120;

class MForm;
class MLanguageAdapter;
using TLanguageChangeEvent = std::function<void(MForm* Sender, int aNewLanguage)>;

class MForm : public QWidget, public MComponentOwner, public MLanguageClient {
    Q_OBJECT
public:
    explicit MForm(QWidget* Parent = nullptr, Qt::WindowFlags Flags = {});
    ~MForm() override;

    // ---- Two-phase build.
    QObject* OwnerObject() override { return this; }
    bool IsReading() const override { return FReading; }
    bool IsLoaded() const { return FLoaded; }
    // Ends the loading phase: the form's own finishing step, then each component's. Runs once; a
    // form shown before it was finished is finished then.
    void FinishLoading();
    // Convenience for build code: the language in which the build code gives its texts and
    // positions; copies the pack's detail of that index into the form (nothing is sent while
    // loading).
    void SetResourceLanguage(int Index);

    // ---- Language.
    MLanguagePack* LanguagePack() const { return FLanguagePack; }
    void SetLanguagePack(MLanguagePack* Pack);
    M_LanguageDetail& LanguageDetail() { return *FLanguageDetail; }
    const M_LanguageDetail& LanguageDetail() const { return *FLanguageDetail; }
    // Copies a language into the form's detail, which raises the change events.
    void SetLanguageDetail(const MLanguageDetail& Detail);
    bool SystemMenuEnable() const { return FSystemMenuEnable; }
    void SetSystemMenuEnable(bool Value);
    // A language chosen from this form's system menu switches the whole pack.
    bool MasterAdapter = false;
    MCaption& M_Caption() { return *FCaption; }
    MHint& M_Hint() { return *FHint; }
    TLanguageChangeEvent OnBeforeLanguageChange;
    TLanguageChangeEvent OnAfterLanguageChange;

    QString Caption() const { return mGetCaption(); }
    void SetCaption(const QString& Text) { mSetCaption(Text); }
    QString Hint() const { return mGetHint(); }
    void SetHint(const QString& Text) { mSetHint(Text); }
    QString mGetCaption() const { return FCaptionText; }
    // Shows Text as the window caption and, unless loading, records it for the shown language.
    void mSetCaption(const QString& Text);
    QString mGetHint() const { return FHintText; }
    void mSetHint(const QString& Text);

    bool GetLanguageNames(QStringList& List) const;
    MLanguageAdapter* Get_Current_Adapter() const;
    // Hands a language message to every component the form owns, in order.
    void SendMessage_Component(int Msg, std::intptr_t WParam, std::intptr_t LParam = 0);
    // Sets the language index of the caption and the hint without applying (the adapter at the end
    // of loading).
    void Self_Update_LanguageID(int Index);

    // ---- Geometry used by mirroring.
    // The width controls are mirrored against: the larger of the client width and the horizontal
    // scroll range when loading ended.
    int MirrorWidth() const { return FMirrorWidth; }
    virtual int ClientWidth() const { return width(); }
    // A form that scrolls horizontally reports its range and position (0 while not scrolling).
    virtual int HorzScrollRange() const { return 0; }
    virtual int HorzScrollPosition() const { return 0; }
    // The right-to-left window style the adapter sets.
    bool RightToLeftStyle() const { return FRightToLeft; }
    void SetRightToLeftStyle(bool Value);

    // ---- Placing a dialog.
    // The window a dialog stands over: the active window when it is another one, else Fallback while
    // it is shown, else the window of the form's parent; null when there is none.
    QWidget* DialogAnchor(const QWidget* Fallback) const;
    // Centres the form over Anchor (over the screen without one), kept whole on the screen.
    void PlaceOver(const QWidget* Anchor);

    // ---- System menu: the language entries (identifiers 100 + index).
    void PrepareSystemMenu();
    // Runs a system command; 100..120 choose a language.
    void WMSysCommand(int Command);
    // The language entries now offered (in the sub-window's system menu, the "Language" menu of the
    // form's menu bar, or its context menu).
    QList<QAction*> LanguageMenuActions() const;

    // ---- The detail's events.
    virtual void DOBeforeLanguageChange(int aNewLanguage);
    virtual void DOAfterLanguageChange(int aNewLanguage);
    void Change_LanguageID(int aNewLanguage);
    void Change_Font();
    void Change_Align();
    void Change_SelfAlign(bool aValue);
    void Change_ARABIC(bool aValue);

    // ---- MLanguageClient
    MLanguageDetail* ClientLanguageDetail() override { return FLanguageDetail.get(); }
    void SetClientLanguageDetail(const MLanguageDetail& Detail) override { SetLanguageDetail(Detail); }
    void LanguagePackFreed(MLanguagePack* Pack) override;

protected:
    // The form's own finishing step.
    virtual void Loaded();
    // Runs each time the form is about to be shown: catches up with the pack, rebuilds the menu.
    virtual void DoShow();
    void setVisible(bool Visible) override;
    void showEvent(QShowEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    void ClearLanguageEntries();
    bool FReading = true;
    bool FLoaded = false;
    bool FFinishing = false;
    QPointer<MLanguagePack> FLanguagePack;
    std::unique_ptr<M_LanguageDetail> FLanguageDetail;
    bool FSystemMenuEnable = true;
    int FMirrorWidth = 0;
    std::unique_ptr<MCaption> FCaption;
    std::unique_ptr<MHint> FHint;
    QString FCaptionText;
    QString FHintText;
    bool FRightToLeft = false;
    QList<QPointer<QAction>> FLanguageActions;
    QPointer<QAction> FSeparator;
    QPointer<QMenu> FLanguageMenu;
    bool FContextEntries = false;
    bool FShowPrepared = false;
};

// The language adapter every bilingual form carries: its properties are the form's own (so build
// code may set them on either), its right-to-left switch is its own, and when the form has loaded
// it hands every component the form's language index.
class MLanguageAdapter : public TArabForm, public MLoadedComponent {
    Q_OBJECT
public:
    // Owner: a bilingual form. Any other owner cancels the creation with the silent abort.
    explicit MLanguageAdapter(QObject* Owner);

    MForm* OwnerForm() const { return FOwnerForm; }
    MLanguagePack* LanguagePack() const { return FOwnerForm->LanguagePack(); }
    void SetLanguagePack(MLanguagePack* Pack) { FOwnerForm->SetLanguagePack(Pack); }
    M_LanguageDetail& LanguageDetail() const { return FOwnerForm->LanguageDetail(); }
    void SetLanguageDetail(const MLanguageDetail& Detail) { FOwnerForm->SetLanguageDetail(Detail); }
    bool SystemMenuEnable() const { return FOwnerForm->SystemMenuEnable(); }
    void SetSystemMenuEnable(bool Value) { FOwnerForm->SetSystemMenuEnable(Value); }
    bool MasterAdapter() const { return FOwnerForm->MasterAdapter; }
    void SetMasterAdapter(bool Value) { FOwnerForm->MasterAdapter = Value; }
    MCaption& M_Caption() const { return FOwnerForm->M_Caption(); }
    MHint& M_Hint() const { return FOwnerForm->M_Hint(); }
    TLanguageChangeEvent& OnBeforeLanguageChange() const { return FOwnerForm->OnBeforeLanguageChange; }
    TLanguageChangeEvent& OnAfterLanguageChange() const { return FOwnerForm->OnAfterLanguageChange; }

    void Loaded() override;

private:
    MForm* FOwnerForm = nullptr;
    bool FLoadedOnce = false;
};

// The nearest form up a component's chain of owners, or null.
QWidget* GetOwnerForm(const QObject* Component);
MForm* GetOwnerMForm(const QObject* Component);
MLanguageAdapter* GetOwnerAdapter(const QObject* Component);
