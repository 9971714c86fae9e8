#pragma once
// Damage that SQLite's own checks cannot see: the stored bytes of one record
// spoiled with raw SQLite, in a store the program made.

#include "platform/records/property_codec.h"
#include "platform/records/schema.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct SpoiledRecord {
    std::int64_t sortText = 0;  // its row in the file: the sort text's, and its number there
    std::int64_t id = 0;
    std::string bytes;  // as it is stored now
};

// Ends three bytes early.
inline void CutShort(std::string& bytes) { bytes.resize(bytes.size() - 3); }
// The first property's kind is one no version writes.
inline void UnknownKind(std::string& bytes) {
    std::size_t head = 1;  // past the count
    while (head < bytes.size() && (bytes[head] & 0x80)) ++head;
    ++head;  // past the id
    bytes[head] = static_cast<char>((bytes[head] & ~7) | 7);
}

// Visits the records of `database` in the (closed) store file with their
// properties and stored bytes; `visit` may change the bytes and returns true
// to write them back.
inline void ForEachStoredRecord(
    const std::filesystem::path& store, std::u16string_view database,
    const std::function<bool(const SpoiledRecord& at, const std::vector<Property>& properties, std::string& bytes)>& visit) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* rows = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT databases.id, name, type, sort_property, sort_flags, test_property, date_property,"
                       " result_property, sort_texts.exact, records.sort_text, records.id, records.test, records.date,"
                       " records.result, records.properties FROM databases JOIN sort_texts ON sort_texts.database = databases.id"
                       " JOIN records ON records.sort_text = sort_texts.id WHERE databases.name = ?",
                       -1, &rows, nullptr);
    ASSERT_NE(rows, nullptr) << sqlite3_errmsg(db);
    sqlite3_bind_text16(rows, 1, database.data(), static_cast<int>(database.size() * 2), SQLITE_TRANSIENT);
    std::vector<SpoiledRecord> changed;
    while (sqlite3_step(rows) == SQLITE_ROW) {
        const DatabaseInfo info = ReadDatabaseRow(rows);
        const ColumnViews columns = {ColumnView{ColumnKind::Text, ReadBytes(rows, 8), 0}, ReadColumn(rows, 11),
                                     ReadColumn(rows, 12), ReadColumn(rows, 13)};
        SpoiledRecord at{sqlite3_column_int64(rows, 9), sqlite3_column_int64(rows, 10), std::string(ReadBytes(rows, 14))};
        std::vector<Property> properties;
        if (!DecodeRecord(at.bytes, columns, info.Columns(), properties)) properties.clear();
        if (visit(at, properties, at.bytes)) changed.push_back(at);
    }
    sqlite3_finalize(rows);
    for (const SpoiledRecord& record : changed) {
        sqlite3_stmt* update = nullptr;
        sqlite3_prepare_v2(db, "UPDATE records SET properties = ? WHERE sort_text = ? AND id = ?", -1, &update, nullptr);
        sqlite3_bind_blob(update, 1, record.bytes.data(), static_cast<int>(record.bytes.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(update, 2, record.sortText);
        sqlite3_bind_int64(update, 3, record.id);
        EXPECT_EQ(sqlite3_step(update), SQLITE_DONE) << sqlite3_errmsg(db);
        sqlite3_finalize(update);
    }
    sqlite3_close(db);
}

// Spoils the first record of `database` whose properties `which` picks.
inline SpoiledRecord SpoilRecord(const std::filesystem::path& store, std::u16string_view database,
                                 const std::function<bool(const std::vector<Property>&)>& which,
                                 void (*spoil)(std::string&)) {
    SpoiledRecord spoiled;
    ForEachStoredRecord(store, database, [&](const SpoiledRecord& at, const std::vector<Property>& properties, std::string& bytes) {
        if (spoiled.id != 0 || properties.empty() || !which(properties)) return false;
        spoil(bytes);
        spoiled = {at.sortText, at.id, bytes};
        return true;
    });
    EXPECT_NE(spoiled.id, 0) << "no such record";
    return spoiled;
}

// The stored bytes of `record` of `database`.
inline std::string StoredBytes(const std::filesystem::path& store, std::u16string_view database, const SpoiledRecord& record) {
    std::string found;
    ForEachStoredRecord(store, database, [&](const SpoiledRecord& at, const std::vector<Property>&, std::string& bytes) {
        if (at.sortText == record.sortText && at.id == record.id) found = bytes;
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
