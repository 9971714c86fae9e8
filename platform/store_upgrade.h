#pragma once
// Bringing an object store of format 1 (every record in one table) to the
// current format, in place and as one transaction.

#include <filesystem>

struct sqlite3;

// The tables of format 1 beside `databases`.
extern const char* const kFormat1Schema;

// The copy of the file kept while it is converted.
std::filesystem::path UpgradeCopyPath(const std::filesystem::path& store);

// Converts the file `db` is open on; a copy of it stays at UpgradeCopyPath
// until the converted file has passed the integrity check. SQLITE_OK when
// converted; else the code of what failed (SQLITE_CORRUPT for damage), the
// file left as it was (or, should the check fail, the copy kept).
int UpgradeFromFormat1(sqlite3* db, const std::filesystem::path& store);
