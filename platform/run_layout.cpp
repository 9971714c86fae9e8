#include "platform/run_layout.h"

#include "platform/property_codec.h"
#include "platform/text.h"

#include <sqlite3.h>

const char* const kDatabasesSchema =
    "CREATE TABLE databases(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE,"
    " type INTEGER NOT NULL, sort_property INTEGER NOT NULL, sort_flags INTEGER NOT NULL);";
const char* const kRunsSchema =
    "CREATE TABLE runs(id INTEGER PRIMARY KEY AUTOINCREMENT, database INTEGER NOT NULL,"
    " fold BLOB NOT NULL, records INTEGER NOT NULL);"
    "CREATE UNIQUE INDEX runs_in_order ON runs(database, fold);";

std::string RunTableName(std::int64_t run) { return "run_" + std::to_string(run); }

namespace {

std::vector<std::string> RunIndexNames(std::int64_t run) {
    const std::string table = RunTableName(run);
    return {table + "_by_first", table + "_by_second", table + "_by_third"};
}

}  // namespace

// By first field: its values in order of first appearance. By second: one
// test's dates. By third: one result's dates. Each within one exact sort text.
std::string RunTableSchema(std::int64_t run) {
    const std::string table = RunTableName(run);
    const std::vector<std::string> index = RunIndexNames(run);
    return "CREATE TABLE " + table +
           "(id INTEGER PRIMARY KEY, exact BLOB NOT NULL, first NOT NULL, second NOT NULL, third NOT NULL,"
           " properties BLOB NOT NULL);"
           "CREATE INDEX " + index[0] + " ON " + table + "(exact, first);"
           "CREATE INDEX " + index[1] + " ON " + table + "(exact, first, second);"
           "CREATE INDEX " + index[2] + " ON " + table + "(exact, first, third, second);";
}

std::string FoldedKey(const DatabaseInfo& database, std::u16string_view text) {
    return OrderedBytes((database.sortFlags & kSortCaseInsensitive) ? FoldCase(text) : std::u16string(text));
}

// A record without a string sort property sorts as the empty text. The first
// property of an id counts, as PropertyRecord::GetProperty gives it.
RecordColumns ColumnsOf(const DatabaseInfo& database, const std::vector<Property>& properties) {
    RecordColumns columns;
    const Property* sort = nullptr;
    for (const Property& property : properties) {
        const int after = property.Id() - database.sortProperty;
        if (after == 0 && !sort) sort = &property;
        if (after >= 1 && after <= 3 && !columns.fields[after - 1]) columns.fields[after - 1] = &property;
    }
    std::u16string_view text;
    if (sort && sort->Kind() == PropertyKind::String) text = sort->StringValue();
    columns.fold = FoldedKey(database, text);
    columns.exact = OrderedBytes(text);
    return columns;
}

void BindText(sqlite3_stmt* statement, int column, std::u16string_view text) {
    sqlite3_bind_blob(statement, column, text.empty() ? "" : static_cast<const void*>(text.data()),
                      static_cast<int>(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
}

void BindField(sqlite3_stmt* statement, int column, const Property* field) {
    if (field && field->Kind() == PropertyKind::FileTime)
        sqlite3_bind_int64(statement, column, static_cast<sqlite3_int64>(field->FileTimeValue()));
    else
        BindText(statement, column, field ? std::u16string_view(field->StringValue()) : std::u16string_view());
}

std::string RunInsertSql(std::int64_t run) {
    return "INSERT INTO " + RunTableName(run) + "(exact, first, second, third, properties, id) VALUES(?, ?, ?, ?, ?, ?)";
}

int InsertIntoRun(sqlite3_stmt* insert, std::int64_t id, const RecordColumns& columns, const std::string& encoded) {
    sqlite3_bind_blob(insert, 1, columns.exact.data(), static_cast<int>(columns.exact.size()), SQLITE_STATIC);
    for (int i = 0; i < 3; ++i) BindField(insert, i + 2, columns.fields[i]);
    sqlite3_bind_blob(insert, 5, encoded.data(), static_cast<int>(encoded.size()), SQLITE_STATIC);
    sqlite3_bind_int64(insert, 6, id);
    const int rc = sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    return rc;
}
