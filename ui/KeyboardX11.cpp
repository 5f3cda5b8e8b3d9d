// The X11 keyboard-layout back end is added with the right-to-left controls.
#include "ui/KeyboardLayout.h"

std::unique_ptr<MKeyboardBackend> CreateX11KeyboardBackend() {
    return nullptr;
}
