#include "platform/store_file.h"

#include "platform/failure_cause.h"
#include "platform/record_store.h"
#include "platform/run_layout.h"
#include "platform/store_upgrade.h"
#include "platform/store_vfs.h"
#include "platform/text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::u16string PathText(const std::filesystem::path& path) { return Utf8ToText(path.string()); }

// Creates the missing folders of `folder`, each readable by its owner only.
bool MakeFolders(const std::filesystem::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    if (errno != ENOENT) return false;
    if (folder.has_parent_path() && folder.parent_path() != folder && !MakeFolders(folder.parent_path())) return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

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
    return version > kStoreFormat ? StoreFormat::Newer : StoreFormat::Foreign;
}

bool CreateStoreFile(const std::filesystem::path& path) {
    if (StoreWritesFail() || !MakeFolders(path.parent_path())) return false;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST;  // made meanwhile by another process: use it
    ::fchmod(fd, 0600);
    ::close(fd);
    return true;
}

namespace {
constexpr const char* kCompanions[] = {"", "-wal", "-shm", "-journal"};
}

std::filesystem::path LinkedStoreFile(const std::filesystem::path& store) {
    for (const char* suffix : kCompanions) {
        std::filesystem::path file = store.string() + suffix;
        if (IsLink(file.c_str())) return file;
    }
    return {};
}

void NarrowStoreFiles(const std::filesystem::path& store) {
    for (const char* suffix : kCompanions) {
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

bool PassesQuickCheck(sqlite3* db) {
    sqlite3_stmt* check = nullptr;
    const bool healthy = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
                         sqlite3_step(check) == SQLITE_ROW &&
                         std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") == 0;
    sqlite3_finalize(check);
    return healthy;
}

std::filesystem::path ExistingAncestor(std::filesystem::path folder) {
    struct stat info {};
    while (::stat(folder.c_str(), &info) != 0 && folder.has_parent_path() && folder.parent_path() != folder)
        folder = folder.parent_path();
    return folder;
}

std::u16string LinkProblem(const std::filesystem::path& link) {
    return u"The file " + PathText(link) + u" is a link; Vantrel keeps its data only in plain files and left it as it was.";
}

std::u16string DamagedProblem(const std::filesystem::path& path) {
    return u"The data file " + PathText(path) + u" is damaged or is not a Vantrel data file.";
}

std::u16string NewerProblem(const std::filesystem::path& path) {
    return u"The data file " + PathText(path) + u" was written by a newer version of Vantrel.";
}

std::u16string OlderProblem(const std::filesystem::path& path) {
    return u"The data file " + PathText(path) +
           u" was written by an earlier version of Vantrel; start Vantrel once to bring it up to date.";
}

std::u16string CannotWriteProblem(const std::filesystem::path& place, int error) {
    return u"Vantrel cannot write to " + PathText(place) + u": " + FailureCause(error, place) + u".";
}

std::u16string CannotReadProblem(const std::filesystem::path& path, int error) {
    return u"Vantrel cannot read the data file " + PathText(path) + u": " + FailureCause(error, path) + u".";
}

namespace {

std::vector<std::string> Statements(const std::string& schema) {
    std::vector<std::string> out;
    std::size_t start = 0, end;
    while ((end = schema.find(';', start)) != std::string::npos) {
        out.push_back(schema.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

}  // namespace

// The objects a sound store holds, by what they are made of: its fixed
// tables, then (in the current format) each run's table and indexes. Only
// sqlite_master is read, so nothing a planted object would do can run.
bool HasStoreSchema(sqlite3* db, StoreFormat format) {
    if (format != StoreFormat::Current && format != StoreFormat::Format1) return false;
    sqlite3_stmt* objects = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_master", -1, &objects, nullptr) != SQLITE_OK) return false;
    auto text = [objects](int column) {
        const unsigned char* value = sqlite3_column_text(objects, column);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    const bool current = format == StoreFormat::Current;
    std::vector<std::string> fixed = Statements(std::string(kDatabasesSchema) + (current ? kRunsSchema : kFormat1Schema));
    fixed.push_back("CREATE TABLE sqlite_sequence(name,seq)");
    std::size_t fixedSeen = 0, runObjects = 0, autoIndexes = 0;
    std::vector<std::int64_t> runTables;
    bool sound = true;
    int rc;
    while (sound && (rc = sqlite3_step(objects)) == SQLITE_ROW) {
        const std::string type = text(0), name = text(1), sql = text(2);
        if (type == "index" && name == "sqlite_autoindex_databases_1" && sqlite3_column_type(objects, 2) == SQLITE_NULL) {
            ++autoIndexes;
        } else if (std::find(fixed.begin(), fixed.end(), sql) != fixed.end()) {
            ++fixedSeen;
        } else if (current && name.rfind("run_", 0) == 0 && name.size() > 4 && std::isdigit(static_cast<unsigned char>(name[4]))) {
            const std::int64_t run = std::atoll(name.c_str() + 4);
            const std::vector<std::string> expected = Statements(RunTableSchema(run));
            sound = std::find(expected.begin(), expected.end(), sql) != expected.end();
            if (type == "table") runTables.push_back(run);
            ++runObjects;
        } else {
            sound = false;
        }
    }
    sqlite3_finalize(objects);
    sound = sound && rc == SQLITE_DONE && fixedSeen == fixed.size() && autoIndexes == 1 &&
            runObjects == 4 * runTables.size();
    if (!sound || !current) return sound;
    // Every run has its table, and every table its run.
    std::sort(runTables.begin(), runTables.end());
    sqlite3_stmt* runs = nullptr;
    std::size_t listed = 0;
    if (sqlite3_prepare_v2(db, "SELECT id FROM runs", -1, &runs, nullptr) != SQLITE_OK) return false;
    while (sound && sqlite3_step(runs) == SQLITE_ROW) {
        ++listed;
        sound = std::binary_search(runTables.begin(), runTables.end(), sqlite3_column_int64(runs, 0));
    }
    sqlite3_finalize(runs);
    return sound && listed == runTables.size();
}

std::u16string ObjectStoreFileProblem(const std::filesystem::path& file) {
    if (::access(file.c_str(), R_OK) != 0) return CannotReadProblem(file, errno);
    sqlite3* db = nullptr;
    int error = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    bool sound = error == SQLITE_OK;
    StoreFormat format = StoreFormat::Unreadable;
    if (sound) {
        sqlite3_busy_timeout(db, 5000);
        format = ReadStoreFormat(db, &error);
        // A store of the earlier format is converted when it is next opened.
        sound = HasStoreSchema(db, format);
        sound = sound && PassesQuickCheck(db);
    }
    // Not read at all: a full disk or a read-only medium is no damage.
    const std::u16string unread = format == StoreFormat::Unreadable ? StoreFailureProblem(file, db, error, false) : u"";
    sqlite3_close_v2(db);
    if (format == StoreFormat::Newer) return NewerProblem(file);
    if (!unread.empty()) return unread;
    return sound ? std::u16string() : DamagedProblem(file);
}
