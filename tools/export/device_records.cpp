#include "tools/export/device_records.h"

#include "platform/record_store.h"
#include "review/test_record_reading.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <functional>
#include <unordered_set>

namespace {

void ForEachRecord(std::u16string_view database, const std::function<void(const PropertyRecord&)>& visit) {
    PropertyDatabase db;
    if (!db.Open(database)) return;
    db.SetAdvanceAfterRead(true);
    db.SeekToIndex(0);
    PropertyRecord record;
    while (db.ReadCurrent(record)) visit(record);
    db.Close();
}

}  // namespace

// A user's name is the sort text of their records: the names come from the
// index, and no record is read.
std::vector<UserEntry> ReadUsers() {
    std::vector<UserEntry> users;
    std::unordered_set<std::u16string> known;
    PropertyDatabase patients;
    if (patients.Open(kPatientsDatabase)) {
        for (std::u16string& name : patients.SortTexts()) {
            known.insert(name);
            users.push_back({std::move(name), true});
        }
    }
    PropertyDatabase tests;
    if (tests.Open(kTestRecordsDatabase))
        for (std::u16string& user : tests.SortTexts())
            if (!known.contains(user)) users.push_back({std::move(user), false});
    return users;
}

void ForEachTestRecord(const std::u16string* user, const std::function<void(const TestRecordEntry&)>& visit) {
    TestRecordEntry entry;
    auto visitRecord = [&](const PropertyRecord& record) {
        entry.user = RecordText(record, kPropUser);
        entry.test = RecordText(record, kPropTestName);
        entry.result = RecordText(record, kPropResultName);
        entry.value = RecordText(record, kPropResultValue);
        entry.goal = RecordText(record, kPropGoalValue);
        entry.unit = RecordText(record, kPropResultUnit);
        entry.comment = RecordText(record, kPropComment);
        entry.date = RecordDate(record);
        visit(entry);
    };
    if (user)
        ForEachUserRecord(*user, visitRecord);
    else
        ForEachRecord(kTestRecordsDatabase, visitRecord);
}

std::vector<TestRecordEntry> ReadTestRecords(const std::u16string* user) {
    std::vector<TestRecordEntry> records;
    ForEachTestRecord(user, [&records](const TestRecordEntry& entry) { records.push_back(entry); });
    return records;
}
