#include "platform/ui/dialog_widget.h"

#include "platform/paint/fonts.h"
#include "platform/ui/date_picker.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/ui_scale.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

#include <cmath>

namespace {

Qt::WindowFlags FlagsFor(const DialogTemplate& dialogTemplate) {
    const Qt::WindowFlags kind = (dialogTemplate.style & kDlgExAppWindow) ? Qt::Window : Qt::Dialog;
    return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

}  // namespace

DialogWidget::DialogWidget(CDialog& dialog, double uiScale)
    : QWidget(nullptr, FlagsFor(dialog.Template())),
      dialog_(&dialog),
      scale_(uiScale),
      widgetScale_(WidgetScale(uiScale)),
      clientWidth_(dialog.ClientWidth()),
      clientHeight_(dialog.ClientHeight()),
      buffer_(static_cast<int>(std::lround(clientWidth_ * uiScale)),
              static_cast<int>(std::lround(clientHeight_ * uiScale)), QImage::Format_RGB32) {
    InstallAccessibility();
    buffer_.fill(Qt::white);
    setWindowTitle(ToQString(dialog.Template().caption));
    setFont(DefaultUiFont(widgetScale_));
    setFixedSize(ToWidget(clientWidth_), ToWidget(clientHeight_));
    installEventFilter(this);
}

int DialogWidget::ToWidget(int logical) const { return static_cast<int>(std::lround(logical * widgetScale_)); }

QRect DialogWidget::ToWidget(const QRect& logical) const {
    const int left = ToWidget(logical.x()), top = ToWidget(logical.y());
    return QRect(left, top, ToWidget(logical.x() + logical.width()) - left,
                 ToWidget(logical.y() + logical.height()) - top);
}

void DialogWidget::AddControl(int id, QWidget* control) {
    if (id != -1) controls_.emplace(id, control);
    WatchKeys(control);
}

QWidget* DialogWidget::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

const CImageList::Data* DialogWidget::ImageList(int id) const {
    const auto found = imageLists_.find(id);
    return found == imageLists_.end() ? nullptr : found->second;
}

void DialogWidget::AttachMenuBar(QWidget* bar, int logicalHeight) {
    bar->setParent(this);
    const int top = ToWidget(clientHeight_);
    const int height = ToWidget(clientHeight_ + logicalHeight) - top;
    bar->setGeometry(0, top, width(), height);
    setFixedSize(width(), top + height);
    bar->show();
    WatchKeys(bar);
}

void DialogWidget::WatchKeys(QWidget* child) {
    child->installEventFilter(this);
    for (QWidget* inner : child->findChildren<QWidget*>()) inner->installEventFilter(this);
}

// Whether the paint is only behind controls repainting themselves (a caret blinking).
bool DialogWidget::OnlyBehindControls(const QRegion& region) const {
    for (const QRect& rect : region) {
        bool covered = false;
        for (const auto& [id, control] : controls_) covered = covered || control->geometry().contains(rect);
        if (!covered) return false;
    }
    return true;
}

void DialogWidget::paintEvent(QPaintEvent* event) {
    // Every paint of the window runs its paint handler afresh, as the handheld's do.
    if (dialog_ && !OnlyBehindControls(event->region())) DialogAccess::PaintForEvent(*dialog_);
    // The controls paint themselves over the buffer.
    QPainter painter(this);
    painter.drawImage(QRectF(0, 0, clientWidth_ * widgetScale_, clientHeight_ * widgetScale_), buffer_);
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (dialog_) DialogAccess::CloseBox(*dialog_);
}

void DialogWidget::changeEvent(QEvent* event) {
    // Restored from the task bar: painted afresh.
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) update();
    QWidget::changeEvent(event);
}

// A wheel turned over the window (its painting, or a control that takes no
// wheel) moves the window's shown scroll bar, if it has one.
void DialogWidget::wheelEvent(QWheelEvent* event) {
    for (const auto& [id, control] : controls_) {
        auto* bar = qobject_cast<QScrollBar*>(control);
        if (bar && bar->isVisibleTo(this) && bar->isEnabled()) {
            QCoreApplication::sendEvent(bar, event);
            return;
        }
    }
    QWidget::wheelEvent(event);
}

bool DialogWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !dialog_) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!enter && key != Qt::Key_Escape) return QWidget::eventFilter(watched, event);
    // Open pop-ups (a combo box's list, the calendar) are windows of their own and keep their keys.
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this) return QWidget::eventFilter(watched, event);
    if (enter) {
        // Enter presses the push button that has the focus: a click, or for a
        // menu-bar button its pop-up.
        if (auto* tool = qobject_cast<QToolButton*>(target); tool && tool->menu()) {
            tool->showMenu();
            return true;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            button->click();
            return true;
        }
        // A date being typed is taken (or refused) before Enter confirms the dialog.
        if (auto* picker = dynamic_cast<DatePicker*>(target); picker && !picker->Commit()) return true;
    }
    // Elsewhere Enter is the dialog's default button (its Ok command) and Escape its Cancel command.
    dialog_->SendCommand(enter ? IDOK : IDCANCEL);
    return true;
}
