#include "app/catalogue_seed.h"

#include "platform/device.h"
#include "platform/text.h"
#include "store/test_info_import.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kShippedFileName = "BrennicTests.txt";

std::u16string LinkRefusal(const fs::path& link) {
    return u"Vantrel did not copy its test information file: " + Utf8ToText(link.string()) +
           u" is a link, and Vantrel does not write through links.";
}

bool IsLinkAt(int dir, const char* name) {
    struct stat info {};
    return ::fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

bool WriteAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, static_cast<size_t>(size));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= put;
    }
    return true;
}

// Copies `source` to a new file `name` in the open folder `dir`, on the disk
// before it returns true. A name that exists, a link included, is never opened.
bool CopyToNewFile(const fs::path& source, int dir, const char* name) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    const int out = ::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool ok = out >= 0;
    char buffer[65536];
    while (ok) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = WriteAll(out, buffer, got);
    }
    if (out >= 0) ok = ::fsync(out) == 0 && ok;
    if (out >= 0) ok = ::close(out) == 0 && ok;
    ::close(in);
    return ok;
}

}  // namespace

std::vector<fs::path> ShippedDataDirs() {
    std::vector<fs::path> dirs;
    if (const char* env = std::getenv("VANTREL_DATA_DIR"); env != nullptr && *env != '\0') {
        dirs.emplace_back(env);
    }
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) dirs.push_back(program.parent_path().parent_path() / "share" / "vantrel");
    dirs.emplace_back(VANTREL_INSTALL_DATA_DIR);
    return dirs;
}

bool SeedTestInfoFile(const std::vector<fs::path>& sources, std::u16string* refusal) {
    const fs::path target = ResolveDevicePath(kTestInfoFilePath);
    const fs::path folder = target.parent_path();
    const std::string name = target.filename().string();
    // The import takes a file it reads to the end as complete, and never
    // runs again; so a copy cut short must never carry the final name.
    const std::string partName = name + ".part";
    const auto refuse = [refusal](const fs::path& link) {
        if (refusal) *refusal = LinkRefusal(link);
        return false;
    };

    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(folder, ec))) return refuse(folder);
    MakePrivateFolders(folder);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return errno == ELOOP ? refuse(folder) : false;

    bool present = false;
    struct stat info {};
    if (::fstatat(dir, name.c_str(), &info, 0) == 0) {
        present = true;  // the user's own file, or one a link leads to: never replaced
    } else if (IsLinkAt(dir, name.c_str())) {
        refuse(target);
    } else if (IsLinkAt(dir, partName.c_str())) {
        refuse(fs::path(target) += ".part");
    } else if (::unlinkat(dir, partName.c_str(), 0) == 0 || errno == ENOENT) {
        // A stale copy from an interrupted start is removed first.
        for (const fs::path& source : sources) {
            if (!fs::is_regular_file(source / kShippedFileName, ec)) continue;
            if (CopyToNewFile(source / kShippedFileName, dir, partName.c_str()) &&
                ::renameat2(dir, partName.c_str(), dir, name.c_str(), RENAME_NOREPLACE) == 0) {
                present = true;
            } else {
                ::unlinkat(dir, partName.c_str(), 0);
            }
            break;
        }
    }
    ::close(dir);
    return present;
}
