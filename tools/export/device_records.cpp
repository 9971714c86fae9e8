#include "tools/export/device_records.h"

#include "platform/record_store.h"
#include "review/test_record_reading.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <functional>
#include <unordered_set>

namespace {

constexpr std::uint16_t kPatientName = 501;
constexpr std::uint16_t kPatientSex = 502;

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

std::vector<UserEntry> ReadUsers() {
    std::vector<UserEntry> users;
    ForEachRecord(kPatientsDatabase, [&](const PropertyRecord& record) {
        users.push_back({RecordText(record, kPatientName), RecordText(record, kPatientSex), true});
    });
    PropertyDatabase tests;
    if (tests.Open(kTestRecordsDatabase)) {
        std::unordered_set<std::u16string> known;
        for (const UserEntry& user : users) known.insert(user.name);
        for (std::u16string& user : tests.SortTexts())
            if (!known.contains(user)) users.push_back({std::move(user), u"", false});
    }
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
