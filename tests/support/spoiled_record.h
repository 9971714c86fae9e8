#pragma once
// Damage that SQLite's own checks cannot see: the stored bytes of one record
// spoiled with raw SQLite, in a store the program made.

#include "platform/property_codec.h"
#include "platform/run_layout.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct SpoiledRecord {
    std::int64_t id = 0;  // its row in the file
    std::string bytes;    // as it is stored now
};

// Ends three bytes early.
inline void CutShort(std::string& bytes) { bytes.resize(bytes.size() - 3); }
// The first property's kind byte is one no version writes.
inline void UnknownKind(std::string& bytes) { bytes[4] = '\x07'; }

// Visits the records of `database` in the (closed) store file with their
// stored bytes; `visit` may change the bytes and returns true to write them back.
inline void ForEachStoredRecord(const std::filesystem::path& store, std::u16string_view database,
                                const std::function<bool(std::int64_t id, std::string& bytes)>& visit) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* runs = nullptr;
    sqlite3_prepare_v2(db, "SELECT runs.id FROM runs JOIN databases ON databases.id = runs.database WHERE name = ?", -1,
                       &runs, nullptr);
    sqlite3_bind_text16(runs, 1, database.data(), static_cast<int>(database.size() * 2), SQLITE_TRANSIENT);
    std::vector<std::string> tables;
    while (sqlite3_step(runs) == SQLITE_ROW) tables.push_back(RunTableName(sqlite3_column_int64(runs, 0)));
    sqlite3_finalize(runs);
    ASSERT_FALSE(tables.empty());
    for (const std::string& table : tables) {
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db, ("SELECT id, properties FROM " + table + " ORDER BY id").c_str(), -1, &rows, nullptr);
        std::vector<std::pair<std::int64_t, std::string>> changed;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            const char* blob = static_cast<const char*>(sqlite3_column_blob(rows, 1));
            std::string bytes(blob ? blob : "", static_cast<std::size_t>(sqlite3_column_bytes(rows, 1)));
            if (visit(sqlite3_column_int64(rows, 0), bytes)) changed.emplace_back(sqlite3_column_int64(rows, 0), bytes);
        }
        sqlite3_finalize(rows);
        for (const auto& [id, bytes] : changed) {
            sqlite3_stmt* update = nullptr;
            sqlite3_prepare_v2(db, ("UPDATE " + table + " SET properties = ? WHERE id = ?").c_str(), -1, &update, nullptr);
            sqlite3_bind_blob(update, 1, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(update, 2, id);
            EXPECT_EQ(sqlite3_step(update), SQLITE_DONE) << sqlite3_errmsg(db);
            sqlite3_finalize(update);
        }
    }
    sqlite3_close(db);
}

// Spoils the first record of `database` whose properties `which` picks.
inline SpoiledRecord SpoilRecord(const std::filesystem::path& store, std::u16string_view database,
                                 const std::function<bool(const std::vector<Property>&)>& which,
                                 void (*spoil)(std::string&)) {
    SpoiledRecord spoiled;
    ForEachStoredRecord(store, database, [&](std::int64_t id, std::string& bytes) {
        std::vector<Property> properties;
        if (spoiled.id != 0 || !DecodeProperties(bytes, properties) || !which(properties)) return false;
        spoil(bytes);
        spoiled = {id, bytes};
        return true;
    });
    EXPECT_NE(spoiled.id, 0) << "no such record";
    return spoiled;
}

// The stored bytes of record `id` of `database`.
inline std::string StoredBytes(const std::filesystem::path& store, std::u16string_view database, std::int64_t id) {
    std::string found;
    ForEachStoredRecord(store, database, [&](std::int64_t row, std::string& bytes) {
        if (row == id) found = bytes;
        return false;
    });
    return found;
}

// Whether the record holds property `id` with text `text`.
inline bool Holds(const std::vector<Property>& properties, std::uint16_t id, std::u16string_view text) {
    for (const Property& property : properties)
        if (property.Id() == id && property.StringValue() == text) return true;
    return false;
}
