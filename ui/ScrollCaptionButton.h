#pragma once
// What the multi-state caption buttons share: the state list with the button's own index event, the
// caption recorded for the current state, and the language font for buttons that keep their own.

#include "ui/Adapter.h"
#include "ui/control_m.h"
#include "ui/subScrollCaption.h"

#include <QColor>
#include <QFont>

#include <cstdint>

// Calls Apply(font, colour) with the language font of a 0x5F7 message.
template <class ApplyFn>
void ApplyLanguageFontMessage(std::intptr_t WParam, ApplyFn Apply) {
    if (const MLanguageFont* f = UnpackFont(WParam))
        Apply(f->Font(), f->Color());
}

// Wires the list's event to the button's own: fired with the button as sender.
template <class Button>
void WireIndexChange(Button* B) {
    B->M_CaptionList().OnIndexChange = [B](QObject*) {
        if (B->OnIndexChange)
            B->OnIndexChange(B);
    };
}

// A multi-state caption button over a button of this library that draws its own caption in its own
// font (the flat and the hemisphere buttons): a click steps the caption list before the base
// button's click, a caption set by the program is recorded for the current state, and the language
// font is the button's font and font colour. Defined in ui/ScrollCaptionButton.tpp.
template <class Base>
class MScrollCaptionButton : public MBilingualControl<Base> {
public:
    MScrollCaptionButton(QObject* Owner, QWidget* Parent);

    MCaptionList& M_CaptionList() { return FCaptionList; }
    // Shows the caption and records it for the current state.
    void SetCaption(const QString& Text);
    void Click() override;
    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

    TNotifyEvent OnIndexChange;

private:
    MCaptionList FCaptionList;
};

// A multi-state caption button over a standard button (the speed and bitmap buttons): every click
// steps the caption list before the button's clicked signal goes out, and a caption set by the
// program is recorded for the current state.
template <class Base>
class MScrollStateButton : public MBilingualControl<Base> {
public:
    MScrollStateButton(QObject* Owner, QWidget* Parent)
        : MBilingualControl<Base>(Owner, Parent, mcSelfAlignInert | mcFont), FCaptionList(this) {
        WireIndexChange(this);
    }

    MCaptionList& M_CaptionList() { return FCaptionList; }
    QString Caption() const { return this->text(); }
    void SetCaption(const QString& Text) {
        this->setText(Text);
        if (!this->Reading())
            FCaptionList.StoreCurrentCaption(Text);
    }

    TNotifyEvent OnIndexChange;

protected:
    // Runs for every click, before the clicked signal.
    void nextCheckState() override {
        if (FCaptionList.Enable)
            FCaptionList.ScrollNext();
        Base::nextCheckState();
    }

    MCaptionList FCaptionList;
};
