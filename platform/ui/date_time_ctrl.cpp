#include "platform/ui/controls.h"

#include "platform/ui/date_picker.h"
#include "platform/ui/dialog.h"

namespace {

DatePicker* PickerOf(QWidget* widget) { return dynamic_cast<DatePicker*>(widget); }

}  // namespace

bool CDateTimeCtrl::GetTime(SystemTime& out) const {
    DatePicker* picker = PickerOf(Widget());
    if (!picker) return false;
    out = picker->Value();
    return true;
}

bool CDateTimeCtrl::SetTime(const SystemTime& time) {
    DatePicker* picker = PickerOf(Widget());
    return picker && picker->SetValue(time);
}

void CDateTimeCtrl::UserSetDate(int year, int month, int day) {
    if (DatePicker* picker = PickerOf(Widget())) {
        SystemTime date = picker->Value();
        date.year = static_cast<std::uint16_t>(year);
        date.month = static_cast<std::uint16_t>(month);
        date.day = static_cast<std::uint16_t>(day);
        picker->SetValue(date);
    }
}
