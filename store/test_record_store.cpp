#include "store/test_record_store.h"

#include "store/store_database.h"

#include <algorithm>
#include <vector>

namespace {

constexpr StoreDatabase kTestRecords{kTestRecordsDatabase, kTestRecordsDatabaseType, kPropUser};
constexpr FileTime kTicksPerDay = 864000000000ULL;

SystemTime DateOf(const PropertyRecord& record) { return TestDateAt(FileTimeOf(record, kPropTestDate)); }

// The user's records of one test, sought through the store's indexes; a
// record's test name, date and result name are its lookup fields.
FieldMatch TestMatch(std::u16string_view user, std::u16string_view test) {
    FieldMatch match;
    match.exact = BoundedText(user);
    match.first = BoundedText(test);
    return match;
}

// Times within a day of `date` either side: every time that can be its moment or its calendar day.
bool AroundDate(const SystemTime& date, FieldMatch& match) {
    SystemTime day = date;
    day.hour = day.minute = day.second = day.milliseconds = 0;
    FileTime time = 0;
    if (!SystemTimeToFileTime(day, time)) return false;
    match.second = std::make_pair(time > kTicksPerDay ? time - kTicksPerDay : 0, time + 2 * kTicksPerDay);
    return true;
}

// Visits the records of the user's test on the moment of `date` (and with
// that result name, when given), in record order, on an open handle. Every
// stored time is made from a calendar date-time to the millisecond, and two
// such times are the same moment exactly when they are equal: one index seek.
template <class Visit>
void ForEachOnMoment(PropertyDatabase& db, std::u16string_view user, std::u16string_view test,
                     std::optional<std::u16string_view> result, const SystemTime& date, Visit visit) {
    FieldMatch match = TestMatch(user, test);
    if (result) match.third = BoundedText(*result);
    FileTime moment = 0;
    if (!SystemTimeToFileTime(date, moment)) return;
    match.second = std::make_pair(moment, moment);
    db.ForEachMatch(match, [&](const PropertyRecord& record) {
        return !IsSameMoment(FileTimeOf(record, kPropTestDate), date) || visit(record);
    });
}

// The index of the first record of the user's test on the moment (with the result, when given); -1 when none.
int FindOnMoment(std::u16string_view user, std::u16string_view test, std::optional<std::u16string_view> result,
                 const SystemTime& date) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return -1;
    int index = -1;
    ForEachOnMoment(db, user, test, result, date, [&](const PropertyRecord&) {
        index = db.CurrentIndex();
        return false;
    });
    return index;
}

// Positions an open handle on the result's record and reads it.
bool SeekResult(PropertyDatabase& db, std::u16string_view user, std::u16string_view test, std::u16string_view result,
                const SystemTime& date, PropertyRecord& found) {
    bool seen = false;
    ForEachOnMoment(db, user, test, result, date, [&](const PropertyRecord& record) {
        found = record;
        seen = true;
        return false;
    });
    return seen;
}

// The eight properties in their stored order; false for a date that is no date.
bool FillResult(PropertyRecord& record, std::u16string_view user, std::u16string_view test,
                std::u16string_view comment, const SystemTime& date, std::u16string_view result,
                std::u16string_view value, std::u16string_view goal, std::u16string_view unit) {
    FileTime time = 0;
    if (!SystemTimeToFileTime(date, time)) return false;
    record.RemoveAllProperties();
    Property properties[] = {TextProperty(user, kPropUser),         TextProperty(test, kPropTestName),
                             Property(time, kPropTestDate),         TextProperty(result, kPropResultName),
                             TextProperty(value, kPropResultValue), TextProperty(unit, kPropResultUnit),
                             TextProperty(comment, kPropComment),   TextProperty(goal, kPropGoalValue)};
    record.AddProperties(properties, 8);
    return true;
}

// The text of one field of a result's record, as a 1024-unit buffer holds it.
bool ReadResultField(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                     const SystemTime& date, std::uint16_t field, std::u16string& text) {
    PropertyRecord record;
    if (!ReadResultRecord(user, test, result, date, record)) return false;
    text = BoundedText(TextOf(record, field));
    return true;
}

