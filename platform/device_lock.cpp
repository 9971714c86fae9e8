#include "platform/device_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

DeviceLock::~DeviceLock() { Release(); }

DeviceLock::Outcome DeviceLock::Acquire(const std::filesystem::path& root) {
    Release();
    error_ = 0;
    const std::filesystem::path file = root / kFileName;
    // The lock file holds nothing, but it lives beside the owner-only store;
    // a link in its place is never followed.
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        error_ = errno;
        return Outcome::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error_ = EINVAL;
        ::close(fd);
        return Outcome::Failed;
    }
    // One left wider by an older version or another program is narrowed, when it is ours.
    if (info.st_uid == ::geteuid() && (info.st_mode & 07777) != 0600) ::fchmod(fd, 0600);
    // flock belongs to the open file description, so a second DeviceLock in the
    // same process conflicts just as a second program does.
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        error_ = errno;
        ::close(fd);
        return busy ? Outcome::HeldElsewhere : Outcome::Failed;
    }
    fd_ = fd;
    return Outcome::Held;
}

void DeviceLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the only descriptor releases the lock
    fd_ = -1;
}
