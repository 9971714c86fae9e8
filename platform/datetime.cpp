#include "platform/datetime.h"

#include "platform/text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>
#include <optional>

// Calendar arithmetic on the proleptic Gregorian calendar with no time zone:
// a file time is local calendar time counted as if it were UTC.
namespace {

constexpr long long kTicksPerMillisecond = 10000;
constexpr long long kSecondsPerDay = 86400;

// Days from 1 January 1970 to the given date.
constexpr long long DaysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    long long era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

void CivilFromDays(long long days, long long& year, unsigned& month, unsigned& day) {
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<long long>(yearOfEra) + era * 400 + (month <= 2);
}

// 0 is Sunday.
std::uint16_t WeekdayFromDays(long long days) {
    long long weekday = (days + 4) % 7;  // 1 January 1970 was a Thursday
    return static_cast<std::uint16_t>(weekday < 0 ? weekday + 7 : weekday);
}

bool IsLeapYear(unsigned year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

unsigned DaysInMonth(unsigned year, unsigned month) {
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The range a file time can express.
bool IsValid(const SystemTime& t) {
    return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= DaysInMonth(t.year, t.month) && t.hour < 24 && t.minute < 60 && t.second < 60 &&
           t.milliseconds < 1000;
}

constexpr long long kFileTimeEpochDays = DaysFromCivil(1601, 1, 1);
constexpr long long kVariantEpochDays = DaysFromCivil(1899, 12, 30);

std::optional<SystemTime>& FixedClock() {
    static std::optional<SystemTime> fixed;
    return fixed;
}

void FillDayOfWeek(SystemTime& t) {
    if (IsValid(t)) t.dayOfWeek = WeekdayFromDays(DaysFromCivil(t.year, t.month, t.day));
}

}  // namespace

bool SystemTimeToFileTime(const SystemTime& time, FileTime& out) {
    if (!IsValid(time)) return false;
    long long days = DaysFromCivil(time.year, time.month, time.day) - kFileTimeEpochDays;
    long long seconds = days * kSecondsPerDay + time.hour * 3600LL + time.minute * 60LL + time.second;
    out = static_cast<FileTime>((seconds * 1000 + time.milliseconds) * kTicksPerMillisecond);
    return true;
}

bool FileTimeToSystemTime(FileTime time, SystemTime& out) {
    if (time >= 0x8000000000000000ULL) return false;
    long long milliseconds = static_cast<long long>(time) / kTicksPerMillisecond;
    long long seconds = milliseconds / 1000;
    long long days = seconds / kSecondsPerDay + kFileTimeEpochDays;
    long long secondOfDay = seconds % kSecondsPerDay;
    long long year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    out.year = static_cast<std::uint16_t>(year);
    out.month = static_cast<std::uint16_t>(month);
    out.day = static_cast<std::uint16_t>(day);
    out.dayOfWeek = WeekdayFromDays(days);
    out.hour = static_cast<std::uint16_t>(secondOfDay / 3600);
    out.minute = static_cast<std::uint16_t>(secondOfDay / 60 % 60);
    out.second = static_cast<std::uint16_t>(secondOfDay % 60);
    out.milliseconds = static_cast<std::uint16_t>(milliseconds % 1000);
    return true;
}

// Like the platform's conversion, milliseconds do not count.
bool SystemTimeToVariantTime(const SystemTime& time, double& out) {
    if (!IsValid(time)) return false;
    long long days = DaysFromCivil(time.year, time.month, time.day) - kVariantEpochDays;
    long long secondOfDay = time.hour * 3600LL + time.minute * 60LL + time.second;
    out = static_cast<double>(days) + static_cast<double>(secondOfDay) / kSecondsPerDay;
    return true;
}

SystemTime GetLocalTime() {
    SystemTime now;
    if (FixedClock()) {
        now = *FixedClock();
        FillDayOfWeek(now);
        return now;
    }
    timespec clock{};
    clock_gettime(CLOCK_REALTIME, &clock);
    std::tm local{};
    localtime_r(&clock.tv_sec, &local);
    now.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    now.month = static_cast<std::uint16_t>(local.tm_mon + 1);
    now.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    now.day = static_cast<std::uint16_t>(local.tm_mday);
    now.hour = static_cast<std::uint16_t>(local.tm_hour);
    now.minute = static_cast<std::uint16_t>(local.tm_min);
    // A leap second reads as the last second of its minute.
    now.second = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    now.milliseconds = static_cast<std::uint16_t>(clock.tv_nsec / 1000000);
    return now;
}

void SetLocalTimeForTesting(const SystemTime* fixed) {
    if (fixed)
        FixedClock() = *fixed;
    else
        FixedClock().reset();
}

SystemTime MakeDate(int year, int month, int day) {
    SystemTime date;
    date.year = static_cast<std::uint16_t>(year);
    date.month = static_cast<std::uint16_t>(month);
    date.day = static_cast<std::uint16_t>(day);
    return date;
}

// 0 for a record that is not a valid date.
int DaysSince(const SystemTime& date) {
    double now = 0, then = 0;
    if (!SystemTimeToVariantTime(GetLocalTime(), now) || !SystemTimeToVariantTime(date, then)) return 0;
    return static_cast<int>(std::trunc(now - then));
}

std::u16string DateText(const SystemTime& date) {
    return IntToText(date.month) + u"/" + IntToText(date.day) + u"/" + IntToText(date.year);
}

namespace {

// One %d conversion: blanks, an optional sign and at least one digit.
bool ScanInt(std::u16string_view text, std::size_t& pos, int& value) {
    std::size_t p = pos;
    while (p < text.size() && (text[p] == u' ' || (text[p] >= u'\t' && text[p] <= u'\r'))) ++p;
    std::size_t start = p;
    if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) ++p;
    std::size_t digits = p;
    while (p < text.size() && text[p] >= u'0' && text[p] <= u'9') ++p;
    if (p == digits) return false;
    value = TextToInt(text.substr(start, p - start));
    pos = p;
    return true;
}

}  // namespace

int ScanDateText(std::u16string_view text, int& month, int& day, int& year) {
    int* fields[3] = {&month, &day, &year};
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != u'/') return i;
            ++pos;
        }
        if (!ScanInt(text, pos, *fields[i])) return i;
    }
    return 3;
}

bool ReadTypedDate(std::u16string_view text, int& month, int& day, int& year) {
    const bool plain = std::all_of(text.begin(), text.end(), [](char16_t c) {
        return (c >= u'0' && c <= u'9') || c == u'/' || c == u' ';
    });
    return plain && std::count(text.begin(), text.end(), u'/') == 2 && ScanDateText(text, month, day, year) == 3;
}
