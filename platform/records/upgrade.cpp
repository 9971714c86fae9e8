#include "platform/records/upgrade.h"

#include "platform/device.h"
#include "platform/records/schema.h"

#include <sqlite3.h>

#include <cerrno>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) { sqlite3_prepare_v2(db, sql.c_str(), -1, &handle_, nullptr); }
    ~Statement() { sqlite3_finalize(handle_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return handle_; }
    // Steps once, then readies the statement for the next; SQLite's result code.
    int Run() {
        const int rc = handle_ ? sqlite3_step(handle_) : SQLITE_ERROR;
        if (handle_) {
            sqlite3_reset(handle_);
            sqlite3_clear_bindings(handle_);
        }
        return rc;
    }

private:
    sqlite3_stmt* handle_ = nullptr;
};

bool Exec(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

// The earlier formats' stored form: a count, then per property its id, kind
// and value, little-endian, texts of byte-sized units one byte each.
bool DecodeEarlierProperties(std::string_view bytes, std::vector<Property>& out) {
    std::size_t pos = 0;
    const auto number = [&](int size, std::uint64_t& value) {
        if (bytes.size() - pos < static_cast<std::size_t>(size)) return false;
        value = 0;
        for (int i = 0; i < size; ++i) value |= std::uint64_t{static_cast<unsigned char>(bytes[pos + i])} << (8 * i);
        pos += static_cast<std::size_t>(size);
        return true;
    };
    std::uint64_t count = 0;
    if (!number(2, count)) return false;
    out.clear();
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t id = 0, kind = 0, value = 0;
        if (!number(2, id) || !number(1, kind)) return false;
        if (kind == 1) {
            if (!number(8, value)) return false;
            out.emplace_back(static_cast<FileTime>(value), static_cast<std::uint16_t>(id));
            continue;
        }
        if ((kind != 0 && kind != 2) || !number(4, value)) return false;
        const std::size_t width = kind == 2 ? 1 : 2;
        if ((bytes.size() - pos) / width < value) return false;
        std::u16string text(value, u'\0');
        for (std::size_t unit = 0; unit < value; ++unit, pos += width)
            text[unit] = width == 1 ? static_cast<unsigned char>(bytes[pos])
                                    : static_cast<char16_t>(static_cast<unsigned char>(bytes[pos]) |
                                                            static_cast<unsigned char>(bytes[pos + 1]) << 8);
        out.emplace_back(text, static_cast<std::uint16_t>(id));
    }
    return pos == bytes.size();
}

// A lookup field as format 2 stored it: a text as its UTF-16 bytes, a time as an integer.
ColumnValue EarlierField(sqlite3_stmt* query, int column) {
    if (sqlite3_column_type(query, column) == SQLITE_INTEGER)
        return {ColumnKind::Time, {}, sqlite3_column_int64(query, column)};
    const std::string_view bytes = ReadBytes(query, column);
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return {ColumnKind::Text, OrderedBytes(text), 0};
}

// Writes the converted records into the current tables, numbering each sort
// text's records in the order they come.
class Writer {
public:
    explicit Writer(sqlite3* db) : db_(db), sortText_(db, kInsertSortTextSql), record_(db, kInsertRecordSql) {}

    bool Add(const DatabaseInfo& database, const RecordRow& row) {
        auto [at, fresh] = sortTexts_.try_emplace({database.id, row.key.exact}, Numbered{0, 0});
        if (fresh) {
            sqlite3_bind_int64(sortText_.get(), 1, database.id);
            BindBytes(sortText_.get(), 2, row.key.fold);
            BindBytes(sortText_.get(), 3, row.key.exact);
            if (sortText_.Run() != SQLITE_DONE) return false;
            at->second.sortText = sqlite3_last_insert_rowid(db_);
        }
        BindRecord(record_.get(), at->second.sortText, ++at->second.records, row.stored);
        return record_.Run() == SQLITE_DONE;
    }

