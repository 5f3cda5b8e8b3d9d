#pragma once
// A private X display for the dock tests that need a real window system: Xvfb with the openbox
// window manager, and the few X requests the tests make themselves (real pointer clicks through the
// XTEST extension, another client's window taking the focus). Kept apart from
// Qt's headers, since Xlib's macros collide with Qt's names.

#include <string>

// Skips the test (gtest) when no display of its own runs.
#define SKIP_WITHOUT_X11()                                                                                   \
    if (!dockx11::Running())                                                                                 \
    GTEST_SKIP() << "no X display"

namespace dockx11 {
// Starts Xvfb and openbox and points DISPLAY at them; false (with the reason) when either cannot run.
bool Start(std::string& Why);
void Stop();
// The display started and still running.
bool Running();
// A real click (press and release of the left button) at a screen point.
void Click(int X, int Y);
// Maps a window of another client and gives it the focus; Destroy takes it away again.
unsigned long ForeignWindowTakesFocus();
void DestroyForeignWindow(unsigned long Window);
// Whether the window Upper (or its window manager's frame) is stacked above Lower (or its frame).
bool StackedAbove(unsigned long Upper, unsigned long Lower);
} // namespace dockx11
