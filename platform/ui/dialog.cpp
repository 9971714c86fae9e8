#include "platform/ui/dialog.h"

#include "platform/ui/dialog_widget.h"
#include "platform/ui/qt_paint_surface.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/resources_qt.h"
#include "platform/ui/test_driver.h"
#include "platform/ui/ui_scale.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <vector>

struct CDialog::Window {
    DialogWidget* widget = nullptr;  // owned
    QEventLoop* loop = nullptr;      // the modal run, while it waits for the person
    bool modal = false;
    bool ended = false;
    int result = IDCANCEL;
    bool shown = false;
    bool firstPaintPending = false;
    bool painting = false;
    bool repaintPending = false;
    bool paintScheduled = false;
    bool positioned = false;
    int busy = 0;  // dispatches running on this dialog
    bool destroyPending = false;
};

namespace {

std::vector<CDialog*> g_modalRuns;  // the innermost run last
std::vector<CDialog*> g_firstPaints;  // scripted windows shown and not yet painted, in showing order

constexpr int kLongPaintMs = 40;

void Forget(std::vector<CDialog*>& list, const CDialog* dialog) {
    list.erase(std::remove(list.begin(), list.end(), dialog), list.end());
}

const CommandTable& NoCommands() {
    static const CommandTable table;
    return table;
}

const DialogTemplate kNoTemplate{0, u"", 0, 0, u"", 0, 0, {}};

QRect ScreenArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

void CenterOn(QWidget* widget, const QRect& area) {
    QPoint topLeft = area.center() - QPoint(widget->width() / 2, widget->height() / 2);
    const QRect screen = ScreenArea();
    topLeft.setX(std::clamp(topLeft.x(), screen.left(), std::max(screen.left(), screen.right() - widget->width())));
    topLeft.setY(std::clamp(topLeft.y(), screen.top(), std::max(screen.top(), screen.bottom() - widget->height())));
    widget->move(topLeft);
}

}  // namespace

CDialog::CDialog(int templateId, CDialog* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
    if (!window_) return;
    Forget(g_modalRuns, this);
    Forget(g_firstPaints, this);
    window_->widget->Detach();
    delete window_->widget;
}

const DialogTemplate& CDialog::Template() const {
    const DialogTemplate* found = FindDialogTemplate(templateId_);
    return found ? *found : kNoTemplate;
}

bool CDialog::MakeWindow() {
    if (window_ || !FindDialogTemplate(templateId_)) return false;
    window_ = std::make_unique<Window>();
    window_->widget = new DialogWidget(*this, UiScale());
    CreateControls(*window_->widget, Template());
    return true;
}

int CDialog::DoModal() {
    if (!MakeWindow()) return -1;
    Window& w = *window_;
    w.modal = true;
    g_modalRuns.push_back(this);
    OnInitDialog();
    if (!w.ended) {
        ShowWindow(true);
        if (DialogDriver* driver = DialogDriver::Active()) {
            DialogAccess::DispatchPendingFirstPaints();
            if (!w.ended) driver->RunScript(*this);
        } else {
            QEventLoop loop;
            w.loop = &loop;
            if (!w.ended) loop.exec();
            w.loop = nullptr;
        }
    }
    Forget(g_modalRuns, this);
    const int result = w.result;
    DestroyNow(false);
    return result;
}

bool CDialog::Create(CDialog* parent) {
    if (parent) parent_ = parent;
    if (!MakeWindow()) return false;
    OnInitDialog();
    return true;
}

void CDialog::ShowWindow(bool show) {
    if (!window_ || window_->destroyPending) return;
    Window& w = *window_;
    QWidget* widget = w.widget;
    if (!show) {
        widget->hide();
        return;
    }
    if (widget->isVisible()) return;
    const bool scripted = DialogDriver::Active() != nullptr;
    if (scripted) {
        // Scripted runs never reach the screen.
        widget->setAttribute(Qt::WA_DontShowOnScreen);
    } else {
        QWidget* host = parent_ ? parent_->Widget() : nullptr;
        for (auto run = g_modalRuns.rbegin(); !host && run != g_modalRuns.rend(); ++run) {
            if (*run != this) host = (*run)->Widget();
        }
        if (w.modal) widget->setWindowModality(Qt::ApplicationModal);
        if (host) {
            // Stacked above the window it opens from (even one not on the screen
            // yet), without being owned by it.
            widget->winId();
            host->winId();
            widget->windowHandle()->setTransientParent(host->windowHandle());
        }
        if (!w.positioned) CenterOn(widget, host ? host->frameGeometry() : ScreenArea());
    }
    widget->show();
    if (!w.shown) {
        // The first paint comes once the window is up: from the event loop,
        // or, in a scripted run, before the script starts.
        w.shown = true;
        w.firstPaintPending = true;
        if (scripted) g_firstPaints.push_back(this);
        else Invalidate();
    }
}

void CDialog::DestroyWindow() {
    if (!window_) return;
    Window& w = *window_;
    if (w.modal) {
        // The modal run takes its window down when it returns.
        if (!w.ended) EndDialog(IDCANCEL);
        return;
    }
    if (w.busy > 0) {
        w.destroyPending = true;
        w.widget->hide();
        return;
    }
    DestroyNow(false);
}

void CDialog::DestroyNow(bool deferDelete) {
    Forget(g_firstPaints, this);
    DialogWidget* widget = window_->widget;
    widget->Detach();
    widget->hide();
    if (deferDelete) widget->deleteLater();
    else delete widget;
    window_.reset();
    PostNcDestroy();
}

