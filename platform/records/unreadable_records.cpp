#include "platform/records/unreadable_records.h"

#include "platform/device.h"
#include "platform/failure_cause.h"
#include "platform/records/connection.h"
#include "platform/records/file_checks.h"
#include "platform/records/record_rows.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

std::function<void(const UnreadableRecord&)>& Listener() {
    static std::function<void(const UnreadableRecord&)> listener;
    return listener;
}

std::u16string Quoted(std::u16string_view text) {
    std::u16string quoted(1, u'"');
    quoted += text;
    return quoted += u'"';
}

}  // namespace

void NoteUnreadableRecord(std::u16string_view database, std::u16string_view sortText, std::int64_t id) {
    static std::set<std::pair<std::string, std::u16string>> told;
    UnreadableRecord record{ObjectStorePath(), std::u16string(database), std::u16string(sortText), id};
    if (!told.emplace(record.file.string(), record.database).second) return;
    if (Listener()) Listener()(record);
}

void OnUnreadableRecord(std::function<void(const UnreadableRecord&)> met) { Listener() = std::move(met); }

std::u16string UnreadableRecordProblem(const UnreadableRecord& record) {
    return u"The data file " + Utf8ToText(record.file.string()) + u" holds a record in " + Quoted(record.database) +
           u" that Vantrel cannot read; it was left as it was and the other records are shown.";
}

int ForEachUndecodableRecord(
    sqlite3* db, const std::function<bool(std::u16string_view database, std::u16string_view sortText, std::int64_t id)>& visit) {
    std::map<std::int64_t, DatabaseInfo> databases;
    sqlite3_stmt* rows = nullptr;
    int rc = sqlite3_prepare_v2(db, (std::string("SELECT ") + kDatabaseColumns + " FROM databases").c_str(), -1, &rows, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(rows)) == SQLITE_ROW) {
        DatabaseInfo info = ReadDatabaseRow(rows);
        databases.emplace(info.id, std::move(info));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(rows);
    if (rc != SQLITE_DONE) return rc;
    rc = sqlite3_prepare_v2(db,
                            "SELECT sort_texts.database, sort_texts.exact, records.id, records.test, records.date,"
                            " records.result, records.properties FROM sort_texts JOIN records"
                            " ON records.sort_text = sort_texts.id",
                            -1, &rows, nullptr);
    bool going = true;
    while (rc == SQLITE_OK && going && (rc = sqlite3_step(rows)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        auto database = databases.find(sqlite3_column_int64(rows, 0));
        if (database == databases.end()) continue;
        const std::string_view exact = ReadBytes(rows, 1);
        const ColumnViews columns = {ColumnView{ColumnKind::Text, exact, 0}, ReadColumn(rows, 3), ReadColumn(rows, 4),
                                     ReadColumn(rows, 5)};
        if (!RecordDecodes(ReadBytes(rows, 6), columns, database->second.Columns()))
            going = visit(database->second.name, TextOfOrderedBytes(exact), sqlite3_column_int64(rows, 2));
    }
    sqlite3_finalize(rows);
    return !going || rc == SQLITE_DONE ? SQLITE_DONE : rc;
}

void ReadEveryRecord() {
    sqlite3* db = ObjectStore::Instance().Connection(ObjectStore::Use::Read);
    if (!db) return;
    const int rc = ForEachUndecodableRecord(db, [](std::u16string_view database, std::u16string_view sortText, std::int64_t id) {
        NoteUnreadableRecord(database, sortText, id);
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
            const int rc = ForEachUndecodableRecord(db, [&](std::u16string_view database, std::u16string_view sortText, std::int64_t id) {
                problem = u"The data file " + Utf8ToText(file.string()) + u" holds record " + IntToText(id) + u" of " +
                          Quoted(sortText) + u" in " + Quoted(database) + u", which Vantrel cannot read.";
                return false;
            });
            if (rc != SQLITE_DONE) problem = DamagedProblem(file);
        }
    }
    sqlite3_close_v2(db);
    return problem;
}
