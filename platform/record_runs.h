#pragma once
// The databases of the object store and the runs of their records: the
// catalogue, kept in memory (it grows with the databases and the distinct
// sort texts, never with the records), and every read and write of a run.

#include "platform/run_layout.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

struct Run {
    std::int64_t id = 0;
    std::string fold;
    std::int64_t records = 0;
};

// A record's place in its database's order: its run, then its row in the run.
struct RecordPlace {
    std::string fold;
    std::int64_t id = 0;
};
int ComparePlaces(const RecordPlace& a, const RecordPlace& b);
// Compares a run with the run part of a place.
int CompareRun(const Run& run, const RecordPlace& place);

std::optional<DatabaseInfo> FindDatabase(std::u16string_view name);
std::optional<DatabaseInfo> FindDatabase(std::uint32_t id);
// 0 on failure or when the name exists.
std::uint32_t CreateDatabase(std::u16string_view name, std::uint32_t type, const SortOrder& order);

// The database's runs in order; null when the store cannot be read.
const std::vector<Run>* RunsOf(std::uint32_t database);
// The records of the database.
std::int64_t RecordsOf(std::uint32_t database);

// Row queries within one run. Ids absent when there is none.
std::optional<std::int64_t> FirstIdFrom(const Run& run, std::int64_t from);
std::optional<std::int64_t> IdAtOffset(const Run& run, std::int64_t offset);
std::int64_t CountBefore(const Run& run, std::int64_t id);
// How a read of one row went. A row whose bytes do not decode is left as it is.
enum class RowRead { Read, Undecodable, Failed };
// Failed when the row is gone or the store cannot be read.
RowRead ReadRow(const Run& run, std::int64_t id, std::vector<Property>& properties);

// Writes; each is on disk (or in the open unit) when it returns true.
// `placed.id` is the row id to keep, or 0 for the next one.
bool InsertRecord(const DatabaseInfo& database, const std::vector<Property>& properties, RecordPlace& placed);
// The record at `at` becomes `properties`; `at` follows it when its folded sort text changed.
bool ReplaceRecord(const DatabaseInfo& database, RecordPlace& at, const std::vector<Property>& properties);
bool RemoveRecord(const DatabaseInfo& database, const RecordPlace& at);
// Removes every record whose sort text is exactly `exact`.
bool RemoveAllOf(const DatabaseInfo& database, std::u16string_view exact);

// Seeks on the lookup fields among the records of one exact sort text.
struct FieldFilter {
    std::string exact;
    std::optional<std::u16string> first;
    std::optional<std::pair<std::int64_t, std::int64_t>> second;  // a time within [from, to]
    std::optional<std::u16string> third;
};
// The run an exact sort text falls in, and the filter that keeps that text's records.
std::optional<Run> RunOf(const DatabaseInfo& database, std::u16string_view exact, FieldFilter& filter);
std::vector<std::int64_t> MatchingIds(const Run& run, const FieldFilter& filter);
sqlite3_stmt* MatchingTimesQuery(const Run& run, const FieldFilter& filter, bool newestFirst);
bool NextMatchingTime(sqlite3_stmt* query, std::int64_t& time, std::int64_t& id);
// The times of the matches' second field with their row ids: in record
// order, or newest first (ties in record order); `visit` returns false to stop.
// Newest first, the index is walked backwards, so only the times taken are
// read; each run of equal times comes back in record order.
template <class Visit>
void ForEachMatchingTime(const Run& run, const FieldFilter& filter, bool newestFirst, Visit visit) {
    sqlite3_stmt* query = MatchingTimesQuery(run, filter, newestFirst);
    std::int64_t time = 0, id = 0;
    std::vector<std::int64_t> equal;  // ids of the run of equal times being gathered
    std::int64_t equalTime = 0;
    bool going = true;
    auto flush = [&] {
        std::sort(equal.begin(), equal.end());
        for (auto at = equal.begin(); going && at != equal.end(); ++at) going = visit(equalTime, *at);
        equal.clear();
    };
    while (going && query && NextMatchingTime(query, time, id)) {
        if (!newestFirst) {
            going = visit(time, id);
            continue;
        }
        if (!equal.empty() && time != equalTime) flush();
        equalTime = time;
        equal.push_back(id);
    }
    if (going) flush();
    NextMatchingTime(nullptr, time, id);
}
// The distinct exact sort texts of a run, in order.
std::vector<std::string> ExactTexts(const Run& run);
std::int64_t CountMatching(const Run& run, const FieldFilter& filter);
// The distinct texts of the first field among the filter's exact text, in the order of their first record.
std::vector<std::u16string> FirstFieldTexts(const Run& run, const FieldFilter& filter);

// A pass over one run's rows in order, held open between reads. Every stream
// is let go before a run table is dropped.
class RunStream {
public:
    RunStream();
    ~RunStream();
    RunStream(const RunStream&) = delete;
    RunStream& operator=(const RunStream&) = delete;

    // Whether the first row at or after `from` in `run` is known without a query:
    // then `id` is that row (or none, when the run has no more).
    bool Knows(const Run& run, std::int64_t from, std::optional<std::int64_t>& id) const;
    // Starts at the first row at or after `from`; false on a read failure.
    bool Start(const Run& run, std::int64_t from);
    // The row the stream is on: decodes it and moves on (past an undecodable one too).
    RowRead Take(std::vector<Property>& properties);
    void Reset();
    static void ResetAll();

private:
    sqlite3_stmt* statement_ = nullptr;
    std::int64_t run_ = 0;
    std::uint64_t epoch_ = 0;
    std::uint64_t generation_ = 0;  // of the connection the statement belongs to
    std::int64_t floor_ = 0;  // no row between floor_ (excluded) and the current one
    bool hasRow_ = false;
    std::int64_t row_ = 0;
};
