#include "platform/object_store.h"

#include "platform/device.h"
#include "platform/property_codec.h"
#include "platform/store_vfs.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <system_error>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Marks a SQLite file as a Vantrel object store ("VTL1").
constexpr long long kApplicationId = 0x56544C31;
constexpr long long kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kSchema =
    "CREATE TABLE databases(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE,"
    " type INTEGER NOT NULL, sort_property INTEGER NOT NULL, sort_flags INTEGER NOT NULL);"
    "CREATE TABLE records(id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " database INTEGER NOT NULL REFERENCES databases(id), properties BLOB NOT NULL);"
    "CREATE INDEX records_by_database ON records(database);"
    // Deleting only logs the record here; the rows go in one sweep when the
    // store is closed or next opened. Removing many rows one by one from the
    // middle of the table would cost far more than the delete itself.
    "CREATE TABLE deleted_records(id INTEGER PRIMARY KEY);";

constexpr const char* kLive = "NOT EXISTS (SELECT 1 FROM deleted_records d WHERE d.id = records.id)";

const std::string kStatementText[] = {
    "INSERT INTO records(database, properties) VALUES(?, ?)",
    std::string("UPDATE records SET properties = ? WHERE id = ? AND ") + kLive,
    // The mirror knows the record exists; looking it up again would cost more than the delete.
    "INSERT OR IGNORE INTO deleted_records(id) VALUES(?)",
    // Every database's records in one pass in row order: the largest database is
    // most of the file, and the table read in order costs less than through the index.
    "SELECT id, database, properties FROM records ORDER BY id",
    "SELECT id FROM deleted_records ORDER BY id",
    "SELECT EXISTS (SELECT 1 FROM deleted_records)",
    "PRAGMA data_version",
};

// Set in a child process right after fork.
bool gForked = false;
// A reader of a device the program may be using: no write of any kind.
bool gReadOnly = false;

std::u16string PathText(const std::filesystem::path& path) { return Utf8ToText(path.string()); }

// The savepoint of the store transaction nested `level` deep (the outermost is a plain transaction).
std::string SavepointName(int level) {
    std::string name = std::to_string(level);
    name.insert(name.begin(), 'v');
    return name;
}

std::u16string Reason(int error) {
    std::string reason = std::strerror(error);
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z' && !(reason.size() > 1 && reason[1] >= 'A' && reason[1] <= 'Z'))
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return Utf8ToText(reason);
}

std::u16string DamagedProblem(const std::filesystem::path& path) {
    return u"The data file " + PathText(path) + u" is damaged or is not a Vantrel data file.";
}

std::u16string CannotWriteProblem(const std::filesystem::path& place, int error) {
    return u"Vantrel cannot write to " + PathText(place) + u": " + Reason(error) + u".";
}

std::u16string CannotReadProblem(const std::filesystem::path& path, int error) {
    return u"Vantrel cannot read the data file " + PathText(path) + u": " + Reason(error) + u".";
}

// Creates the missing folders of `folder`, each readable by its owner only.
bool MakeFolders(const std::filesystem::path& folder, int& error) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return true;
        error = ENOTDIR;
        return false;
    }
    if (errno != ENOENT) {
        error = errno;
        return false;
    }
    if (folder.has_parent_path() && folder.parent_path() != folder && !MakeFolders(folder.parent_path(), error))
        return false;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = errno;
        return false;
    }
    return true;
}

// PRAGMA quick_check on a read-only connection of its own.
bool QuickCheck(const std::filesystem::path& path) {
    sqlite3* db = nullptr;
    bool healthy =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, StoreVfsName()) == SQLITE_OK;
    sqlite3_stmt* check = nullptr;
    if (healthy) {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        healthy = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
                  sqlite3_step(check) == SQLITE_ROW &&
                  std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") == 0;
    }
    sqlite3_finalize(check);
    sqlite3_close_v2(db);
    return healthy;
}

