#include "store/test_changes.h"

#include "store/catalog_store.h"
#include "store/test_record_layout.h"

#include <algorithm>
#include <initializer_list>
#include <unordered_map>
#include <unordered_set>

namespace {

bool SameDay(const SystemTime& a, const SystemTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// One row per result name, in order: a later row replaces an earlier one of
// its name, as a result stored again replaces its record. Empty rows go.
std::vector<ResultRow> OnePerName(const std::vector<ResultRow>& rows) {
    std::vector<ResultRow> kept;
    std::unordered_map<std::u16string, std::size_t> at;
    for (const ResultRow& row : rows) {
        if (row == ResultRow{}) continue;
        const auto [same, fresh] = at.emplace(row.name, kept.size());
        if (fresh) {
            kept.push_back(row);
        } else {
            kept[same->second] = row;
        }
    }
    return kept;
}

// The spelling under which the user stored a test equal to `test` ignoring
// case, so that one test never splits in two by letter case; else `test`.
std::u16string StoredSpelling(PropertyDatabase& db, std::u16string_view user, const std::u16string& test) {
    if (db.HasMatch(TestMatch(user, test))) return test;
    for (std::u16string& stored : UserTests(user))
        if (EqualsNoCase(stored, test)) return stored;
    return test;
}

// `taken` joined to what its day holds, `stored`: the stored results first, a
// taken one in place of a stored one of its name; the stored comment when
// taken has none.
void JoinDay(TakenTest& taken, TakenTest stored) {
    stored.results.insert(stored.results.end(), taken.results.begin(), taken.results.end());
    taken.results = OnePerName(stored.results);
    if (taken.comment.empty()) taken.comment = std::move(stored.comment);
}

void JoinStored(TakenTest& taken) { JoinDay(taken, ReadTakenTest(taken.user, taken.test, taken.date)); }

bool DayHeld(PropertyDatabase& db, const TakenTest& taken) {
    FieldMatch match = TestMatch(taken.user, taken.test);
    return OnDay(taken.date, match) && db.HasMatch(match);
}

constexpr std::size_t kKnownNamesMost = 4096;

// The test and a result name of it (empty: the test itself) as `JoinContext` holds them.
std::u16string KnownKey(std::u16string_view test, std::u16string_view name) {
    return FoldCase(test) + u'\0' + FoldCase(name);
}

// Names the catalogue lacks become known, as a typed name does in Take Test.
// What `remembered` holds is known already; what this taught joins it.
bool Teach(const TakenTest& taken, JoinContext* remembered) {
    if (remembered && remembered->names.contains(KnownKey(taken.test, u"")) &&
        std::all_of(taken.results.begin(), taken.results.end(), [&](const ResultRow& row) {
            return remembered->names.contains(KnownKey(taken.test, row.name));
        }))
        return true;
    std::optional<std::unordered_set<std::u16string>> known = KnownResultNames(taken.test);
    if (!known && !AddResultName(taken.test, u"")) return false;
    std::unordered_set<std::u16string> met = std::move(known).value_or(std::unordered_set<std::u16string>{});
    std::vector<ResultRow> fresh;
    for (const ResultRow& row : taken.results)
        if (!row.name.empty() && met.insert(FoldCase(BoundedText(row.name))).second) fresh.push_back(row);
    if (!TeachResultNames(taken.test, fresh)) return false;
    if (!remembered) return true;
    if (remembered->names.size() + taken.results.size() >= kKnownNamesMost) remembered->names.clear();
    remembered->names.insert(KnownKey(taken.test, u""));
    for (const ResultRow& row : taken.results) remembered->names.insert(KnownKey(taken.test, row.name));
    return true;
}

// The rows a day is stored as: one record with empty result fields when it has no results.
std::vector<ResultRow> RowsOf(const TakenTest& day) {
    return day.results.empty() ? std::vector<ResultRow>{ResultRow{}} : day.results;
}

bool RecordOf(const TakenTest& day, const ResultRow& row, PropertyRecord& record) {
    return FillRecord(record, TestResult{day.user, day.test, day.date, row.name, row.value, row.goal, row.unit,
                                         day.comment});
}

// Appends the records of `rows` of the day to `records`.
bool AddRecords(const TakenTest& day, const std::vector<ResultRow>& rows, std::vector<PropertyRecord>& records) {
    for (const ResultRow& row : rows)
        if (!RecordOf(day, row, records.emplace_back())) return false;
    return true;
}

// Adds the records of `rows` of the day to the store.
bool AddRows(PropertyDatabase& db, const TakenTest& day, const std::vector<ResultRow>& rows) {
    std::vector<PropertyRecord> added;
    return AddRecords(day, rows, added) && db.Add(added);
}

// StoredSpelling, asked once for each user and test met one after another;
// the records not added yet are added first, as the answer may lie in them.
std::optional<std::u16string> ContextSpelling(PropertyDatabase& db, JoinContext& context, const TakenTest& taken,
                                              std::vector<PropertyRecord>& added) {
    if (taken.user != context.user || taken.test != context.test) {
        if (!db.Add(added)) return std::nullopt;
        added.clear();
        context.user = taken.user;
        context.test = taken.test;
        context.spelling = StoredSpelling(db, taken.user, taken.test);
    }
    return context.spelling;
}

struct StoredDay {
    std::u16string_view test;
    SystemTime date;
};

// Makes the records of the `sources` days of the user's tests the records of
// `day`, rewriting them in place where it can, so that a test keeps its place
// in the stored order: a record becomes the row of its result name, else a
// row no record has the name of; records left over are deleted and rows left
// over added. A day without results keeps one record with empty result fields.
bool WriteDay(PropertyDatabase& db, const TakenTest& day, std::initializer_list<StoredDay> sources) {
    const std::vector<ResultRow> rows = RowsOf(day);
    std::vector<FieldMatch> matches;
    for (const StoredDay& source : sources) {
        matches.push_back(TestMatch(day.user, source.test));
        if (!OnDay(source.date, matches.back())) return false;
    }
    std::vector<std::u16string> names;  // of the records, in the order they are met
    for (const FieldMatch& match : matches)
        db.ForEachMatch(match, [&names](const PropertyRecord& record) {
            names.emplace_back(TextOf(record, kPropResultName));
            return true;
        });
    // The rows' names differ one from another.
    std::unordered_map<std::u16string_view, std::size_t> rowOf;
    for (std::size_t row = 0; row < rows.size(); ++row) rowOf.emplace(rows[row].name, row);
    std::vector<int> becomes(names.size(), -1);
    std::vector<bool> placed(rows.size(), false);
    for (std::size_t record = 0; record < names.size(); ++record) {
        const auto row = rowOf.find(names[record]);
        if (row == rowOf.end() || placed[row->second]) continue;
        placed[row->second] = true;
        becomes[record] = static_cast<int>(row->second);
    }
    std::size_t free = 0;
    for (std::size_t record = 0; record < names.size(); ++record) {
        while (free < rows.size() && placed[free]) ++free;
        if (becomes[record] >= 0 || free == rows.size()) continue;
        placed[free] = true;
        becomes[record] = static_cast<int>(free);
    }

    std::size_t next = 0;
    bool ok = true;
    for (const FieldMatch& match : matches) {
        // The visit rewrites or deletes the record it is on.
        db.ForEachMatch(match, [&](const PropertyRecord&) {
            const int row = next < becomes.size() ? becomes[next] : -1;
            ++next;
            PropertyRecord replacement;
            ok = row < 0 ? db.DeleteCurrent()
                         : RecordOf(day, rows[static_cast<std::size_t>(row)], replacement) && db.Write(replacement, 1);
            return ok;
        });
        if (!ok) return false;
    }
    std::vector<ResultRow> left;
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (!placed[row]) left.push_back(rows[row]);
    return AddRows(db, day, left);
}

// A taken test as the store keeps it: bounded names, a day, one result per name.
void Settle(TakenTest& taken) {
    taken.user = BoundedText(taken.user);
    taken.test = BoundedText(taken.test);
    taken.date = MakeDate(taken.date.year, taken.date.month, taken.date.day);
    taken.results = OnePerName(taken.results);
}

}  // namespace

TestSaved StoreTakenTest(TakenTest& taken, bool join) {
    Settle(taken);
    StoreTransaction unit;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kTestRecords)) return TestSaved::Failed;
    taken.test = StoredSpelling(db, taken.user, taken.test);
    const bool held = DayHeld(db, taken);
    if (held && !join) return TestSaved::DayHeld;
    if (held) JoinStored(taken);
    // A day not held has no records to rewrite: its rows are only added.
    const bool stored =
        Teach(taken, nullptr) && (held ? WriteDay(db, taken, {{taken.test, taken.date}}) : AddRows(db, taken, RowsOf(taken)));
    db.Close();
    return stored && unit.Commit() ? TestSaved::Stored : TestSaved::Failed;
}

