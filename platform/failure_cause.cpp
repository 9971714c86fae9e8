#include "platform/failure_cause.h"

#include "platform/text.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::u16string PathText(const std::filesystem::path& path) { return Utf8ToText(path.string()); }

// The account numbered `uid`, by name when it has one.
std::u16string AccountName(uid_t uid) {
    const passwd* account = ::getpwuid(uid);
    return account ? Utf8ToText(account->pw_name) : u"the account numbered " + IntToText(uid);
}

// The first of the store, the files SQLite keeps beside it and its folder
// that this process may not use as it must; empty when each may be used.
std::filesystem::path RefusingFile(const std::filesystem::path& store, bool writing) {
    const int needed = R_OK | (writing ? W_OK : 0);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const std::filesystem::path file = store.string() + suffix;
        struct stat info {};
        // Even a reader of a store with a log writes the index beside it.
        const int mode = std::strcmp(suffix, "-shm") == 0 ? R_OK | W_OK : needed;
        if (::lstat(file.c_str(), &info) == 0 && ::access(file.c_str(), mode) != 0) return file;
    }
    const std::filesystem::path folder = store.parent_path();
    if (::access(folder.c_str(), writing ? W_OK | X_OK : X_OK) != 0) return folder;
    return {};
}

}  // namespace

std::u16string FailureCause(int error, const std::filesystem::path& place) {
    struct stat info {};
    switch (error) {
    case EROFS: return u"it is on a read-only medium";
    case ENOSPC:
    case EDQUOT: return u"the disk is full";
    case EACCES:
    case EPERM:
        if (::lstat(place.c_str(), &info) != 0) break;
        return u"permission denied; it belongs to " + AccountName(info.st_uid);
    }
    std::string reason = std::strerror(error);
    // It reads on after a colon: "No such file" becomes "no such file", an abbreviation keeps its case.
    if (reason.size() > 1 && reason[0] >= 'A' && reason[0] <= 'Z' && !(reason[1] >= 'A' && reason[1] <= 'Z'))
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return Utf8ToText(reason);
}

std::u16string StoreFailureProblem(const std::filesystem::path& store, sqlite3* db, int code, bool writing) {
    const int primary = code & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) return DamagedProblem(store);
    auto problem = [&](const std::filesystem::path& place, int error) {
        return writing ? CannotWriteProblem(place, error) : CannotReadProblem(place, error);
    };
    const int error = db ? sqlite3_system_errno(db) : 0;
    if (primary == SQLITE_FULL || error == ENOSPC || error == EDQUOT) return problem(store, ENOSPC);
    // A read-only open retried after EROFS reports only that the log is missing: ask the medium.
    struct statvfs medium {};
    const bool looked = ::statvfs(store.parent_path().c_str(), &medium) == 0;
    if (error == EROFS || (looked && (medium.f_flag & ST_RDONLY))) return problem(store, EROFS);
    if (error == EACCES || error == EPERM || primary == SQLITE_READONLY) {
        if (const std::filesystem::path refusing = RefusingFile(store, writing); !refusing.empty())
            return problem(refusing, EACCES);
    }
    if ((primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN) && looked && medium.f_bavail == 0)
        return problem(store, ENOSPC);
    return u"Vantrel cannot open the data file " + Utf8ToText(store.string()) + u": " + Utf8ToText(sqlite3_errstr(code)) + u".";
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
