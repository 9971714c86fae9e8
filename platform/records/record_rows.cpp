#include "platform/records/record_rows.h"

#include "platform/records/connection.h"
#include "platform/records/vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

namespace {

using Query = ObjectStore::Query;

ObjectStore& Store() { return ObjectStore::Instance(); }

Query Read(const char* sql) { return Store().Prepare(sql); }
Query Write(const char* sql) { return Store().Prepare(sql, ObjectStore::Use::Write); }

int Compare(std::string_view a, std::string_view b) {
    const int order = a.compare(b);
    return (order > 0) - (order < 0);
}

// A write is atomic: alone, as a transaction of its own; within the caller's
// unit, as a part of it. Its statements are ordered so that one failing
// part way leaves at most a sort text without records, which nothing reads
// as one; a write whose failing part way would lose a record (one moved to
// another sort text) takes a savepoint of its own.
class WriteUnit {
public:
    explicit WriteUnit(bool ownSavepoint = false) : own_(ownSavepoint || !Store().InUnit()) {
        if (own_) Store().BeginUnit();
    }
    ~WriteUnit() {
        if (own_ && !ended_) Store().EndUnit(false);
    }
    bool Begin() { return Store().BeginWrite(); }
    bool End(bool ok) {
        ended_ = true;
        return own_ ? Store().EndUnit(ok) && ok : ok;
    }

private:
    bool own_;
    bool ended_ = false;
};

std::optional<std::int64_t> SingleInt(Query query) {
    if (query.Next() && sqlite3_column_type(query.get(), 0) == SQLITE_INTEGER) return sqlite3_column_int64(query.get(), 0);
    return std::nullopt;
}

SortText SortTextOf(sqlite3_stmt* query) {
    return SortText{sqlite3_column_int64(query, 0), std::string(ReadBytes(query, 1)), std::string(ReadBytes(query, 2))};
}

std::optional<DatabaseInfo> DatabaseWhere(Query query) {
    if (!query.Next()) return std::nullopt;
    DatabaseInfo info = ReadDatabaseRow(query.get());
    // Opening checked every row; one changed since is damage.
    if (!info.Sound()) {
        Store().ReadFailed(SQLITE_CORRUPT);
        return std::nullopt;
    }
    return info;
}

// The row of the sort text (`fold`, `exact`): the texts of one fold are few,
// and each is compared. Two rows of one text would each hold some of its
// records, so that a lookup found only part of them: damage. `failed` tells
// a failure apart from a text the database does not hold.
std::optional<SortText> FindSortTextKey(const DatabaseInfo& database, const std::string& fold, const std::string& exact,
                                        bool& failed) {
    Query query = Read("SELECT id, fold, exact FROM sort_texts WHERE database = ?1 AND fold = ?2 ORDER BY id");
    failed = !query;
    if (!query) return std::nullopt;
    sqlite3_bind_int64(query.get(), 1, database.id);
    BindBytes(query.get(), 2, fold);
    std::optional<SortText> found;
    while (query.Next()) {
        if (ReadBytes(query.get(), 2) != exact) continue;
        if (found) {
            Store().ReadFailed(SQLITE_CORRUPT);
            failed = true;
            return std::nullopt;
        }
        found = SortTextOf(query.get());
    }
    failed = query.Broken();
    return found;
}

// The sort text of a place, when its row is still that text's: a row made
// again for the text has another number, and the place's record is gone.
std::optional<SortText> TextOf(const DatabaseInfo& database, const Place& at) {
    bool failed = false;
    std::optional<SortText> text = FindSortTextKey(database, at.fold, at.exact, failed);
    return text && text->id == at.text ? text : std::nullopt;
}

// The sort text's row, made when the database has none of that text yet.
std::optional<std::int64_t> SortTextFor(const DatabaseInfo& database, const SortKey& key) {
    bool failed = false;
    if (std::optional<SortText> found = FindSortTextKey(database, key.fold, key.exact, failed)) return found->id;
    if (failed) return std::nullopt;
    Query insert = Write(kInsertSortTextSql);
    if (!insert) return std::nullopt;
    sqlite3_bind_int64(insert.get(), 1, database.id);
    BindBytes(insert.get(), 2, key.fold);
    BindBytes(insert.get(), 3, key.exact);
    if (!insert.Run()) return std::nullopt;
    const std::int64_t id = sqlite3_last_insert_rowid(Store().Connection(ObjectStore::Use::Write));
    if (id > kLastId) {
        Store().ReadFailed(SQLITE_CORRUPT);  // the store never numbers a sort text there
        return std::nullopt;
    }
    return id;
}

// The sort text goes with its last record.
bool DropSortTextIfEmpty(std::int64_t sortText) {
    Query any = Read("SELECT 1 FROM records WHERE sort_text = ?1 LIMIT 1");
    if (!any) return false;
    sqlite3_bind_int64(any.get(), 1, sortText);
    if (any.Next()) return true;
    any = Query();
    Query drop = Write("DELETE FROM sort_texts WHERE id = ?1");
    if (!drop) return false;
    sqlite3_bind_int64(drop.get(), 1, sortText);
    return drop.Run();
}

bool RemoveRow(std::int64_t sortText, std::int64_t id) {
    Query remove = Write("DELETE FROM records WHERE sort_text = ?1 AND id = ?2");
    if (!remove) return false;
    sqlite3_bind_int64(remove.get(), 1, sortText);
    sqlite3_bind_int64(remove.get(), 2, id);
    return remove.Run() && sqlite3_changes(Store().Connection(ObjectStore::Use::Write)) == 1;
}

}  // namespace

