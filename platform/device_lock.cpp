#include "platform/device_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

DeviceLock::~DeviceLock() { Release(); }

DeviceLock::Outcome DeviceLock::Acquire(const std::filesystem::path& root) {
    Release();
    const std::filesystem::path file = root / kFileName;
    // The lock file holds nothing, but it lives beside the owner-only store.
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Outcome::Failed;
    // flock belongs to the open file description, so a second DeviceLock in the
    // same process conflicts just as a second program does.
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
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
