#include "store/test_record_store.h"

#include "store/store_database.h"
#include "store/test_record_index.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>
#include <vector>

namespace {

constexpr StoreDatabase kTestRecords{kTestRecordsDatabase, kTestRecordsDatabaseType, kPropUser};

SystemTime DateOf(const PropertyRecord& record) { return TestDateAt(FileTimeOf(record, kPropTestDate)); }

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
    if (!ReadRecordAt(kTestRecordsDatabase, FindResultRecord(user, test, result, date), record)) return false;
    text = BoundedText(TextOf(record, field));
    return true;
}

// Every record of the user's test, in record order.
template <class Visit>
void ForEachTestRecord(std::u16string_view user, std::u16string_view test, Visit visit) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return;
    const std::u16string exactTest = BoundedText(test);
    ForEachUserRecord(db, user, [&](PropertyDatabase&, const PropertyRecord& record) {
        if (TextOf(record, kPropTestName) == exactTest) visit(record);
        return true;
    });
}

}  // namespace

int FindTestRecord(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    return FindIndexedRecord(user, test, std::nullopt, date);
}

int FindResultRecord(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                     const SystemTime& date) {
    return FindIndexedRecord(user, test, result, date);
}

bool AddResult(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
               const SystemTime& date, std::u16string_view result, std::u16string_view value,
               std::u16string_view goal, std::u16string_view unit) {
    StoreTransaction transaction;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kTestRecords)) return false;
    bool stored;
    if (FindResultRecord(user, test, result, date) != -1) {
        db.Close();
        stored = UpdateResult(user, test, comment, date, result, value, goal, unit);
    } else {
        PropertyRecord record;
        const std::uint64_t before = TestRecordsVersion();
        stored = FillResult(record, user, test, comment, date, result, value, goal, unit) && db.Write(record, 0);
        if (stored) NoteAddedRecord(before, record);
        db.Close();
    }
    return stored && transaction.Commit();
}

bool UpdateResult(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
                  const SystemTime& date, std::u16string_view result, std::u16string_view value,
                  std::u16string_view goal, std::u16string_view unit) {
    PropertyRecord replacement;
    if (!FillResult(replacement, user, test, comment, date, result, value, goal, unit)) return false;
    return ChangeRecordAt(kTestRecordsDatabase, FindResultRecord(user, test, result, date),
                          [&replacement](PropertyRecord& record) { record = replacement; });
}

// Every record of the test on that moment, in one pass. All or nothing: a
// delete that fails ends the pass and undoes the others.
bool DeleteTest(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return unit.Commit();  // nothing to delete
    const std::u16string exactTest = BoundedText(test);
    bool deleted = true;
    ForEachUserRecord(db, user, [&](PropertyDatabase& handle, const PropertyRecord& record) {
        if (TextOf(record, kPropTestName) == exactTest && IsSameMoment(FileTimeOf(record, kPropTestDate), date))
            deleted = handle.DeleteCurrent();
        return deleted;
    });
    db.Close();
    return deleted && unit.Commit();
}

void DeleteUserTests(std::u16string_view user) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return;
    bool deleted = true;
    ForEachUserRecord(db, user, [&](PropertyDatabase& handle, const PropertyRecord&) {
        deleted = handle.DeleteCurrent();
        return deleted;
    });
    db.Close();
    if (deleted) unit.Commit();
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
    // The list only grows here, so a name it once held a match for keeps one:
    // the control is searched once per distinct name, not once per record.
    std::unordered_set<std::u16string_view> listed;
    ForEachUserRecord(db, user, [&](PropertyDatabase&, const PropertyRecord& record) {
        const std::u16string_view stored = TextOf(record, kPropTestName);
        if (listed.contains(stored)) return true;
        const std::u16string name = BoundedText(stored);
        if (list.FindPrefix(name) != -1 || list.AddItem(name) != -1) listed.insert(stored);
        return true;
    });
}

void ListTestDates(std::u16string_view user, std::u16string_view test, ListingTarget& box) {
    ForEachTestRecord(user, test, [&box](const PropertyRecord& record) {
        std::u16string text = DateText(DateOf(record));
        if (box.FindExact(text) == -1) box.AddItem(text);
    });
}

void ListTestDatesInView(std::u16string_view user, std::u16string_view test, ListingTarget& list) {
    ForEachTestRecord(user, test, [&list](const PropertyRecord& record) {
        std::u16string text = DateText(DateOf(record));
        if (list.FindPrefix(text) == -1) list.AddItem(text);
    });
}

StoredTestResults ListTestResults(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    StoredTestResults stored;
    ForEachTestRecord(user, test, [&](const PropertyRecord& record) {
        const SystemTime day = DateOf(record);
        if (day.year != date.year || day.month != date.month || day.day != date.day) return;
        stored.comment = BoundedText(TextOf(record, kPropComment));
        ResultRow row{BoundedText(TextOf(record, kPropResultName)), BoundedText(TextOf(record, kPropResultValue)),
                      BoundedText(TextOf(record, kPropGoalValue)), BoundedText(TextOf(record, kPropResultUnit))};
        if (row != ResultRow{}) stored.rows.push_back(std::move(row));
    });
    return stored;
}

bool IsWithinPeriod(const SystemTime& date, int period) { return period < 0 || DaysSince(date) <= period; }

int CollectResultDates(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                       int period, SystemTime* out, int capacity) {
    if (!out || capacity <= 0) return 0;
    struct Found {
        SystemTime date;
        FileTime time;
    };
    std::vector<Found> found;
    std::u16string name = BoundedText(result);
    ForEachTestRecord(user, test, [&](const PropertyRecord& record) {
        if (TextOf(record, kPropResultName) != name) return;
        SystemTime date = DateOf(record);
        if (IsWithinPeriod(date, period)) found.push_back({date, FileTimeOf(record, kPropTestDate)});
    });
    // When more qualify than fit, keep the most recent, still in record order.
    std::vector<std::size_t> kept(found.size());
    std::iota(kept.begin(), kept.end(), 0);
    if (kept.size() > static_cast<std::size_t>(capacity)) {
        std::stable_sort(kept.begin(), kept.end(), [&found](std::size_t a, std::size_t b) { return found[a].time > found[b].time; });
        kept.resize(static_cast<std::size_t>(capacity));
        std::sort(kept.begin(), kept.end());
    }
    for (std::size_t i = 0; i < kept.size(); ++i) out[i] = found[kept[i]].date;
    return static_cast<int>(kept.size());
}
