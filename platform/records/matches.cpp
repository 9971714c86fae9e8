#include "platform/records/matches.h"

#include "platform/records/connection.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

using Query = ObjectStore::Query;

// The query of `columns` among the matches; the statement's text depends only
// on which fields the match names, so the texts are a fixed set. `byDate`:
// the rows are wanted in date order, which records_by_date holds.
Query MatchQuery(const SortText& sortText, const FieldMatch& match, const char* columns, const char* order,
                 bool byDate = false) {
    const bool narrowed = match.test || match.date || match.result;
    // Named by test alone, the matches lie in record order in records_by_test;
    // narrowed further, records_by_date holds every field the match names.
    const bool inRecordOrder = match.test && !match.date && !match.result && !byDate;
    std::string sql = std::string("SELECT ") + columns + " FROM records" +
                      (!narrowed ? "" : inRecordOrder ? " INDEXED BY records_by_test" : " INDEXED BY records_by_date") +
                      " WHERE sort_text = ?1";
    if (match.test) sql += " AND test = ?2";
    if (match.date) sql += match.date->first == match.date->second ? " AND date = ?3" : " AND date BETWEEN ?3 AND ?4";
    if (match.result) sql += " AND result = ?5";
    sql += order;
    Query query = ObjectStore::Instance().Prepare(sql);
    if (!query) return query;
    sqlite3_bind_int64(query.get(), 1, sortText.id);
    if (match.test) BindBytes(query.get(), 2, OrderedBytes(*match.test));
    if (match.date) {
        sqlite3_bind_int64(query.get(), 3, static_cast<sqlite3_int64>(match.date->first));
        if (match.date->first != match.date->second)
            sqlite3_bind_int64(query.get(), 4, static_cast<sqlite3_int64>(match.date->second));
    }
    if (match.result) BindBytes(query.get(), 5, OrderedBytes(*match.result));
    return query;
}

}  // namespace

