#include "platform/record_runs.h"

#include "platform/object_store.h"
#include "platform/property_codec.h"
#include "platform/store_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>

namespace {

int CompareBytes(const std::string& a, const std::string& b) {
    const int order = a.compare(b);
    return (order > 0) - (order < 0);
}

// What this process knows of the file, dropped whenever the store says it may no longer hold.
struct Catalogue {
    std::uint64_t generation = 0;
    bool loaded = false;
    std::vector<DatabaseInfo> databases;
    std::map<std::uint32_t, std::vector<Run>> runs;
    std::map<std::uint32_t, std::int64_t> nextIds;
};

Catalogue gCatalogue;

ObjectStore& Store() { return ObjectStore::Instance(); }

// The catalogue as of the connection now open; null when the store cannot be read.
Catalogue* Current(ObjectStore::Use use = ObjectStore::Use::Read) {
    if (!Store().Connection(use)) return nullptr;
    if (gCatalogue.generation != Store().Generation()) {
        gCatalogue = Catalogue();
        gCatalogue.generation = Store().Generation();
    }
    if (gCatalogue.loaded) return &gCatalogue;
    sqlite3_stmt* query = Store().Statement("SELECT id, name, type, sort_property, sort_flags FROM databases");
    if (!query) return nullptr;
    int rc;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW) {
        DatabaseInfo info;
        info.id = static_cast<std::uint32_t>(sqlite3_column_int64(query, 0));
        if (const void* name = sqlite3_column_text16(query, 1))
            info.name.assign(static_cast<const char16_t*>(name), static_cast<std::size_t>(sqlite3_column_bytes16(query, 1)) / 2);
        info.type = static_cast<std::uint32_t>(sqlite3_column_int64(query, 2));
        info.sortProperty = static_cast<std::uint16_t>(sqlite3_column_int64(query, 3));
        info.sortFlags = static_cast<std::uint32_t>(sqlite3_column_int64(query, 4));
        gCatalogue.databases.push_back(std::move(info));
    }
    sqlite3_reset(query);
    if (rc != SQLITE_DONE) {
        Store().ReadFailed(rc);
        gCatalogue.databases.clear();
        return nullptr;
    }
    gCatalogue.loaded = true;
    return &gCatalogue;
}

std::vector<Run>* MutableRuns(std::uint32_t database, ObjectStore::Use use = ObjectStore::Use::Read) {
    Catalogue* catalogue = Current(use);
    if (!catalogue) return nullptr;
    auto found = catalogue->runs.find(database);
    if (found != catalogue->runs.end()) return &found->second;
    sqlite3_stmt* query = Store().Statement("SELECT id, fold, records FROM runs WHERE database = ? ORDER BY fold");
    if (!query) return nullptr;
    sqlite3_bind_int64(query, 1, database);
    std::vector<Run> runs;
    int rc;
    auto bytes = [query](int column) {
        const char* data = static_cast<const char*>(sqlite3_column_blob(query, column));
        return std::string(data ? data : "", static_cast<std::size_t>(sqlite3_column_bytes(query, column)));
    };
    while ((rc = sqlite3_step(query)) == SQLITE_ROW)
        runs.push_back(Run{sqlite3_column_int64(query, 0), bytes(1), sqlite3_column_int64(query, 2)});
    sqlite3_reset(query);
    if (rc != SQLITE_DONE) {
        Store().ReadFailed(rc);
        return nullptr;
    }
    return &catalogue->runs.emplace(database, std::move(runs)).first->second;
}

std::string Table(const Run& run) { return RunTableName(run.id); }

// Steps a kept statement that yields one integer.
std::optional<std::int64_t> SingleInt(sqlite3_stmt* query) {
    if (!query) return std::nullopt;
    const int rc = sqlite3_step(query);
    std::optional<std::int64_t> value;
    if (rc == SQLITE_ROW) value = sqlite3_column_int64(query, 0);
    else if (rc != SQLITE_DONE) Store().ReadFailed(rc);
    sqlite3_reset(query);
    sqlite3_clear_bindings(query);
    return value;
}

bool Done(sqlite3_stmt* statement) {
    if (!statement) return false;
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (rc != SQLITE_DONE) Store().WriteFailed(rc);
    return rc == SQLITE_DONE;
}

bool DecodeColumn(sqlite3_stmt* statement, int column, std::vector<Property>& properties) {
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return DecodeProperties(std::string_view(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column))),
                            properties);
}

