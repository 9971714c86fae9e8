#pragma once
// Bringing an object store of an earlier format to the current one, in place
// and as one transaction: format 1 (every record in one table, deletions
// logged aside) and format 2 (a table per sort text). Records keep their
// order; one that cannot be decoded is carried over as it was, under the sort
// text and lookup fields the earlier format knew for it, so nothing is lost.

#include "platform/records/file_checks.h"

#include <filesystem>

struct sqlite3;

// The copy of the file kept while it is converted.
std::filesystem::path UpgradeCopyPath(const std::filesystem::path& store);
// The name an earlier version gave that copy.
std::filesystem::path EarlierUpgradeCopyPath(const std::filesystem::path& store);

// Converts the file `db` is open on, of format `format`; a copy of it (0600)
// stays at UpgradeCopyPath until the converted file has passed the full
// check. SQLITE_OK when converted; else the code of what failed (SQLITE_CORRUPT
// for damage), the file left as it was (or, should the check fail, the copy kept).
int UpgradeStore(sqlite3* db, const std::filesystem::path& store, StoreFormat format);
