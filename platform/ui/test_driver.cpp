#include "platform/ui/test_driver.h"

#include "platform/ui/dialog_widget.h"
#include "platform/ui/qt_paint_surface.h"

#include <QPixmap>

namespace {

DialogDriver* g_driver = nullptr;

std::string Named(int templateId) { return "template " + std::to_string(templateId); }

}  // namespace

DialogDriver::DialogDriver() : previous_(g_driver) { g_driver = this; }

DialogDriver::~DialogDriver() { g_driver = previous_; }

DialogDriver* DialogDriver::Active() { return g_driver; }

void DialogDriver::ExpectModal(int templateId, Script script) {
    scripts_.push_back({templateId, std::move(script)});
}

bool DialogDriver::RunScript(CDialog& dialog) {
    if (scripts_.empty()) {
        failures_.push_back("modal run of " + Named(dialog.TemplateId()) + " without a script");
        dialog.EndDialog(IDCANCEL);
        return false;
    }
    Pending next = std::move(scripts_.front());
    scripts_.pop_front();
    if (next.templateId != dialog.TemplateId()) {
        failures_.push_back("modal run of " + Named(dialog.TemplateId()) + " where " + Named(next.templateId) +
                            " was expected");
        dialog.EndDialog(IDCANCEL);
        return false;
    }
    next.script(dialog);
    if (!dialog.IsEnded()) {
        failures_.push_back(Named(dialog.TemplateId()) + " left open by its script");
        dialog.EndDialog(IDCANCEL);
        return false;
    }
    return true;
}

bool DialogDriver::AnswerQuestion(std::u16string_view text) {
    RecordMessage(text);
    if (answers_.empty()) return false;
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
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

bool RenderToPng(CDialog& dialog, const std::filesystem::path& file) {
    DialogWidget* widget = DialogAccess::WidgetOf(dialog);
    if (!widget) return false;
    DialogAccess::DispatchPaint(dialog);
    return widget->grab().save(QString::fromStdU16String(file.u16string()), "PNG");
}
