// Main of the widget tests: one QApplication on the offscreen platform and isolated settings.
#include "tests/support/TestSupport.h"
#include "ui/UApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    kdstest::IsolateUserSettings();
    TApplication app(argc, argv);
    TApplication::setOrganizationName(QStringLiteral("Korvane"));
    TApplication::setApplicationName(QStringLiteral("JXW777-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
