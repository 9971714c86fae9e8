#pragma once
// The object store as a file: what it is (its format), making it, and the
// checks that decide whether it can be believed. Nothing here keeps state.

#include <filesystem>
#include <string>

struct sqlite3;

enum class StoreFormat {
    Unreadable,  // SQLite could not read the file's header (busy, damaged, no SQLite file)
    Empty,       // an SQLite file with nothing in it yet: its making was cut short
    Format1,     // written by an earlier version: every record in one table
    Format2,     // written by an earlier version: a table per sort text
    Current,
    Newer,       // written by a later version
    Foreign,     // an SQLite file that is not a Vantrel store
};
// `error` receives SQLite's result code when the format could not be read.
StoreFormat ReadStoreFormat(sqlite3* db, int* error = nullptr);
bool IsEarlierFormat(StoreFormat format);

// Makes the file, 0600, and its missing folders, 0700; true when it exists afterwards.
bool CreateStoreFile(const std::filesystem::path& path);

// The files SQLite keeps beside a store, by their suffix ("" for the store itself).
inline constexpr const char* kStoreCompanions[] = {"", "-wal", "-shm", "-journal"};
// The first of the store file and the files SQLite keeps beside it that is a
// link (symbolic, or a second name of the file); empty when none is.
std::filesystem::path LinkedStoreFile(const std::filesystem::path& store);
// Takes every right of others away from the store file and those beside it, where this user owns them.
void NarrowStoreFiles(const std::filesystem::path& store);

// Whether the file holds exactly the tables and indexes of `format` and
// nothing else (no view, no trigger); false for any other format. Only the
// schema table is read, so nothing a planted object would do can run.
bool HasStoreSchema(sqlite3* db, StoreFormat format);

// The checks made at every opening of a current-format file, each a few
// index descents: every database row can be used and the sort texts' ids
// are within the range the store writes.
bool PassesOpeningChecks(sqlite3* db);
// SQLite's full integrity check: every page, every index against its table.
bool PassesIntegrityCheck(sqlite3* db);
// SQLite's full integrity check, then the
// store's own rules over every row: ids within range, each record's sort text
// there, each sort text folded as this version folds it. Reads the whole file.
bool PassesFullCheck(sqlite3* db);

// The nearest folder that exists on the way to `folder`.
std::filesystem::path ExistingAncestor(std::filesystem::path folder);

// Why the file `file` is not a sound object store, read-only and whole: not
// an SQLite file of this program, written by a newer version, damaged as
// SQLite or the store's own rules see it, or unreadable; empty when it is
// sound. A file of an earlier format is sound when SQLite's check passes: it
// is converted when it is next opened.
std::u16string StoreFileProblem(const std::filesystem::path& file);
