#include "store/test_record_store.h"

#include "store/test_record_layout.h"

#include <algorithm>
#include <limits>

namespace {

constexpr FileTime kTicksPerDay = 864000000000ULL;

SystemTime DateAt(FileTime time) {
    SystemTime date;
    FileTimeToSystemTime(time, date);
    return MakeDate(date.year, date.month, date.day);
}

// Days as one number each, so that days compare as numbers do.
int DayKey(const SystemTime& date) { return date.year * 10000 + date.month * 100 + date.day; }

// The matches of `match`, typed, in record order.
template <class Visit>
void ForEachMatching(const FieldMatch& match, Visit visit) {
    PropertyDatabase db;
    if (db.Open(kTestRecordsDatabase))
        db.ForEachMatch(match, [&](const PropertyRecord& record) {
            visit(ResultOf(record));
            return true;
        });
}

}  // namespace

TestResult ResultOf(const PropertyRecord& record) {
    const auto text = [&record](std::uint16_t id) { return BoundedText(TextOf(record, id)); };
    return TestResult{text(kPropUser),          text(kPropTestName),   DateAt(FileTimeOf(record, kPropTestDate)),
                      text(kPropResultName),    text(kPropResultValue), text(kPropGoalValue),
                      text(kPropResultUnit),    text(kPropComment)};
}

bool FillRecord(PropertyRecord& record, const TestResult& r) {
    FileTime time = 0;
    if (!SystemTimeToFileTime(MakeDate(r.date.year, r.date.month, r.date.day), time)) return false;
    record.RemoveAllProperties();
    const Property properties[] = {TextProperty(r.user, kPropUser),          TextProperty(r.test, kPropTestName),
                                   Property(time, kPropTestDate),            TextProperty(r.result, kPropResultName),
                                   TextProperty(r.value, kPropResultValue),  TextProperty(r.unit, kPropResultUnit),
                                   TextProperty(r.comment, kPropComment),    TextProperty(r.goal, kPropGoalValue)};
    record.AddProperties(properties, 8);
    return true;
}

FieldMatch TestMatch(std::u16string_view user, std::u16string_view test) {
    FieldMatch match;
    match.exact = BoundedText(user);
    match.test = BoundedText(test);
    return match;
}

bool OnDay(const SystemTime& date, FieldMatch& match) {
    FileTime midnight = 0;
    if (!SystemTimeToFileTime(MakeDate(date.year, date.month, date.day), midnight)) return false;
    match.date = std::make_pair(midnight, midnight + kTicksPerDay - 1);
    return true;
}

std::vector<std::u16string> UserTests(std::u16string_view user) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return {};
    std::vector<std::u16string> tests = db.TestTexts(BoundedText(user));
    for (std::u16string& test : tests) test = BoundedText(test);
    return tests;
}

std::vector<SystemTime> TestDates(std::u16string_view user, std::u16string_view test) {
    std::vector<SystemTime> dates;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return dates;
    // Newest first, so the records of one day follow one another.
    db.ForEachMatchTime(TestMatch(user, test), true, [&dates](FileTime time, std::int64_t) {
        const SystemTime day = DateAt(time);
        if (dates.empty() || dates.back() != day) dates.push_back(day);
        return true;
    });
    return dates;
}

bool HoldsTest(std::u16string_view user, std::u16string_view test) {
    PropertyDatabase db;
    return db.Open(kTestRecordsDatabase) && db.HasMatch(TestMatch(user, test));
}

TakenTest ReadTakenTest(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    return TakenTestOf(user, test, date, ReadDayRecords(user, test, date));
}

TakenTest TakenTestOf(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                      const std::vector<TestResult>& records) {
    TakenTest taken{std::u16string(user), std::u16string(test), MakeDate(date.year, date.month, date.day), {}, {}};
    for (const TestResult& r : records) {
        // Every record of a day carries the day's comment; the last one read is kept.
        taken.comment = r.comment;
        if (r.Row() != ResultRow{}) taken.results.push_back(r.Row());
    }
    return taken;
}

