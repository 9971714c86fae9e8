// The main of the tests that need windows: a headless QApplication unless a
// platform is named (test discovery runs the binaries outside CTest's
// environment), showing logical pixels one to one unless a scale is named.

#include "platform/ui/ui_scale.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("VANTREL_SCALE")) qputenv("VANTREL_SCALE", "1");
    ::testing::InitGoogleTest(&argc, argv);
    PrepareDesktopScale();
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
