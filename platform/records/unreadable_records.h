#pragma once
// Records whose stored bytes cannot be decoded. Reads pass over them and
// leave them as they are; the first one met in each database is told once.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

struct sqlite3;

// A record whose stored bytes cannot be decoded. Every read passes over it
// and leaves it as it is; the other records stay in use.
struct UnreadableRecord {
    std::filesystem::path file;
    std::u16string database;
    std::u16string sortText;  // the sort text it is stored under
    std::int64_t id = 0;      // its number among that text's records
};
// `met` is called when a read first meets such a record in a database (once
// per database and file in a process), from inside the read: it may not use
// the store, nor show a window there.
void OnUnreadableRecord(std::function<void(const UnreadableRecord&)> met);
// The message that tells a user of it.
std::u16string UnreadableRecordProblem(const UnreadableRecord& record);
// Looks at the bytes of every record, so that each database's unreadable
// record is met even where the reads made so far did not reach it.
void ReadEveryRecord();
// Names the first record of the store file `file` whose bytes cannot be
// decoded; empty when all can, or when the file is not a sound store (which
// ObjectStoreFileProblem tells).
std::u16string UndecodableRecordProblem(const std::filesystem::path& file);

// A read of the object store passed over record `id` of `sortText` in `database`.
void NoteUnreadableRecord(std::u16string_view database, std::u16string_view sortText, std::int64_t id);

// Visits every record, of every database of the store file open on `db`,
// whose bytes do not decode; `visit` returns false to stop. SQLite's result
// code: SQLITE_DONE when every record was looked at (or the visit stopped).
int ForEachUndecodableRecord(
    sqlite3* db, const std::function<bool(std::u16string_view database, std::u16string_view sortText, std::int64_t id)>& visit);
