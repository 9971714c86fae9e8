#include "platform/ui/ui_scale.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// The dots per inch of a desktop at 100% on Linux.
constexpr double kBaseDpi = 96;

double ScreenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

// The desktop's scale as it asks for it (1.5 at 150%): the device pixel ratio,
// and what rounding it left in the logical dots per inch.
double DesktopScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 1.0;
    const double scale = screen->devicePixelRatio() * screen->logicalDotsPerInch() / kBaseDpi;
    return scale > 0 ? scale : 1.0;
}

}  // namespace

void PrepareDesktopScale() {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
}

double UiScale() {
    bool ok = false;
    const double fromEnv = qEnvironmentVariable("VANTREL_SCALE").toDouble(&ok);
    if (ok && fromEnv > 0) return fromEnv;
    return kProgramScale * DesktopScale();
}

double WidgetScale(double uiScale) { return uiScale / ScreenRatio(); }
