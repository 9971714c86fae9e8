#include "platform/records/connection.h"

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/failure_cause.h"
#include "platform/records/file_checks.h"
#include "platform/records/schema.h"
#include "platform/records/upgrade.h"
#include "platform/records/vfs.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <cerrno>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;

// SQLite's page cache (KiB): small while reading, which the system's own
// cache serves; while a transaction writes, room for the pages it changes,
// so that each is written once, at the commit, rather than again and again
// as the cache spills mid-way (an import, a user's records deleted). The
// room is bounded, so memory stays flat.
constexpr const char* kReadingCache = "PRAGMA cache_size=-2000";
constexpr const char* kWritingCache = "PRAGMA cache_size=-40960";

// Set in a child process right after fork.
bool gForked = false;

// The savepoint of the store transaction nested `level` deep (the outermost is a plain transaction).
std::string SavepointName(int level) {
    std::string name = std::to_string(level);
    return name.insert(0, 1, 'v');
}

bool IsDamage(int code) { return (code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB; }

// A log left with content while no other program uses the device means the
// last program using the file did not end cleanly.
bool EndedUncleanly(const std::filesystem::path& path) {
    struct stat log {};
    return ::stat((path.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0 &&
           !DeviceLock::HeldByAnother(path.parent_path());
}

// Damage, naming the copy an interrupted or failed conversion kept.
std::u16string DamagedStoreProblem(const std::filesystem::path& path) {
    std::u16string problem = DamagedProblem(path);
    struct stat copy {};
    if (::stat(UpgradeCopyPath(path).c_str(), &copy) == 0)
        problem += u" The file as it was before its conversion is kept as " +
                   Utf8ToText(UpgradeCopyPath(path).string()) + u".";
    return problem;
}

}  // namespace

ObjectStore::Query::Query(Query&& other) noexcept
    : statement_(other.statement_), generation_(other.generation_), kept_(other.kept_) {
    other.statement_ = nullptr;
}

ObjectStore::Query& ObjectStore::Query::operator=(Query&& other) noexcept {
    if (this != &other) {
        GiveBack();
        statement_ = other.statement_;
        generation_ = other.generation_;
        kept_ = other.kept_;
        other.statement_ = nullptr;
    }
    return *this;
}

ObjectStore::Query::~Query() { GiveBack(); }

// Back among the kept statements of its connection; a statement of a
// connection closed since is finalized, which lets that connection go.
void ObjectStore::Query::GiveBack() {
    if (!statement_) return;
    ObjectStore& store = Instance();
    if (generation_ == store.generation_ && store.db_) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
        kept_->push_back(statement_);
    } else {
        sqlite3_finalize(statement_);
    }
    statement_ = nullptr;
}

bool ObjectStore::Query::Next() {
    if (!statement_ || generation_ != Instance().generation_) return false;
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Instance().ReadFailed(rc);
    return false;
}

bool ObjectStore::Query::Run() {
    if (!statement_ || generation_ != Instance().generation_) return false;
    const int rc = sqlite3_step(statement_);
    sqlite3_reset(statement_);
    if (rc != SQLITE_DONE) Instance().WriteFailed(rc);
    return rc == SQLITE_DONE;
}

bool ObjectStore::Query::Broken() const { return !statement_ || generation_ != Instance().generation_; }

void ObjectStore::Query::Reset() {
    if (statement_ && generation_ == Instance().generation_) sqlite3_reset(statement_);
}

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
    kept_.clear();
    db_ = nullptr;
    sqlLevels_ = 0;
    Close();
}

void ObjectStore::Close() {
    ForgetInheritedConnection();
    for (auto& [sql, statements] : kept_)
        for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
    kept_.clear();
    // Statements still on loan are finalized as they come back; until then
    // SQLite keeps the connection for them.
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
    if (db_ && EndedUncleanly(path_)) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Close();
    path_ = path;
    problem_ = std::move(problem);
}

// A use of an open store failed for good: it is refused from here on, and said once.
void ObjectStore::UseFailed(int code) {
    if (!db_) return;
    std::u16string problem = IsDamage(code) ? DamagedStoreProblem(path_) : StoreFailureProblem(path_, db_, code, !readOnly_);
    SetProblem(problem);
    if (problemFound_) problemFound_(problem);
}

sqlite3* ObjectStore::Connection(Use use) { return Ready(use) ? db_ : nullptr; }

