#pragma once
// How records lie in the object store file: one fixed schema, made with the
// file; nothing is created or dropped afterwards.
//
// Each database is a row of `databases`, naming its sort property and the
// properties it keeps as lookup columns. Each distinct sort text of a
// database is a row of `sort_texts`, with the text case-folded (`fold`, in
// the database's order) and exactly (`exact`), numbered in the order made.
// A record is a row of `records` keyed by its sort text and its number
// within it (`id`, given in the order of addition), with its lookup columns
// `test`, `date` and `result`, and the rest of its properties in
// `properties` (see property_codec.h). So records are ordered by fold, then
// by sort text in the order the texts were first stored, then in the order
// added; and the records of one sort text lie together in the table and in
// each index: every seek is an index descent, and a user's records go in
// one range.

#include "platform/records/property.h"
#include "platform/records/property_codec.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Marks a SQLite file as a Vantrel object store ("VTL1").
inline constexpr long long kStoreApplicationId = 0x56544C31;
// The format this version writes. Format 1 kept every record in one table;
// format 2 had a table per sort text.
inline constexpr long long kStoreFormat = 3;

// Row ids a store writes are within [1, kLastId]: one beyond is refused, so
// no arithmetic on an id can overflow.
inline constexpr std::int64_t kLastId = std::int64_t{1} << 60;
// Databases are numbered within 32 bits, as their identifiers are.
inline constexpr std::int64_t kLastDatabaseId = 0x7FFFFFFF;

// The statements that make the current format's tables and indexes, in order.
const std::vector<std::string>& CurrentSchema();
// The same of the earlier formats, as they wrote them (format 2 without its
// run tables, which RunTableSchema gives).
const std::vector<std::string>& Format1Schema();
const std::vector<std::string>& Format2Schema();
std::vector<std::string> RunTableSchema(std::int64_t run);

struct DatabaseInfo {
    std::uint32_t id = 0;
    std::u16string name;
    std::uint32_t type = 0;
    SortOrder order;
    LookupColumns lookup;

    // Which property each column holds.
    ColumnIds Columns() const;
    // Whether a row of `databases` describes a database this version can use:
    // an id within range, each column a different property.
    bool Sound() const;
};

// The sort key of a sort text in `database`.
std::string FoldedKey(const DatabaseInfo& database, std::u16string_view text);

// The sort text of a record, as `sort_texts` holds it.
struct SortKey {
    std::string fold, exact;
};
// A record as it goes into the file: its sort text, and its stored form.
struct RecordRow {
    SortKey key;
    StoredRecord stored;
};
void MakeRecordRow(const DatabaseInfo& database, const std::vector<Property>& properties, RecordRow& row);

struct sqlite3_stmt;
// The columns of `databases` in the order ReadDatabaseRow reads them.
inline constexpr const char* kDatabaseColumns =
    "id, name, type, sort_property, sort_flags, test_property, date_property, result_property";
// Reads a row of those columns from `query`.
DatabaseInfo ReadDatabaseRow(sqlite3_stmt* query);

// Writing a record row: `INSERT INTO records` with the parameters bound by BindRecord.
inline constexpr const char* kInsertRecordSql =
    "INSERT INTO records(sort_text, id, test, date, result, properties) VALUES(?1, ?2, ?3, ?4, ?5, ?6)";
inline constexpr const char* kInsertSortTextSql = "INSERT INTO sort_texts(database, fold, exact) VALUES(?1, ?2, ?3)";
void BindRecord(sqlite3_stmt* insert, std::int64_t sortText, std::int64_t id, const StoredRecord& stored);
// Binds a lookup column's value (NULL, a text's bytes, a time) as parameter `index`.
void BindColumn(sqlite3_stmt* statement, int index, const ColumnValue& value);
void BindBytes(sqlite3_stmt* statement, int index, std::string_view bytes);
// A column as it was read: a BLOB is a text, an INTEGER a time, NULL nothing,
// anything else Unknown.
ColumnView ReadColumn(sqlite3_stmt* query, int column);
std::string_view ReadBytes(sqlite3_stmt* query, int column);
