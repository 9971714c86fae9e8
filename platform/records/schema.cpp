#include "platform/records/schema.h"

#include "platform/text.h"

#include <sqlite3.h>

const std::vector<std::string>& CurrentSchema() {
    static const std::vector<std::string> schema = {
        "CREATE TABLE databases(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, type INTEGER NOT NULL,"
        " sort_property INTEGER NOT NULL, sort_flags INTEGER NOT NULL, test_property INTEGER NOT NULL,"
        " date_property INTEGER NOT NULL, result_property INTEGER NOT NULL)",
        // Numbered in the order made, never again the same number: texts
        // equal ignoring case keep that order.
        "CREATE TABLE sort_texts(id INTEGER PRIMARY KEY AUTOINCREMENT, database INTEGER NOT NULL,"
        " fold BLOB NOT NULL, exact BLOB NOT NULL)",
        "CREATE INDEX sort_texts_in_order ON sort_texts(database, fold)",
        // Clustered by sort text: a user's records are one range of pages.
        "CREATE TABLE records(sort_text INTEGER NOT NULL, id INTEGER NOT NULL, test, date, result,"
        " properties BLOB NOT NULL, PRIMARY KEY(sort_text, id)) WITHOUT ROWID",
        // A user's tests in the order they were first stored: the first entry of each test.
        "CREATE INDEX records_by_test ON records(sort_text, test)",
        // A test's dates, and a result's: a day's records, a graph's points.
        "CREATE INDEX records_by_date ON records(sort_text, test, date, result)",
    };
    return schema;
}

const std::vector<std::string>& Format1Schema() {
    static const std::vector<std::string> schema = {
        "CREATE TABLE databases(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE,"
        " type INTEGER NOT NULL, sort_property INTEGER NOT NULL, sort_flags INTEGER NOT NULL)",
        "CREATE TABLE records(id INTEGER PRIMARY KEY AUTOINCREMENT,"
        " database INTEGER NOT NULL REFERENCES databases(id), properties BLOB NOT NULL)",
        "CREATE INDEX records_by_database ON records(database)",
        "CREATE TABLE deleted_records(id INTEGER PRIMARY KEY)",
    };
    return schema;
}

const std::vector<std::string>& Format2Schema() {
    static const std::vector<std::string> schema = {
        Format1Schema()[0],
        "CREATE TABLE runs(id INTEGER PRIMARY KEY AUTOINCREMENT, database INTEGER NOT NULL,"
        " fold BLOB NOT NULL, records INTEGER NOT NULL)",
        "CREATE UNIQUE INDEX runs_in_order ON runs(database, fold)",
    };
    return schema;
}

std::vector<std::string> RunTableSchema(std::int64_t run) {
    const std::string table = "run_" + std::to_string(run);
    return {"CREATE TABLE " + table +
                "(id INTEGER PRIMARY KEY, exact BLOB NOT NULL, first NOT NULL, second NOT NULL, third NOT NULL,"
                " properties BLOB NOT NULL)",
            "CREATE INDEX " + table + "_by_first ON " + table + "(exact, first)",
            "CREATE INDEX " + table + "_by_second ON " + table + "(exact, first, second)",
            "CREATE INDEX " + table + "_by_third ON " + table + "(exact, first, third, second)"};
}

ColumnIds DatabaseInfo::Columns() const {
    const auto used = [](std::uint16_t id) { return id == 0 ? -1 : int{id}; };
    return {int{order.propertyId}, used(lookup.test), used(lookup.date), used(lookup.result)};
}

bool DatabaseInfo::Sound() const {
    if (id == 0 || id > kLastDatabaseId) return false;
    const ColumnIds columns = Columns();
    for (std::size_t a = 0; a < kColumnCount; ++a)
        for (std::size_t b = a + 1; b < kColumnCount; ++b)
            if (columns[a] >= 0 && columns[a] == columns[b]) return false;
    return true;
}