TestSaved JoinTakenTests(std::vector<DayToJoin>& days, JoinContext& context) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kTestRecords)) return TestSaved::Failed;
    std::vector<PropertyRecord> added;  // of days not held, not added yet
    for (DayToJoin& day : days) {
        TakenTest& taken = day.taken;
        Settle(taken);
        const std::u16string asRead = taken.test;
        const std::optional<std::u16string> spelling = ContextSpelling(db, context, taken, added);
        if (!spelling) return TestSaved::Failed;
        taken.test = *spelling;
        const bool readHere = day.read && taken.test == asRead;
        if (!readHere || !day.read->empty()) {
            // The check, and the day's rewrite, come after the days added before it.
            if (!db.Add(added)) return TestSaved::Failed;
            added.clear();
        }
        const bool held = readHere ? !day.read->empty() : DayHeld(db, taken);
        if (held && readHere) JoinDay(taken, TakenTestOf(taken.user, taken.test, taken.date, *day.read));
        if (held && !readHere) JoinStored(taken);
        if (!Teach(taken, &context)) return TestSaved::Failed;
        if (held) {
            if (!WriteDay(db, taken, {{taken.test, taken.date}})) return TestSaved::Failed;
        } else if (!AddRecords(taken, RowsOf(taken), added)) {
            return TestSaved::Failed;
        }
    }
    const bool stored = db.Add(added);
    db.Close();
    return stored && unit.Commit() ? TestSaved::Stored : TestSaved::Failed;
}

