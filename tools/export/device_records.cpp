#include "tools/export/device_records.h"

#include "platform/record_store.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <algorithm>
#include <functional>

namespace {

constexpr std::uint16_t kPatientName = 501;
constexpr std::uint16_t kPatientSex = 502;

std::u16string Text(const PropertyRecord& record, std::uint16_t id) {
    const Property* property = record.GetProperty(id);
    return property ? property->StringValue() : std::u16string();
}

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
        users.push_back({Text(record, kPatientName), Text(record, kPatientSex), true});
    });
    ForEachRecord(kTestRecordsDatabase, [&](const PropertyRecord& record) {
        std::u16string user = Text(record, kPropUser);
        bool known = std::any_of(users.begin(), users.end(), [&](const UserEntry& u) { return u.name == user; });
        if (!known) users.push_back({user, u"", false});
    });
    return users;
}

std::vector<TestRecordEntry> ReadTestRecords(const std::u16string* user) {
    std::vector<TestRecordEntry> records;
    ForEachRecord(kTestRecordsDatabase, [&](const PropertyRecord& record) {
        TestRecordEntry entry;
        entry.user = Text(record, kPropUser);
        if (user && entry.user != *user) return;
        entry.test = Text(record, kPropTestName);
        entry.result = Text(record, kPropResultName);
        entry.value = Text(record, kPropResultValue);
        entry.goal = Text(record, kPropGoalValue);
        entry.unit = Text(record, kPropResultUnit);
        entry.comment = Text(record, kPropComment);
        if (const Property* date = record.GetProperty(kPropTestDate))
            FileTimeToSystemTime(date->FileTimeValue(), entry.date);
        records.push_back(std::move(entry));
    });
    return records;
}
