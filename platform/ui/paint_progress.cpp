#include "platform/ui/paint_progress.h"

#include "platform/ui/dialog.h"
#include "platform/ui/test_driver.h"

#include <QCoreApplication>
#include <QWidget>

void ShowPaintProgress(CDialog& dialog) {
    QWidget* widget = dialog.Widget();
    if (widget == nullptr || DialogDriver::Active() != nullptr) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (dialog.IsWindow() && widget->isVisible()) widget->repaint();
}
