#pragma once
// Reading results back from a CSV file such as `csv` writes, into the stores,
// as Take Test would have stored them.

#include <filesystem>
#include <string>
#include <vector>

struct ImportedUser {
    std::u16string name;
    int added = 0;
    int updated = 0;
    bool madeUser = false;  // had no user record; one is made
};

struct ImportOutcome {
    std::vector<ImportedUser> users;  // in the order the file first names them
    bool catalogueImported = false;   // the device's first-run catalogue import ran first
    std::u16string madeCurrent;       // the user who became the current user, if any
};

// Imports every row of `file` as one unit: all of it, or on the first problem
// nothing. With `dryRun` nothing is written and `outcome` tells what would be.
// Refuses while the program holds the device. Empty on success, else why not,
// as "line N: ..." for a row.
std::string ImportResultsCsv(const std::filesystem::path& file, bool dryRun, ImportOutcome& outcome);
