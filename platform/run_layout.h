#pragma once
// How records lie in the object store file. Each database is a row of
// `databases`; its records are grouped in runs, one per case-folded sort
// text, each run a table of its own ("run_<id>") whose row ids keep the order
// of addition. Runs are ordered by the folded text's bytes. Within a run the
// records also carry, as indexed columns, their exact sort text and the three
// properties whose ids follow the sort property's: the fields stores look
// records up by. So SQLite's indexes serve every seek, and the run of a sort
// text that no other text folds onto goes in one step. Row ids are unique in
// the database: a record keeps its place among equals when it moves to
// another run.

#include "platform/record_store.h"

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3_stmt;

// Marks a SQLite file as a Vantrel object store ("VTL1").
inline constexpr long long kStoreApplicationId = 0x56544C31;
// The format this version writes; format 1 kept every record in one table.
inline constexpr long long kStoreFormat = 2;

struct DatabaseInfo {
    std::uint32_t id = 0;
    std::u16string name;
    std::uint32_t type = 0;
    std::uint16_t sortProperty = 0;
    std::uint32_t sortFlags = kSortCaseInsensitive;
};

// The tables every store file holds: the databases, and the runs of their records.
extern const char* const kDatabasesSchema;
extern const char* const kRunsSchema;

// The statements that make the table of run `id` and its indexes.
std::string RunTableName(std::int64_t run);
std::string RunTableSchema(std::int64_t run);

// Where a record belongs: its run's keys and its lookup columns.
struct RecordColumns {
    std::string fold, exact;  // the sort text folded, and exactly
    const Property* fields[3] = {nullptr, nullptr, nullptr};
};
RecordColumns ColumnsOf(const DatabaseInfo& database, const std::vector<Property>& properties);

// The sort key of a sort text in `database`.
std::string FoldedKey(const DatabaseInfo& database, std::u16string_view text);

// Binds a lookup column: a text as its UTF-16 bytes, a time as an integer,
// a missing property as the empty text.
void BindField(sqlite3_stmt* statement, int column, const Property* field);
void BindText(sqlite3_stmt* statement, int column, std::u16string_view text);

// Inserts a record as row `id` of a run table with a statement of RunInsertSql; SQLite's result code.
std::string RunInsertSql(std::int64_t run);
int InsertIntoRun(sqlite3_stmt* insert, std::int64_t id, const RecordColumns& columns, const std::string& encoded);