    // A record that cannot be decoded, under the sort text and fields the earlier format gave it.
    bool AddUndecodable(const DatabaseInfo& database, std::u16string_view sortText, const ColumnValue fields[3],
                        std::string_view bytes) {
        RecordRow row;
        row.key.exact = OrderedBytes(sortText);
        row.key.fold = FoldedKey(database, sortText);
        row.stored.bytes = KeptUndecodable(bytes);
        const ColumnIds ids = database.Columns();
        for (std::size_t column = 1; column < kColumnCount; ++column)
            row.stored.columns[column] = ids[column] < 0 ? ColumnValue{} : fields ? fields[column - 1] : ColumnValue{ColumnKind::Text, {}, 0};
        return Add(database, row);
    }

private:
    struct Numbered {
        std::int64_t sortText, records;
    };
    sqlite3* db_;
    Statement sortText_, record_;
    std::map<std::pair<std::uint32_t, std::string>, Numbered> sortTexts_;
};

// The earlier databases under their new table, each keeping as lookup
// columns the three properties after its sort property, as the earlier
// formats indexed them.
bool MoveDatabases(sqlite3* db, StoreFormat format, std::map<std::uint32_t, DatabaseInfo>& databases) {
    if (!Exec(db, "ALTER TABLE databases RENAME TO earlier_databases")) return false;
    if (format == StoreFormat::Format1 && !Exec(db, "ALTER TABLE records RENAME TO earlier_records")) return false;
    for (const std::string& statement : CurrentSchema())
        if (!Exec(db, statement)) return false;
    Statement earlier(db, "SELECT id, name, type, sort_property, sort_flags FROM earlier_databases");
    Statement insert(db, std::string("INSERT INTO databases(") + kDatabaseColumns + ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    if (!earlier.get() || !insert.get()) return false;
    int rc;
    while ((rc = sqlite3_step(earlier.get())) == SQLITE_ROW) {
        const sqlite3_int64 sort = sqlite3_column_int64(earlier.get(), 3);
        const auto after = [sort](int n) { return sort + n <= 0xFFFF ? sort + n : 0; };
        for (int column = 0; column < 5; ++column) sqlite3_bind_value(insert.get(), column + 1, sqlite3_column_value(earlier.get(), column));
        for (int n = 1; n <= 3; ++n) sqlite3_bind_int64(insert.get(), 5 + n, after(n));
        if (insert.Run() != SQLITE_DONE) return false;
    }
    if (rc != SQLITE_DONE) return false;
    Statement rows(db, std::string("SELECT ") + kDatabaseColumns + " FROM databases");
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
        DatabaseInfo info = ReadDatabaseRow(rows.get());
        if (!info.Sound()) return false;
        databases.emplace(info.id, std::move(info));
    }
    return Exec(db, "DROP TABLE earlier_databases");
}

// Format 1: every live record of one table, in the order added. A record of
// no database was never readable and stays behind.
bool MoveFormat1(sqlite3* db, const std::map<std::uint32_t, DatabaseInfo>& databases) {
    Writer writer(db);
    Statement records(db, "SELECT database, properties FROM earlier_records"
                          " WHERE id NOT IN (SELECT id FROM deleted_records) ORDER BY id");
    if (!records.get()) return false;
    std::vector<Property> properties;
    RecordRow row;
    int rc;
    while ((rc = sqlite3_step(records.get())) == SQLITE_ROW) {
        auto found = databases.find(static_cast<std::uint32_t>(sqlite3_column_int64(records.get(), 0)));
        if (found == databases.end()) continue;
        const std::string_view bytes = ReadBytes(records.get(), 1);
        if (!DecodeEarlierProperties(bytes, properties)) {
            if (!writer.AddUndecodable(found->second, u"", nullptr, bytes)) return false;
            continue;
        }
        MakeRecordRow(found->second, properties, row);
        if (!writer.Add(found->second, row)) return false;
    }
    return rc == SQLITE_DONE && sqlite3_reset(records.get()) == SQLITE_OK &&
           Exec(db, "DROP TABLE earlier_records; DROP TABLE deleted_records;");
}

