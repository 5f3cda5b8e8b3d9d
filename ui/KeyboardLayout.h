#pragma once
// The keyboard-layout service: which layout is active, switching to the Arabic or the US English
// layout, and the notices of layout changes for the text-entry controls. The work is done by a back
// end chosen at start: X11 (XKB groups) where the station runs on X, a null back end elsewhere
// (offscreen, Wayland); tests install a fake.

#include <QList>

#include <functional>
#include <memory>
#include <optional>

// The character set of a layout as the text-entry controls see it.
constexpr int ANSI_CHARSET = 0;
constexpr int ARABIC_CHARSET = 178;

class MKeyboardBackend {
public:
    virtual ~MKeyboardBackend() = default;
    // The installed layouts, as layout identifiers (0x401, 0x409, ...; 0 for one we cannot name).
    virtual QList<unsigned> InstalledLayouts() const = 0;
    // The active layout's identifier.
    virtual unsigned ActiveLayout() const = 0;
    // Asks for an installed layout; True when the request was made.
    virtual bool ActivateLayout(unsigned Id) = 0;
    // Loads a layout that is not installed and activates it; True when done.
    virtual bool LoadLayout(unsigned Id) = 0;
    // The back end reports every change of the active layout here.
    std::function<void(unsigned Id)> OnLayoutChanged;
};

// A control that wants the notices of layout changes.
class MKeyboardListener {
public:
    virtual ~MKeyboardListener() = default;
    virtual void KeyboardLayoutChanged(unsigned Id, int Charset) = 0;
};

class MKeyboardLayouts {
public:
    static MKeyboardLayouts& Instance();

    // Installs a back end (null: the null back end); the default is chosen on first use.
    void SetBackend(std::unique_ptr<MKeyboardBackend> Backend);
    MKeyboardBackend& Backend();

    bool IsArabicKeyboard();
    void SelectKeyboardLayout(bool Arabic);
    // The layout the program asked for and whose notice is still to come.
    std::optional<unsigned> PendingLayout() const { return FPending; }

    void AddListener(MKeyboardListener* Listener);
    void RemoveListener(MKeyboardListener* Listener);
    // A layout change reported by the back end: the notice of the layout just requested is the
    // program's own and is dropped; any other goes to the listeners.
    void LayoutChanged(unsigned Id);

    static int CharsetOfLayout(unsigned Id);

private:
    MKeyboardLayouts() = default;
    // Drops the default back end chosen on first use (not one that was installed) as the
    // application ends.
    void ReleaseDefaultBackend();
    std::unique_ptr<MKeyboardBackend> FBackend;
    const MKeyboardBackend* FDefault = nullptr;
    std::optional<unsigned> FPending;
    QList<MKeyboardListener*> FListeners;
};

std::unique_ptr<MKeyboardBackend> CreateNullKeyboardBackend();
// The X11 back end, or null when the station does not run on X (or X cannot be reached).
std::unique_ptr<MKeyboardBackend> CreateX11KeyboardBackend();
// X11 on the xcb platform, the null back end elsewhere.
std::unique_ptr<MKeyboardBackend> CreateDefaultKeyboardBackend();
