#include "platform/records/file_checks.h"

#include "platform/device.h"
#include "platform/failure_cause.h"
#include "platform/records/schema.h"
#include "platform/records/vfs.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A statement of its own, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &handle_, nullptr); }
    ~Statement() { sqlite3_finalize(handle_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return handle_; }
    bool Row() { return handle_ && sqlite3_step(handle_) == SQLITE_ROW; }
    // Stepped to its end without an error.
    bool Done() { return handle_ && sqlite3_step(handle_) == SQLITE_DONE; }

private:
    sqlite3_stmt* handle_ = nullptr;
};

bool QueryInt(sqlite3* db, const char* sql, long long& value, int* error) {
    sqlite3_stmt* query = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &query, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(query);
    const bool ok = rc == SQLITE_ROW;
    if (ok) value = sqlite3_column_int64(query, 0);
    if (error) *error = ok ? SQLITE_OK : rc;
    sqlite3_finalize(query);
    return ok;
}

// A query that must give no row for the file to be sound.
bool NoRow(sqlite3* db, const char* sql) {
    Statement query(db, sql);
    return query.Done();
}

bool IsRunTable(const std::string& name, std::int64_t& run) {
    if (name.rfind("run_", 0) != 0 || name.size() <= 4 || !std::isdigit(static_cast<unsigned char>(name[4]))) return false;
    run = std::atoll(name.c_str() + 4);
    return true;
}

std::string Text(sqlite3_stmt* query, int column) {
    const unsigned char* value = sqlite3_column_text(query, column);
    return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
}

}  // namespace

StoreFormat ReadStoreFormat(sqlite3* db, int* error) {
    long long applicationId = 0, version = 0, objects = 0;
    if (!QueryInt(db, "PRAGMA application_id", applicationId, error) ||
        !QueryInt(db, "PRAGMA user_version", version, error) ||
        !QueryInt(db, "SELECT count(*) FROM sqlite_master", objects, error))
        return StoreFormat::Unreadable;
    if (applicationId != kStoreApplicationId)
        return applicationId == 0 && version == 0 && objects == 0 ? StoreFormat::Empty : StoreFormat::Foreign;
    if (version == kStoreFormat) return StoreFormat::Current;
    if (version == 1) return StoreFormat::Format1;
    if (version == 2) return StoreFormat::Format2;
    return version > kStoreFormat ? StoreFormat::Newer : StoreFormat::Foreign;
}

bool IsEarlierFormat(StoreFormat format) { return format == StoreFormat::Format1 || format == StoreFormat::Format2; }

bool CreateStoreFile(const std::filesystem::path& path) {
    if (StoreWritesFail() || MakePrivateFolders(path.parent_path()) != 0) return false;
    const int error = MakePrivateFile(path);
    return error == 0 || error == EEXIST;  // made meanwhile by another process: use it
}

std::filesystem::path LinkedStoreFile(const std::filesystem::path& store) {
    for (const char* suffix : kStoreCompanions) {
        std::filesystem::path file = store.string() + suffix;
        if (IsLink(file.c_str())) return file;
    }
    return {};
}

void NarrowStoreFiles(const std::filesystem::path& store) {
    for (const char* suffix : kStoreCompanions) {
        const std::string file = store.string() + suffix;
        const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat info {};
        // Never wider: a file its owner made read-only stays so.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            (info.st_mode & 07777) != (info.st_mode & 0600))
            ::fchmod(fd, info.st_mode & 0600);
        ::close(fd);
    }
}

bool HasStoreSchema(sqlite3* db, StoreFormat format) {
    const std::vector<std::string>* fixed = format == StoreFormat::Current   ? &CurrentSchema()
                                            : format == StoreFormat::Format2 ? &Format2Schema()
                                            : format == StoreFormat::Format1 ? &Format1Schema()
                                                                             : nullptr;
    if (!fixed) return false;
    std::vector<std::string> expected = *fixed;
    // SQLite's own sequence of AUTOINCREMENT.
    expected.push_back("CREATE TABLE sqlite_sequence(name,seq)");
    Statement objects(db, "SELECT type, name, sql FROM sqlite_master");
    if (!objects.get()) return false;
    std::size_t seen = 0, runObjects = 0, autoIndexes = 0;
    std::vector<std::int64_t> runTables;
    int rc;
    while ((rc = sqlite3_step(objects.get())) == SQLITE_ROW) {
        const std::string type = Text(objects.get(), 0), name = Text(objects.get(), 1), sql = Text(objects.get(), 2);
        std::int64_t run = 0;
        if (type == "index" && name.rfind("sqlite_autoindex_", 0) == 0 && sqlite3_column_type(objects.get(), 2) == SQLITE_NULL) {
            ++autoIndexes;
        } else if (std::find(expected.begin(), expected.end(), sql) != expected.end()) {
            ++seen;
        } else if (format == StoreFormat::Format2 && IsRunTable(name, run)) {
            const std::vector<std::string> table = RunTableSchema(run);
            if (std::find(table.begin(), table.end(), sql) == table.end()) return false;
            if (type == "table") runTables.push_back(run);
            ++runObjects;
        } else {
            return false;
        }
    }
    // SQLite's one index of its own: the unique name of a database.
    if (rc != SQLITE_DONE || seen != expected.size() || autoIndexes != 1 ||
        runObjects != 4 * runTables.size())
        return false;
    if (format != StoreFormat::Format2) return true;
    // Every run has its table, and every table its run.
    std::sort(runTables.begin(), runTables.end());
    Statement runs(db, "SELECT id FROM runs");
    std::size_t listed = 0;
    while (runs.Row()) {
        ++listed;
        if (!std::binary_search(runTables.begin(), runTables.end(), sqlite3_column_int64(runs.get(), 0))) return false;
    }
    return listed == runTables.size();
}