// The check reads the whole file; it runs beside the loading of the records
// (which reads most of it again), so on two cores opening waits for one pass.
class BackgroundCheck {
public:
    explicit BackgroundCheck(const std::filesystem::path& path) : path_(path) {
        try {
            thread_ = std::thread([this] { healthy_ = QuickCheck(path_); });
        } catch (const std::system_error&) {
            healthy_ = QuickCheck(path_);  // no thread to be had: check here
        }
    }
    ~BackgroundCheck() { Healthy(); }
    BackgroundCheck(const BackgroundCheck&) = delete;
    BackgroundCheck& operator=(const BackgroundCheck&) = delete;

    bool Healthy() {
        if (thread_.joinable()) thread_.join();
        return healthy_;
    }

private:
    std::filesystem::path path_;
    bool healthy_ = false;
    std::thread thread_;
};

// The nearest folder that exists on the way to `folder`.
std::filesystem::path ExistingAncestor(std::filesystem::path folder) {
    struct stat info {};
    while (::stat(folder.c_str(), &info) != 0 && folder.has_parent_path() && folder.parent_path() != folder)
        folder = folder.parent_path();
    return folder;
}

}  // namespace

ObjectStore& ObjectStore::Instance() {
    static ObjectStore store;
    static bool watching = pthread_atfork(nullptr, nullptr, [] { gForked = true; }) == 0;
    (void)watching;
    return store;
}

ObjectStore::~ObjectStore() { Close(); }

// A connection must not be used, nor closed, by a process it was not opened in:
// a forked child drops what it inherited and opens its own.
void ObjectStore::ForgetInheritedConnection() {
    if (!gForked) return;
    gForked = false;
    for (sqlite3_stmt*& statement : statements_) statement = nullptr;
    db_ = nullptr;
    sqlLevels_ = 0;
    Close();
}

void ObjectStore::Close() {
    ForgetInheritedConnection();
    if (db_ && validated_ && sqlLevels_ == 0 && !gReadOnly) SweepDeleted();
    validated_ = false;
    for (auto& [id, mirror] : mirrors_)
        if (mirror) mirror->Invalidate();
    mirrors_.clear();
    catalogue_.clear();
    for (sqlite3_stmt*& statement : statements_) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    problem_.clear();
    path_.clear();
    // Closing rolls back what a live transaction wrote; it can no longer commit.
    if (sqlLevels_ > 0) failed_ = true;
    sqlLevels_ = 0;
}

void ObjectStore::SetProblem(std::u16string problem) {
    std::filesystem::path path = path_;
    // Closing would copy a killed program's log into the refused file and
    // delete it, though the log may hold the last saves: leave both as they are.
    struct stat log {};
    if (db_ && ::stat((path_.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0)
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Close();
    path_ = path;
    problem_ = std::move(problem);
}

// An open connection stays at its root until SetDeviceRoot closes it.
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
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            problem_ = CannotReadProblem(path_, errno);
            return false;
        }
        // A device without a file simply has no databases yet.
        if (use == Use::Read || !CreateFile()) return false;
    }
    return OpenExisting();
}