// The dates of the user's test, in record order.
template <class Visit>
void ForEachTestDate(std::u16string_view user, std::u16string_view test, Visit visit) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return;
    db.ForEachMatchTime(TestMatch(user, test), false, [&](FileTime time, std::int64_t) {
        visit(TestDateAt(time));
        return true;
    });
}

}  // namespace

SystemTime TestDateAt(FileTime time) {
    SystemTime date;
    FileTimeToSystemTime(time, date);
    return date;
}

bool IsSameMoment(FileTime time, const SystemTime& date) {
    double stored = 0, wanted = 0;
    return SystemTimeToVariantTime(TestDateAt(time), stored) && SystemTimeToVariantTime(date, wanted) &&
           stored == wanted;
}

int FindTestRecord(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    return FindOnMoment(user, test, std::nullopt, date);
}

int FindResultRecord(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                     const SystemTime& date) {
    return FindOnMoment(user, test, result, date);
}

bool ReadResultRecord(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                      const SystemTime& date, PropertyRecord& record) {
    PropertyDatabase db;
    return db.Open(kTestRecordsDatabase) && SeekResult(db, user, test, result, date, record);
}

// One walk of the index of the records' lookup fields: a user's tests come
// together, each test's dates in order, so a test on one day is counted once
// by counting where the test or the day changes.
std::vector<UserTally> TallyTestRecords() {
    std::vector<UserTally> tallies;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return tallies;
    std::string test;
    FileTime day = 0;
    db.ForEachLookups([&](const PropertyDatabase::Lookups& lookups) {
        const FileTime thisDay = lookups.date.value_or(0) / kTicksPerDay;
        if (tallies.empty() || tallies.back().user != lookups.sortText) {
            tallies.push_back(UserTally{std::u16string(lookups.sortText)});
        } else if (lookups.test == test && thisDay == day) {
            tallies.back().results += lookups.hasResult;
            return;
        }
        ++tallies.back().tests;
        tallies.back().results += lookups.hasResult;
        test = lookups.test;
        day = thisDay;
    });
    return tallies;
}

void ForEachUserRecord(std::u16string_view user, const std::function<void(const PropertyRecord&)>& visit) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return;
    const std::u16string exact = BoundedText(user);
    const Property key(exact, kPropUser);
    PropertyRecord record;
    for (bool found = db.SeekFirstEqual(key); found; found = db.SeekNextEqual(key))
        if (db.ReadCurrent(record) && TextOf(record, kPropUser) == exact) visit(record);
}

void ForEachRecordOfDay(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                        const std::function<void(const PropertyRecord&)>& visit) {
    PropertyDatabase db;
    FieldMatch match = TestMatch(user, test);
    if (!db.Open(kTestRecordsDatabase) || !AroundDate(day, match)) return;
    db.ForEachMatch(match, [&](const PropertyRecord& record) {
        const SystemTime stored = DateOf(record);
        if (stored.year == day.year && stored.month == day.month && stored.day == day.day) visit(record);
        return true;
    });
}

bool AddResult(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
               const SystemTime& date, std::u16string_view result, std::u16string_view value,
               std::u16string_view goal, std::u16string_view unit) {
    StoreTransaction transaction;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kTestRecords)) return false;
    // A result stored again rewrites its record, on the handle the seek left on it.
    PropertyRecord found, record;
    const bool exists = SeekResult(db, user, test, result, date, found);
    const bool stored =
        FillResult(record, user, test, comment, date, result, value, goal, unit) && db.Write(record, exists ? 1 : 0);
    db.Close();
    return stored && transaction.Commit();
}

bool UpdateResult(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
                  const SystemTime& date, std::u16string_view result, std::u16string_view value,
                  std::u16string_view goal, std::u16string_view unit) {
    PropertyRecord replacement, stored;
    PropertyDatabase db;
    return FillResult(replacement, user, test, comment, date, result, value, goal, unit) &&
           db.Open(kTestRecordsDatabase) && SeekResult(db, user, test, result, date, stored) &&
           db.Write(replacement, 1);
}