TestSaved ReplaceTakenTest(std::u16string_view test, const SystemTime& date, TakenTest& taken, bool join) {
    Settle(taken);
    StoreTransaction unit;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kTestRecords)) return TestSaved::Failed;
    // The edited test keeps its own spelling.
    taken.test = EqualsNoCase(taken.test, test) ? BoundedText(test) : StoredSpelling(db, taken.user, taken.test);
    bool stored;
    if (taken.test == BoundedText(test) && SameDay(taken.date, date)) {
        stored = Teach(taken, nullptr) && WriteDay(db, taken, {{test, date}});
    } else {
        if (DayHeld(db, taken)) {
            if (!join) return TestSaved::DayHeld;
            JoinStored(taken);
        }
        // The day moved to first, so its records keep their places; nothing stays on the old day.
        FieldMatch left = TestMatch(taken.user, test);
        stored = Teach(taken, nullptr) && WriteDay(db, taken, {{taken.test, taken.date}, {test, date}}) &&
                 OnDay(date, left) && db.DeleteUndecodable(left);
    }
    db.Close();
    return stored && unit.Commit() ? TestSaved::Stored : TestSaved::Failed;
}

bool DeleteTakenTest(std::u16string_view user, std::u16string_view test, const SystemTime& date) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return unit.Commit();  // nothing to delete
    FieldMatch match = TestMatch(user, test);
    if (!OnDay(date, match)) return false;
    bool deleted = true;
    db.ForEachMatch(match, [&](const PropertyRecord&) {
        deleted = db.DeleteCurrent();
        return deleted;
    });
    // A record of that day whose bytes cannot be read would keep the day listed.
    deleted = deleted && db.DeleteUndecodable(match);
    db.Close();
    return deleted && unit.Commit();
}
