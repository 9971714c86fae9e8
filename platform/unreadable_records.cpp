#include "platform/unreadable_records.h"

#include "platform/device.h"
#include "platform/object_store.h"
#include "platform/property_codec.h"
#include "platform/record_store.h"
#include "platform/run_layout.h"
#include "platform/store_file.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <set>
#include <string>
#include <utility>

namespace {

std::function<void(const UnreadableRecord&)>& Listener() {
    static std::function<void(const UnreadableRecord&)> listener;
    return listener;
}

std::u16string Quoted(std::u16string_view database) { return u"\"" + std::u16string(database) + u"\""; }

}  // namespace

void NoteUnreadableRecord(std::u16string_view database, std::int64_t id) {
    static std::set<std::pair<std::string, std::u16string>> told;
    UnreadableRecord record{ObjectStorePath(), std::u16string(database), id};
    if (!told.emplace(record.file.string(), record.database).second) return;
    if (Listener()) Listener()(record);
}

void OnUnreadableRecord(std::function<void(const UnreadableRecord&)> met) { Listener() = std::move(met); }

std::u16string UnreadableRecordProblem(const UnreadableRecord& record) {
    return u"The data file " + Utf8ToText(record.file.string()) + u" holds a record in " + Quoted(record.database) +
           u" that Vantrel cannot read; it was left as it was and the other records are shown.";
}

int ForEachUndecodableRecord(sqlite3* db, const std::function<bool(std::u16string_view database, std::int64_t id)>& visit) {
    sqlite3_stmt* runs = nullptr;
    int rc = sqlite3_prepare_v2(db,
                                "SELECT runs.id, databases.name FROM runs JOIN databases ON databases.id = runs.database"
                                " ORDER BY runs.database, runs.fold",
                                -1, &runs, nullptr);
    bool going = true;
    while (rc == SQLITE_OK && going && (rc = sqlite3_step(runs)) == SQLITE_ROW) {
        const auto* name = static_cast<const char16_t*>(sqlite3_column_text16(runs, 1));
        const std::u16string database(name ? name : u"", static_cast<std::size_t>(sqlite3_column_bytes16(runs, 1)) / 2);
        const std::string sql = "SELECT id, properties FROM " + RunTableName(sqlite3_column_int64(runs, 0)) + " ORDER BY id";
        sqlite3_stmt* rows = nullptr;
        int read = sqlite3_prepare_v2(db, sql.c_str(), -1, &rows, nullptr);
        while (read == SQLITE_OK && going && (read = sqlite3_step(rows)) == SQLITE_ROW) {
            read = SQLITE_OK;
            const char* bytes = static_cast<const char*>(sqlite3_column_blob(rows, 1));
            if (!Decodes(std::string_view(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(rows, 1)))))
                going = visit(database, sqlite3_column_int64(rows, 0));
        }
        sqlite3_finalize(rows);
        rc = read == SQLITE_OK || read == SQLITE_DONE ? SQLITE_OK : read;
    }
    sqlite3_finalize(runs);
    return !going || rc == SQLITE_DONE ? SQLITE_DONE : rc;
}

void ReadEveryRecord() {
    sqlite3* db = ObjectStore::Instance().Connection(ObjectStore::Use::Read);
    if (!db) return;
    const int rc = ForEachUndecodableRecord(db, [](std::u16string_view database, std::int64_t id) {
        NoteUnreadableRecord(database, id);
        return true;
    });
    if (rc != SQLITE_DONE) ObjectStore::Instance().ReadFailed(rc);
}

// Only a file of the current format whose schema is the program's own is read:
// nothing planted in any other may run.
std::u16string UndecodableRecordProblem(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    std::u16string problem;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_busy_timeout(db, 5000);
        const StoreFormat format = ReadStoreFormat(db);
        if (format == StoreFormat::Current && HasStoreSchema(db, format)) {
            const int rc = ForEachUndecodableRecord(db, [&](std::u16string_view database, std::int64_t id) {
                problem = u"The data file " + Utf8ToText(file.string()) + u" holds record " + IntToText(id) + u" of " +
                          Quoted(database) + u", which Vantrel cannot read.";
                return false;
            });
            if (rc != SQLITE_DONE) problem = DamagedProblem(file);
        }
    }
    sqlite3_close_v2(db);
    return problem;
}