void BindBytes(sqlite3_stmt* statement, int column, const std::string& bytes) {
    sqlite3_bind_blob(statement, column, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

// Every write is one unit of its own, nested in the caller's.
class WriteUnit {
public:
    WriteUnit() { Store().BeginUnit(); }
    ~WriteUnit() {
        if (!ended_) Store().EndUnit(false);
    }
    bool Begin() {
        RunStream::ResetAll();
        return Store().BeginWrite();
    }
    bool End(bool ok) {
        ended_ = true;
        return Store().EndUnit(ok) && ok;
    }

private:
    bool ended_ = false;
};

std::vector<Run>::iterator FindRun(std::vector<Run>& runs, const std::string& fold) {
    RecordPlace place{fold, 0};
    auto at = std::lower_bound(runs.begin(), runs.end(), place,
                               [](const Run& run, const RecordPlace& p) { return CompareRun(run, p) < 0; });
    return at != runs.end() && at->fold == fold ? at : runs.end();
}

Run* RunFor(std::uint32_t database, const RecordColumns& columns) {
    std::vector<Run>* runs = MutableRuns(database, ObjectStore::Use::Write);
    if (!runs) return nullptr;
    auto found = FindRun(*runs, columns.fold);
    if (found != runs->end()) return &*found;
    sqlite3_stmt* insert = Store().Statement("INSERT INTO runs(database, fold, records) VALUES(?, ?, 0)");
    if (!insert) return nullptr;
    sqlite3_bind_int64(insert, 1, database);
    BindBytes(insert, 2, columns.fold);
    if (!Done(insert)) return nullptr;
    Run run{sqlite3_last_insert_rowid(Store().Connection(ObjectStore::Use::Write)), columns.fold, 0};
    if (!Store().Exec(RunTableSchema(run.id))) {
        Store().WriteFailed(sqlite3_extended_errcode(Store().Connection(ObjectStore::Use::Write)));
        return nullptr;
    }
    RecordPlace place{run.fold, 0};
    auto at = std::lower_bound(runs->begin(), runs->end(), place,
                               [](const Run& r, const RecordPlace& p) { return CompareRun(r, p) < 0; });
    return &*runs->insert(at, std::move(run));
}

// One past the highest row id of the database's runs.
std::optional<std::int64_t> NextId(std::uint32_t database) {
    Catalogue* catalogue = Current(ObjectStore::Use::Write);
    std::vector<Run>* runs = MutableRuns(database, ObjectStore::Use::Write);
    if (!catalogue || !runs) return std::nullopt;
    auto known = catalogue->nextIds.find(database);
    if (known != catalogue->nextIds.end()) return known->second++;
    std::int64_t next = 1;
    for (const Run& run : *runs) {
        std::optional<std::int64_t> highest = SingleInt(Store().Statement("SELECT max(id) FROM " + Table(run)));
        if (highest && *highest >= next) next = *highest + 1;
    }
    catalogue->nextIds[database] = next + 1;
    return next;
}

bool CountRecords(Run& run, int change) {
    sqlite3_stmt* update = Store().Statement("UPDATE runs SET records = records + ? WHERE id = ?");
    if (!update) return false;
    sqlite3_bind_int64(update, 1, change);
    sqlite3_bind_int64(update, 2, run.id);
    if (!Done(update)) return false;
    run.records += change;
    return true;
}

bool DropRun(std::vector<Run>& runs, std::vector<Run>::iterator run) {
    RunStream::ResetAll();
    Store().ForgetStatements(Table(*run));
    sqlite3_stmt* remove = Store().Statement("DELETE FROM runs WHERE id = ?");
    if (!remove) return false;
    sqlite3_bind_int64(remove, 1, run->id);
    if (!Done(remove)) return false;
    if (!Store().Exec("DROP TABLE " + Table(*run))) {
        Store().WriteFailed(sqlite3_extended_errcode(Store().Connection(ObjectStore::Use::Write)));
        return false;
    }
    runs.erase(run);
    return true;
}

std::vector<RunStream*>& Streams() {
    static std::vector<RunStream*> streams;
    return streams;
}

std::string FilterSql(const Run& run, const FieldFilter& filter, const char* columns) {
    std::string sql = std::string("SELECT ") + columns + " FROM " + Table(run) + " WHERE exact = :exact";
    if (filter.first) sql += " AND first = :first";
    if (filter.second) sql += " AND second BETWEEN :from AND :to";
    if (filter.third) sql += " AND third = :third";
    return sql;
}

void BindFilter(sqlite3_stmt* query, const FieldFilter& filter) {
    BindBytes(query, sqlite3_bind_parameter_index(query, ":exact"), filter.exact);
    if (filter.first) BindText(query, sqlite3_bind_parameter_index(query, ":first"), *filter.first);
    if (filter.second) {
        sqlite3_bind_int64(query, sqlite3_bind_parameter_index(query, ":from"), filter.second->first);
        sqlite3_bind_int64(query, sqlite3_bind_parameter_index(query, ":to"), filter.second->second);
    }
    if (filter.third) BindText(query, sqlite3_bind_parameter_index(query, ":third"), *filter.third);
}

}  // namespace

int ComparePlaces(const RecordPlace& a, const RecordPlace& b) {
    if (int c = CompareBytes(a.fold, b.fold)) return c;
    return a.id < b.id ? -1 : a.id > b.id ? 1 : 0;
}

int CompareRun(const Run& run, const RecordPlace& place) { return CompareBytes(run.fold, place.fold); }

namespace {

template <typename Match>
std::optional<DatabaseInfo> FindDatabaseWhere(Match match) {
    Catalogue* catalogue = Current();
    if (!catalogue) return std::nullopt;
    for (const DatabaseInfo& info : catalogue->databases)
        if (match(info)) return info;
    return std::nullopt;
}

}  // namespace

std::optional<DatabaseInfo> FindDatabase(std::u16string_view name) {
    return FindDatabaseWhere([name](const DatabaseInfo& info) { return info.name == name; });
}

std::optional<DatabaseInfo> FindDatabase(std::uint32_t id) {
    return FindDatabaseWhere([id](const DatabaseInfo& info) { return info.id == id; });
}

std::uint32_t CreateDatabase(std::u16string_view name, std::uint32_t type, const SortOrder& order) {
    Catalogue* catalogue = Current(ObjectStore::Use::Write);
    if (!catalogue || FindDatabase(name)) return 0;
    WriteUnit unit;
    if (!unit.Begin()) return 0;
    sqlite3_stmt* insert =
        Store().Statement("INSERT INTO databases(name, type, sort_property, sort_flags) VALUES(?, ?, ?, ?)");
    if (!insert) return 0;
    sqlite3_bind_text16(insert, 1, name.data(), static_cast<int>(name.size() * 2), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 2, type);
    sqlite3_bind_int64(insert, 3, order.propertyId);
    sqlite3_bind_int64(insert, 4, order.flags);
    if (!Done(insert)) return 0;
    DatabaseInfo info{static_cast<std::uint32_t>(sqlite3_last_insert_rowid(Store().Connection(ObjectStore::Use::Write))),
                      std::u16string(name), type, order.propertyId, order.flags};
    if (!unit.End(true)) return 0;
    if (Current() == catalogue) {
        catalogue->databases.push_back(info);
        catalogue->runs.emplace(info.id, std::vector<Run>{});
    }
    return info.id;
}

const std::vector<Run>* RunsOf(std::uint32_t database) { return MutableRuns(database); }

std::int64_t RecordsOf(std::uint32_t database) {
    const std::vector<Run>* runs = RunsOf(database);
    std::int64_t records = 0;
    if (runs)
        for (const Run& run : *runs) records += run.records;
    return records;
}

std::optional<std::int64_t> FirstIdFrom(const Run& run, std::int64_t from) {
    sqlite3_stmt* query = Store().Statement("SELECT id FROM " + Table(run) + " WHERE id >= ? ORDER BY id LIMIT 1");
    if (query) sqlite3_bind_int64(query, 1, from);
    return SingleInt(query);
}

std::optional<std::int64_t> IdAtOffset(const Run& run, std::int64_t offset) {
    sqlite3_stmt* query = Store().Statement("SELECT id FROM " + Table(run) + " ORDER BY id LIMIT 1 OFFSET ?");
    if (query) sqlite3_bind_int64(query, 1, offset);
    return SingleInt(query);
}

std::int64_t CountBefore(const Run& run, std::int64_t id) {
    sqlite3_stmt* query = Store().Statement("SELECT count(*) FROM " + Table(run) + " WHERE id < ?");
    if (query) sqlite3_bind_int64(query, 1, id);
    return SingleInt(query).value_or(0);
}

RowRead ReadRow(const Run& run, std::int64_t id, std::vector<Property>& properties) {
    sqlite3_stmt* query = Store().Statement("SELECT properties FROM " + Table(run) + " WHERE id = ?");
    if (!query) return RowRead::Failed;
    sqlite3_bind_int64(query, 1, id);
    const int rc = sqlite3_step(query);
    RowRead read = RowRead::Failed;
    if (rc == SQLITE_ROW) read = DecodeColumn(query, 0, properties) ? RowRead::Read : RowRead::Undecodable;
    sqlite3_reset(query);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) Store().ReadFailed(rc);
    return read;
}

