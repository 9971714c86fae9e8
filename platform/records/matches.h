#pragma once
// Lookups among the records of one exact sort text on their lookup columns,
// each served by an index of the records table.

#include "platform/records/field_match.h"
#include "platform/records/record_rows.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>


// The matches' numbers, in record order.
std::vector<std::int64_t> MatchingIds(const SortText& sortText, const FieldMatch& match);
// The matches' dates with their numbers: in record order, or newest first
// (ties in record order); `visit` returns false to stop. Newest first, the
// index is walked backwards, so only the dates taken are read.
void ForEachMatchingDate(const SortText& sortText, const FieldMatch& match, bool newestFirst,
                         const std::function<bool(FileTime, std::int64_t)>& visit);
// Whether any record matches: one index descent, however many records do.
bool AnyMatching(const SortText& sortText, const FieldMatch& match);
// The distinct tests of the sort text's records, in the order of their first record.
std::vector<std::u16string> TestsInOrder(const SortText& sortText);

// The database's records grouped by sort text, test and date, each group with
// its number of records and of those naming a result: one walk of
// records_by_date in SQLite, reading no record. The sort texts come in the
// order they were made, so the walk goes through the index in its own order;
// within one, the groups are in order of test and date. `visit` gets each
// row of (exact, test, date, records, naming a result) where the query stands.
void ForEachLookupGroupRow(const DatabaseInfo& database, const std::function<void(sqlite3_stmt* row)>& visit);
