#include "platform/ui/date_picker.h"

#include "platform/ui/accessibility.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/message_box.h"
#include "platform/ui/qt_text.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace {

constexpr std::u16string_view kNotADate = u"Please enter a date as month/day/year, for example 3/14/1975.";

// `time` with the date replaced, when that makes a valid record.
bool WithDate(SystemTime time, int year, int month, int day, SystemTime& out) {
    if (year < 0 || year > 0xFFFF || month < 0 || month > 12 || day < 0 || day > 31) return false;
    time.year = static_cast<std::uint16_t>(year);
    time.month = static_cast<std::uint16_t>(month);
    time.day = static_cast<std::uint16_t>(day);
    FileTime fileTime = 0;
    // Through a file time and back: every field filled, the day of week included.
    return SystemTimeToFileTime(time, fileTime) && FileTimeToSystemTime(fileTime, out);
}

// Eats the click whose press moved the focus out of a refused date: the press
// still on its way (to a button, say) once the refusal is read, and its release
// if that comes next. Else a button would act on a date the person did not
// give, or stay drawn pressed.
class ClickSwallower : public QObject {
public:
    explicit ClickSwallower(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease) return false;
        if (type == QEvent::MouseButtonPress && !pressEaten_) return pressEaten_ = true;
        // That press's release, or else the person's next click, which goes through.
        qApp->removeEventFilter(this);
        deleteLater();
        return type == QEvent::MouseButtonRelease;
    }

private:
    bool pressEaten_ = false;
};

// Whether the focus went to the dialog's Cancel button by a press on it.
bool PressedCancel(const QWidget& picker, Qt::FocusReason reason) {
    auto* window = dynamic_cast<DialogWidget*>(picker.window());
    if (reason != Qt::MouseFocusReason || window == nullptr || window->Dialog() == nullptr) return false;
    for (const auto& [id, control] : window->Controls())
        if (control == QApplication::focusWidget()) return window->Dialog()->Commands().Cancels(id);
    return false;
}

}  // namespace

DatePicker::DatePicker(QWidget* parent) : QLineEdit(parent), held_(GetLocalTime()) {
    QAction* open = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    open->setText(QStringLiteral("Calendar"));
    open->setToolTip(QStringLiteral("Calendar"));
    connect(open, &QAction::triggered, this, &DatePicker::ShowCalendar);
    Show();
}

std::optional<SystemTime> DatePicker::Typed() const {
    int month = 0, day = 0, year = 0;
    SystemTime typed;
    if (ReadTypedDate(FromQString(text()), month, day, year) && WithDate(held_, year, month, day, typed)) return typed;
    return std::nullopt;
}

SystemTime DatePicker::Value() const { return Typed().value_or(held_); }

bool DatePicker::SetValue(const SystemTime& time) {
    SystemTime checked;
    if (!WithDate(time, time.year, time.month, time.day, checked)) return false;
    held_ = checked;
    Show();
    return true;
}

void DatePicker::Show() { setText(ToQString(DateText(held_))); }

bool DatePicker::Commit() {
    if (committing_) return true;
    if (const std::optional<SystemTime> typed = Typed()) {
        held_ = *typed;
        Show();
        return true;
    }
    committing_ = true;
    const bool byClick = QApplication::mouseButtons() != Qt::NoButton;
    auto* window = dynamic_cast<DialogWidget*>(this->window());
    MessageBox(window ? window->Dialog() : nullptr, kNotADate);
    if (byClick) new ClickSwallower(this);
    // The person corrects the date where they typed it: the focus comes back,
    // with the typed text selected, so the next keys replace it. From the event
    // loop, once the focus move that was refused has ended.
    QMetaObject::invokeMethod(
        this,
        [this] {
            this->window()->activateWindow();
            setFocus(Qt::OtherFocusReason);
            selectAll();
        },
        Qt::QueuedConnection);
    committing_ = false;
    return false;
}

void DatePicker::ShowCalendar() {
    if (!calendar_) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setWindowFlags(Qt::Popup);
        calendar_->setGridVisible(true);
        NameCalendarDays(*calendar_);
        // A click on a day, or Enter on it, picks it.
        const auto pick = [this](QDate date) {
            SystemTime picked = held_;
            picked.year = static_cast<std::uint16_t>(date.year());
            picked.month = static_cast<std::uint16_t>(date.month());
            picked.day = static_cast<std::uint16_t>(date.day());
            SetValue(picked);
            calendar_->hide();
            setFocus(Qt::PopupFocusReason);
        };
        connect(calendar_, &QCalendarWidget::clicked, this, pick);
        connect(calendar_, &QCalendarWidget::activated, this, pick);
    }
    Commit();
    const SystemTime now = Value();
    calendar_->setSelectedDate(QDate(now.year, now.month, now.day));
    calendar_->adjustSize();
    calendar_->move(mapToGlobal(QPoint(0, height())));
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Reached by a click, the whole date is taken, as by Tab, so typing replaces it.
    selectOnPress_ = event->reason() == Qt::MouseFocusReason;
}

// Leaving the field takes the typed date; another window coming to the front
// (the calendar, a message, another program) leaves it as typed. A press on
// Cancel drops what was typed instead of refusing it: the person is leaving
// without saving, and the field shows the date kept should they stay.
void DatePicker::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
    if (text() == ToQString(DateText(held_))) return;
    if (PressedCancel(*this, reason) && !Typed()) {
        Show();
        return;
    }
    Commit();
}

void DatePicker::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (selectOnPress_) selectAll();
    selectOnPress_ = false;
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (altDown || event->key() == Qt::Key_F4) {
        ShowCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
