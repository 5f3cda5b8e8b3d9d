#pragma once
// What the multi-state caption buttons share: the state list with the button's own index event, the
// caption recorded for the current state, and the language font for buttons that keep their own.

#include "ui/Adapter.h"
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
