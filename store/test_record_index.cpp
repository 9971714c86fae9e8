#include "store/test_record_index.h"

#include "platform/object_store.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct IndexedRecord {
    int index;
    std::uint32_t result;  // in IndexedTest::results
    FileTime time;
};

struct IndexedTest {
    std::vector<std::u16string> results;  // the distinct result names, as stored
    std::vector<IndexedRecord> records;   // in record order
};

// One user's records by stored test name. Any change to the database changes
// its version and so rebuilds the index on the next lookup, except an
// addition the index is told of.
class UserRecordIndex {
public:
    // Brings the index up to date for `user` (exact); false when the database cannot be read.
    bool Refresh(const std::u16string& user);
    const IndexedTest* Find(const std::u16string& test) const {
        auto found = tests_.find(test);
        return found == tests_.end() ? nullptr : &found->second;
    }
    void NoteAdded(std::uint64_t before, std::uint64_t after, const PropertyRecord& record);

private:
    void Build(PropertyDatabase& db);
    void Add(int index, const PropertyRecord& record);

    std::uint64_t version_ = 0;
    std::u16string user_;
    std::unordered_map<std::u16string, IndexedTest> tests_;
    // The index after the run's last record, -1 for an empty run. A new
    // record of the user has the highest row id, so it lands there.
    int runEnd_ = -1;
    IndexedTest* lastTest_ = nullptr;  // a taking's records come together
    std::u16string_view lastTestName_;
};

UserRecordIndex gIndex;

bool UserRecordIndex::Refresh(const std::u16string& user) {
    PropertyDatabase db;
    // Opened first: an open handle keeps the records as they are while the index is read.
    if (!db.Open(kTestRecordsDatabase)) return false;
    const std::uint64_t version = TestRecordsVersion();
    if (version == 0) return false;
    if (version == version_ && user == user_) return true;
    version_ = version;
    user_ = user;
    Build(db);
    return true;
}

void UserRecordIndex::Build(PropertyDatabase& db) {
    tests_.clear();
    lastTest_ = nullptr;
    runEnd_ = -1;
    ForEachInUserRun(db, user_, [&](PropertyDatabase& handle, const PropertyRecord& record) {
        const int index = handle.CurrentIndex();
        runEnd_ = index + 1;
        if (TextOf(record, kPropUser) == user_) Add(index, record);
        return true;
    });
}

void UserRecordIndex::Add(int index, const PropertyRecord& record) {
    const std::u16string_view name = TextOf(record, kPropTestName);
    if (!lastTest_ || name != lastTestName_) {
        auto entry = tests_.try_emplace(std::u16string(name)).first;
        lastTest_ = &entry->second;
        lastTestName_ = entry->first;
    }
    IndexedTest& test = *lastTest_;
    const std::u16string_view result = TextOf(record, kPropResultName);
    std::uint32_t ordinal = 0;
    while (ordinal < test.results.size() && test.results[ordinal] != result) ++ordinal;
    if (ordinal == test.results.size()) test.results.emplace_back(result);
    test.records.push_back({index, ordinal, FileTimeOf(record, kPropTestDate)});
}

// Only a record of this user, added with nothing else changed since the index
// was current, is taken in; after anything else the index is left behind.
void UserRecordIndex::NoteAdded(std::uint64_t before, std::uint64_t after, const PropertyRecord& record) {
    if (before == 0 || before != version_ || after == 0 || runEnd_ < 0 || TextOf(record, kPropUser) != user_) return;
    Add(runEnd_++, record);
    version_ = after;
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

int FindIndexedRecord(std::u16string_view user, std::u16string_view test,
                      std::optional<std::u16string_view> result, const SystemTime& date) {
    if (!gIndex.Refresh(BoundedText(user))) return -1;
    const IndexedTest* found = gIndex.Find(BoundedText(test));
    if (!found) return -1;
    std::uint32_t ordinal = 0;
    if (result) {
        const std::u16string name = BoundedText(*result);
        while (ordinal < found->results.size() && found->results[ordinal] != name) ++ordinal;
        if (ordinal == found->results.size()) return -1;
    }
    for (const IndexedRecord& record : found->records) {
        if (result && record.result != ordinal) continue;
        if (IsSameMoment(record.time, date)) return record.index;
    }
    return -1;
}

std::uint64_t TestRecordsVersion() { return RecordsVersion(kTestRecordsDatabase); }

void NoteAddedRecord(std::uint64_t before, const PropertyRecord& record) {
    gIndex.NoteAdded(before, TestRecordsVersion(), record);
}
