// The application object and the program's start without a display.

#include "platform/ui/win_app.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int StartWithoutDisplay() {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    char name[] = "vantrel";
    char* argv[] = {name, nullptr};
    return RunWinApp(1, argv);
}

TEST(WinAppDeathTest, WithoutADisplayTheProgramSaysSoAndEnds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(StartWithoutDisplay()), testing::ExitedWithCode(1),
                "vantrel: no display found: set DISPLAY or start Vantrel from a desktop session");
}

}  // namespace
