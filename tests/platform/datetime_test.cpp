// Calendar records, file times, variant times, the clock and the date text.

#include "platform/datetime.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace {

SystemTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    SystemTime t = MakeDate(year, month, day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    t.milliseconds = static_cast<std::uint16_t>(ms);
    return t;
}

TEST(DateTimeTest, ConvertsToFileTimesAndBackWithoutTimeZones) {
    // Whatever the process's zone says, the calendar fields come back as given.
    setenv("TZ", "America/New_York", 1);
    FileTime time = 0;
    ASSERT_TRUE(SystemTimeToFileTime(At(1601, 1, 1), time));
    EXPECT_EQ(time, 0u);
    ASSERT_TRUE(SystemTimeToFileTime(At(2004, 1, 5, 13, 45, 30, 250), time));
    EXPECT_EQ(time, 127177839302500000ULL);
    SystemTime back;
    ASSERT_TRUE(FileTimeToSystemTime(time, back));
    EXPECT_EQ(back, (SystemTime{2004, 1, 1, 5, 13, 45, 30, 250}));  // a Monday
    ASSERT_TRUE(SystemTimeToFileTime(At(2024, 2, 29, 23, 59, 59, 999), time));
    ASSERT_TRUE(FileTimeToSystemTime(time, back));
    EXPECT_EQ(back, (SystemTime{2024, 2, 4, 29, 23, 59, 59, 999}));
    ASSERT_TRUE(SystemTimeToFileTime(At(30827, 12, 31, 23, 59, 59, 999), time));
    EXPECT_FALSE(FileTimeToSystemTime(0x8000000000000000ULL, back));
    unsetenv("TZ");
}

TEST(DateTimeTest, RefusesRecordsThatAreNoDate) {
    FileTime time = 77;
    double variant = 77;
    for (const SystemTime& bad : {At(2023, 2, 29), At(1900, 2, 29), At(2024, 4, 31), At(2024, 13, 1), At(2024, 0, 1),
                                  At(2024, 1, 0), At(2024, 1, 1, 24), At(2024, 1, 1, 0, 60), At(2024, 1, 1, 0, 0, 60),
                                  At(2024, 1, 1, 0, 0, 0, 1000), At(1600, 12, 31), SystemTime{}}) {
        EXPECT_FALSE(SystemTimeToFileTime(bad, time));
        EXPECT_FALSE(SystemTimeToVariantTime(bad, variant));
    }
    EXPECT_EQ(time, 77u);
    EXPECT_EQ(variant, 77);
    EXPECT_TRUE(SystemTimeToFileTime(At(2000, 2, 29), time));  // divisible by 400
}

TEST(DateTimeTest, CountsWholeDaysSinceTheClock) {
    SystemTime now = At(2024, 3, 15, 10, 30);
    SetLocalTimeForTesting(&now);
    EXPECT_EQ(GetLocalTime().dayOfWeek, 5);  // filled in: a Friday
    // 23:59:59 ago is no whole day; days ahead are truncated toward zero; 2023 to 2024 crosses a leap day.
    for (const auto& [then, days] : {std::pair{MakeDate(2024, 3, 15), 0}, {MakeDate(2024, 3, 8), 7},
                                     {At(2024, 3, 14, 10, 30, 1), 0}, {At(2024, 3, 14, 10, 30), 1},
                                     {MakeDate(2024, 3, 17), -1}, {MakeDate(2024, 3, 18), -2},
                                     {MakeDate(2023, 3, 15), 366}, {SystemTime{}, 0}})
        EXPECT_EQ(DaysSince(then), days) << TextToUtf8(DateText(then));

    SetLocalTimeForTesting(nullptr);
    FileTime check = 0;
    EXPECT_TRUE(SystemTimeToFileTime(GetLocalTime(), check));  // the real clock gives a valid record
}

TEST(DateTimeTest, WritesAndScansTheDateText) {
    EXPECT_EQ(DateText(MakeDate(2004, 1, 5)), u"1/5/2004");
    EXPECT_EQ(DateText(MakeDate(1999, 12, 31)), u"12/31/1999");

    // Each row: the text, how many numbers it gives, and those numbers (-1: left as it was).
    const struct {
        const char16_t* text;
        int read, month, day, year;
    } scans[] = {{u"1/5/2004", 3, 1, 5, 2004},
                 {u" 12/ +3/ -7 trailing", 3, 12, 3, -7},
                 {u"4/ x/2004", 1, 4, -1, -1},  // stops at the first misfit
                 {u"4 /5/2004", 1, 4, -1, -1},  // no blank before a '/'
                 {u"6/7", 2, 6, 7, -1},
                 {u"", 0, -1, -1, -1},
                 {u"/5/2004", 0, -1, -1, -1},
                 {u"-/5/2004", 0, -1, -1, -1},
                 {u"99999999999/1/1", 3, 2147483647, 1, 1}};
    for (const auto& scan : scans) {
        int month = -1, day = -1, year = -1;
        EXPECT_EQ(ScanDateText(scan.text, month, day, year), scan.read) << TextToUtf8(scan.text);
        EXPECT_EQ((std::array{month, day, year}), (std::array{scan.month, scan.day, scan.year})) << TextToUtf8(scan.text);
    }
}

}  // namespace
