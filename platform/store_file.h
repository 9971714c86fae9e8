#pragma once
// The object store as a file: what it is (its format), making it, checking
// it, and the messages that tell a user why it cannot be used.

#include <filesystem>
#include <string>

struct sqlite3;

enum class StoreFormat {
    Unreadable,  // SQLite could not read the file's header (busy, damaged, no SQLite file)
    Empty,       // an SQLite file with nothing in it yet: its making was cut short
    Format1,     // written by an earlier version
    Current,
    Newer,       // written by a later version
    Foreign,     // an SQLite file that is not a Vantrel store
};
// `error` receives SQLite's result code when the format could not be read.
StoreFormat ReadStoreFormat(sqlite3* db, int* error = nullptr);

// Makes the file (and its missing folders, owner only); true when it exists afterwards.
bool CreateStoreFile(const std::filesystem::path& path);

// The first of the store file and the files SQLite keeps beside it that is a
// link; empty when none is.
std::filesystem::path LinkedStoreFile(const std::filesystem::path& store);
// Takes every right of others away from the store file and those beside it, where this user owns them.
void NarrowStoreFiles(const std::filesystem::path& store);

// Whether the file holds exactly the tables and indexes of `format` and
// nothing else (no view, no trigger); false for any other format.
bool HasStoreSchema(sqlite3* db, StoreFormat format);

// SQLite's quick check on the open connection.
bool PassesQuickCheck(sqlite3* db);

// The nearest folder that exists on the way to `folder`.
std::filesystem::path ExistingAncestor(std::filesystem::path folder);

std::u16string LinkProblem(const std::filesystem::path& link);
std::u16string DamagedProblem(const std::filesystem::path& path);
std::u16string NewerProblem(const std::filesystem::path& path);
std::u16string OlderProblem(const std::filesystem::path& path);
std::u16string CannotWriteProblem(const std::filesystem::path& place, int error);
std::u16string CannotReadProblem(const std::filesystem::path& path, int error);
