#pragma once
// The bilingual toolbar and toolbar button. The toolbar keeps its caption (the floating caption)
// and its hint per language and follows the language's right-to-left switch with its Arabic
// caption; the button keeps its hint per language, its caption is the same in every language. Both
// answer only the language messages they need: 0x5F4 and 0x5F5, and 0x5FB for the toolbar.

#include "ui/Adapter.h"
#include "ui/DockCtls.h"
#include "ui/DockTlbr.h"
#include "ui/subcaption.h"

#include <memory>

class MDockToolBar : public TDockToolbar,
                     public virtual MTag,
                     public MLanguageControl,
                     public MLoadedComponent,
                     public MCaptionOwner,
                     public MHintOwner {
    Q_OBJECT
public:
    // Owner: the form (or a component owner on the way to a bilingual form) whose language the
    // toolbar takes.
    explicit MDockToolBar(QWidget* Owner);
    ~MDockToolBar() override;

    // The floating caption; setting it records it for the shown language unless the form is being
    // built.
    QString Caption() const { return TDockToolbar::Caption(); }
    void SetCaption(const QString& Value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value);
    MCaption& M_Caption() const { return *FCaption; }
    MHint& M_Hint() const { return *FHintTexts; }
    // Follow the language's right-to-left switch (0x5FB) with Arabic.
    bool M_Arabic = true;
    int LanguageIndex() const { return FLanguageIndex; }
    bool IsLoaded() const { return FLoaded; }

    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;
    // The form has finished loading: then the tool window's own finishing step.
    void Loaded() override;
    void SetOwnerCaption(const QString& Text) override;
    void SetOwnerHint(const QString& Text) override;

private:
    int FLanguageIndex = 0;
    bool FLoaded = false;
    QString FHint;
    std::unique_ptr<MCaption> FCaption;
    std::unique_ptr<MHint> FHintTexts;
};

class MDockToolBarButton : public TDockToolbarButton,
                           public MLanguageControl,
                           public MLoadedComponent,
                           public MHintOwner {
    Q_OBJECT
public:
    // With no parent given, an owner that is a widget is the parent too.
    explicit MDockToolBarButton(QObject* Owner, QWidget* Parent = nullptr);
    ~MDockToolBarButton() override;

    // The hint of the shown language: the button's tool tip while ShowHint is on (off when made, so
    // that the language name a new button starts with is never shown).
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    MHint& M_Hint() const { return *FHintTexts; }
    int LanguageIndex() const { return FLanguageIndex; }
    bool IsLoaded() const { return FLoaded; }

    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;
    void Loaded() override;
    void SetOwnerHint(const QString& Text) override;

private:
    int FLanguageIndex = 0;
    bool FLoaded = false;
    bool FShowHint = false;
    QString FHint;
    std::unique_ptr<MHint> FHintTexts;
};
