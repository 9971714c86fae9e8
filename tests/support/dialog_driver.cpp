#include "support/dialog_driver.h"

#include "platform/paint/qt_paint_surface.h"
#include "platform/ui/command_table.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>

namespace {

// The innermost driver answers the message boxes.
DialogDriver* g_driver = nullptr;

std::string Named(int templateId) { return "template " + std::to_string(templateId); }

}  // namespace

DialogDriver::DialogDriver()
    : previousHook_(SetModalHook([this](CDialog& dialog) { RunScript(dialog); })), previous_(g_driver) {
    g_driver = this;
    qApp->installEventFilter(this);
}

DialogDriver::~DialogDriver() {
    qApp->removeEventFilter(this);
    g_driver = previous_;
    SetModalHook(std::move(previousHook_));
}

void DialogDriver::ExpectModal(int templateId, Script script) {
    scripts_.push_back({templateId, std::move(script)});
}

void DialogDriver::RunScript(CDialog& dialog) {
    if (scripts_.empty()) {
        failures_.push_back("modal run of " + Named(dialog.TemplateId()) + " without a script");
        dialog.EndDialog(IDCANCEL);
        return;
    }
    Pending next = std::move(scripts_.front());
    scripts_.pop_front();
    if (next.templateId != dialog.TemplateId()) {
        failures_.push_back("modal run of " + Named(dialog.TemplateId()) + " where " + Named(next.templateId) +
                            " was expected");
        dialog.EndDialog(IDCANCEL);
        return;
    }
    next.script(dialog);
    if (!dialog.IsEnded()) {
        failures_.push_back(Named(dialog.TemplateId()) + " left open by its script");
        dialog.EndDialog(IDCANCEL);
    }
}

// A message box that shows is read and answered, from its own loop: with OK,
// or a question with the answer queued for it, else No.
bool DialogDriver::eventFilter(QObject* watched, QEvent* event) {
    auto* box = event->type() == QEvent::Show ? qobject_cast<QMessageBox*>(watched) : nullptr;
    if (box && g_driver == this) {
        messages_.push_back(box->text().toStdU16String());
        QMessageBox::StandardButton answer = QMessageBox::Ok;
        if (box->button(QMessageBox::Yes)) {
            answer = !answers_.empty() && answers_.front() ? QMessageBox::Yes : QMessageBox::No;
            if (!answers_.empty()) answers_.pop_front();
        }
        QMetaObject::invokeMethod(box, [box, answer] { box->done(answer); }, Qt::QueuedConnection);
    }
    return false;
}

RecordingSurface RecordPaint(CDialog& dialog) {
    const int width = dialog.ClientWidth(), height = dialog.ClientHeight();
    // An image of its own: the window's buffer may be in use by a paint that is still running.
    QImage image(width, height, QImage::Format_RGB32);
    RecordingSurface result(nullptr, width, height);
    {
        QtPaintSurface screen(image, 1.0, width, height);
        screen.FillRect({0, 0, width, height}, kWhite);
        RecordingSurface record(&screen, width, height);
        dialog.PaintOn(record);
        result.texts = std::move(record.texts);
        result.lines = std::move(record.lines);
        result.rects = std::move(record.rects);
        result.fills = std::move(record.fills);
    }
    return result;
}
