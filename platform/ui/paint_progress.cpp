#include "platform/ui/paint_progress.h"

#include "platform/ui/dialog.h"
#include "platform/ui/dialog_widget.h"

#include <QCoreApplication>
#include <QWidget>

void ShowPaintProgress(CDialog& dialog) {
    QWidget* widget = dialog.Widget();
    if (widget == nullptr) return;
    DialogAccess::ShowTextsDrawnSoFar(dialog);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (dialog.IsWindow() && widget->isVisible()) widget->repaint();
}
