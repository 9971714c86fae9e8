#include "tools/export/date_forms.h"

#include "platform/text.h"

#include <cstdio>
#include <string>

std::optional<SystemTime> ReadDateForm(std::string_view text) {
    const std::string copy(text);
    int year = 0, month = 0, day = 0;
    char rest = 0;
    const bool read = std::sscanf(copy.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &rest) == 3 ||
                      ReadTypedDate(Utf8ToText(copy), month, day, year);
    const SystemTime date = MakeDate(year, month, day);
    FileTime check = 0;
    if (!read || year < 1601 || year > 9999 || !SystemTimeToFileTime(date, check)) return std::nullopt;
    return date;
}