bool InsertRecord(const DatabaseInfo& database, const std::vector<Property>& properties, RecordPlace& placed) {
    WriteUnit unit;
    if (!unit.Begin()) return false;
    if (StoreAddRefused()) {
        Store().WriteFailed(SQLITE_FULL);
        return false;
    }
    const RecordColumns columns = ColumnsOf(database, properties);
    Run* run = RunFor(database.id, columns);
    if (!run) return false;
    std::optional<std::int64_t> id = placed.id != 0 ? std::optional<std::int64_t>(placed.id) : NextId(database.id);
    sqlite3_stmt* insert = Store().Statement(RunInsertSql(run->id));
    const int rc = insert && id ? InsertIntoRun(insert, *id, columns, EncodeProperties(properties)) : SQLITE_ERROR;
    if (rc != SQLITE_DONE) {
        Store().WriteFailed(rc);
        return false;
    }
    placed = RecordPlace{run->fold, *id};
    return CountRecords(*run, 1) && unit.End(true);
}

bool ReplaceRecord(const DatabaseInfo& database, RecordPlace& at, const std::vector<Property>& properties) {
    const RecordColumns columns = ColumnsOf(database, properties);
    if (columns.fold != at.fold) {
        // Another sort text: the record moves to the end of that text's run.
        WriteUnit unit;
        RecordPlace placed{{}, at.id};
        if (!unit.Begin() || !RemoveRecord(database, at) || !InsertRecord(database, properties, placed)) return false;
        if (!unit.End(true)) return false;
        at = placed;
        return true;
    }
    std::vector<Run>* runs = MutableRuns(database.id, ObjectStore::Use::Write);
    auto run = runs ? FindRun(*runs, at.fold) : std::vector<Run>::iterator{};
    if (!runs || run == runs->end()) return false;
    WriteUnit unit;
    if (!unit.Begin()) return false;
    sqlite3_stmt* update = Store().Statement("UPDATE " + Table(*run) +
                                             " SET exact = ?, first = ?, second = ?, third = ?, properties = ? WHERE id = ?");
    if (!update) return false;
    BindBytes(update, 1, columns.exact);
    for (int i = 0; i < 3; ++i) BindField(update, i + 2, columns.fields[i]);
    const std::string encoded = EncodeProperties(properties);
    sqlite3_bind_blob(update, 5, encoded.data(), static_cast<int>(encoded.size()), SQLITE_STATIC);
    sqlite3_bind_int64(update, 6, at.id);
    if (!Done(update)) return false;
    const bool changed = sqlite3_changes(Store().Connection(ObjectStore::Use::Write)) == 1;
    return unit.End(changed);
}