bool ObjectStore::CreateFile() {
    if (StoreWritesFail()) return false;
    int error = 0;
    if (!MakeFolders(path_.parent_path(), error)) return false;
    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST;  // made meanwhile by another process: use it
    ::fchmod(fd, 0600);
    ::close(fd);
    return true;
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
    // One thread uses the connection: SQLite need not lock it at every call.
    const int mode = (gReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path_.c_str(), &db_, mode, StoreVfsName()) != SQLITE_OK) {
        std::u16string message = Utf8ToText(db_ ? sqlite3_errmsg(db_) : "out of memory");
        SetProblem(u"Vantrel cannot open the data file " + PathText(path_) + u": " + message + u".");
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);

    long long applicationId = 0, tables = 0, version = 0;
    int error = SQLITE_OK;
    if (!QueryInt("PRAGMA application_id", applicationId, &error)) {
        if ((error & 0xFF) == SQLITE_BUSY) {
            Close();  // held by another program for now; the next use tries again
            return false;
        }
        SetProblem(DamagedProblem(path_));
        return false;
    }
    if (applicationId != kApplicationId) {
        // An empty SQLite file is one whose making was cut short: finish it.
        if (applicationId != 0 || !QueryInt("SELECT count(*) FROM sqlite_master", tables) || tables != 0) {
            SetProblem(DamagedProblem(path_));
            return false;
        }
        if (gReadOnly) {  // not made yet: no databases to read
            Close();
            return false;
        }
        if (!Initialise()) {
            std::filesystem::path path = path_;
            Close();
            path_ = path;
            return false;
        }
    }
    if (!QueryInt("PRAGMA user_version", version)) {
        SetProblem(DamagedProblem(path_));
        return false;
    }
    if (version > kSchemaVersion) {
        SetProblem(u"The data file " + PathText(path_) + u" was written by a newer version of Vantrel.");
        return false;
    }
    if (version != kSchemaVersion) {
        SetProblem(DamagedProblem(path_));
        return false;
    }
    // Nothing is written before the check has passed.
    BackgroundCheck check(path_);
    const bool catalogued = LoadCatalogue();
    if (catalogued && !catalogue_.empty()) {
        // Records that cannot be read now are read, and any unreadable one
        // reported, on first use, as when loading waited for it.
        bool unreadable = false;
        LoadMirrors(unreadable);
    }
    if (!check.Healthy() || !catalogued) {
        SetProblem(DamagedProblem(path_));
        return false;
    }
    validated_ = true;
    if (!gReadOnly) {
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        SweepDeleted();  // left over when the last process using the file was killed
    }
    QueryInt("PRAGMA data_version", dataVersion_);
    return true;
}

void ObjectStore::SweepDeleted() {
    if (StoreWritesFail() || !AnyDeleted()) return;
    if (!Exec("BEGIN IMMEDIATE")) return;
    if (!Exec("DELETE FROM records WHERE id IN (SELECT id FROM deleted_records); DELETE FROM deleted_records;") ||
        !Exec("COMMIT"))
        if (!sqlite3_get_autocommit(db_)) Exec("ROLLBACK");
}

bool ObjectStore::Initialise() {
    if (StoreWritesFail() || !Exec("PRAGMA journal_mode=WAL") || !Exec("BEGIN IMMEDIATE")) return false;
    long long applicationId = 0, tables = 0;
    if (!QueryInt("PRAGMA application_id", applicationId) ||
        !QueryInt("SELECT count(*) FROM sqlite_master", tables)) {
        Exec("ROLLBACK");
        return false;
    }
    if (applicationId == kApplicationId) return Exec("COMMIT");  // another process made it meanwhile
    bool made = applicationId == 0 && tables == 0 && Exec(kSchema) &&
                Exec("PRAGMA application_id=" + std::to_string(kApplicationId)) &&
                Exec("PRAGMA user_version=" + std::to_string(kSchemaVersion)) && Exec("COMMIT");
    if (!made && !sqlite3_get_autocommit(db_)) Exec("ROLLBACK");
    return made;
}

bool ObjectStore::LoadCatalogue() {
    catalogue_.clear();
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT id, name, type, sort_property, sort_flags FROM databases", -1, &query,
                           nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW) {
        DatabaseInfo info;
        info.id = static_cast<std::uint32_t>(sqlite3_column_int64(query, 0));
        const void* name = sqlite3_column_text16(query, 1);
        if (name)
            info.name.assign(static_cast<const char16_t*>(name),
                             static_cast<std::size_t>(sqlite3_column_bytes16(query, 1)) / 2);
        info.type = static_cast<std::uint32_t>(sqlite3_column_int64(query, 2));
        info.sortProperty = static_cast<std::uint16_t>(sqlite3_column_int64(query, 3));
        info.sortFlags = static_cast<std::uint32_t>(sqlite3_column_int64(query, 4));
        catalogue_.push_back(std::move(info));
    }
    sqlite3_finalize(query);
    return rc == SQLITE_DONE;
}

