#pragma once
// The tests users have taken, in "Health Profiles List": one record per result,
// each repeating the user, the test, the day and the test's comment. The reads
// hand back typed values; a test date is a calendar day.

#include "platform/datetime.h"
#include "store/result_row.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::u16string_view kTestRecordsDatabase = u"Health Profiles List";
inline constexpr unsigned kTestRecordsDatabaseType = 12350;

// One stored result of a test taken on a day. A test taken without results is
// one of these with the four result fields empty.
struct TestResult {
    std::u16string user, test;
    SystemTime date;  // midnight of the day
    std::u16string result, value, goal, unit;  // `result` is the result's name
    std::u16string comment;
    ResultRow Row() const { return {result, value, goal, unit}; }
    bool operator==(const TestResult&) const = default;
};

// One test of one user on one day as a person sees and edits it: the comment
// and the results (none for a test taken without results).
struct TakenTest {
    std::u16string user, test;
    SystemTime date;
    std::u16string comment;
    std::vector<ResultRow> results;
};

// The user's test names, each once, in the order they were first stored.
std::vector<std::u16string> UserTests(std::u16string_view user);
// Whether the store holds any record of the user's test, spelt exactly so.
bool HoldsTest(std::u16string_view user, std::u16string_view test);
// The days on which the user took the test, newest first.
std::vector<SystemTime> TestDates(std::u16string_view user, std::u16string_view test);
// The test as stored on the day of `date` (its time of day aside): the results
// in record order and the comment; none of either when nothing is stored.
TakenTest ReadTakenTest(std::u16string_view user, std::u16string_view test, const SystemTime& date);
// The same, from the day's records as ReadDayRecords read them.
TakenTest TakenTestOf(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                      const std::vector<TestResult>& records);
// Every record of the test on that day, in record order, each as stored (a
// test taken without results: one with the result fields empty).
std::vector<TestResult> ReadDayRecords(std::u16string_view user, std::u16string_view test, const SystemTime& date);
// The values of one result taken within `period` days of today (a negative
// period: every day), oldest first, days alike in record order; at most `most`,
// the most recent ones.
std::vector<TestResult> ResultValues(std::u16string_view user, std::u16string_view test,
                                     std::u16string_view result, int period, std::size_t most);
// Every stored result of the user, or of every user when `user` is null, in
// store order, each handed over as it is read.
void ForEachTestResult(const std::u16string* user, const std::function<void(const TestResult&)>& visit);
// The users who have test records, in store order.
std::vector<std::u16string> UsersWithTests();
// The number of tests the user took: a test on one day counts once.
int CountTests(std::u16string_view user);
// Per user with test records, in the order their records were first stored:
// the tests (as CountTests) and the results, counted through the store's
// indexes without reading a record.
struct UserTally {
    std::u16string user;
    int tests = 0;
    int results = 0;
};
std::vector<UserTally> TallyTestRecords();

// Whether `date` lies within `period` days of today; a negative period admits
// every date, and a date after today is within every period.
bool IsWithinPeriod(const SystemTime& date, int period);
