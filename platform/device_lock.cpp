#include "platform/device_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kHolderWords[] = {"vantrel\n", "import\n", "restore\n"};

// The roots this process holds: its own lock is no other program's.
std::set<std::filesystem::path>& HeldHere() {
    static std::set<std::filesystem::path> roots;
    return roots;
}

int LockWithoutWaiting(int fd, int how) {
    int rc;
    do {
        rc = ::flock(fd, how | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

DeviceLock::Holder ReadHolder(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    for (int holder = 0; got > 0 && holder < 3; ++holder)
        if (std::strcmp(text, kHolderWords[holder]) == 0) return static_cast<DeviceLock::Holder>(holder);
    return DeviceLock::Holder::Program;
}

}  // namespace

DeviceLock::~DeviceLock() { Release(); }

DeviceLock::Outcome DeviceLock::Acquire(const std::filesystem::path& root, Holder holder) {
    Release();
    error_ = 0;
    const std::filesystem::path file = root / kFileName;
    // The lock file is small, but it lives beside the owner-only store: a
    // link in its place is never followed, nor a second name of another file.
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        error_ = errno;
        return Outcome::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink > 1) {
        error_ = info.st_nlink > 1 ? ELOOP : EINVAL;
        ::close(fd);
        return Outcome::Failed;
    }
    // One left wider by an older version or another program is narrowed, when it is ours.
    if (info.st_uid == ::geteuid() && (info.st_mode & 07777) != 0600) ::fchmod(fd, 0600);
    // flock belongs to the open file description, so a second DeviceLock in the
    // same process conflicts just as a second program does.
    if (LockWithoutWaiting(fd, LOCK_EX) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        error_ = errno;
        if (busy) other_ = ReadHolder(fd);
        ::close(fd);
        return busy ? Outcome::HeldElsewhere : Outcome::Failed;
    }
    // What holds the device is only told: the lock holds without it.
    const char* words = kHolderWords[static_cast<int>(holder)];
    [[maybe_unused]] const bool told = ::ftruncate(fd, 0) == 0 && ::pwrite(fd, words, std::strlen(words), 0) > 0;
    fd_ = fd;
    root_ = root;
    HeldHere().insert(root_);
    return Outcome::Held;
}

void DeviceLock::Release() {
    if (fd_ < 0) return;
    HeldHere().erase(root_);
    ::close(fd_);  // closing the only descriptor releases the lock
    fd_ = -1;
}

bool DeviceLock::HeldByAnother(const std::filesystem::path& root) {
    if (HeldHere().contains(root)) return false;
    const int fd = ::open((root / kFileName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    const bool held = LockWithoutWaiting(fd, LOCK_SH) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

std::u16string RunningOnDevice(DeviceLock::Holder holder) {
    switch (holder) {
    case DeviceLock::Holder::Import: return u"An import is running";
    case DeviceLock::Holder::Restore: return u"A restore is running";
    case DeviceLock::Holder::Program: break;
    }
    return u"Vantrel is running";
}