std::string FoldedKey(const DatabaseInfo& database, std::u16string_view text) {
    return OrderedBytes((database.order.flags & kSortCaseInsensitive) ? FoldCase(text) : std::u16string(text));
}

void MakeRecordRow(const DatabaseInfo& database, const std::vector<Property>& properties, RecordRow& row) {
    EncodeRecord(properties, database.Columns(), row.stored);
    row.key.exact = row.stored.columns[static_cast<std::size_t>(Column::Sort)].text;
    row.key.fold = FoldedKey(database, TextOfOrderedBytes(row.key.exact));
}

DatabaseInfo ReadDatabaseRow(sqlite3_stmt* query) {
    DatabaseInfo info;
    const sqlite3_int64 id = sqlite3_column_int64(query, 0);
    info.id = id > 0 && id <= kLastDatabaseId ? static_cast<std::uint32_t>(id) : 0;  // 0: not sound
    if (const void* name = sqlite3_column_text16(query, 1))
        info.name.assign(static_cast<const char16_t*>(name), static_cast<std::size_t>(sqlite3_column_bytes16(query, 1)) / 2);
    const auto number = [query](int column, std::int64_t limit) -> std::int64_t {
        const sqlite3_int64 value = sqlite3_column_int64(query, column);
        return value >= 0 && value <= limit ? value : -1;
    };
    const std::int64_t type = number(2, 0xFFFFFFFF), sort = number(3, 0xFFFF), flags = number(4, 0xFFFFFFFF);
    const std::int64_t test = number(5, 0xFFFF), date = number(6, 0xFFFF), result = number(7, 0xFFFF);
    if (type < 0 || sort < 0 || flags < 0 || test < 0 || date < 0 || result < 0) info.id = 0;
    info.type = static_cast<std::uint32_t>(type);
    info.order = SortOrder{static_cast<std::uint16_t>(sort), static_cast<std::uint32_t>(flags)};
    info.lookup = LookupColumns{static_cast<std::uint16_t>(test), static_cast<std::uint16_t>(date),
                                static_cast<std::uint16_t>(result)};
    return info;
}

void BindBytes(sqlite3_stmt* statement, int index, std::string_view bytes) {
    sqlite3_bind_blob(statement, index, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void BindColumn(sqlite3_stmt* statement, int index, const ColumnValue& value) {
    switch (value.kind) {
    case ColumnKind::None:
    case ColumnKind::Unknown: sqlite3_bind_null(statement, index); break;
    case ColumnKind::Text: BindBytes(statement, index, value.text); break;
    case ColumnKind::Time: sqlite3_bind_int64(statement, index, value.time); break;
    }
}

void BindRecord(sqlite3_stmt* insert, std::int64_t sortText, std::int64_t id, const StoredRecord& stored) {
    sqlite3_bind_int64(insert, 1, sortText);
    sqlite3_bind_int64(insert, 2, id);
    for (Column column : {Column::Test, Column::Date, Column::Result})
        BindColumn(insert, 2 + static_cast<int>(column), stored.columns[static_cast<std::size_t>(column)]);
    BindBytes(insert, 6, stored.bytes);
}

std::string_view ReadBytes(sqlite3_stmt* query, int column) {
    const char* data = static_cast<const char*>(sqlite3_column_blob(query, column));
    return std::string_view(data ? data : "", static_cast<std::size_t>(sqlite3_column_bytes(query, column)));
}

ColumnView ReadColumn(sqlite3_stmt* query, int column) {
    switch (sqlite3_column_type(query, column)) {
    case SQLITE_NULL: return {};
    case SQLITE_BLOB: return {ColumnKind::Text, ReadBytes(query, column), 0};
    case SQLITE_INTEGER: return {ColumnKind::Time, {}, sqlite3_column_int64(query, column)};
    }
    return {ColumnKind::Unknown, {}, 0};
}
