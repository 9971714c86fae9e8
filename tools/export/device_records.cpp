#include "tools/export/device_records.h"

#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <algorithm>

std::vector<UserEntry> ReadUsers() {
    std::vector<UserEntry> users;
    for (Patient& patient : ReadPatients()) users.push_back({std::move(patient.name), std::move(patient.sex), true});
    for (std::u16string& user : UsersWithTests()) {
        const bool known = std::any_of(users.begin(), users.end(), [&](const UserEntry& u) { return u.name == user; });
        if (!known) users.push_back({std::move(user), u"", false});
    }
    return users;
}
