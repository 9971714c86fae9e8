#include "tools/export/store_backup.h"

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/failure_cause.h"
#include "platform/records/file_checks.h"
#include "platform/text.h"
#include "store/data_file.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
};

std::string Why(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

std::string Utf8(const std::u16string& text) { return TextToUtf8(text); }

// A new file readable by its owner only; false when it exists or cannot be made.
bool MakeNewFile(const fs::path& file, std::string& problem) {
    const int error = MakePrivateFile(file);
    if (error == 0) return true;
    problem = error == EEXIST ? file.string() + " already exists; choose another name"
                              : "cannot create " + file.string() + ": " + std::strerror(error);
    return false;
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

// Copies the store `source` into the empty file `target`, which is left one
// self-contained file: no log beside it, since a copy may bring another page
// size, which SQLite cannot copy into a logged file.
std::string CopyInto(const fs::path& source, const fs::path& target) {
    Connection from, to;
    if (sqlite3_open_v2(source.c_str(), &from.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return "cannot read " + source.string() + ": " + Why(from.db);
    sqlite3_busy_timeout(from.db, 5000);
    if (sqlite3_open_v2(target.c_str(), &to.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return "cannot write " + target.string() + ": " + Why(to.db);
    std::string problem = CopyPages(from.db, to.db);
    if (!problem.empty()) return "cannot copy " + source.string() + ": " + problem;
    if (sqlite3_exec(to.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return "cannot write " + target.string() + ": " + Why(to.db);
    return {};
}

// A copy of `store` in the new file `target`, checked whole before it is said to be kept.
std::string Copy(const fs::path& store, const fs::path& target) {
    std::string problem;
    if (!MakeNewFile(target, problem)) return problem;
    problem = CopyInto(store, target);
    if (problem.empty()) problem = Utf8(DataFileProblemOf(target));
    std::error_code ignored;
    if (!problem.empty()) fs::remove(target, ignored);
    return problem;
}

// Appends the bytes of `from` to the new file `to`, made 0600.
bool CopyBytes(const fs::path& from, const fs::path& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) return false;
    const bool made = MakePrivateFile(to) == 0;
    const int out = made ? ::open(to.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
    bool copied = out >= 0;
    char buffer[65536];
    ssize_t got;
    while (copied && (got = ::read(in, buffer, sizeof buffer)) > 0) copied = ::write(out, buffer, static_cast<std::size_t>(got)) == got;
    copied = copied && got == 0 && ::fsync(out) == 0;
    if (out >= 0) ::close(out);
    ::close(in);
    return copied;
}

std::string Stamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// A name for the kept data no file has yet.
fs::path KeptName(const fs::path& root) {
    const std::string stamp = "object-store.before-restore-" + Stamp();
    fs::path name = root / (stamp + ".sqlite");
    std::error_code error;
    for (int n = 2; fs::exists(name, error) || fs::exists(name.string() + "-wal", error); ++n)
        name = root / (stamp + "-" + std::to_string(n) + ".sqlite");
    return name;
}

// Keeps the device's current data beside it: a checked copy, or, of a
// damaged file, its bytes and its log's as they are. It is made under a
// name of its own and takes the kept name only when whole.
std::string KeepCurrent(const fs::path& store, const fs::path& keeping, KeptData& kept) {
    std::error_code error;
    if (!fs::exists(store, error)) return {};
    const fs::path file = KeptName(store.parent_path());
    kept.damaged = !DataFileProblemOf(store).empty();
    std::string problem;
    const char* const suffixes[] = {"", "-wal"};
    if (!kept.damaged) {
        problem = Copy(store, keeping);
    } else {
        for (const char* suffix : suffixes) {
            const fs::path from = store.string() + suffix, to = keeping.string() + suffix;
            if (problem.empty() && fs::exists(from, error) && !CopyBytes(from, to)) problem = "cannot write " + to.string();
        }
    }
    for (const char* suffix : suffixes) {
        const fs::path from = keeping.string() + suffix;
        if (problem.empty() && fs::exists(from, error) && ::rename(from.c_str(), (file.string() + suffix).c_str()) != 0)
            problem = "cannot name " + file.string() + suffix + ": " + std::strerror(errno);
    }
    if (!problem.empty()) return "the current data could not be kept, nothing was restored: " + problem;
    kept.file = file;
    return {};
}

// The old store made one self-contained file (its log written into it), so
// that no log of it can be taken for the new one's.
void Settle(const fs::path& store, bool damaged) {
    std::error_code ignored;
    if (!damaged) {
        Connection db;
        if (sqlite3_open_v2(store.c_str(), &db.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(db.db, 5000);
            sqlite3_exec(db.db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        }
    }
    for (const char* suffix : {"-wal", "-shm", "-journal"}) fs::remove(store.string() + suffix, ignored);
}

}  // namespace

std::string BackupObjectStore(const fs::path& target) {
    const fs::path store = ObjectStorePath();
    std::error_code error;
    if (!fs::exists(store, error)) return "there is no data file at " + store.string() + " yet";
    if (const fs::path link = LinkedStoreFile(store); !link.empty()) return Utf8(LinkProblem(link));
    std::u16string problem = DataFileProblemOf(store);
    if (!problem.empty()) return Utf8(problem);
    std::string made;
    if (!MakeNewFile(target, made)) return made;
    made = CopyInto(store, target);
    if (!made.empty()) fs::remove(target, error);
    return made;
}

std::string RestoreObjectStore(const fs::path& source, KeptData& kept) {
    kept = {};
    std::error_code error;
    const fs::path root = DeviceRoot(), store = ObjectStorePath();
    if (!fs::is_regular_file(source, error)) return "cannot read " + source.string();
    if (SameFile(source, store)) return source.string() + " is the device's own data file; there is nothing to restore";
    std::u16string sourceProblem = DataFileProblemOf(source);
    if (sourceProblem.empty()) sourceProblem = UnreadableRecordIn(source);
    if (!sourceProblem.empty()) return Utf8(sourceProblem);

    if (const int made = MakePrivateFolders(root); made != 0)
        return "cannot make the device folder " + root.string() + ": " + std::strerror(made);
    DeviceLock lock;
    switch (lock.Acquire(root, DeviceLock::Holder::Restore)) {
    case DeviceLock::Outcome::Held: break;
    case DeviceLock::Outcome::HeldElsewhere:
        return Utf8(RunningOnDevice(lock.OtherHolder())) + " on this device (" + root.string() + "); let it end, then restore";
    case DeviceLock::Outcome::Failed: return "cannot lock the device folder " + root.string();
    }
    if (const fs::path link = LinkedStoreFile(store); !link.empty()) return Utf8(LinkProblem(link));
    CloseDataFile();

    // The new data is made whole beside the store, then takes its place in
    // one rename; what a restore killed before it left is removed first.
    const fs::path incoming = store.string() + ".restoring", keeping = store.string() + ".keeping";
    for (const fs::path& partial : {incoming, keeping})
        for (const char* suffix : {"", "-journal", "-wal"}) fs::remove(partial.string() + suffix, error);
    if (std::string problem = Copy(source, incoming); !problem.empty()) return problem;
    if (std::string problem = KeepCurrent(store, keeping, kept); !problem.empty()) {
        fs::remove(incoming, error);
        return problem;
    }
    Settle(store, kept.damaged);
    if (::rename(incoming.c_str(), store.c_str()) != 0) {
        const int why = errno;
        fs::remove(incoming, error);
        return "cannot put the restored data in place: " + std::string(std::strerror(why));
    }
    if (const int folder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}