void CDialog::EndDialog(int result) {
    if (!window_) return;
    Window& w = *window_;
    w.result = result;
    w.ended = true;
    if (w.loop) w.loop->quit();
    w.widget->hide();
}

bool CDialog::IsWindow() const { return window_ && !window_->destroyPending; }

bool CDialog::IsEnded() const { return !window_ || window_->ended; }

bool CDialog::OnInitDialog() { return true; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::PostNcDestroy() {}

const CommandTable& CDialog::Commands() const { return NoCommands(); }

void CDialog::EnterDispatch() {
    if (window_) ++window_->busy;
}

void CDialog::LeaveDispatch() {
    if (!window_) return;
    if (--window_->busy == 0 && window_->destroyPending) DestroyNow(true);
}

void CDialog::SendCommand(int id, int code) {
    const CommandTable::Entry* entry = Commands().FindCommand(id, code);
    EnterDispatch();
    if (entry) entry->run(*this);
    else if (id == IDOK && code == kNotifyClicked) OnOK();
    else if (id == IDCANCEL && code == kNotifyClicked) OnCancel();
    LeaveDispatch();
}

void CDialog::Invalidate() {
    if (!window_ || window_->paintScheduled || window_->destroyPending) return;
    window_->paintScheduled = true;
    DialogWidget* widget = window_->widget;
    QMetaObject::invokeMethod(
        widget,
        [widget] {
            if (CDialog* dialog = widget->Dialog()) dialog->ScheduledPaint();
        },
        Qt::QueuedConnection);
}

void CDialog::ScheduledPaint() {
    if (!window_) return;
    window_->paintScheduled = false;
    DispatchPaint(false);
}

void CDialog::RedrawNow() { DispatchPaint(true); }

void CDialog::DispatchPaint(bool repaintNow) {
    if (!window_ || window_->destroyPending) return;
    Window& w = *window_;
    if (w.painting) {
        // A handler that runs a modal loop is not entered again; it gets its repaint afterwards.
        w.repaintPending = true;
        return;
    }
    w.firstPaintPending = false;
    EnterDispatch();
    w.painting = true;
    DialogWidget* widget = w.widget;
    const bool scripted = DialogDriver::Active() != nullptr;
    {
        QtPaintSurface surface(widget->Buffer(), widget->Scale(), ClientWidth(), ClientHeight());
        surface.FillRect({0, 0, ClientWidth(), ClientHeight()}, kWhite);
        if (!scripted) {
            // A long paint (the first-run import) shows its progress while it runs.
            QElapsedTimer sinceShown;
            sinceShown.start();
            surface.SetDrawHook([widget, sinceShown]() mutable {
                if (sinceShown.elapsed() < kLongPaintMs || !widget->isVisible()) return;
                widget->repaint();
                sinceShown.restart();
            });
        }
        PaintOn(surface);
    }
    w.painting = false;
    if (!w.destroyPending) {
        if (repaintNow && !scripted && widget->isVisible()) widget->repaint();
        else widget->update();
        if (w.repaintPending) {
            w.repaintPending = false;
            Invalidate();
        }
    }
    LeaveDispatch();
}

void CDialog::PaintOn(PaintSurface& surface) {
    if (const CommandTable::Entry* entry = Commands().FindPaint()) entry->paint(*this, surface);
}

void CDialog::SetWindowText(std::u16string_view text) {
    if (window_) window_->widget->setWindowTitle(ToQString(text));
}

std::u16string CDialog::WindowText() const {
    return window_ ? FromQString(window_->widget->windowTitle()) : std::u16string();
}

void CDialog::SetIcon(int iconResource) {
    if (window_) window_->widget->setWindowIcon(WindowIcon(iconResource));
}

void CDialog::CenterWindow() {
    if (!window_) return;
    QWidget* host = parent_ ? parent_->Widget() : nullptr;
    CenterOn(window_->widget, host ? host->frameGeometry() : ScreenArea());
    window_->positioned = true;
}

int CDialog::ClientWidth() const { return std::max(kScreenClientWidth, DialogUnitsToPixelsX(Template().width)); }

int CDialog::ClientHeight() const {
    return std::max(kScreenClientHeight, DialogUnitsToPixelsY(Template().height));
}

QWidget* CDialog::Widget() const { return window_ ? window_->widget : nullptr; }

QWidget* CDialog::ControlWidget(int id) const { return window_ ? window_->widget->Control(id) : nullptr; }

DialogWidget* DialogAccess::WidgetOf(const CDialog& dialog) {
    return dialog.window_ ? dialog.window_->widget : nullptr;
}

void DialogAccess::CloseBox(CDialog& dialog) {
    dialog.EnterDispatch();
    dialog.OnCancel();
    dialog.LeaveDispatch();
}

void DialogAccess::DispatchPaint(CDialog& dialog) { dialog.DispatchPaint(false); }

void DialogAccess::DispatchPendingFirstPaints() {
    // In the order the windows were shown, as the event loop would paint them. A
    // paint handler can show new windows meanwhile; a window taken down leaves the queue.
    while (!g_firstPaints.empty()) {
        CDialog* dialog = g_firstPaints.front();
        g_firstPaints.erase(g_firstPaints.begin());
        const CDialog::Window& w = *dialog->window_;
        if (w.firstPaintPending && w.widget->isVisible()) dialog->DispatchPaint(false);
    }
}
