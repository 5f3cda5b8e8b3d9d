// Main of the tests under a real window system: Xvfb with openbox is started and Qt runs on xcb over
// it; without them Qt runs offscreen and the tests skip themselves (dockx11::Running() is false).

#include "tests/support/TestSupport.h"
#include "tests/ui/DockX11Support.h"
#include "ui/UApplication.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kdstest::IsolateUserSettings();
    std::string why;
    if (!dockx11::Start(why)) {
        std::fprintf(stderr, "tests under X11 skipped: %s\n", why.c_str());
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    int rc = 0;
    {
        TApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    dockx11::Stop();
    return rc;
}
