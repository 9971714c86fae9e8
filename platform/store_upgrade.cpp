#include "platform/store_upgrade.h"

#include "platform/store_file.h"

#include "platform/property_codec.h"
#include "platform/run_layout.h"

#include <sqlite3.h>

#include <map>
#include <string>
#include <unistd.h>

namespace {

struct Statement {
    sqlite3_stmt* handle = nullptr;
    Statement(sqlite3* db, const std::string& sql) { sqlite3_prepare_v2(db, sql.c_str(), -1, &handle, nullptr); }
    ~Statement() { sqlite3_finalize(handle); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
};

bool Exec(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

struct RunSlot {
    std::int64_t id;
    std::int64_t records = 0;
    std::unique_ptr<Statement> insert;
};

// Every live record of format 1, in the order added, into the runs.
bool MoveRecords(sqlite3* db) {
    std::map<std::uint32_t, DatabaseInfo> databases;
    Statement catalogue(db, "SELECT id, name, type, sort_property, sort_flags FROM databases");
    while (catalogue.handle && sqlite3_step(catalogue.handle) == SQLITE_ROW) {
        DatabaseInfo info;
        info.id = static_cast<std::uint32_t>(sqlite3_column_int64(catalogue.handle, 0));
        info.type = static_cast<std::uint32_t>(sqlite3_column_int64(catalogue.handle, 2));
        info.sortProperty = static_cast<std::uint16_t>(sqlite3_column_int64(catalogue.handle, 3));
        info.sortFlags = static_cast<std::uint32_t>(sqlite3_column_int64(catalogue.handle, 4));
        databases.emplace(info.id, info);
    }
    Statement records(db,
                      "SELECT database, properties, id FROM records WHERE id NOT IN (SELECT id FROM deleted_records)"
                      " ORDER BY id");
    Statement newRun(db, "INSERT INTO runs(database, fold, records) VALUES(?, ?, 0)");
    if (!records.handle || !newRun.handle) return false;
    std::map<std::pair<std::uint32_t, std::string>, RunSlot> runs;
    std::vector<Property> properties;
    int rc;
    while ((rc = sqlite3_step(records.handle)) == SQLITE_ROW) {
        auto found = databases.find(static_cast<std::uint32_t>(sqlite3_column_int64(records.handle, 0)));
        if (found == databases.end()) continue;  // a record of no database was never readable
        const char* bytes = static_cast<const char*>(sqlite3_column_blob(records.handle, 1));
        const std::string encoded(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(records.handle, 1)));
        if (!DecodeProperties(encoded, properties)) return false;
        const RecordColumns columns = ColumnsOf(found->second, properties);
        auto key = std::make_pair(found->first, columns.fold);
        auto slot = runs.find(key);
        if (slot == runs.end()) {
            sqlite3_bind_int64(newRun.handle, 1, found->first);
            sqlite3_bind_blob(newRun.handle, 2, columns.fold.data(), static_cast<int>(columns.fold.size()), SQLITE_STATIC);
            const int made = sqlite3_step(newRun.handle);
            sqlite3_reset(newRun.handle);
            if (made != SQLITE_DONE) return false;
            const std::int64_t id = sqlite3_last_insert_rowid(db);
            if (!Exec(db, RunTableSchema(id))) return false;
            slot = runs.emplace(key, RunSlot{id, 0, std::make_unique<Statement>(db, RunInsertSql(id))}).first;
        }
        if (!slot->second.insert->handle || InsertIntoRun(slot->second.insert->handle, sqlite3_column_int64(records.handle, 2), columns, encoded) != SQLITE_DONE)
            return false;
        ++slot->second.records;
    }
    if (rc != SQLITE_DONE) return false;
    for (const auto& [key, slot] : runs)
        if (!Exec(db, "UPDATE runs SET records = " + std::to_string(slot.records) + " WHERE id = " + std::to_string(slot.id)))
            return false;
    return true;
}

}  // namespace

const char* const kFormat1Schema =
    "CREATE TABLE records(id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " database INTEGER NOT NULL REFERENCES databases(id), properties BLOB NOT NULL);"
    "CREATE INDEX records_by_database ON records(database);"
    "CREATE TABLE deleted_records(id INTEGER PRIMARY KEY);";

std::filesystem::path UpgradeCopyPath(const std::filesystem::path& store) { return store.string() + ".format1"; }

int UpgradeFromFormat1(sqlite3* db, const std::filesystem::path& store) {
    // A record that cannot be decoded is damage SQLite did not see.
    auto failure = [db] {
        const int code = sqlite3_extended_errcode(db);
        return code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE ? SQLITE_CORRUPT : code;
    };
    const std::string copy = UpgradeCopyPath(store).string();
    ::unlink(copy.c_str());  // left by a conversion cut short; the file itself is still whole
    Statement keep(db, "VACUUM INTO ?");
    if (!keep.handle) return failure();
    sqlite3_bind_text(keep.handle, 1, copy.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(keep.handle) != SQLITE_DONE) {
        const int code = failure();
        ::unlink(copy.c_str());  // a part written before the disk filled up
        return code;
    }
    if (!Exec(db, "BEGIN IMMEDIATE")) return failure();
    const bool converted = Exec(db, kRunsSchema) &&
                           MoveRecords(db) && Exec(db, "DROP TABLE records; DROP TABLE deleted_records;") &&
                           Exec(db, "PRAGMA user_version=" + std::to_string(kStoreFormat)) && Exec(db, "COMMIT");
    if (!converted) {
        const int code = failure();
        if (!sqlite3_get_autocommit(db)) Exec(db, "ROLLBACK");
        ::unlink(copy.c_str());
        return code;
    }
    if (!PassesQuickCheck(db)) return SQLITE_CORRUPT;
    ::unlink(copy.c_str());
    return SQLITE_OK;
}
