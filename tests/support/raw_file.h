#pragma once
// A file as an outside program sees it: its bytes, and SQL run on it through
// a connection of its own.

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The permission bits of `file`, or ~0u when it is missing.
inline unsigned Mode(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 0777 : ~0u;
}

inline std::string FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first column of the first row `sql` gives on `file`, as a number; -1 when none.
inline long long RawNumber(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* raw = nullptr;
    long long value = -1;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_open(file.c_str(), &raw) == SQLITE_OK && sqlite3_prepare_v2(raw, sql.c_str(), -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW)
        value = sqlite3_column_int64(query, 0);
    sqlite3_finalize(query);
    sqlite3_close(raw);
    return value;
}

inline void RunSql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}
