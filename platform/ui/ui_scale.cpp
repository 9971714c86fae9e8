#include "platform/ui/ui_scale.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

double ScreenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

double UiScale() {
    bool ok = false;
    const double fromEnv = qEnvironmentVariable("VANTREL_SCALE").toDouble(&ok);
    if (ok && fromEnv > 0) return fromEnv;
    const double desktop = ScreenRatio();
    return desktop > 1.0 ? desktop : 2.0;
}

double WidgetScale(double uiScale) { return uiScale / ScreenRatio(); }