bool RemoveRecord(const DatabaseInfo& database, const RecordPlace& at) {
    std::vector<Run>* runs = MutableRuns(database.id, ObjectStore::Use::Write);
    auto run = runs ? FindRun(*runs, at.fold) : std::vector<Run>::iterator{};
    if (!runs || run == runs->end()) return false;
    WriteUnit unit;
    if (!unit.Begin()) return false;
    sqlite3_stmt* remove = Store().Statement("DELETE FROM " + Table(*run) + " WHERE id = ?");
    if (!remove) return false;
    sqlite3_bind_int64(remove, 1, at.id);
    if (!Done(remove) || sqlite3_changes(Store().Connection(ObjectStore::Use::Write)) != 1) return false;
    // An emptied run goes at once: runs always hold records.
    const bool counted = run->records <= 1 ? DropRun(*runs, run) : CountRecords(*run, -1);
    return unit.End(counted);
}

// A run that holds only this text goes whole, in one step; one shared with
// texts that fold alike loses that text's rows.
bool RemoveAllOf(const DatabaseInfo& database, std::u16string_view exact) {
    std::vector<Run>* runs = MutableRuns(database.id, ObjectStore::Use::Write);
    if (!runs) return false;
    auto run = FindRun(*runs, FoldedKey(database, exact));
    if (run == runs->end()) return true;
    const std::string bytes = OrderedBytes(exact);
    WriteUnit unit;
    if (!unit.Begin()) return false;
    sqlite3_stmt* bounds = Store().Statement("SELECT min(exact) = ? AND max(exact) = ? FROM " + Table(*run));
    if (!bounds) return false;
    BindBytes(bounds, 1, bytes);
    BindBytes(bounds, 2, bytes);
    if (SingleInt(bounds).value_or(0) == 1) return unit.End(DropRun(*runs, run));
    sqlite3_stmt* remove = Store().Statement("DELETE FROM " + Table(*run) + " WHERE exact = ?");
    if (!remove) return false;
    BindBytes(remove, 1, bytes);
    if (!Done(remove)) return false;
    const int removed = sqlite3_changes(Store().Connection(ObjectStore::Use::Write));
    return unit.End(removed == 0 || CountRecords(*run, -removed));
}

