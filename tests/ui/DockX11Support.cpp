#include "tests/ui/DockX11Support.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dockx11 {
namespace {
pid_t XvfbPid = -1;
pid_t WmPid = -1;
Display* Dpy = nullptr;

bool OnPath(const char* Name) {
    const char* path = std::getenv("PATH");
    std::string all = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= all.size()) {
        const std::size_t end = all.find(':', start);
        const std::string dir = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (access((dir + "/" + Name).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

pid_t Spawn(const char* const* Argv, int KeepFd) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        for (int fd = 3; fd < 256; ++fd)
            if (fd != KeepFd)
                close(fd);
        execvp(Argv[0], const_cast<char* const*>(Argv));
        _exit(127);
    }
    return pid;
}

void Kill(pid_t& Pid) {
    if (Pid <= 0)
        return;
    kill(Pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(Pid, nullptr, WNOHANG) == Pid) {
            Pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
    Pid = -1;
}

bool WindowManagerRunning() {
    const Atom check = XInternAtom(Dpy, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(Dpy, DefaultRootWindow(Dpy), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &data) == Success &&
                       count == 1;
    if (data)
        XFree(data);
    return found;
}
} // namespace

bool Start(std::string& Why) {
    if (!OnPath("Xvfb") || !OnPath("openbox")) {
        Why = "Xvfb or openbox is not installed";
        return false;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        Why = "no pipe";
        return false;
    }
    const std::string fd = std::to_string(fds[1]);
    const char* xvfb[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                          "1280x1024x24", "-nolisten",  "tcp",      nullptr};
    XvfbPid = Spawn(xvfb, fds[1]);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        Stop();
        Why = "Xvfb did not start";
        return false;
    }
    const std::string display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    Dpy = XOpenDisplay(display.c_str());
    if (!Dpy) {
        Stop();
        Why = "cannot open the Xvfb display";
        return false;
    }
    const char* wm[] = {"openbox", "--sm-disable", nullptr};
    WmPid = Spawn(wm, -1);
    for (int i = 0; i < 250 && !WindowManagerRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!WindowManagerRunning()) {
        Stop();
        Why = "openbox did not start";
        return false;
    }
    int event, error, major, minor;
    if (!XTestQueryExtension(Dpy, &event, &error, &major, &minor)) {
        Stop();
        Why = "the display has no XTEST extension";
        return false;
    }
    return true;
}

void Stop() {
    if (Dpy) {
        XCloseDisplay(Dpy);
        Dpy = nullptr;
    }
    Kill(WmPid);
    Kill(XvfbPid);
}

bool Running() {
    return Dpy != nullptr;
}

void Click(int X, int Y) {
    XTestFakeMotionEvent(Dpy, -1, X, Y, CurrentTime);
    XTestFakeButtonEvent(Dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(Dpy, 1, False, CurrentTime);
    XFlush(Dpy);
}

unsigned long ForeignWindowTakesFocus() {
    const Window w = XCreateSimpleWindow(Dpy, DefaultRootWindow(Dpy), 900, 700, 200, 150, 0, 0, 0xFFFFFF);
    XMapRaised(Dpy, w);
    XSync(Dpy, False);
    for (int i = 0; i < 100; ++i) {
        XWindowAttributes a;
        XGetWindowAttributes(Dpy, w, &a);
        if (a.map_state == IsViewable)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XSetInputFocus(Dpy, w, RevertToPointerRoot, CurrentTime);
    XFlush(Dpy);
    return w;
}

void DestroyForeignWindow(unsigned long W) {
    XDestroyWindow(Dpy, W);
    XFlush(Dpy);
}

namespace {
// The child of the root that holds W: W itself or the frame a window manager put around it.
Window TopLevelOf(Window W) {
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(Dpy, W, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            return W;
        W = parent;
    }
}
} // namespace

bool StackedAbove(unsigned long Upper, unsigned long Lower) {
    XSync(Dpy, False);
    const Window upper = TopLevelOf(Upper), lower = TopLevelOf(Lower);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!upper || !lower || !XQueryTree(Dpy, DefaultRootWindow(Dpy), &root, &parent, &children, &count))
        return false;
    // The root's children run from the bottom of the stack to its top.
    int upperAt = -1, lowerAt = -1;
    for (unsigned i = 0; i < count; ++i) {
        if (children[i] == upper)
            upperAt = int(i);
        if (children[i] == lower)
            lowerAt = int(i);
    }
    if (children)
        XFree(children);
    return upperAt >= 0 && lowerAt >= 0 && upperAt > lowerAt;
}

} // namespace dockx11