// Format 2: each run's rows in order, then the run tables go.
bool MoveFormat2(sqlite3* db, const std::map<std::uint32_t, DatabaseInfo>& databases) {
    Writer writer(db);
    std::vector<std::pair<std::int64_t, std::uint32_t>> runs;  // id, database
    {
        Statement list(db, "SELECT id, database FROM runs ORDER BY database, fold");
        int rc;
        while ((rc = sqlite3_step(list.get())) == SQLITE_ROW)
            runs.emplace_back(sqlite3_column_int64(list.get(), 0), static_cast<std::uint32_t>(sqlite3_column_int64(list.get(), 1)));
        if (rc != SQLITE_DONE) return false;
    }
    std::vector<Property> properties;
    RecordRow row;
    for (const auto& [run, owner] : runs) {
        const std::string table = "run_" + std::to_string(run);
        auto database = databases.find(owner);
        Statement rows(db, "SELECT exact, first, second, third, properties FROM " + table + " ORDER BY id");
        int rc = SQLITE_DONE;
        while (database != databases.end() && (rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
            const std::string_view bytes = ReadBytes(rows.get(), 4);
            if (DecodeEarlierProperties(bytes, properties)) {
                MakeRecordRow(database->second, properties, row);
                if (!writer.Add(database->second, row)) return false;
                continue;
            }
            const ColumnValue fields[3] = {EarlierField(rows.get(), 1), EarlierField(rows.get(), 2), EarlierField(rows.get(), 3)};
            if (!writer.AddUndecodable(database->second, TextOfOrderedBytes(ReadBytes(rows.get(), 0)), fields, bytes))
                return false;
        }
        if (rc != SQLITE_DONE || sqlite3_reset(rows.get()) != SQLITE_OK || !Exec(db, "DROP TABLE " + table)) return false;
    }
    return Exec(db, "DROP TABLE runs");
}

}  // namespace

std::filesystem::path UpgradeCopyPath(const std::filesystem::path& store) { return store.string() + ".before-upgrade"; }

std::filesystem::path EarlierUpgradeCopyPath(const std::filesystem::path& store) { return store.string() + ".format1"; }

int UpgradeStore(sqlite3* db, const std::filesystem::path& store, StoreFormat format) {
    // What failed, read before anything else can change it; a record that
    // cannot be placed is damage SQLite did not see.
    auto failure = [db] {
        const int code = sqlite3_extended_errcode(db);
        return code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE ? SQLITE_CORRUPT : code;
    };
    const std::string copy = UpgradeCopyPath(store).string();
    ::unlink(copy.c_str());  // left by a conversion cut short; the file itself is still whole
    if (const int error = MakePrivateFile(copy); error != 0) return error == ENOSPC ? SQLITE_FULL : SQLITE_CANTOPEN;
    {
        Statement keep(db, "VACUUM INTO ?1");
        if (!keep.get()) return failure();
        sqlite3_bind_text(keep.get(), 1, copy.c_str(), -1, SQLITE_STATIC);
        if (const int rc = sqlite3_step(keep.get()); rc != SQLITE_DONE) {
            const int code = sqlite3_extended_errcode(db);
            ::unlink(copy.c_str());  // a part written before the disk filled up
            return code == SQLITE_OK ? rc : code;
        }
    }
    if (!Exec(db, "BEGIN IMMEDIATE")) return failure();
    std::map<std::uint32_t, DatabaseInfo> databases;
    const bool moved = MoveDatabases(db, format, databases) &&
                       (format == StoreFormat::Format1 ? MoveFormat1(db, databases) : MoveFormat2(db, databases));
    const bool converted = moved && Exec(db, "PRAGMA user_version=" + std::to_string(kStoreFormat)) && Exec(db, "COMMIT");
    if (!converted) {
        const int code = failure();
        if (!sqlite3_get_autocommit(db)) Exec(db, "ROLLBACK");
        ::unlink(copy.c_str());
        return code;
    }
    if (!PassesFullCheck(db)) return SQLITE_CORRUPT;
    ::unlink(copy.c_str());
    return SQLITE_OK;
}
