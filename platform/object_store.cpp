#include "platform/object_store.h"

#include "platform/device.h"
#include "platform/failure_cause.h"
#include "platform/record_store.h"
#include "platform/run_layout.h"
#include "platform/store_file.h"
#include "platform/store_upgrade.h"
#include "platform/store_vfs.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <cerrno>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;

// Set in a child process right after fork.
bool gForked = false;
// A reader of a device the program may be using: no write of any kind.
bool gReadOnly = false;

// The savepoint of the store transaction nested `level` deep (the outermost is a plain transaction).
std::string SavepointName(int level) { return "v" + std::to_string(level); }

bool IsDamage(int code) { return (code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB; }

// A log left with content means the last program using the file did not end cleanly.
bool LogLeftOver(const std::filesystem::path& path) {
    struct stat log {};
    return ::stat((path.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0;
}

}  // namespace

ObjectStore& ObjectStore::Instance() {
    static ObjectStore store;
    static bool watching = pthread_atfork(nullptr, nullptr, [] { gForked = true; }) == 0;
    (void)watching;
    static bool following = (OnDeviceRootChange([] { ObjectStore::Instance().Close(); }), true);
    (void)following;
    return store;
}

ObjectStore::~ObjectStore() { Close(); }

// A connection must not be used, nor closed, by a process it was not opened in:
// a forked child drops what it inherited and opens its own.
void ObjectStore::ForgetInheritedConnection() {
    if (!gForked) return;
    gForked = false;
    statements_.clear();
    db_ = nullptr;
    sqlLevels_ = 0;
    Close();
}

void ObjectStore::Close() {
    ForgetInheritedConnection();
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    statements_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    problem_.clear();
    path_.clear();
    Reloaded();
    // Closing rolls back what a live transaction wrote; it can no longer commit.
    if (sqlLevels_ > 0) failed_ = true;
    sqlLevels_ = 0;
}

void ObjectStore::SetProblem(std::u16string problem) {
    std::filesystem::path path = path_;
    // Closing would copy a killed program's log into the refused file and
    // delete it, though the log may hold the last saves: leave both as they are.
    if (db_ && LogLeftOver(path_)) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Close();
    path_ = path;
    problem_ = std::move(problem);
}

sqlite3* ObjectStore::Connection(Use use) { return Ready(use) ? db_ : nullptr; }

bool ObjectStore::Ready(Use use) {
    ForgetInheritedConnection();
    if (db_) {
        if (gReadOnly && use == Use::Write) return false;
        if (openHandles_ == 0 && depth_ == 0) CheckOtherWriters();
        return db_ != nullptr;
    }
    std::filesystem::path path = ObjectStorePath();
    if (path != path_) {
        Close();
        path_ = path;
    }
    if (!problem_.empty()) return false;
    if (gReadOnly && use == Use::Write) return false;
    if (const std::filesystem::path link = LinkedStoreFile(path_); !link.empty()) {
        problem_ = LinkProblem(link);
        return false;
    }
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            problem_ = CannotReadProblem(path_, errno);
            return false;
        }
        // A device without a file simply has no databases yet.
        if (use == Use::Read || !CreateStoreFile(path_)) return false;
    }
    return OpenExisting();
}