ObjectStore::Query ObjectStore::Prepare(std::string_view sql, Use use) {
    if (!Ready(use)) return {};
    auto at = kept_.find(sql);
    if (at == kept_.end()) at = kept_.emplace(std::string(sql), std::vector<sqlite3_stmt*>{}).first;
    if (!at->second.empty()) {
        sqlite3_stmt* statement = at->second.back();
        at->second.pop_back();
        return Query(statement, generation_, &at->second);
    }
    sqlite3_stmt* statement = nullptr;
    if (const int rc = sqlite3_prepare_v3(db_, at->first.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
        rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        ReadFailed(rc);
        return {};
    }
    return Query(statement, generation_, &at->second);
}

bool ObjectStore::Ready(Use use) {
    ForgetInheritedConnection();
    if (db_) {
        if (readOnly_ && use == Use::Write) return false;
        if (openHandles_ == 0 && depth_ == 0) CheckOtherWriters();
        return db_ != nullptr;
    }
    std::filesystem::path path = ObjectStorePath();
    if (path != path_) {
        Close();
        path_ = path;
    }
    if (!problem_.empty()) return false;
    if (readOnly_ && use == Use::Write) return false;
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

bool ObjectStore::MakeSchema() {
    if (StoreWritesFail() || !Exec("PRAGMA journal_mode=WAL") || !Exec("BEGIN IMMEDIATE")) return false;
    // Another process may have made it meanwhile.
    StoreFormat format = ReadStoreFormat(db_);
    bool made = format == StoreFormat::Current;
    if (format == StoreFormat::Empty) {
        made = true;
        for (const std::string& statement : CurrentSchema()) made = made && Exec(statement);
        made = made && Exec("PRAGMA application_id=" + std::to_string(kStoreApplicationId)) &&
               Exec("PRAGMA user_version=" + std::to_string(kStoreFormat));
    }
    if (made && Exec("COMMIT")) return true;
    if (!sqlite3_get_autocommit(db_)) Exec("ROLLBACK");
    return false;
}

bool ObjectStore::OpenExisting() {
    if (::access(path_.c_str(), R_OK) != 0) {
        problem_ = CannotReadProblem(path_, errno);
        return false;
    }
    // SQLite needs the folder for its log and index files beside the data file.
    std::filesystem::path folder = path_.parent_path();
    if (!readOnly_ && ::access(path_.c_str(), W_OK) != 0) {
        problem_ = CannotWriteProblem(path_, errno);
        return false;
    }
    if (!readOnly_ && ::access(folder.c_str(), W_OK | X_OK) != 0) {
        problem_ = CannotWriteProblem(folder, errno);
        return false;
    }
    if (!readOnly_) NarrowStoreFiles(path_);
    const bool uncleanEnd = EndedUncleanly(path_);
    // One thread uses the connection: SQLite need not lock it at every call.
    const int mode = (readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (const int opened = sqlite3_open_v2(path_.c_str(), &db_, mode, StoreVfsName()); opened != SQLITE_OK) {
        SetProblem(StoreFailureProblem(path_, db_, opened, !readOnly_));
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
        SetProblem(StoreFailureProblem(path_, db_, error, !readOnly_));
        return false;
    }
    if (format == StoreFormat::Empty) {
        if (readOnly_ || !MakeSchema()) {  // read-only: not made yet, no databases to read
            const std::filesystem::path path = path_;
            Close();
            path_ = path;
            return false;
        }
        format = StoreFormat::Current;
    }
    if (format == StoreFormat::Newer) {
        SetProblem(NewerProblem(path_));
        return false;
    }
    if (IsEarlierFormat(format)) {
        if (readOnly_) {
            SetProblem(OlderProblem(path_));
            return false;
        }
        if (!HasStoreSchema(db_, format) || (uncleanEnd && !PassesIntegrityCheck(db_))) {
            SetProblem(DamagedStoreProblem(path_));
            return false;
        }
        if (const int upgraded = UpgradeStore(db_, path_, format); upgraded != SQLITE_OK) {
            SetProblem(IsDamage(upgraded) ? DamagedStoreProblem(path_) : StoreFailureProblem(path_, db_, upgraded, true));
            return false;
        }
        format = StoreFormat::Current;
    } else if (format == StoreFormat::Current && uncleanEnd && !PassesFullCheck(db_)) {
        SetProblem(DamagedStoreProblem(path_));
        return false;
    }
    if (format != StoreFormat::Current || !HasStoreSchema(db_, format) || !PassesOpeningChecks(db_)) {
        SetProblem(DamagedStoreProblem(path_));
        return false;
    }
    if (!readOnly_) {
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        // Deleted records need not be wiped at the cost of writing every freed page.
        Exec("PRAGMA secure_delete=FAST");
        // The records a savepoint must be able to restore stay in memory: a
        // long transaction's savepoints spilled them to a file again and again.
        Exec("PRAGMA temp_store=MEMORY");
        // The file passed its checks: a copy a conversion left behind is no longer needed.
        for (const std::filesystem::path& copy : {UpgradeCopyPath(path_), EarlierUpgradeCopyPath(path_)})
            ::unlink(copy.c_str());
    }
    Reloaded();
    if (Query version = Prepare("PRAGMA data_version"); version.Next())
        dataVersion_ = sqlite3_column_int64(version.get(), 0);
    return db_ != nullptr;
}

bool ObjectStore::CheckIntegrity() {
    if (!Ready(Use::Read)) return false;
    if (PassesFullCheck(db_)) return true;
    SetProblem(DamagedStoreProblem(path_));
    return false;
}

// When another process changed the file, what handles read may no longer hold.
void ObjectStore::CheckOtherWriters() {
    auto [at, fresh] = kept_.try_emplace("PRAGMA data_version");
    sqlite3_stmt* query = nullptr;
    if (!at->second.empty()) {
        query = at->second.back();
        at->second.pop_back();
    } else if (sqlite3_prepare_v3(db_, at->first.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &query, nullptr) != SQLITE_OK) {
        sqlite3_finalize(query);
        return;
    }
    if (sqlite3_step(query) == SQLITE_ROW) {
        const long long version = sqlite3_column_int64(query, 0);
        if (version != dataVersion_) {
            dataVersion_ = version;
            ++epoch_;
        }
    }
    sqlite3_reset(query);
    at->second.push_back(query);
}

bool ObjectStore::Exec(const std::string& sql) {
    return db_ && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A statement of the units, run from the kept ones: a unit begins and ends
// with every write, and parsing each anew would cost more than the write.
bool ObjectStore::Run(const std::string& sql) {
    if (!db_) return false;
    std::vector<sqlite3_stmt*>& kept = kept_[sql];
    sqlite3_stmt* statement = nullptr;
    if (!kept.empty()) {
        statement = kept.back();
        kept.pop_back();
    } else if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    kept_[sql].push_back(statement);
    return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

// A write inside store transactions first begins them in SQLite, the
// outermost as a transaction and each inner one as a savepoint.
bool ObjectStore::BeginWrite() {
    if (failed_ || !Ready(Use::Write)) return false;
    while (sqlLevels_ < depth_) {
        const bool begun = sqlLevels_ == 0 ? Run(kWritingCache) && Run("BEGIN IMMEDIATE")
                                           : Run("SAVEPOINT " + SavepointName(sqlLevels_));
        if (!begun) {
            if (sqlLevels_ > 0) failed_ = true;
            return false;
        }
        ++sqlLevels_;
    }
    ++epoch_;
    return true;
}

// Some failures (a full disk among them) make SQLite roll back the whole
// transaction; the units still open can then only fail. Damage found by a
// write ends the store's use, as a read's does.
void ObjectStore::WriteFailed(int code) {
    ++epoch_;
    if (db_ && sqlLevels_ > 0 && sqlite3_get_autocommit(db_)) {
        sqlLevels_ = 0;
        failed_ = true;
    }
    if (IsDamage(code)) UseFailed(code);
}

void ObjectStore::ReadFailed(int code) { UseFailed(code); }

void ObjectStore::BeginUnit() { ++depth_; }

bool ObjectStore::EndUnit(bool commit) {
    const int level = depth_;
    if (level == 0) return false;
    bool ok = commit && !failed_;
    if (db_ && sqlLevels_ >= level) {
        const std::string savepoint = SavepointName(level - 1);
        if (ok) ok = Run(level == 1 ? "COMMIT" : "RELEASE " + savepoint);
        if (!ok) {
            if (level == 1) {
                if (!sqlite3_get_autocommit(db_)) Run("ROLLBACK");
            } else {
                Run("ROLLBACK TO " + savepoint);
                Run("RELEASE " + savepoint);
            }
            ++epoch_;
        }
        sqlLevels_ = level - 1;
        if (level == 1) Run(kReadingCache);
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

void ObjectStore::SetReadOnly(bool on) {
    if (readOnly_ == on) return;
    Close();
    readOnly_ = on;
}

