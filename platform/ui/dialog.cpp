#include "platform/ui/dialog.h"

#include "platform/paint/bitmap_images.h"
#include "platform/paint/qt_paint_surface.h"
#include "platform/recording_surface.h"
#include "platform/ui/accessible_names.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/message_box.h"
#include "platform/ui/modal_hook.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/ui_scale.h"

#include <QEventLoop>
#include <QApplication>
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
    bool bufferFresh = false;  // painted by the program and not yet shown
    bool painting = false;
    bool repaintPending = false;
    bool paintScheduled = false;
    bool positioned = false;
    bool hookWaiting = false;  // offered to the modal hook, which waits for the runs above it to end
    int paintsBelow = 0;         // paint handlers running when its modal run began
    int busy = 0;  // dispatches running on this dialog
    const std::vector<DrawnText>* drawing = nullptr;  // the texts of the paint running
    bool destroyPending = false;
};

namespace {

std::vector<CDialog*> g_modalRuns;   // the innermost run last
std::vector<CDialog*> g_dispatching; // dialogs whose handlers are running, the innermost last
int g_paintsRunning = 0;

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

// Every dialog window on the screen paints afresh, as the handheld repaints the
// windows a closed dialog uncovers.
void RepaintVisibleDialogs() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* widget = dynamic_cast<DialogWidget*>(top); widget && widget->isVisible()) widget->update();
    }
}

// The window a new dialog opens from: the one whose handler is running, else the innermost modal run.
QWidget* OpenerOf(const CDialog* dialog) {
    for (auto it = g_dispatching.rbegin(); it != g_dispatching.rend(); ++it) {
        if (*it != dialog && (*it)->Widget() && (*it)->Widget()->isVisible()) return (*it)->Widget();
    }
    for (auto run = g_modalRuns.rbegin(); run != g_modalRuns.rend(); ++run) {
        if (*run != dialog) return (*run)->Widget();
    }
    return nullptr;
}

}  // namespace

CDialog::CDialog(int templateId, CDialog* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
    if (!window_) return;
    Forget(g_modalRuns, this);
    Forget(g_dispatching, this);
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
    w.paintsBelow = g_paintsRunning;
    OnInitDialog();
    if (!w.ended) {
        ShowWindow(true);
        OfferToHook();
        QEventLoop loop;
        w.loop = &loop;
        if (!w.ended) loop.exec();
        w.loop = nullptr;
    }
    Forget(g_modalRuns, this);
    const int result = w.result;
    DestroyNow(false);
    RepaintVisibleDialogs();
    ResumeWaitingHook();
    return result;
}

void CDialog::ResumeWaitingHook() {
    if (!g_modalRuns.empty() && g_modalRuns.back()->window_->hookWaiting) g_modalRuns.back()->OfferToHook();
}

// The one place the modal hook is called. It acts from inside the run, once the
// window has had its first paint, no run opened above it and no paint handler
// runs beneath it (a long first paint lets events through, but no input), as a
// person would.
void CDialog::OfferToHook() {
    window_->hookWaiting = false;
    QMetaObject::invokeMethod(
        window_->widget,
        [this] {
            const ModalHook& hook = CurrentModalHook();
            if (!hook || !window_ || window_->ended) return;
            if (g_modalRuns.empty() || g_modalRuns.back() != this || g_paintsRunning > window_->paintsBelow) {
                window_->hookWaiting = true;
                return;
            }
            if (window_->firstPaintPending) DispatchPaint(false);
            // The hook is the person at the window in front, which has the keyboard.
            QApplication::setActiveWindow(window_->widget);
            if (!window_->ended) hook(*this);
        },
        Qt::QueuedConnection);
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
    QWidget* host = parent_ ? parent_->Widget() : OpenerOf(this);
    if (w.modal) widget->setWindowModality(Qt::ApplicationModal);
    if (host) {
        // Stacked above the window it opens from (even one not on the screen
        // yet), without being owned by it.
        widget->winId();
        host->winId();
        widget->windowHandle()->setTransientParent(host->windowHandle());
    }
    if (!w.positioned) CenterOn(widget, host ? host->frameGeometry() : ScreenArea());
    widget->show();
    // Windows made from this one before it showed (the Installation window) stay above it.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* other = dynamic_cast<DialogWidget*>(top);
        if (other && other != widget && other->isVisible() && other->Dialog() && other->Dialog()->Parent() == this &&
            QGuiApplication::platformName() != u"offscreen") {
            other->raise();
        }
    }
    if (!w.shown) {
        // The first paint comes from the event loop once the window is up, never
        // from inside a paint event: a first paint may run a modal loop.
        w.shown = true;
        w.firstPaintPending = true;
        Invalidate();
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
    g_dispatching.push_back(this);
    if (window_) ++window_->busy;
}

void CDialog::LeaveDispatch() {
    const auto last = std::find(g_dispatching.rbegin(), g_dispatching.rend(), this);
    if (last != g_dispatching.rend()) g_dispatching.erase(std::next(last).base());
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
    DialogWidget* widget = w.widget;
    EnterDispatch();
    RunPaintHandler();
    if (!w.destroyPending) {
        w.bufferFresh = true;
        if (repaintNow && widget->isVisible()) widget->repaint();
        else widget->update();
        if (w.repaintPending) {
            w.repaintPending = false;
            Invalidate();
        }
    }
    LeaveDispatch();
}

void CDialog::PaintForEvent() {
    if (!window_) return;
    Window& w = *window_;
    if (w.bufferFresh) {
        w.bufferFresh = false;
        return;
    }
    // The first paint waits for its own dispatch; a running handler is not entered again.
    if (w.firstPaintPending || w.painting || w.destroyPending) return;
    EnterDispatch();
    RunPaintHandler();
    LeaveDispatch();
}

void CDialog::RunPaintHandler() {
    Window& w = *window_;
    w.firstPaintPending = false;
    w.painting = true;
    ++g_paintsRunning;
    DialogWidget* widget = w.widget;
    std::vector<DrawnText> drawn;
    {
        QtPaintSurface screen(widget->Buffer(), widget->Scale(), ClientWidth(), ClientHeight());
        screen.FillRect({0, 0, ClientWidth(), ClientHeight()}, kWhite);
        RecordingSurface surface(&screen);
        w.drawing = &surface.texts;
        PaintOn(surface);
        w.drawing = nullptr;
        drawn = std::move(surface.texts);
    }
    w.painting = false;
    --g_paintsRunning;
    if (!w.destroyPending) {
        std::vector<DrawnText> shown = ShownTexts(drawn);
        NameControlsFromLabels(*widget, shown);
        widget->PaintedTexts().Update(std::move(shown));
    }
    ResumeWaitingHook();
    ShowWaitingMessages();
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

void CDialog::SetAccessibleDescription(std::u16string_view text) {
    if (window_ && window_->widget->accessibleDescription() != ToQString(text)) {
        window_->widget->setAccessibleDescription(ToQString(text));
    }
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

void DialogAccess::PaintForEvent(CDialog& dialog) { dialog.PaintForEvent(); }

QWidget* DialogAccess::ActiveWindow() { return OpenerOf(nullptr); }

void DialogAccess::ShowTextsDrawnSoFar(CDialog& dialog) {
    const CDialog::Window* w = dialog.window_.get();
    if (w && w->drawing && !w->destroyPending) w->widget->PaintedTexts().Update(ShownTexts(*w->drawing));
}

bool DialogAccess::PaintRunning() {
    const int below = g_modalRuns.empty() || !g_modalRuns.back()->window_ ? 0 : g_modalRuns.back()->window_->paintsBelow;
    return g_paintsRunning > below;
}