int ComparePlaces(const Place& a, const Place& b) {
    if (const int order = Compare(a.fold, b.fold)) return order;
    if (a.text != b.text) return a.text < b.text ? -1 : 1;
    return a.id < b.id ? -1 : a.id > b.id ? 1 : 0;
}

std::optional<DatabaseInfo> FindDatabase(std::u16string_view name) {
    Query query = Read("SELECT id, name, type, sort_property, sort_flags, test_property, date_property,"
                       " result_property FROM databases WHERE name = ?1");
    if (!query) return std::nullopt;
    sqlite3_bind_text16(query.get(), 1, name.data(), static_cast<int>(name.size() * 2), SQLITE_TRANSIENT);
    return DatabaseWhere(std::move(query));
}

std::optional<DatabaseInfo> FindDatabase(std::uint32_t id) {
    Query query = Read("SELECT id, name, type, sort_property, sort_flags, test_property, date_property,"
                       " result_property FROM databases WHERE id = ?1");
    if (!query) return std::nullopt;
    sqlite3_bind_int64(query.get(), 1, id);
    return DatabaseWhere(std::move(query));
}

std::uint32_t CreateDatabase(std::u16string_view name, std::uint32_t type, const SortOrder& order,
                             const LookupColumns& lookup) {
    const DatabaseInfo info{1, std::u16string(name), type, order, lookup};
    if (!info.Sound() || !Store().Connection(ObjectStore::Use::Write) || FindDatabase(name)) return 0;
    WriteUnit unit;
    if (!unit.Begin()) return 0;
    const std::int64_t id = SingleInt(Read("SELECT max(id) FROM databases")).value_or(0) + 1;
    Query insert = Write("INSERT INTO databases(id, name, type, sort_property, sort_flags, test_property,"
                         " date_property, result_property) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    if (!insert || id > kLastDatabaseId) return 0;
    sqlite3_bind_int64(insert.get(), 1, id);
    sqlite3_bind_text16(insert.get(), 2, name.data(), static_cast<int>(name.size() * 2), SQLITE_TRANSIENT);
    const std::int64_t numbers[] = {type, order.propertyId, order.flags, lookup.test, lookup.date, lookup.result};
    for (int i = 0; i < 6; ++i) sqlite3_bind_int64(insert.get(), 3 + i, numbers[i]);
    if (!insert.Run()) return 0;
    return unit.End(true) ? static_cast<std::uint32_t>(id) : 0;
}

std::optional<SortText> FindSortText(const DatabaseInfo& database, std::u16string_view exact) {
    bool failed = false;
    return FindSortTextKey(database, FoldedKey(database, exact), OrderedBytes(exact), failed);
}

std::optional<SortText> SortTextFrom(const DatabaseInfo& database, const Place& place, bool after) {
    Query query = Read(after ? "SELECT id, fold, exact FROM sort_texts WHERE database = ?1 AND (fold, id) > (?2, ?3)"
                               " ORDER BY fold, id LIMIT 1"
                             : "SELECT id, fold, exact FROM sort_texts WHERE database = ?1 AND (fold, id) >= (?2, ?3)"
                               " ORDER BY fold, id LIMIT 1");
    if (!query) return std::nullopt;
    sqlite3_bind_int64(query.get(), 1, database.id);
    BindBytes(query.get(), 2, place.fold);
    sqlite3_bind_int64(query.get(), 3, place.text);
    if (!query.Next()) return std::nullopt;
    return SortTextOf(query.get());
}

std::vector<std::u16string> SortTextsInOrder(const DatabaseInfo& database, const std::u16string* equalTo) {
    std::vector<std::u16string> texts;
    if (equalTo) {
        Query query = Read("SELECT exact FROM sort_texts WHERE database = ?1 AND fold = ?2"
                           " AND EXISTS (SELECT 1 FROM records WHERE sort_text = sort_texts.id) ORDER BY id");
        if (!query) return texts;
        sqlite3_bind_int64(query.get(), 1, database.id);
        BindBytes(query.get(), 2, FoldedKey(database, *equalTo));
        while (query.Next()) texts.push_back(TextOfOrderedBytes(ReadBytes(query.get(), 0)));
        return texts;
    }
    // Read in row order, so the lookups of each text's first record go
    // forward through the records, page after page; walking the texts in
    // their order would jump about them and read every page many times.
    // The rows' bytes go to one buffer, sorted by reference to it.
    struct Row {
        std::size_t fold, foldSize, exact, exactSize;
        std::int64_t id;
    };
    std::string bytes;
    std::vector<Row> rows;
    Query query = Read("SELECT fold, exact, id FROM sort_texts NOT INDEXED WHERE database = ?1"
                       " AND EXISTS (SELECT 1 FROM records WHERE sort_text = sort_texts.id)");
    if (!query) return texts;
    sqlite3_bind_int64(query.get(), 1, database.id);
    while (query.Next()) {
        const std::string_view fold = ReadBytes(query.get(), 0), exact = ReadBytes(query.get(), 1);
        rows.push_back({bytes.size(), fold.size(), bytes.size() + fold.size(), exact.size(),
                        sqlite3_column_int64(query.get(), 2)});
        bytes.append(fold).append(exact);
    }
    const auto view = [&bytes](std::size_t at, std::size_t size) { return std::string_view(bytes).substr(at, size); };
    std::sort(rows.begin(), rows.end(), [&view](const Row& a, const Row& b) {
        const int order = view(a.fold, a.foldSize).compare(view(b.fold, b.foldSize));
        return order != 0 ? order < 0 : a.id < b.id;
    });
    texts.reserve(rows.size());
    for (const Row& row : rows) texts.push_back(TextOfOrderedBytes(view(row.exact, row.exactSize)));
    return texts;
}

std::optional<std::int64_t> FirstIdFrom(std::int64_t sortText, std::int64_t from) {
    Query query = Read("SELECT id FROM records WHERE sort_text = ?1 AND id >= ?2 ORDER BY id LIMIT 1");
    if (!query) return std::nullopt;
    sqlite3_bind_int64(query.get(), 1, sortText);
    sqlite3_bind_int64(query.get(), 2, from);
    return SingleInt(std::move(query));
}

RowRead DecodeRow(const DatabaseInfo& database, std::string_view exact, sqlite3_stmt* query, int first,
                  std::vector<Property>* properties, const std::u16string* sortText) {
    const sqlite3_int64 id = sqlite3_column_int64(query, first);
    if (sqlite3_column_type(query, first) != SQLITE_INTEGER || id < 1 || id > kLastId) {
        Store().ReadFailed(SQLITE_CORRUPT);
        return RowRead::Failed;
    }
    const ColumnViews columns = {ColumnView{ColumnKind::Text, exact, 0, sortText}, ReadColumn(query, first + 1),
                                 ReadColumn(query, first + 2), ReadColumn(query, first + 3)};
    const std::string_view bytes = ReadBytes(query, first + 4);
    const bool decoded = properties ? DecodeRecord(bytes, columns, database.Columns(), *properties)
                                    : RecordDecodes(bytes, columns, database.Columns());
    return decoded ? RowRead::Read : RowRead::Undecodable;
}

RowRead ReadRecord(const DatabaseInfo& database, const SortText& sortText, std::int64_t id,
                   std::vector<Property>& properties) {
    Query query = Read("SELECT id, test, date, result, properties FROM records WHERE sort_text = ?1 AND id = ?2");
    if (!query) return RowRead::Failed;
    sqlite3_bind_int64(query.get(), 1, sortText.id);
    sqlite3_bind_int64(query.get(), 2, id);
    if (!query.Next()) return RowRead::Failed;
    return DecodeRow(database, sortText.exact, query.get(), 0, &properties);
}

std::int64_t RecordsOf(const DatabaseInfo& database) {
    Query query = Read("SELECT count(*) FROM sort_texts JOIN records ON records.sort_text = sort_texts.id"
                       " WHERE sort_texts.database = ?1");
    if (!query) return 0;
    sqlite3_bind_int64(query.get(), 1, database.id);
    return SingleInt(std::move(query)).value_or(0);
}

// The records of the sort texts before the place's, then those of its own before it.
std::int64_t RecordsBefore(const DatabaseInfo& database, const Place& place) {
    Query before = Read("SELECT count(*) FROM sort_texts JOIN records ON records.sort_text = sort_texts.id"
                        " WHERE sort_texts.database = ?1 AND (sort_texts.fold, sort_texts.id) < (?2, ?3)");
    if (!before) return 0;
    sqlite3_bind_int64(before.get(), 1, database.id);
    BindBytes(before.get(), 2, place.fold);
    sqlite3_bind_int64(before.get(), 3, place.text);
    std::int64_t count = SingleInt(std::move(before)).value_or(0);
    Query own = Read("SELECT count(*) FROM records WHERE sort_text = ?1 AND id < ?2");
    if (!own) return count;
    sqlite3_bind_int64(own.get(), 1, place.text);
    sqlite3_bind_int64(own.get(), 2, place.id);
    return count + SingleInt(std::move(own)).value_or(0);
}

// Sort text by sort text, each counted, until the one that holds the index.
std::optional<Place> PlaceAtIndex(const DatabaseInfo& database, std::int64_t index) {
    Query texts = Read("SELECT id, fold, exact, (SELECT count(*) FROM records WHERE sort_text = sort_texts.id)"
                       " FROM sort_texts WHERE database = ?1 ORDER BY fold, id");
    if (!texts) return std::nullopt;
    sqlite3_bind_int64(texts.get(), 1, database.id);
    while (texts.Next()) {
        const std::int64_t records = sqlite3_column_int64(texts.get(), 3);
        if (index >= records) {
            index -= records;
            continue;
        }
        SortText text = SortTextOf(texts.get());
        Query at = Read("SELECT id FROM records WHERE sort_text = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
        if (!at) return std::nullopt;
        sqlite3_bind_int64(at.get(), 1, text.id);
        sqlite3_bind_int64(at.get(), 2, index);
        std::optional<std::int64_t> id = SingleInt(std::move(at));
        if (!id) return std::nullopt;
        return Place{std::move(text.fold), text.id, std::move(text.exact), *id};
    }
    return std::nullopt;
}

namespace {

// Where the next record of one sort text goes: after one lookup of the text
// and its last record, each record of it added in the same write follows the
// one before.
struct Appending {
    std::string exact;
    std::int64_t sortText = 0;
    std::int64_t last = -1;  // -1: not looked up
    Query insert;
};

bool AppendRow(const DatabaseInfo& database, const std::vector<Property>& properties, Appending& at, Place* placed) {
    if (StoreAddRefused()) {
        Store().WriteFailed(SQLITE_FULL);
        return false;
    }
    RecordRow row;
    MakeRecordRow(database, properties, row);
    if (at.last < 0 || row.key.exact != at.exact) {
        const std::optional<std::int64_t> sortText = SortTextFor(database, row.key);
        if (!sortText) return false;
        Query last = Read("SELECT max(id) FROM records WHERE sort_text = ?1");
        if (!last) return false;
        sqlite3_bind_int64(last.get(), 1, *sortText);
        at.exact = row.key.exact;
        at.sortText = *sortText;
        at.last = SingleInt(std::move(last)).value_or(0);
    }
    if (at.last >= kLastId) {
        Store().ReadFailed(SQLITE_CORRUPT);  // the store never numbers a record past it
        return false;
    }
    if (!at.insert) at.insert = Write(kInsertRecordSql);
    if (!at.insert) return false;
    BindRecord(at.insert.get(), at.sortText, at.last + 1, row.stored);
    if (!at.insert.Run()) return false;
    ++at.last;
    if (placed) *placed = Place{std::move(row.key.fold), at.sortText, std::move(row.key.exact), at.last};
    return true;
}

}  // namespace

bool InsertRecord(const DatabaseInfo& database, const std::vector<Property>& properties, Place& placed) {
    WriteUnit unit;
    if (!unit.Begin()) return false;
    Appending at;
    return AppendRow(database, properties, at, &placed) && unit.End(true);
}

bool InsertRecords(const DatabaseInfo& database, const std::vector<const std::vector<Property>*>& records) {
    WriteUnit unit(true);
    if (!unit.Begin()) return false;
    Appending at;
    for (const std::vector<Property>* properties : records)
        if (!AppendRow(database, *properties, at, nullptr)) return false;
    return unit.End(true);
}

bool ReplaceRecord(const DatabaseInfo& database, Place& at, const std::vector<Property>& properties) {
    RecordRow row;
    MakeRecordRow(database, properties, row);
    const bool moving = row.key.exact != at.exact;
    WriteUnit unit(moving);
    if (!unit.Begin()) return false;
    if (moving) {
        // Another sort text: the record moves to the end of that text's records.
        Place placed;
        if (!RemoveRecord(database, at) || !InsertRecord(database, properties, placed) || !unit.End(true)) return false;
        at = std::move(placed);
        return true;
    }
    const std::optional<SortText> sortText = TextOf(database, at);
    Query update = Write("UPDATE records SET test = ?3, date = ?4, result = ?5, properties = ?6"
                         " WHERE sort_text = ?1 AND id = ?2");
    if (!sortText || !update) return false;
    BindRecord(update.get(), sortText->id, at.id, row.stored);
    return update.Run() && unit.End(sqlite3_changes(Store().Connection(ObjectStore::Use::Write)) == 1);
}

bool RemoveRecord(const DatabaseInfo& database, const Place& at) {
    WriteUnit unit;
    if (!unit.Begin()) return false;
    const std::optional<SortText> sortText = TextOf(database, at);
    return sortText && RemoveRow(sortText->id, at.id) && DropSortTextIfEmpty(sortText->id) && unit.End(true);
}

// The sort text's records are one range of each tree: they go in one statement.
bool RemoveAllOf(const DatabaseInfo& database, std::u16string_view exact) {
    WriteUnit unit;
    if (!unit.Begin()) return false;
    std::optional<SortText> sortText = FindSortText(database, exact);
    if (!sortText) return unit.End(true);
    Query records = Write("DELETE FROM records WHERE sort_text = ?1");
    if (!records) return false;
    sqlite3_bind_int64(records.get(), 1, sortText->id);
    if (!records.Run()) return false;
    records = Query();
    Query text = Write("DELETE FROM sort_texts WHERE id = ?1");
    if (!text) return false;
    sqlite3_bind_int64(text.get(), 1, sortText->id);
    return text.Run() && unit.End(true);
}