std::optional<Run> RunOf(const DatabaseInfo& database, std::u16string_view exact, FieldFilter& filter) {
    std::vector<Run>* runs = MutableRuns(database.id);
    if (!runs) return std::nullopt;
    auto run = FindRun(*runs, FoldedKey(database, exact));
    if (run == runs->end()) return std::nullopt;
    filter.exact = OrderedBytes(exact);
    return *run;
}

std::vector<std::int64_t> MatchingIds(const Run& run, const FieldFilter& filter) {
    std::vector<std::int64_t> ids;
    sqlite3_stmt* query = Store().Statement(FilterSql(run, filter, "id") + " ORDER BY id");
    if (!query) return ids;
    BindFilter(query, filter);
    int rc;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(query, 0));
    if (rc != SQLITE_DONE) Store().ReadFailed(rc);
    sqlite3_reset(query);
    sqlite3_clear_bindings(query);
    return ids;
}

sqlite3_stmt* MatchingTimesQuery(const Run& run, const FieldFilter& filter, bool newestFirst) {
    sqlite3_stmt* query =
        Store().Statement(FilterSql(run, filter, "second, id") + (newestFirst ? " ORDER BY second DESC" : " ORDER BY id"));
    if (query) BindFilter(query, filter);
    return query;
}

// With a null query: lets go of the last one.
bool NextMatchingTime(sqlite3_stmt* query, std::int64_t& time, std::int64_t& id) {
    static sqlite3_stmt* last = nullptr;
    if (!query) {
        if (last) {
            sqlite3_reset(last);
            sqlite3_clear_bindings(last);
        }
        last = nullptr;
        return false;
    }
    last = query;
    const int rc = sqlite3_step(query);
    if (rc == SQLITE_ROW) {
        time = sqlite3_column_type(query, 0) == SQLITE_INTEGER ? sqlite3_column_int64(query, 0) : 0;
        id = sqlite3_column_int64(query, 1);
        return true;
    }
    if (rc != SQLITE_DONE) Store().ReadFailed(rc);
    return false;
}

std::vector<std::string> ExactTexts(const Run& run) {
    std::vector<std::string> texts;
    sqlite3_stmt* first = Store().Statement("SELECT exact FROM " + Table(run) + " ORDER BY exact LIMIT 1");
    sqlite3_stmt* next = Store().Statement("SELECT exact FROM " + Table(run) + " WHERE exact > ? ORDER BY exact LIMIT 1");
    if (!first || !next) return texts;
    for (sqlite3_stmt* query = first; sqlite3_step(query) == SQLITE_ROW; query = next) {
        const char* bytes = static_cast<const char*>(sqlite3_column_blob(query, 0));
        texts.emplace_back(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(query, 0)));
        sqlite3_reset(query);
        BindBytes(next, 1, texts.back());
    }
    sqlite3_reset(first);
    sqlite3_reset(next);
    sqlite3_clear_bindings(next);
    return texts;
}

std::int64_t CountMatching(const Run& run, const FieldFilter& filter) {
    sqlite3_stmt* query = Store().Statement(FilterSql(run, filter, "count(*)"));
    if (!query) return 0;
    BindFilter(query, filter);
    return SingleInt(query).value_or(0);
}

