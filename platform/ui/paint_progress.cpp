#include "platform/ui/paint_progress.h"

#include "platform/ui/dialog.h"

#include <QCoreApplication>
#include <QWidget>

void ShowPaintProgress(CDialog& dialog) {
    QWidget* widget = dialog.Widget();
    if (widget == nullptr) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (dialog.IsWindow() && widget->isVisible()) widget->repaint();
}
