#pragma once
// What every bilingual control shares. A bilingual control is a standard or right-to-left control
// that keeps its caption (or items), hint, width, height and horizontal position for each language,
// records into them whatever the program changes for the language it shows, and answers the
// language messages of its form by re-applying them:
//   0x5F4 take the form's language index (nothing applied),
//   0x5F5 the language changed: caption, hint, width, height and (manual) position of the new one,
//   0x5F7 the language font (controls that follow it),
//   0x5F9 mirror an automatic position,
//   0x5FA justification (controls that follow it),
//   0x5FB right-to-left mode (controls that follow it),
//   0x5FC position mode: 0 record the present Left, 1 automatic, 2 manual.
// Every change of place or size passes through SetBounds, which records it for the shown language
// (each per-language object only when its mode says so).

#include "ui/Adapter.h"
#include "ui/subItems.h"
#include "ui/subalign.h"
#include "ui/subcaption.h"
#include "ui/subheight.h"
#include "ui/subhint.h"
#include "ui/subwidth.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

// What a member of the family has beyond hint, width, height and position, and which of the
// optional messages it follows.
enum MControlFeature : unsigned {
    mcCaption = 1u << 0,        // a caption per language
    mcItems = 1u << 1,          // items per language (list box)
    mcArabic = 1u << 2,         // M_Arabic: follows 0x5FB
    mcSelfAlign = 1u << 3,      // M_SelfAlign: follows 0x5FA
    mcSelfAlignInert = 1u << 4, // accepts 0x5FA and keeps its layout
    mcFont = 1u << 5,           // M_Font: follows 0x5F7
    mcForward = 1u << 6,        // passes 0x5F4, 0x5F5, 0x5F7, 0x5F9 and 0x5FC on to its own components
};

// The common part of the family, over the control class Base. Members are created with their owner
// (the component owner: a bilingual form, a panel, ...) and their Qt parent; with no parent given,
// an owner that is a widget is the parent too.
template <class Base>
class MBilingualControl : public Base,
                          public virtual MTag,
                          public MLanguageControl,
                          public MLoadedComponent,
                          public MHintOwner {
public:
    MBilingualControl(QObject* Owner, QWidget* Parent, unsigned Features);
    ~MBilingualControl() override;

    unsigned Features() const { return FFeatures; }
    // The language the control shows.
    int LanguageIndex() const { return FLanguageIndex; }

    // The per-language objects; M_Caption is null for a member without a caption, M_Items for one
    // without items.
    MCaption* M_Caption() const { return FCaption.get(); }
    MHint& M_Hint() const { return *FHint; }
    MWidth& M_Width() const { return *FWidth; }
    MHeight& M_Height() const { return *FHeight; }
    MAlign& M_Align() const { return *FAlign; }
    MItems* M_Items() const { return FItems.get(); }

    // Follow 0x5FB, 0x5FA, 0x5F7 (plain stores; only the members with the matching feature look at
    // them).
    bool M_Arabic = true;
    bool M_SelfAlign = true;
    bool M_Font = true;

    // The one operation through which every change of place or size passes.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    void SetLeft(int Value) { SetBounds(Value, this->y(), this->width(), this->height()); }
    void SetTop(int Value) { SetBounds(this->x(), Value, this->width(), this->height()); }
    void SetWidth(int Value) { SetBounds(this->x(), this->y(), Value, this->height()); }
    void SetHeight(int Value) { SetBounds(this->x(), this->y(), this->width(), Value); }

    // The hint of the shown language. It is shown as a tool tip only while ShowHint is on (off when
    // created), so that the language name a new control starts with is never shown.
    QString Hint() const { return FHintText; }
    void SetHint(const QString& Text);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);

    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;
    void Loaded() override { FReady = true; }
    void SetOwnerHint(const QString& Text) override;

protected:
    // Records a caption set by the program for the shown language (not while the form is built).
    void StoreCaption(const QString& Text);
    // True while the control or an owner up its chain is being built.
    bool Reading() const { return ComponentIsReading(this); }
    // 0x5FA reaches here for a member that follows it and has M_SelfAlign on.
    virtual void SelfAlignMessage(bool /*Right*/) {}
    // 0x5FB reaches here for a member that follows it and has M_Arabic on.
    virtual void ArabicMessage(bool /*On*/) {}

private:
    unsigned FFeatures;
    int FLanguageIndex = 0;
    bool FReady = false;
    std::unique_ptr<MCaption> FCaption;
    std::unique_ptr<MHint> FHint;
    std::unique_ptr<MWidth> FWidth;
    std::unique_ptr<MHeight> FHeight;
    std::unique_ptr<MAlign> FAlign;
    std::unique_ptr<MItems> FItems;
    QString FHintText;
    bool FShowHint = false;
};

// The parent a member gets: the one given, else an owner that is a widget.
QWidget* BilingualParent(QObject* Owner, QWidget* Parent);
