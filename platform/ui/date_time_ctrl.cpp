#include "platform/ui/controls.h"

#include "platform/ui/dialog.h"

#include <QDateEdit>

namespace {

// A short-date picker shows no time, yet keeps the one it was given.
constexpr char kTimeOfDay[] = "vantrelTimeOfDay";

QDateEdit* PickerOf(QWidget* widget) { return qobject_cast<QDateEdit*>(widget); }

}  // namespace

bool CDateTimeCtrl::GetTime(SystemTime& out) const {
    QDateEdit* picker = PickerOf(Widget());
    if (!picker) return false;
    const QDate date = picker->date();
    const QTime time = picker->property(kTimeOfDay).toTime();
    SystemTime read;
    read.year = static_cast<std::uint16_t>(date.year());
    read.month = static_cast<std::uint16_t>(date.month());
    read.day = static_cast<std::uint16_t>(date.day());
    if (time.isValid()) {
        read.hour = static_cast<std::uint16_t>(time.hour());
        read.minute = static_cast<std::uint16_t>(time.minute());
        read.second = static_cast<std::uint16_t>(time.second());
        read.milliseconds = static_cast<std::uint16_t>(time.msec());
    }
    // Through a file time and back: every field filled, the day of week included.
    FileTime fileTime = 0;
    return SystemTimeToFileTime(read, fileTime) && FileTimeToSystemTime(fileTime, out);
}

bool CDateTimeCtrl::SetTime(const SystemTime& time) {
    QDateEdit* picker = PickerOf(Widget());
    FileTime unused = 0;
    if (!picker || !SystemTimeToFileTime(time, unused)) return false;
    const QDate date(time.year, time.month, time.day);
    if (!date.isValid() || date < picker->minimumDate() || date > picker->maximumDate()) return false;
    picker->setDate(date);
    picker->setProperty(kTimeOfDay, QTime(time.hour, time.minute, time.second, time.milliseconds));
    return true;
}

void CDateTimeCtrl::UserSetDate(int year, int month, int day) {
    QDateEdit* picker = PickerOf(Widget());
    const QDate date(year, month, day);
    if (picker && date.isValid()) picker->setDate(date);
}
