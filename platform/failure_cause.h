#pragma once
// The true cause of a failure to use a file, for the user: a full disk, a
// read-only medium, a permission held by another account, or damage; and the
// messages that tell why the object store cannot be used.

#include <filesystem>
#include <string>

struct sqlite3;

// The system's error number `error` met at `place`, as words that end a
// sentence ("the disk is full"); a denied permission names the owner of `place`.
std::u16string FailureCause(int error, const std::filesystem::path& place);

// Why SQLite could not use the object store `store` on `db`, which failed
// with result code `code`: damage only when SQLite found it; otherwise the
// cause the system gave or, where SQLite hides it, the state of the medium.
// `writing` tells whether the store was opened for writing.
std::u16string StoreFailureProblem(const std::filesystem::path& store, sqlite3* db, int code, bool writing);

std::u16string LinkProblem(const std::filesystem::path& link);
std::u16string DamagedProblem(const std::filesystem::path& path);
std::u16string NewerProblem(const std::filesystem::path& path);
std::u16string OlderProblem(const std::filesystem::path& path);
std::u16string CannotWriteProblem(const std::filesystem::path& place, int error);
std::u16string CannotReadProblem(const std::filesystem::path& path, int error);
