#pragma once
// How the store grows with its keys: devices of 10, 1,000 and 10,000 users
// with three results each, imported by vantrel-export from a CSV file, set
// against the same results for one user and against the sqlite3 shell's
// import of the same file; then the waits that must not grow with the users.

#include <filesystem>
#include <string>
#include <vector>

inline constexpr int kKeyUsers[] = {10, 1000, 10000};

struct KeyRow {
    const char* label;
    const char* target;
    bool perUsers;  // one figure per user count; else one figure in all
};
const std::vector<KeyRow>& KeyRows();

// Measures every row in `scratch`, in this process (which must have a
// QApplication); one figure per user count and row, 0 where a row has one figure.
std::vector<std::vector<double>> MeasureKeys(const std::filesystem::path& scratch, int repetitions);