// Every record of the test on that moment, in one pass. All or nothing: a
// delete that fails ends the pass and undoes the others.
bool DeleteTest(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return unit.Commit();  // nothing to delete
    bool deleted = true;
    ForEachOnMoment(db, user, test, std::nullopt, date, [&](const PropertyRecord&) {
        deleted = db.DeleteCurrent();
        return deleted;
    });
    // A record of that moment whose bytes cannot be read would keep the date listed.
    FieldMatch moment = TestMatch(user, test);
    FileTime time = 0;
    if (deleted && SystemTimeToFileTime(date, time)) {
        moment.second = std::make_pair(time, time);
        deleted = db.DeleteUndecodable(moment);
    }
    db.Close();
    return deleted && unit.Commit();
}

// The user's records are the run of the user's exact name: they go in one step.
void DeleteUserTests(std::u16string_view user) {
    PropertyDatabase db;
    if (db.Open(kTestRecordsDatabase)) db.DeleteAllOf(BoundedText(user));
}

int GetResultValue(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                   const SystemTime& date) {
    std::u16string value;
    if (!ReadResultField(user, test, result, date, kPropResultValue, value)) return -1;
    return TextToInt(value);
}

int GetGoalRange(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                 const SystemTime& date, int& high) {
    std::u16string goal;
    if (!ReadResultField(user, test, result, date, kPropGoalValue, goal)) return -1;
    std::u16string_view text = goal;
    std::size_t dash = text.find(u'-');
    if (dash == std::u16string_view::npos) {
        high = TextToInt(text);
        return high;
    }
    high = TextToInt(text.substr(dash + 1));
    return TextToInt(text.substr(0, dash));
}

void ListUserTests(std::u16string_view user, ListingTarget& list) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return;
    // The list only grows, so each name is looked at once, where the pass
    // over the user's records would first meet it.
    for (const std::u16string& stored : db.FirstFieldTexts(BoundedText(user))) {
        const std::u16string name = BoundedText(stored);
        if (list.FindPrefix(name) == -1) list.AddItem(name);
    }
}

void ListTestDates(std::u16string_view user, std::u16string_view test, ListingTarget& box) {
    ForEachTestDate(user, test, [&box](const SystemTime& date) {
        std::u16string text = DateText(date);
        if (box.FindExact(text) == -1) box.AddItem(text);
    });
}

void ListTestDatesInView(std::u16string_view user, std::u16string_view test, ListingTarget& list) {
    ForEachTestDate(user, test, [&list](const SystemTime& date) {
        std::u16string text = DateText(date);
        if (list.FindPrefix(text) == -1) list.AddItem(text);
    });
}

StoredTestResults ListTestResults(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    StoredTestResults stored;
    ForEachRecordOfDay(user, test, date, [&](const PropertyRecord& record) {
        stored.comment = BoundedText(TextOf(record, kPropComment));
        ResultRow row{BoundedText(TextOf(record, kPropResultName)), BoundedText(TextOf(record, kPropResultValue)),
                      BoundedText(TextOf(record, kPropGoalValue)), BoundedText(TextOf(record, kPropResultUnit))};
        if (row != ResultRow{}) stored.rows.push_back(std::move(row));
    });
    return stored;
}

bool IsWithinPeriod(const SystemTime& date, int period) { return period < 0 || DaysSince(date) <= period; }

// Newest first, so only the dates kept are read: the period and the capacity
// end the walk. Ties keep record order, as the most recent are kept in it.
int CollectResultDates(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                       int period, SystemTime* out, int capacity) {
    if (!out || capacity <= 0) return 0;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return 0;
    FieldMatch match = TestMatch(user, test);
    match.third = BoundedText(result);
    struct Found {
        std::int64_t order;
        FileTime time;
    };
    std::vector<Found> kept;
    db.ForEachMatchTime(match, true, [&](FileTime time, std::int64_t order) {
        if (!IsWithinPeriod(TestDateAt(time), period)) return false;
        kept.push_back({order, time});
        return static_cast<int>(kept.size()) < capacity;
    });
    std::sort(kept.begin(), kept.end(), [](const Found& a, const Found& b) { return a.order < b.order; });
    for (std::size_t i = 0; i < kept.size(); ++i) out[i] = TestDateAt(kept[i].time);
    return static_cast<int>(kept.size());
}
