#pragma once
// The users the export tool names: every patient, then every user who has
// test records but no patient record.

#include <string>
#include <vector>

struct UserEntry {
    std::u16string name;
    bool hasPatientRecord = false;
};

// Each name once.
std::vector<UserEntry> ReadUsers();