// After a rollback, or when another process changed the file, the mirrors no
// longer match it: drop them and read them afresh when next opened.
void ObjectStore::ReloadAll() {
    for (auto& [id, mirror] : mirrors_)
        if (mirror) mirror->Invalidate();
    mirrors_.clear();
    if (!LoadCatalogue()) SetProblem(DamagedProblem(path_));
}

void ObjectStore::CheckOtherWriters() {
    sqlite3_stmt* query = Prepared(kDataVersion);
    if (!query) return;
    if (sqlite3_step(query) == SQLITE_ROW) {
        long long version = sqlite3_column_int64(query, 0);
        sqlite3_reset(query);
        if (version != dataVersion_) {
            dataVersion_ = version;
            ReloadAll();
        }
        return;
    }
    sqlite3_reset(query);
}

// True also when the log cannot be read, so that loading filters to be safe.
bool ObjectStore::AnyDeleted() {
    sqlite3_stmt* query = Prepared(kAnyDeleted);
    if (!query) return true;
    bool any = sqlite3_step(query) != SQLITE_ROW || sqlite3_column_int(query, 0) != 0;
    sqlite3_reset(query);
    return any;
}

sqlite3_stmt* ObjectStore::Prepared(Statement which) {
    if (!statements_[which])
        sqlite3_prepare_v3(db_, kStatementText[which].c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statements_[which], nullptr);
    return statements_[which];
}

bool ObjectStore::Exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

bool ObjectStore::QueryInt(const char* sql, long long& value, int* error) {
    sqlite3_stmt* query = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &query, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(query);
    bool ok = rc == SQLITE_ROW;
    if (ok) value = sqlite3_column_int64(query, 0);
    if (error) *error = ok ? SQLITE_OK : rc;
    sqlite3_finalize(query);
    return ok;
}

std::optional<DatabaseInfo> ObjectStore::FindDatabase(std::u16string_view name) {
    if (!Ready(Use::Read)) return std::nullopt;
    for (const DatabaseInfo& info : catalogue_)
        if (info.name == name) return info;
    return std::nullopt;
}

std::optional<DatabaseInfo> ObjectStore::FindDatabase(std::uint32_t id) {
    if (!Ready(Use::Read)) return std::nullopt;
    for (const DatabaseInfo& info : catalogue_)
        if (info.id == id) return info;
    return std::nullopt;
}

std::uint32_t ObjectStore::CreateDatabase(std::u16string_view name, std::uint32_t type, const SortOrder& order) {
    if (!Ready(Use::Write)) return 0;
    for (const DatabaseInfo& info : catalogue_)
        if (info.name == name) return 0;
    if (!BeginPendingLevels()) return 0;
    sqlite3_stmt* insert = nullptr;
    if (sqlite3_prepare_v2(db_, "INSERT INTO databases(name, type, sort_property, sort_flags) VALUES(?, ?, ?, ?)",
                           -1, &insert, nullptr) != SQLITE_OK)
        return 0;
    sqlite3_bind_text16(insert, 1, name.data(), static_cast<int>(name.size() * 2), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 2, type);
    sqlite3_bind_int64(insert, 3, order.propertyId);
    sqlite3_bind_int64(insert, 4, order.flags);
    int rc = sqlite3_step(insert);
    sqlite3_finalize(insert);
    if (rc != SQLITE_DONE) {
        WriteFailed();
        return 0;
    }
    DatabaseInfo info;
    info.id = static_cast<std::uint32_t>(sqlite3_last_insert_rowid(db_));
    info.name = std::u16string(name);
    info.type = type;
    info.sortProperty = order.propertyId;
    info.sortFlags = order.flags;
    catalogue_.push_back(info);
    // Loaded mirrors cover every database; a new one starts empty.
    if (!mirrors_.empty()) mirrors_.emplace(info.id, std::make_shared<RecordMirror>(info));
    return info.id;
}

