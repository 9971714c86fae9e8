#pragma once
// The users the export tool names: every patient, then every user who has
// test records but no patient record.

#include <string>
#include <vector>

struct UserEntry {
    std::u16string name;
    std::u16string sex;
    bool hasPatientRecord = false;
};

std::vector<UserEntry> ReadUsers();