std::vector<TestResult> ReadDayRecords(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    std::vector<TestResult> records;
    FieldMatch match = TestMatch(user, test);
    if (OnDay(date, match)) ForEachMatching(match, [&records](TestResult r) { records.push_back(std::move(r)); });
    return records;
}

// Newest first up to the oldest value kept, so that only the values kept are read.
std::vector<TestResult> ResultValues(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                                     int period, std::size_t most) {
    std::vector<TestResult> values;
    PropertyDatabase db;
    if (most == 0 || !db.Open(kTestRecordsDatabase)) return values;
    FieldMatch match = TestMatch(user, test);
    match.result = BoundedText(result);
    std::optional<FileTime> oldest;
    std::size_t counted = 0;
    db.ForEachMatchTime(match, true, [&](FileTime time, std::int64_t) {
        if (!IsWithinPeriod(DateAt(time), period)) return false;
        oldest = time;
        return ++counted < most;
    });
    if (!oldest) return values;
    match.date = std::make_pair(*oldest, static_cast<FileTime>(std::numeric_limits<std::int64_t>::max()));
    db.ForEachMatch(match, [&values](const PropertyRecord& record) {
        values.push_back(ResultOf(record));
        return true;
    });
    std::stable_sort(values.begin(), values.end(),
                     [](const TestResult& a, const TestResult& b) { return DayKey(a.date) < DayKey(b.date); });
    // Days alike with the oldest kept: the later records stay.
    if (values.size() > most) values.erase(values.begin(), values.end() - static_cast<std::ptrdiff_t>(most));
    return values;
}

void ForEachTestResult(const std::u16string* user, const std::function<void(const TestResult&)>& visit) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return;
    if (!user) {
        ForEachRecord(db, [&visit](PropertyDatabase&, const PropertyRecord& record) {
            visit(ResultOf(record));
            return true;
        });
        return;
    }
    db.ForEachOf(BoundedText(*user), [&visit](const PropertyRecord& record) {
        visit(ResultOf(record));
        return true;
    });
}

std::vector<std::u16string> UsersWithTests() {
    PropertyDatabase db;
    return db.Open(kTestRecordsDatabase) ? db.SortTexts() : std::vector<std::u16string>{};
}

namespace {

int CountTests(PropertyDatabase& db, const std::u16string& user) {
    int tests = 0;
    for (const std::u16string& test : db.TestTexts(user)) tests += static_cast<int>(TestDates(user, test).size());
    return tests;
}

}  // namespace

int CountTests(std::u16string_view user) {
    PropertyDatabase db;
    return db.Open(kTestRecordsDatabase) ? CountTests(db, BoundedText(user)) : 0;
}

// A grouped count of the records by test and date, which SQLite serves from
// an index: a user's groups come together, each test's dates in order, so a
// test on one day is counted once by counting where the test or the day
// changes (a date with a time of day is its day).
std::vector<UserTally> TallyTestRecords() {
    std::vector<UserTally> tallies;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return tallies;
    std::string test;
    FileTime day = 0;
    db.ForEachLookupGroup([&](const PropertyDatabase::LookupGroup& group) {
        const FileTime thisDay = group.date.value_or(0) / kTicksPerDay;
        if (tallies.empty() || tallies.back().user != group.sortText) {
            tallies.push_back(UserTally{std::u16string(group.sortText)});
        } else if (group.test == test && thisDay == day) {
            tallies.back().results += static_cast<int>(group.withResult);
            return;
        }
        ++tallies.back().tests;
        tallies.back().results += static_cast<int>(group.withResult);
        test = group.test;
        day = thisDay;
    });
    return tallies;
}

bool IsWithinPeriod(const SystemTime& date, int period) { return period < 0 || DaysSince(date) <= period; }
