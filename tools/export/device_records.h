#pragma once
// What the export tool reads of a device: its users and their test records,
// straight from the stores' databases, in store order.

#include "platform/datetime.h"

#include <functional>
#include <string>
#include <vector>

struct UserEntry {
    std::u16string name;
    bool hasPatientRecord = false;
};

struct TestRecordEntry {
    std::u16string user, test, result, value, goal, unit, comment;
    SystemTime date;
};

// Every patient, then every user who has test records but no patient record;
// each name once.
std::vector<UserEntry> ReadUsers();
// The test records of `user` (exact name), or of every user when `user` is
// null, in store order, each handed over as it is read.
void ForEachTestRecord(const std::u16string* user, const std::function<void(const TestRecordEntry&)>& visit);
std::vector<TestRecordEntry> ReadTestRecords(const std::u16string* user);