// A range of dates and a result: SQLite seeks no further than a range, so
// each date of the range that holds records is sought in turn, then its
// records of the result; a few descents, not a walk of the whole range.
std::vector<std::int64_t> MatchingIdsDateByDate(const SortText& sortText, const FieldMatch& match) {
    std::vector<std::int64_t> ids;
    Query next = ObjectStore::Instance().Prepare(
        "SELECT date FROM records INDEXED BY records_by_date WHERE sort_text = ?1 AND test = ?2"
        " AND date BETWEEN ?3 AND ?4 ORDER BY date LIMIT 1");
    if (!next) return ids;
    const auto [from, to] = *match.date;
    FieldMatch day = match;
    for (auto at = static_cast<sqlite3_int64>(from); at <= static_cast<sqlite3_int64>(to);) {
        sqlite3_bind_int64(next.get(), 1, sortText.id);
        BindBytes(next.get(), 2, OrderedBytes(*match.test));
        sqlite3_bind_int64(next.get(), 3, at);
        sqlite3_bind_int64(next.get(), 4, static_cast<sqlite3_int64>(to));
        if (!next.Next()) break;
        const sqlite3_int64 date = sqlite3_column_int64(next.get(), 0);
        next.Reset();
        day.date = std::make_pair(static_cast<FileTime>(date), static_cast<FileTime>(date));
        Query query = MatchQuery(sortText, day, "id", "");
        while (query.Next()) ids.push_back(sqlite3_column_int64(query.get(), 0));
        if (date >= static_cast<sqlite3_int64>(to)) break;
        at = date + 1;
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<std::int64_t> MatchingIds(const SortText& sortText, const FieldMatch& match) {
    if (match.test && match.date && match.result && match.date->first != match.date->second)
        return MatchingIdsDateByDate(sortText, match);
    std::vector<std::int64_t> ids;
    Query query = MatchQuery(sortText, match, "id", " ORDER BY id");
    while (query.Next()) ids.push_back(sqlite3_column_int64(query.get(), 0));
    return ids;
}

void ForEachMatchingDate(const SortText& sortText, const FieldMatch& match, bool newestFirst,
                         const std::function<bool(FileTime, std::int64_t)>& visit) {
    // Newest first, a test's dates are read from records_by_date backwards:
    // no sort, and no visit to a record for its date.
    Query query = MatchQuery(sortText, match, "date, id", newestFirst ? " ORDER BY date DESC" : " ORDER BY id",
                             newestFirst);
    const auto date = [&query] {
        return sqlite3_column_type(query.get(), 0) == SQLITE_INTEGER ? static_cast<FileTime>(sqlite3_column_int64(query.get(), 0))
                                                                     : FileTime{0};
    };
    if (!newestFirst) {
        while (query.Next())
            if (!visit(date(), sqlite3_column_int64(query.get(), 1))) return;
        return;
    }
    // Each run of equal dates is gathered, then visited in record order.
    std::vector<std::int64_t> equal;
    FileTime equalDate = 0;
    bool going = true;
    const auto flush = [&] {
        std::sort(equal.begin(), equal.end());
        for (auto at = equal.begin(); going && at != equal.end(); ++at) going = visit(equalDate, *at);
        equal.clear();
    };
    while (going && query.Next()) {
        const FileTime time = date();
        if (!equal.empty() && time != equalDate) flush();
        equalDate = time;
        if (going) equal.push_back(sqlite3_column_int64(query.get(), 1));
    }
    if (going) flush();
}

bool AnyMatching(const SortText& sortText, const FieldMatch& match) {
    Query query = MatchQuery(sortText, match, "1", " LIMIT 1");
    return query.Next();
}

// One index descent per distinct test: the first entry after the last test.
std::vector<std::u16string> TestsInOrder(const SortText& sortText) {
    struct First {
        std::int64_t id;
        std::u16string test;
    };
    std::vector<First> found;
    ObjectStore& store = ObjectStore::Instance();
    Query first = store.Prepare("SELECT test, id FROM records INDEXED BY records_by_test WHERE sort_text = ?1"
                                " ORDER BY test, id LIMIT 1");
    Query next = store.Prepare("SELECT test, id FROM records INDEXED BY records_by_test WHERE sort_text = ?1"
                               " AND test > ?2 ORDER BY test, id LIMIT 1");
    if (!first || !next) return {};
    sqlite3_bind_int64(first.get(), 1, sortText.id);
    sqlite3_bind_int64(next.get(), 1, sortText.id);
    // A database without a test column holds NULL there: it has no tests.
    for (Query* query = &first; query->Next() && sqlite3_column_type(query->get(), 0) != SQLITE_NULL; query = &next) {
        const bool text = sqlite3_column_type(query->get(), 0) == SQLITE_BLOB;
        found.push_back({sqlite3_column_int64(query->get(), 1), text ? TextOfOrderedBytes(ReadBytes(query->get(), 0)) : u""});
        sqlite3_value* last = sqlite3_value_dup(sqlite3_column_value(query->get(), 0));
        query->Reset();
        const bool bound = last && sqlite3_bind_value(next.get(), 2, last) == SQLITE_OK;
        sqlite3_value_free(last);
        if (!bound) break;
    }
    std::sort(found.begin(), found.end(), [](const First& a, const First& b) { return a.id < b.id; });
    std::vector<std::u16string> tests;
    for (First& each : found) tests.push_back(std::move(each.test));
    return tests;
}

void ForEachLookupGroupRow(const DatabaseInfo& database, const std::function<void(sqlite3_stmt* row)>& visit) {
    // The sort texts in row order, each sought once in the index: the descents
    // go forward through it, page after page, where the order of the texts
    // would jump about it. A stored result is a non-empty BLOB, the only kind
    // of value greater than x''.
    Query query = ObjectStore::Instance().Prepare(
        "SELECT sort_texts.exact, records.test, records.date, sum(records.result > x'')"
        " FROM sort_texts NOT INDEXED CROSS JOIN records INDEXED BY records_by_date"
        " ON records.sort_text = sort_texts.id WHERE sort_texts.database = ?1"
        " GROUP BY sort_texts.id, records.test, records.date");
    if (!query) return;
    sqlite3_bind_int64(query.get(), 1, database.id);
    while (query.Next()) visit(query.get());
}
