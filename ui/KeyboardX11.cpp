// The X11 back end of the keyboard-layout service: the layouts are the XKB groups of the core
// keyboard, switching locks a group, and the group changes of the server come back as notices.
// Its own connection to the display keeps it apart from Qt's.
#include "ui/KeyboardLayout.h"

#include "ui/BiDi.h"

#include <QByteArray>
#include <QSocketNotifier>

#ifdef KDS_HAVE_X11
// The X headers come last: their macros clash with names used by Qt.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

// The identifier of a group from its name in the keymap ("Arabic", "English (US)", ...).
unsigned LayoutOfGroupName(const QByteArray& Name) {
    if (Name.startsWith("Arabic"))
        return ArabicLayoutId;
    if (Name.startsWith("English (US"))
        return EnglishLayoutId;
    return 0;
}

class MX11KeyboardBackend : public MKeyboardBackend {
public:
    explicit MX11KeyboardBackend(Display* D, int XkbEventBase) : FDisplay(D), FXkbEvent(XkbEventBase) {
        XkbSelectEventDetails(FDisplay, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask, XkbGroupStateMask);
        XkbSelectEventDetails(FDisplay, XkbUseCoreKbd, XkbNamesNotify, XkbGroupNamesMask, XkbGroupNamesMask);
        ReadGroups();
        FNotifier = new QSocketNotifier(ConnectionNumber(FDisplay), QSocketNotifier::Read);
        QObject::connect(FNotifier, &QSocketNotifier::activated, [this] { ReadEvents(); });
        XFlush(FDisplay);
    }
    ~MX11KeyboardBackend() override {
        delete FNotifier;
        XCloseDisplay(FDisplay);
    }

    QList<unsigned> InstalledLayouts() const override { return FGroups; }

    unsigned ActiveLayout() const override {
        XkbStateRec state;
        if (XkbGetState(FDisplay, XkbUseCoreKbd, &state) != Success)
            return 0;
        return FGroups.value(state.group, 0);
    }

    bool ActivateLayout(unsigned Id) override {
        const auto group = FGroups.indexOf(Id);
        if (group < 0)
            return false;
        if (!XkbLockGroup(FDisplay, XkbUseCoreKbd, static_cast<unsigned>(group)))
            return false;
        XFlush(FDisplay);
        return true;
    }

    // The user's keymap is theirs: a layout they have not installed is not added.
    bool LoadLayout(unsigned) override { return false; }

private:
    void ReadGroups() {
        FGroups.clear();
        XkbDescPtr desc = XkbAllocKeyboard();
        if (!desc)
            return;
        if (XkbGetNames(FDisplay, XkbGroupNamesMask, desc) == Success && desc->names) {
            for (int g = 0; g < XkbNumKbdGroups; ++g) {
                const Atom a = desc->names->groups[g];
                if (a == None)
                    break;
                char* name = XGetAtomName(FDisplay, a);
                FGroups.append(LayoutOfGroupName(QByteArray(name ? name : "")));
                if (name)
                    XFree(name);
            }
        }
        XkbFreeKeyboard(desc, 0, True);
    }

    void ReadEvents() {
        while (XPending(FDisplay) > 0) {
            XEvent ev;
            XNextEvent(FDisplay, &ev);
            if (ev.type != FXkbEvent)
                continue;
            const auto* xkb = reinterpret_cast<const XkbEvent*>(&ev);
            if (xkb->any.xkb_type == XkbNamesNotify) {
                ReadGroups();
            } else if (xkb->any.xkb_type == XkbStateNotify && (xkb->state.changed & XkbGroupStateMask)) {
                if (OnLayoutChanged)
                    OnLayoutChanged(FGroups.value(xkb->state.group, 0));
            }
        }
    }

    Display* FDisplay;
    int FXkbEvent;
    QSocketNotifier* FNotifier = nullptr;
    QList<unsigned> FGroups;
};

} // namespace

std::unique_ptr<MKeyboardBackend> CreateX11KeyboardBackend() {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return nullptr;
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(d, &opcode, &event, &error, &major, &minor)) {
        XCloseDisplay(d);
        return nullptr;
    }
    return std::make_unique<MX11KeyboardBackend>(d, event);
}

#else

std::unique_ptr<MKeyboardBackend> CreateX11KeyboardBackend() {
    return nullptr;
}

#endif
