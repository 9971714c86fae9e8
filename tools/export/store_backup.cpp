#include "tools/export/store_backup.h"

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/object_store.h"
#include "platform/store_file.h"
#include "platform/text.h"
#include "store/data_file.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace {

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
};

std::string Why(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

// A new file readable by its owner only; false when it exists or cannot be made.
bool MakePrivateFile(const std::filesystem::path& file, std::string& problem) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        problem = errno == EEXIST ? file.string() + " already exists; choose another name"
                                  : "cannot create " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    return true;
}

// Copies every page of `from` into `to` in one step; `to` changes atomically.
std::string CopyPages(sqlite3* from, sqlite3* to) {
    sqlite3_busy_timeout(to, 5000);
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) return Why(to);
    int rc;
    while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(50);
    sqlite3_backup_finish(backup);
    return rc == SQLITE_DONE ? std::string() : sqlite3_errstr(rc);
}

std::string CopyInto(const std::filesystem::path& source, const std::filesystem::path& target) {
    Connection from, to;
    if (sqlite3_open_v2(source.c_str(), &from.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return "cannot read " + source.string() + ": " + Why(from.db);
    sqlite3_busy_timeout(from.db, 5000);
    if (sqlite3_open_v2(target.c_str(), &to.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return "cannot write " + target.string() + ": " + Why(to.db);
    std::string problem = CopyPages(from.db, to.db);
    if (!problem.empty()) return "cannot copy " + source.string() + ": " + problem;
    return {};
}

// No log beside the file: a backup is one self-contained file, and a restore
// may bring another page size, which SQLite cannot copy into a logged file.
void MakeSelfContained(const std::filesystem::path& file) {
    Connection db;
    if (sqlite3_open_v2(file.c_str(), &db.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        sqlite3_exec(db.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
}

std::string Backup(const std::filesystem::path& store, const std::filesystem::path& target) {
    std::string problem;
    if (!MakePrivateFile(target, problem)) return problem;
    problem = CopyInto(store, target);
    if (!problem.empty()) {
        std::filesystem::remove(target);
        return problem;
    }
    MakeSelfContained(target);
    return {};
}

std::string Stamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace

std::string BackupObjectStore(const std::filesystem::path& target) {
    std::filesystem::path store = ObjectStorePath();
    std::error_code error;
    if (!std::filesystem::exists(store, error)) return "there is no data file at " + store.string() + " yet";
    std::u16string problem = DataFileProblemOf(store);
    if (!problem.empty()) return TextToUtf8(problem);
    return Backup(store, target);
}

std::string RestoreObjectStore(const std::filesystem::path& source, std::filesystem::path& kept) {
    kept.clear();
    std::error_code error;
    if (!std::filesystem::is_regular_file(source, error)) return "cannot read " + source.string();
    std::u16string sourceProblem = DataFileProblemOf(source);
    if (sourceProblem.empty()) sourceProblem = UnreadableRecordIn(source);
    if (!sourceProblem.empty()) return TextToUtf8(sourceProblem);

    std::filesystem::path root = DeviceRoot();
    std::filesystem::create_directories(root, error);
    DeviceLock lock;
    switch (lock.Acquire(root)) {
    case DeviceLock::Outcome::Held: break;
    case DeviceLock::Outcome::HeldElsewhere:
        return "Vantrel is running on this device (" + root.string() + "); close it, then restore";
    case DeviceLock::Outcome::Failed: return "cannot lock the device folder " + root.string();
    }

    std::filesystem::path store = ObjectStorePath();
    if (const std::filesystem::path link = LinkedStoreFile(store); !link.empty()) return TextToUtf8(LinkProblem(link));
    CloseObjectStore();
    std::string problem;
    bool sound = false;
    if (std::filesystem::exists(store, error)) {
        kept = root / ("object-store.before-restore-" + Stamp() + ".sqlite");
        sound = DataFileProblemOf(store).empty();
        if (!sound || !Backup(store, kept).empty()) {
            // A damaged store is kept byte for byte, its log beside it.
            std::filesystem::remove(kept, error);
            std::filesystem::copy_file(store, kept, error);
            if (error) return "the current data could not be kept, nothing was restored: " + error.message();
            std::filesystem::path log = store.string() + "-wal";
            if (std::filesystem::exists(log, error))
                std::filesystem::copy_file(log, kept.string() + "-wal", error);
        }
    }
    if (!sound) {
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(store.string() + suffix, error);
        if (!MakePrivateFile(store, problem)) return problem;
    } else {
        MakeSelfContained(store);
    }
    return CopyInto(source, store);
}
