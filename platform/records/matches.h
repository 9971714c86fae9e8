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
std::int64_t CountMatching(const SortText& sortText, const FieldMatch& match);
// The distinct tests of the sort text's records, in the order of their first record.
std::vector<std::u16string> TestsInOrder(const SortText& sortText);

// Every record of the database with its sort text and lookup columns, in
// the order of records_by_date: `visit` gets each row of (exact, test, date,
// result) where the query stands.
void ForEachLookupRow(const DatabaseInfo& database, const std::function<void(sqlite3_stmt* row)>& visit);