// One index descent per distinct text: the first entry after the last text.
std::vector<std::u16string> FirstFieldTexts(const Run& run, const FieldFilter& filter) {
    struct First {
        std::int64_t id;
        std::u16string text;
    };
    std::vector<First> found;
    sqlite3_stmt* first =
        Store().Statement("SELECT first, id FROM " + Table(run) + " WHERE exact = ?1 ORDER BY first, id LIMIT 1");
    sqlite3_stmt* next = Store().Statement("SELECT first, id FROM " + Table(run) +
                                           " WHERE exact = ?1 AND first > ?2 ORDER BY first, id LIMIT 1");
    if (!first || !next) return {};
    BindBytes(first, 1, filter.exact);
    BindBytes(next, 1, filter.exact);
    sqlite3_stmt* query = first;
    sqlite3_value* last = nullptr;
    int rc;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW) {
        std::u16string text;
        if (sqlite3_column_type(query, 0) == SQLITE_BLOB) {
            const char* bytes = static_cast<const char*>(sqlite3_column_blob(query, 0));
            text.resize(static_cast<std::size_t>(sqlite3_column_bytes(query, 0)) / 2);
            if (!text.empty()) std::memcpy(text.data(), bytes, text.size() * 2);
        }
        found.push_back({sqlite3_column_int64(query, 1), std::move(text)});
        sqlite3_value_free(last);
        last = sqlite3_value_dup(sqlite3_column_value(query, 0));
        sqlite3_reset(query);
        query = next;
        if (!last || sqlite3_bind_value(next, 2, last) != SQLITE_OK) break;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) Store().ReadFailed(rc);
    sqlite3_reset(query);
    sqlite3_clear_bindings(first);
    sqlite3_clear_bindings(next);
    sqlite3_value_free(last);
    std::sort(found.begin(), found.end(), [](const First& a, const First& b) { return a.id < b.id; });
    std::vector<std::u16string> texts;
    for (First& each : found) texts.push_back(std::move(each.text));
    return texts;
}

RunStream::RunStream() { Streams().push_back(this); }

RunStream::~RunStream() {
    sqlite3_finalize(statement_);
    std::erase(Streams(), this);
}

void RunStream::Reset() {
    if (statement_) sqlite3_reset(statement_);
    epoch_ = 0;
}

void RunStream::ResetAll() {
    for (RunStream* stream : Streams()) stream->Reset();
}

bool RunStream::Knows(const Run& run, std::int64_t from, std::optional<std::int64_t>& id) const {
    if (!statement_ || run_ != run.id || epoch_ != Store().Epoch() || from <= floor_ || (hasRow_ && from > row_))
        return false;
    id = hasRow_ ? std::optional<std::int64_t>(row_) : std::nullopt;
    return true;
}

bool RunStream::Start(const Run& run, std::int64_t from) {
    if (run_ != run.id || !statement_ || generation_ != Store().Generation()) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        sqlite3* db = Store().Connection(ObjectStore::Use::Read);
        if (!db) return false;
        const std::string sql = "SELECT id, properties FROM " + Table(run) + " WHERE id >= ? ORDER BY id";
        if (sqlite3_prepare_v3(db, sql.c_str(), -1, 0, &statement_, nullptr) != SQLITE_OK) {
            Store().ReadFailed(sqlite3_extended_errcode(db));
            sqlite3_finalize(statement_);
            statement_ = nullptr;
            return false;
        }
        run_ = run.id;
        generation_ = Store().Generation();
    }
    sqlite3_reset(statement_);
    sqlite3_bind_int64(statement_, 1, from);
    epoch_ = Store().Epoch();
    floor_ = from - 1;
    const int rc = sqlite3_step(statement_);
    hasRow_ = rc == SQLITE_ROW;
    if (hasRow_) row_ = sqlite3_column_int64(statement_, 0);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        Store().ReadFailed(rc);
        Reset();
        return false;
    }
    return true;
}

RowRead RunStream::Take(std::vector<Property>& properties) {
    if (!hasRow_) return RowRead::Failed;
    const RowRead read = DecodeColumn(statement_, 1, properties) ? RowRead::Read : RowRead::Undecodable;
    floor_ = row_;
    const int rc = sqlite3_step(statement_);
    hasRow_ = rc == SQLITE_ROW;
    if (hasRow_) row_ = sqlite3_column_int64(statement_, 0);
    else if (rc != SQLITE_DONE) {
        Store().ReadFailed(rc);
        Reset();
    }
    return read;
}
