#include "ui/KeyboardLayout.h"

#include "ui/BiDi.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {
// No layouts to switch: the active layout is taken as US English and requests fail quietly.
class MNullKeyboardBackend : public MKeyboardBackend {
public:
    QList<unsigned> InstalledLayouts() const override { return {}; }
    unsigned ActiveLayout() const override { return EnglishLayoutId; }
    bool ActivateLayout(unsigned) override { return false; }
    bool LoadLayout(unsigned) override { return false; }
};
} // namespace

std::unique_ptr<MKeyboardBackend> CreateNullKeyboardBackend() {
    return std::make_unique<MNullKeyboardBackend>();
}

std::unique_ptr<MKeyboardBackend> CreateDefaultKeyboardBackend() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        if (auto x = CreateX11KeyboardBackend())
            return x;
    return CreateNullKeyboardBackend();
}

MKeyboardLayouts& MKeyboardLayouts::Instance() {
    static MKeyboardLayouts service;
    return service;
}

void MKeyboardLayouts::SetBackend(std::unique_ptr<MKeyboardBackend> Backend) {
    FDefault = nullptr;
    FBackend = Backend ? std::move(Backend) : CreateNullKeyboardBackend();
    FPending.reset();
    FBackend->OnLayoutChanged = [this](unsigned Id) { LayoutChanged(Id); };
}

MKeyboardBackend& MKeyboardLayouts::Backend() {
    if (!FBackend) {
        SetBackend(CreateDefaultKeyboardBackend());
        // The default back end belongs to the running application: the X11 one holds its own
        // connection to the display, which is closed while the application ends and the display is
        // still there, not when the program exits after it. A later application chooses anew.
        FDefault = FBackend.get();
        if (QCoreApplication::instance())
            qAddPostRoutine([] { Instance().ReleaseDefaultBackend(); });
    }
    return *FBackend;
}

void MKeyboardLayouts::ReleaseDefaultBackend() {
    if (FBackend && FBackend.get() == FDefault) {
        FBackend.reset();
        FPending.reset();
    }
    FDefault = nullptr;
}

bool MKeyboardLayouts::IsArabicKeyboard() {
    return Backend().ActiveLayout() == ArabicLayoutId;
}

void MKeyboardLayouts::SelectKeyboardLayout(bool Arabic) {
    MKeyboardBackend& b = Backend();
    if (IsArabicKeyboard() == Arabic)
        return;
    // The installed layout that gives what is wanted, searched from the last entry down; it is
    // requested once, so exactly one notice comes back as the program's own.
    const QList<unsigned> installed = b.InstalledLayouts();
    for (auto i = installed.size(); i-- > 0;) {
        const unsigned id = installed[i];
        if ((id == ArabicLayoutId) != Arabic)
            continue;
        // The notice may come back before the request returns.
        FPending = id;
        if (b.ActivateLayout(id))
            return;
        FPending.reset();
    }
    const unsigned wanted = Arabic ? ArabicLayoutId : EnglishLayoutId;
    FPending = wanted;
    if (!b.LoadLayout(wanted))
        FPending.reset();
}

void MKeyboardLayouts::AddListener(MKeyboardListener* Listener) {
    if (Listener && !FListeners.contains(Listener))
        FListeners.append(Listener);
}

void MKeyboardLayouts::RemoveListener(MKeyboardListener* Listener) {
    FListeners.removeAll(Listener);
}

void MKeyboardLayouts::LayoutChanged(unsigned Id) {
    const std::optional<unsigned> pending = FPending;
    FPending.reset();
    if (pending && *pending == Id)
        return;
    const int charset = CharsetOfLayout(Id);
    const QList<MKeyboardListener*> listeners = FListeners;
    for (auto* l : listeners)
        if (FListeners.contains(l))
            l->KeyboardLayoutChanged(Id, charset);
}

int MKeyboardLayouts::CharsetOfLayout(unsigned Id) {
    // The primary language is the low ten bits of the language part; 0x01 is Arabic.
    return (Id & 0x3FF) == 0x01 ? ARABIC_CHARSET : ANSI_CHARSET;
}
