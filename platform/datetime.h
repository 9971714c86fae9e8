#pragma once
// The calendar date-time record, file times, variant times and the device clock.

#include <cstdint>
#include <string>
#include <string_view>

// Every date crosses the interfaces in this form, each field 16 bits.
struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
    bool operator==(const SystemTime&) const = default;
};

// 100-nanosecond intervals since 1 January 1601, made from local calendar time
// with no time-zone conversion.
using FileTime = std::uint64_t;

// False (output untouched) for a record that is not a valid date and time.
bool SystemTimeToFileTime(const SystemTime& time, FileTime& out);
// Fills every field, the day of week included.
bool FileTimeToSystemTime(FileTime time, SystemTime& out);
// Days since 30 December 1899 with the time of day as the fraction; false for an invalid record.
bool SystemTimeToVariantTime(const SystemTime& time, double& out);

// The device's local date and time (day of week filled in).
SystemTime GetLocalTime();
// Tests fix the clock at a moment; nullptr returns to the real clock.
void SetLocalTimeForTesting(const SystemTime* fixed);

// A midnight date with every other field 0, as the stores expect test dates.
SystemTime MakeDate(int year, int month, int day);
// Whole days from `date` to now: now minus date, truncated toward zero.
int DaysSince(const SystemTime& date);

// The date text "%d/%d/%d": month, day and the full year, no leading zeros.
std::u16string DateText(const SystemTime& date);
// Reads "%d/%d/%d" as month, day and year the way a scanf would; returns how many
// of the three numbers were read (fields not read are left as they were).
int ScanDateText(std::u16string_view text, int& month, int& day, int& year);
// A date as a person types it: month, day and year, each a run of digits,
// two slashes, and nothing else but blanks. False for any other text.
bool ReadTypedDate(std::u16string_view text, int& month, int& day, int& year);