bool PassesOpeningChecks(sqlite3* db) {
    Statement databases(db, (std::string("SELECT ") + kDatabaseColumns + " FROM databases").c_str());
    if (!databases.get()) return false;
    int rc;
    while ((rc = sqlite3_step(databases.get())) == SQLITE_ROW)
        if (!ReadDatabaseRow(databases.get()).Sound()) return false;
    if (rc != SQLITE_DONE) return false;
    // Each bound a query of its own: SQLite reads one end of the table for a
    // lone min() or max(), but scans it all for the two together.
    Statement range(db, "SELECT (SELECT min(id) FROM sort_texts) >= 1 AND (SELECT max(id) FROM sort_texts) <= ?1");
    if (!range.get()) return false;
    sqlite3_bind_int64(range.get(), 1, kLastId);
    // No sort text at all gives NULL, which is as sound as a range within bounds.
    return range.Row() && (sqlite3_column_type(range.get(), 0) == SQLITE_NULL || sqlite3_column_int(range.get(), 0) == 1);
}

bool PassesIntegrityCheck(sqlite3* db) {
    Statement check(db, "PRAGMA integrity_check(1)");
    return check.Row() && Text(check.get(), 0) == "ok";
}

bool PassesFullCheck(sqlite3* db) {
    if (!PassesIntegrityCheck(db) || !PassesOpeningChecks(db)) return false;
    std::map<std::uint32_t, DatabaseInfo> databases;
    Statement rows(db, (std::string("SELECT ") + kDatabaseColumns + " FROM databases").c_str());
    while (rows.Row()) {
        DatabaseInfo info = ReadDatabaseRow(rows.get());
        databases.emplace(info.id, std::move(info));
    }
    // Each sort text belongs to a database and is folded as lookups fold it.
    Statement texts(db, "SELECT database, fold, exact FROM sort_texts");
    int rc;
    while ((rc = sqlite3_step(texts.get())) == SQLITE_ROW) {
        auto found = databases.find(static_cast<std::uint32_t>(sqlite3_column_int64(texts.get(), 0)));
        if (found == databases.end() || sqlite3_column_type(texts.get(), 1) != SQLITE_BLOB ||
            sqlite3_column_type(texts.get(), 2) != SQLITE_BLOB)
            return false;
        const auto bytes = [&texts](int column) {
            const char* data = static_cast<const char*>(sqlite3_column_blob(texts.get(), column));
            return std::string_view(data ? data : "", static_cast<std::size_t>(sqlite3_column_bytes(texts.get(), column)));
        };
        if (FoldedKey(found->second, TextOfOrderedBytes(bytes(2))) != bytes(1)) return false;
    }
    if (rc != SQLITE_DONE) return false;
    // One row per text: else a lookup would find only part of its records.
    if (!NoRow(db, "SELECT 1 FROM sort_texts GROUP BY database, fold, exact HAVING count(*) > 1")) return false;
    // Every record has its sort text, and an id the store could have written.
    Statement range(db, "SELECT 1 FROM records WHERE id < 1 OR id > ?1 LIMIT 1");
    sqlite3_bind_int64(range.get(), 1, kLastId);
    return range.Done() && NoRow(db, "SELECT 1 FROM records WHERE sort_text NOT IN (SELECT id FROM sort_texts) LIMIT 1");
}

std::filesystem::path ExistingAncestor(std::filesystem::path folder) {
    struct stat info {};
    while (::stat(folder.c_str(), &info) != 0 && folder.has_parent_path() && folder.parent_path() != folder)
        folder = folder.parent_path();
    return folder;
}

std::u16string StoreFileProblem(const std::filesystem::path& file) {
    if (::access(file.c_str(), R_OK) != 0) return CannotReadProblem(file, errno);
    sqlite3* db = nullptr;
    int error = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    StoreFormat format = StoreFormat::Unreadable;
    bool sound = false;
    if (error == SQLITE_OK) {
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_busy_timeout(db, 5000);
        format = ReadStoreFormat(db, &error);
        sound = HasStoreSchema(db, format) &&
                (format == StoreFormat::Current ? PassesFullCheck(db) : PassesIntegrityCheck(db));
    }
    // Not read at all: a full disk or a read-only medium is no damage.
    const std::u16string unread = format == StoreFormat::Unreadable ? StoreFailureProblem(file, db, error, false) : u"";
    sqlite3_close_v2(db);
    if (format == StoreFormat::Newer) return NewerProblem(file);
    if (!unread.empty()) return unread;
    return sound ? std::u16string() : DamagedProblem(file);
}
