#include "tools/export/device_records.h"

#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <unordered_map>
#include <unordered_set>

namespace {

// Appends each user of `withTests` who is not in `users` yet.
void AddUsersWithoutPatientRecord(std::vector<UserEntry>& users, std::vector<std::u16string> withTests,
                                  const std::unordered_map<std::u16string, UserTally>& tallies = {}) {
    std::unordered_set<std::u16string> known;
    for (const UserEntry& user : users) known.insert(user.name);
    for (std::u16string& name : withTests) {
        if (known.contains(name)) continue;
        UserEntry& user = users.emplace_back(UserEntry{std::move(name), false});
        if (const auto tally = tallies.find(user.name); tally != tallies.end()) {
            user.tests = tally->second.tests;
            user.results = tally->second.results;
        }
    }
}

}  // namespace

std::vector<UserEntry> ReadUsers() {
    std::vector<UserEntry> users;
    for (std::u16string& name : PatientNames()) users.push_back({std::move(name), true});
    AddUsersWithoutPatientRecord(users, UsersWithTests());
    return users;
}

std::vector<UserEntry> ReadCountedUsers() {
    std::unordered_map<std::u16string, UserTally> tallies;
    for (UserTally& tally : TallyTestRecords()) tallies.emplace(tally.user, std::move(tally));
    std::vector<UserEntry> users;
    std::size_t counted = 0;
    for (std::u16string& name : PatientNames()) {
        UserEntry& user = users.emplace_back(UserEntry{std::move(name), true});
        if (const auto tally = tallies.find(user.name); tally != tallies.end()) {
            user.tests = tally->second.tests;
            user.results = tally->second.results;
            ++counted;
        }
    }
    // The tally comes in no order a person knows; users with tests but no
    // patient record are rare, and only then are they read again in order.
    if (counted < tallies.size()) AddUsersWithoutPatientRecord(users, UsersWithTests(), tallies);
    return users;
}
