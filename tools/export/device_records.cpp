#include "tools/export/device_records.h"

#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <unordered_set>

std::vector<UserEntry> ReadUsers() {
    std::vector<UserEntry> users;
    std::unordered_set<std::u16string> known;
    for (std::u16string& name : PatientNames()) {
        known.insert(name);
        users.push_back({std::move(name), true});
    }
    for (std::u16string& user : UsersWithTests())
        if (!known.contains(user)) users.push_back({std::move(user), false});
    return users;
}