std::shared_ptr<RecordMirror> ObjectStore::OpenMirror(std::uint32_t id) {
    if (!FindDatabase(id)) return nullptr;
    bool damaged = false;
    if (mirrors_.empty() && !LoadMirrors(damaged)) {
        if (damaged) SetProblem(DamagedProblem(path_));
        return nullptr;
    }
    auto found = mirrors_.find(id);
    if (found == mirrors_.end()) return nullptr;
    std::shared_ptr<RecordMirror> mirror = found->second;
    // A database with an unreadable record makes the store unusable once it is opened.
    if (!mirror) SetProblem(DamagedProblem(path_));
    return mirror;
}

bool ObjectStore::LoadMirrors(bool& damaged) {
    std::map<std::uint32_t, std::shared_ptr<RecordMirror>> loaded;
    for (const DatabaseInfo& info : catalogue_) loaded.emplace(info.id, std::make_shared<RecordMirror>(info));
    // The log of deleted records is mostly empty; when it is not, its rows are skipped.
    std::vector<std::int64_t> deleted;
    int rc = SQLITE_DONE;
    if (AnyDeleted()) {
        sqlite3_stmt* log = Prepared(kDeletedIds);
        if (!log) return false;
        while ((rc = sqlite3_step(log)) == SQLITE_ROW) deleted.push_back(sqlite3_column_int64(log, 0));
        sqlite3_reset(log);
    }
    sqlite3_stmt* load = rc == SQLITE_DONE ? Prepared(kLoad) : nullptr;
    if (!load) {
        damaged = (rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB;
        return false;
    }
    std::size_t nextDeleted = 0;
    std::uint32_t database = 0;
    // Of `database`: none for rows of a database not catalogued, or of one with an unreadable record.
    RecordMirror* mirror = nullptr;
    std::u16string sortText;
    while ((rc = sqlite3_step(load)) == SQLITE_ROW) {
        const std::int64_t rowid = sqlite3_column_int64(load, 0);
        while (nextDeleted < deleted.size() && deleted[nextDeleted] < rowid) ++nextDeleted;
        if (nextDeleted < deleted.size() && deleted[nextDeleted] == rowid) continue;
        const auto rowDatabase = static_cast<std::uint32_t>(sqlite3_column_int64(load, 1));
        if (rowDatabase != database || !mirror) {
            database = rowDatabase;
            auto found = loaded.find(database);
            mirror = found == loaded.end() ? nullptr : found->second.get();
        }
        if (!mirror) continue;
        const char* bytes = static_cast<const char*>(sqlite3_column_blob(load, 2));
        std::string_view blob(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(load, 2)));
        if (ScanProperties(blob, mirror->Info().sortProperty, sortText)) {
            mirror->AppendStored(rowid, blob, sortText);
        } else {
            loaded[database] = nullptr;
            mirror = nullptr;
        }
    }
    sqlite3_reset(load);
    if (rc != SQLITE_DONE) {
        damaged = (rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB;
        return false;
    }
    for (auto& [id, each] : loaded)
        if (each) each->FinishLoading();
    mirrors_ = std::move(loaded);
    return true;
}

bool ObjectStore::InsertRecord(std::uint32_t database, const std::string& properties, std::int64_t& rowid) {
    if (!Ready(Use::Write) || !BeginPendingLevels()) return false;
    sqlite3_stmt* insert = Prepared(kInsert);
    if (!insert) return false;
    sqlite3_bind_int64(insert, 1, database);
    sqlite3_bind_blob(insert, 2, properties.data(), static_cast<int>(properties.size()), SQLITE_STATIC);
    int rc = sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    if (rc != SQLITE_DONE) {
        WriteFailed();
        return false;
    }
    rowid = sqlite3_last_insert_rowid(db_);
    return true;
}

bool ObjectStore::UpdateRecord(std::int64_t rowid, const std::string& properties) {
    if (!Ready(Use::Write) || !BeginPendingLevels()) return false;
    sqlite3_stmt* update = Prepared(kUpdate);
    if (!update) return false;
    sqlite3_bind_blob(update, 1, properties.data(), static_cast<int>(properties.size()), SQLITE_STATIC);
    sqlite3_bind_int64(update, 2, rowid);
    int rc = sqlite3_step(update);
    sqlite3_reset(update);
    sqlite3_clear_bindings(update);
    if (rc != SQLITE_DONE) {
        WriteFailed();
        return false;
    }
    return sqlite3_changes(db_) == 1;
}

bool ObjectStore::DeleteRecord(std::int64_t rowid) {
    if (!Ready(Use::Write) || !BeginPendingLevels()) return false;
    sqlite3_stmt* erase = Prepared(kDelete);
    if (!erase) return false;
    sqlite3_bind_int64(erase, 1, rowid);
    int rc = sqlite3_step(erase);
    sqlite3_reset(erase);
    if (rc != SQLITE_DONE) {
        WriteFailed();
        return false;
    }
    return sqlite3_changes(db_) == 1;
}

// A write inside store transactions first begins them in SQLite, the
// outermost as a transaction and each inner one as a savepoint.
bool ObjectStore::BeginPendingLevels() {
    if (failed_) return false;
    while (sqlLevels_ < depth_) {
        bool begun = sqlLevels_ == 0 ? Exec("BEGIN IMMEDIATE") : Exec("SAVEPOINT " + SavepointName(sqlLevels_));
        if (!begun) {
            if (sqlLevels_ > 0) failed_ = true;
            return false;
        }
        ++sqlLevels_;
    }
    return true;
}

// Some failures (a full disk among them) make SQLite roll back the whole
// transaction; the units still open can then only fail.
void ObjectStore::WriteFailed() {
    if (sqlLevels_ > 0 && sqlite3_get_autocommit(db_)) {
        sqlLevels_ = 0;
        failed_ = true;
        ReloadAll();
    }
}

void ObjectStore::BeginUnit() { ++depth_; }

bool ObjectStore::EndUnit(bool commit) {
    int level = depth_;
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
        }
        sqlLevels_ = level - 1;
        if (!ok) ReloadAll();
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

std::uint64_t RecordsVersion(std::u16string_view database) {
    ObjectStore& store = ObjectStore::Instance();
    std::optional<DatabaseInfo> info = store.FindDatabase(database);
    std::shared_ptr<RecordMirror> mirror = info ? store.OpenMirror(info->id) : nullptr;
    return mirror ? mirror->Version() : 0;
}

void SetObjectStoreReadOnly(bool on) {
    if (gReadOnly == on) return;
    ObjectStore::Instance().Close();
    gReadOnly = on;
}

std::u16string ObjectStoreFileProblem(const std::filesystem::path& file) {
    if (::access(file.c_str(), R_OK) != 0) return CannotReadProblem(file, errno);
    sqlite3* db = nullptr;
    bool sound = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    auto single = [db](const char* sql, std::string& out) {
        sqlite3_stmt* query = nullptr;
        bool ok = sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK && sqlite3_step(query) == SQLITE_ROW;
        if (ok) {
            const unsigned char* text = sqlite3_column_text(query, 0);
            out = text ? reinterpret_cast<const char*>(text) : "";
        }
        sqlite3_finalize(query);
        return ok;
    };
    std::string applicationId, version, check, tables;
    sound = sound && single("PRAGMA application_id", applicationId) && applicationId == std::to_string(kApplicationId) &&
            single("PRAGMA user_version", version) && version == std::to_string(kSchemaVersion) &&
            single("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                   "('databases', 'records', 'deleted_records')",
                   tables) &&
            tables == "3" && single("PRAGMA integrity_check", check) && check == "ok";
    sqlite3_close_v2(db);
    return sound ? std::u16string() : DamagedProblem(file);
}
