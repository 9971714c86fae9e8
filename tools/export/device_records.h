#pragma once
// The users the export tool names: every patient, then every user who has
// test records but no patient record.

#include <string>
#include <vector>

struct UserEntry {
    std::u16string name;
    bool hasPatientRecord = false;
    int tests = 0, results = 0;  // counted by ReadCountedUsers only
};

// Each name once.
std::vector<UserEntry> ReadUsers();
// The same, each with their numbers of tests and results, counted in one
// pass over an index.
std::vector<UserEntry> ReadCountedUsers();