bool ObjectStore::OpenExisting() {
    if (::access(path_.c_str(), R_OK) != 0) {
        problem_ = CannotReadProblem(path_, errno);
        return false;
    }
    // SQLite needs the folder for its log and index files beside the data file.
    std::filesystem::path folder = path_.parent_path();
    if (!gReadOnly && ::access(path_.c_str(), W_OK) != 0) {
        problem_ = CannotWriteProblem(path_, errno);
        return false;
    }
    if (!gReadOnly && ::access(folder.c_str(), W_OK | X_OK) != 0) {
        problem_ = CannotWriteProblem(folder, errno);
        return false;
    }
    if (!gReadOnly) NarrowStoreFiles(path_);
    const bool uncleanEnd = LogLeftOver(path_);
    // One thread uses the connection: SQLite need not lock it at every call.
    const int mode = (gReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (const int opened = sqlite3_open_v2(path_.c_str(), &db_, mode, StoreVfsName()); opened != SQLITE_OK) {
        SetProblem(StoreFailureProblem(path_, db_, opened, !gReadOnly));
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // The file is data, never code: no schema object may run anything.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);

    int error = SQLITE_OK;
    StoreFormat format = ReadStoreFormat(db_, &error);
    if (format == StoreFormat::Unreadable && (error & 0xFF) == SQLITE_BUSY) {
        Close();  // held by another program for now; the next use tries again
        return false;
    }
    if (format == StoreFormat::Unreadable) {
        SetProblem(StoreFailureProblem(path_, db_, error, !gReadOnly));
        return false;
    }
    if (format == StoreFormat::Empty) {
        if (gReadOnly) {  // not made yet: no databases to read
            Close();
            return false;
        }
        if (StoreWritesFail() || !Exec("PRAGMA journal_mode=WAL") || !Exec("BEGIN IMMEDIATE")) {
            Close();
            return false;
        }
        // Another process may have made it meanwhile.
        format = ReadStoreFormat(db_);
        const bool made = format == StoreFormat::Current ||
                          (format == StoreFormat::Empty && Exec(kDatabasesSchema) && Exec(kRunsSchema) &&
                           Exec("PRAGMA application_id=" + std::to_string(kStoreApplicationId)) &&
                           Exec("PRAGMA user_version=" + std::to_string(kStoreFormat)));
        if (!made || !Exec("COMMIT")) {
            if (!sqlite3_get_autocommit(db_)) Exec("ROLLBACK");
            std::filesystem::path path = path_;
            Close();
            path_ = path;
            return false;
        }
        format = StoreFormat::Current;
    }
    if (format == StoreFormat::Format1) {
        if (gReadOnly) {
            SetProblem(OlderProblem(path_));
            return false;
        }
        if (!HasStoreSchema(db_, format) || (uncleanEnd && !PassesQuickCheck(db_))) {
            SetProblem(DamagedProblem(path_));
            return false;
        }
        if (const int upgraded = UpgradeFromFormat1(db_, path_); upgraded != SQLITE_OK) {
            SetProblem(StoreFailureProblem(path_, db_, upgraded, true));
            return false;
        }
        format = StoreFormat::Current;
    } else if (format == StoreFormat::Current && uncleanEnd && !PassesQuickCheck(db_)) {
        SetProblem(DamagedProblem(path_));
        return false;
    }
    if (format == StoreFormat::Newer) {
        SetProblem(NewerProblem(path_));
        return false;
    }
    if (!HasStoreSchema(db_, format)) {
        SetProblem(DamagedProblem(path_));
        return false;
    }
    if (!gReadOnly) {
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        // Deleted records need not be wiped at the cost of writing every freed page.
        Exec("PRAGMA secure_delete=FAST");
    }
    sqlite3_stmt* version = Statement("PRAGMA data_version");
    if (version && sqlite3_step(version) == SQLITE_ROW) dataVersion_ = sqlite3_column_int64(version, 0);
    if (version) sqlite3_reset(version);
    Reloaded();
    return true;
}

bool ObjectStore::CheckIntegrity() {
    if (!Ready(Use::Read)) return false;
    if (PassesQuickCheck(db_)) return true;
    SetProblem(DamagedProblem(path_));
    return false;
}

// When another process changed the file, what handles read may no longer hold.
void ObjectStore::CheckOtherWriters() {
    sqlite3_stmt* query = Statement("PRAGMA data_version");
    if (!query) return;
    if (sqlite3_step(query) == SQLITE_ROW) {
        const long long version = sqlite3_column_int64(query, 0);
        if (version != dataVersion_) {
            dataVersion_ = version;
            Reloaded();
        }
    }
    sqlite3_reset(query);
}

sqlite3_stmt* ObjectStore::Statement(const std::string& sql) {
    if (!db_) return nullptr;
    auto found = statements_.find(sql);
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    statements_.emplace(sql, statement);
    return statement;
}

void ObjectStore::ForgetStatements(const std::string& table) {
    const std::string named = " " + table + " ", before = " " + table + "(";
    for (auto it = statements_.begin(); it != statements_.end();) {
        const std::string text = it->first + " ";
        if (text.find(named) != std::string::npos || text.find(before) != std::string::npos) {
            sqlite3_finalize(it->second);
            it = statements_.erase(it);
        } else {
            ++it;
        }
    }
}

bool ObjectStore::Exec(const std::string& sql) { return db_ && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

// A write inside store transactions first begins them in SQLite, the
// outermost as a transaction and each inner one as a savepoint.
bool ObjectStore::BeginWrite() {
    if (failed_ || !Ready(Use::Write)) return false;
    while (sqlLevels_ < depth_) {
        const bool begun = sqlLevels_ == 0 ? Exec("BEGIN IMMEDIATE") : Exec("SAVEPOINT " + SavepointName(sqlLevels_));
        if (!begun) {
            if (sqlLevels_ > 0) failed_ = true;
            return false;
        }
        ++sqlLevels_;
    }
    Changed();
    return true;
}

// Some failures (a full disk among them) make SQLite roll back the whole
// transaction; the units still open can then only fail.
void ObjectStore::WriteFailed(int code) {
    Reloaded();
    if (db_ && sqlLevels_ > 0 && sqlite3_get_autocommit(db_)) {
        sqlLevels_ = 0;
        failed_ = true;
    }
    if (IsDamage(code)) SetProblem(DamagedProblem(path_));
}

void ObjectStore::ReadFailed(int code) {
    if (IsDamage(code)) SetProblem(DamagedProblem(path_));
}

void ObjectStore::BeginUnit() { ++depth_; }

bool ObjectStore::EndUnit(bool commit) {
    const int level = depth_;
    if (level == 0) return false;
    bool ok = commit && !failed_;
    if (db_ && sqlLevels_ >= level) {
        const std::string savepoint = SavepointName(level - 1);
        if (ok) ok = Exec(level == 1 ? "COMMIT" : "RELEASE " + savepoint);
        if (!ok) {
            if (level == 1) {
                if (!sqlite3_get_autocommit(db_)) Exec("ROLLBACK");
            } else {
                Exec("ROLLBACK TO " + savepoint);
                Exec("RELEASE " + savepoint);
            }
            Reloaded();
        }
        sqlLevels_ = level - 1;
    }
    --depth_;
    if (depth_ == 0) failed_ = false;
    return ok;
}

std::u16string ObjectStore::Problem() {
    if (Ready(Use::Read)) return {};
    if (!problem_.empty()) return problem_;
    // No file yet: it will be made on the first write, if its folder can be.
    std::filesystem::path folder = ExistingAncestor(path_.parent_path());
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) return CannotWriteProblem(folder, ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return CannotWriteProblem(folder, errno);
    return {};
}

void CloseObjectStore() { ObjectStore::Instance().Close(); }

std::u16string ObjectStoreProblem() { return ObjectStore::Instance().Problem(); }

void SetObjectStoreReadOnly(bool on) {
    if (gReadOnly == on) return;
    ObjectStore::Instance().Close();
    gReadOnly = on;
}
