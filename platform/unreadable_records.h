#pragma once
// Records whose stored bytes cannot be decoded. Reads pass over them and
// leave them as they are; the first one met in each database is told once.

#include <cstdint>
#include <functional>
#include <string_view>

struct sqlite3;

// A read of the object store passed over record `id` of `database`.
void NoteUnreadableRecord(std::u16string_view database, std::int64_t id);

// Visits every record, of every database of the store file open on `db`,
// whose bytes do not decode; `visit` returns false to stop. SQLite's result
// code: SQLITE_DONE when every record was looked at (or the visit stopped).
int ForEachUndecodableRecord(sqlite3* db, const std::function<bool(std::u16string_view database, std::int64_t id)>& visit);
