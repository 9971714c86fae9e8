#include "platform/locale/desktop_numbers.h"

#include <QLocale>

namespace {

// A separator of more than one code unit is none of the readings.
char16_t OneUnit(const QString& separator) {
    return separator.size() == 1 ? separator.front().unicode() : u'\0';
}

}  // namespace

NumberFormat DesktopNumberFormat() {
    const QLocale locale;
    NumberFormat format;
    if (const char16_t decimal = OneUnit(locale.decimalPoint())) format.decimal = decimal;
    if (!(locale.numberOptions() & QLocale::RejectGroupSeparator)) format.group = OneUnit(locale.groupSeparator());
    return format;
}
