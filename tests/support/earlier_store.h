#pragma once
// Store files as the earlier versions wrote them: format 1 (every record in
// one table, deletions logged aside) and format 2 (a table per folded sort
// text), for the conversion's tests.

#include "platform/records/property.h"
#include "platform/records/property_codec.h"
#include "platform/records/schema.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// A record of an earlier store: its database's row, its properties, or raw bytes in place of them.
struct EarlierRecord {
    int database = 1;
    std::vector<Property> properties;
    std::string rawBytes;  // when not empty: stored in place of the properties' encoding
};

struct EarlierDatabase {
    std::u16string name;
    std::uint16_t sortProperty = 1;
};

// The earlier stored form: a count, then per property its id, kind and value,
// little-endian; texts whose units all fit a byte one byte each.
inline std::string EarlierEncoding(const std::vector<Property>& properties) {
    std::string out;
    const auto put = [&out](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(properties.size(), 2);
    for (const Property& property : properties) {
        put(property.Id(), 2);
        if (property.Kind() == PropertyKind::FileTime) {
            put(1, 1);
            put(property.FileTimeValue(), 8);
            continue;
        }
        const std::u16string& text = property.StringValue();
        bool narrow = true;
        for (char16_t unit : text) narrow = narrow && unit <= 0xFF;
        put(narrow ? 2 : 0, 1);
        put(text.size(), 4);
        for (char16_t unit : text) put(unit, narrow ? 1 : 2);
    }
    return out;
}

inline std::string Hex(const std::string& bytes) {
    std::string hex = "x'";
    for (unsigned char byte : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex + "'";
}

inline std::string Quote(const std::u16string& text) {
    std::string quoted = "'";
    for (char c : TextToUtf8(text)) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

// Runs `sql` on `file` with a connection of its own; false when it failed.
inline bool ExecOn(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    const bool done = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

inline std::string EarlierDatabasesSql(const std::vector<EarlierDatabase>& databases) {
    std::string sql;
    for (const EarlierDatabase& database : databases)
        sql += "INSERT INTO databases(name, type, sort_property, sort_flags) VALUES(" + Quote(database.name) + ", 7, " +
               std::to_string(database.sortProperty) + ", 2);";
    return sql;
}

// Writes a store of format 1 at `store`; `deleted` are record rows (from 1) logged as deleted.
inline bool WriteFormat1Store(const std::filesystem::path& store, const std::vector<EarlierDatabase>& databases,
                              const std::vector<EarlierRecord>& records, const std::vector<int>& deleted = {}) {
    std::filesystem::create_directories(store.parent_path());
    std::string sql = "PRAGMA application_id=1448365105; PRAGMA user_version=1; PRAGMA journal_mode=WAL;";
    for (const std::string& statement : Format1Schema()) sql += statement + ";";
    sql += EarlierDatabasesSql(databases);
    for (const EarlierRecord& record : records)
        sql += "INSERT INTO records(database, properties) VALUES(" + std::to_string(record.database) + ", " +
               Hex(record.rawBytes.empty() ? EarlierEncoding(record.properties) : record.rawBytes) + ");";
    for (int row : deleted) sql += "INSERT INTO deleted_records VALUES(" + std::to_string(row) + ");";
    return ExecOn(store, sql);
}

// A lookup field as format 2 kept it: a text as its UTF-16 bytes, a time as an integer, none as the empty text.
inline std::string EarlierField(const std::vector<Property>& properties, int id) {
    for (const Property& property : properties) {
        if (property.Id() != id) continue;
        if (property.Kind() == PropertyKind::FileTime) return std::to_string(static_cast<long long>(property.FileTimeValue()));
        std::string bytes;
        for (char16_t unit : property.StringValue()) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        return Hex(bytes);
    }
    return "x''";
}

// Writes a store of format 2 at `store`: a run table per folded sort text, in
// the order the records come, each record's lookup fields the three
// properties after its sort property. `sortTexts` gives the sort text of a
// record with raw bytes.
inline bool WriteFormat2Store(const std::filesystem::path& store, const std::vector<EarlierDatabase>& databases,
                              const std::vector<EarlierRecord>& records, const std::vector<std::u16string>& sortTexts = {}) {
    std::filesystem::create_directories(store.parent_path());
    std::string sql = "PRAGMA application_id=1448365105; PRAGMA user_version=2; PRAGMA journal_mode=WAL;";
    for (const std::string& statement : Format2Schema()) sql += statement + ";";
    sql += EarlierDatabasesSql(databases);
    std::map<std::pair<int, std::string>, std::pair<int, int>> runs;  // (database, fold) -> (run, records)
    std::size_t raw = 0;
    for (std::size_t row = 0; row < records.size(); ++row) {
        const EarlierRecord& record = records[row];
        const EarlierDatabase& database = databases[static_cast<std::size_t>(record.database - 1)];
        std::u16string text = record.rawBytes.empty() ? std::u16string() : sortTexts.at(raw++);
        for (const Property& property : record.properties)
            if (property.Id() == database.sortProperty) text = property.StringValue();
        const std::string fold = OrderedBytes(FoldCase(text));
        auto [at, fresh] = runs.try_emplace({record.database, fold}, static_cast<int>(runs.size()) + 1, 0);
        const std::string table = "run_" + std::to_string(at->second.first);
        if (fresh) {
            sql += "INSERT INTO runs(id, database, fold, records) VALUES(" + std::to_string(at->second.first) + ", " +
                   std::to_string(record.database) + ", " + Hex(fold) + ", 0);";
            for (const std::string& statement : RunTableSchema(at->second.first)) sql += statement + ";";
        }
        ++at->second.second;
        const int sort = database.sortProperty;
        sql += "INSERT INTO " + table + "(id, exact, first, second, third, properties) VALUES(" + std::to_string(row + 1) +
               ", " + Hex(OrderedBytes(text)) + ", " + EarlierField(record.properties, sort + 1) + ", " +
               EarlierField(record.properties, sort + 2) + ", " + EarlierField(record.properties, sort + 3) + ", " +
               Hex(record.rawBytes.empty() ? EarlierEncoding(record.properties) : record.rawBytes) + ");";
        sql += "UPDATE runs SET records = records + 1 WHERE id = " + std::to_string(at->second.first) + ";";
    }
    return ExecOn(store, sql);
}
