#pragma once
// The rows of the object store: finding a database's sort texts, reading a
// record row, and each write, one atomic unit nested in the caller's. Every
// query is an index descent or a walk of one index range; nothing is kept
// between calls.

#include "platform/records/schema.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A record's place in its database's order: its sort text (folded, by row,
// and exactly), then its number.
struct Place {
    std::string fold;
    std::int64_t text = 0;
    std::string exact;
    std::int64_t id = 0;
};
int ComparePlaces(const Place& a, const Place& b);

// A sort text's row.
struct SortText {
    std::int64_t id = 0;
    std::string fold, exact;
};
std::optional<DatabaseInfo> FindDatabase(std::u16string_view name);
std::optional<DatabaseInfo> FindDatabase(std::uint32_t id);
// 0 on failure or when the name exists.
std::uint32_t CreateDatabase(std::u16string_view name, std::uint32_t type, const SortOrder& order,
                             const LookupColumns& lookup);

// The sort text exactly `exact`; none when there is none (or the store cannot be read).
std::optional<SortText> FindSortText(const DatabaseInfo& database, std::u16string_view exact);
// The first sort text of the database at or (`after`) past the sort text of
// `place` in order. Two rows of one text are damage: the store is refused.
std::optional<SortText> SortTextFrom(const DatabaseInfo& database, const Place& place, bool after);
// The database's sort texts that hold records, in order; with `equalTo`, only
// those equal to it under the database's sort flags.
std::vector<std::u16string> SortTextsInOrder(const DatabaseInfo& database, const std::u16string* equalTo = nullptr);

// How a read of one row went. A row whose bytes do not decode is left as it is.
enum class RowRead { Read, Undecodable, Failed };
// The first record of `sortText` numbered `from` or later.
std::optional<std::int64_t> FirstIdFrom(std::int64_t sortText, std::int64_t from);
// The records of sort text ?1 numbered ?2 or later, in order, with the
// columns DecodeRow reads.
inline constexpr const char* kRecordsFromSql =
    "SELECT id, test, date, result, properties FROM records WHERE sort_text = ?1 AND id >= ?2 ORDER BY id";
// Failed when the row is gone or the store cannot be read.
RowRead ReadRecord(const DatabaseInfo& database, const SortText& sortText, std::int64_t id,
                   std::vector<Property>& properties);
// Decodes the row a query stands on, whose columns from `first` are: id,
// test, date, result, properties; `sortText` is the text of `exact`, when
// known. An id outside the range the store writes is damage: the store is
// refused, and the read fails.
RowRead DecodeRow(const DatabaseInfo& database, std::string_view exact, sqlite3_stmt* query, int first,
                  std::vector<Property>* properties, const std::u16string* sortText = nullptr);

// Counting records in the database's order, for numbered places.
std::int64_t RecordsOf(const DatabaseInfo& database);
std::int64_t RecordsBefore(const DatabaseInfo& database, const Place& place);
std::optional<Place> PlaceAtIndex(const DatabaseInfo& database, std::int64_t index);

// Writes; each is on disk (or in the open unit) when it returns true.
bool InsertRecord(const DatabaseInfo& database, const std::vector<Property>& properties, Place& placed);
// Each record as InsertRecord would add it, all or none; records of one sort
// text in a row cost one lookup of the text between them.
bool InsertRecords(const DatabaseInfo& database, const std::vector<const std::vector<Property>*>& records);
// The record at `at` becomes `properties`; `at` follows it when its sort text changed.
bool ReplaceRecord(const DatabaseInfo& database, Place& at, const std::vector<Property>& properties);
bool RemoveRecord(const DatabaseInfo& database, const Place& at);
// Removes every record whose sort text is exactly `exact`.
bool RemoveAllOf(const DatabaseInfo& database, std::u16string_view exact);
