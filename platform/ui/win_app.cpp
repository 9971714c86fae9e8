#include "platform/ui/win_app.h"

#include "platform/paint/fonts.h"
#include "platform/ui/ui_scale.h"

#include <QApplication>

#include <cstdio>

namespace {

CWinApp* g_app = nullptr;

constexpr char16_t kDefaultAppName[] = u"Vantrel";

// Qt aborts when it finds no display, so the program looks first and says so itself.
bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

CWinApp::CWinApp(const char16_t* appName) : appName_(appName ? appName : kDefaultAppName) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

std::u16string AfxAppName() { return g_app ? g_app->AppName() : std::u16string(kDefaultAppName); }

int RunWinApp(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs("vantrel: no display found: set DISPLAY or start Vantrel from a desktop session\n", stderr);
        return 1;
    }
    PrepareDesktopScale();
    QApplication application(argc, argv);
    // Modal runs are loops of their own; a window closing must never end them all.
    application.setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("vantrel"));
    QApplication::setFont(DefaultUiFont(WidgetScale(UiScale())));
    CWinApp* app = AfxGetApp();
    if (!app) {
        std::fputs("vantrel: no application object\n", stderr);
        return 1;
    }
    return app->InitInstance() ? application.exec() : 0;
}
