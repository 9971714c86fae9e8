#include "app/device_checks.h"

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/failure_cause.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "store/data_file.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::u16string FolderText(const std::filesystem::path& root) { return Utf8ToText(root.string()); }

// 0 when the root is a folder this program can write; else the system's error number.
int MakeWritableFolder(const std::filesystem::path& root) {
    if (const int error = MakePrivateFolders(root); error != 0) return error;
    struct stat info {};
    if (::stat(root.c_str(), &info) != 0) return errno;
    if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    // The root holds health data: others keep no way in to a root of ours, however
    // it was made. A folder shared by design (sticky, as /tmp) is not ours alone.
    if (info.st_uid == ::geteuid() && (info.st_mode & 077) != 0 && !(info.st_mode & S_ISVTX))
        ::chmod(root.c_str(), info.st_mode & 0700);
    return ::access(root.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

// Names the cause where the system told it: a read-only medium or a full disk
// is never taken for a fault of the folder.
void TellCannotWrite(const std::filesystem::path& root, int error) {
    const bool named = error == EROFS || error == ENOSPC || error == EDQUOT || error == EACCES || error == EPERM;
    const std::u16string why = named ? u": " + FailureCause(error, root) + u"." : u".";
    MessageBox(nullptr, u"Vantrel cannot write to its data folder (" + FolderText(root) + u")" + why);
}

// The lock file could not be taken: says why, as far as the system told it.
void TellLockFailed(const std::filesystem::path& root, int error) {
    const std::filesystem::path file = root / DeviceLock::kFileName;
    const std::u16string name = u"Vantrel cannot use its lock file " + FolderText(file) + u": ";
    switch (error) {
    case EACCES:
    case EPERM:
    case ENOSPC:
    case EDQUOT:
        MessageBox(nullptr, name + FailureCause(error, file) + u".");
        return;
    case ELOOP:
        MessageBox(nullptr, name + u"it is a link, and Vantrel does not open links.");
        return;
    }
    TellCannotWrite(root, 0);
}

}  // namespace

bool PrepareDevice(DeviceLock& lock) {
    const std::filesystem::path root = DeviceRoot();
    if (const int error = MakeWritableFolder(root); error != 0) {
        TellCannotWrite(root, error);
        return false;
    }
    // The lock comes before the store is looked at, so a second program
    // never touches the store of the first.
    switch (lock.Acquire(root)) {
    case DeviceLock::Outcome::Held:
        break;
    case DeviceLock::Outcome::HeldElsewhere:
        MessageBox(nullptr, lock.OtherHolder() == DeviceLock::Holder::Program
                                ? u"Vantrel is already running on this device (" + FolderText(root) + u")."
                                : RunningOnDevice(lock.OtherHolder()) + u" on this device (" + FolderText(root) +
                                      u"); start Vantrel again when it has ended.");
        return false;
    case DeviceLock::Outcome::Failed:
        TellLockFailed(root, lock.FailureError());
        return false;
    }
    const std::u16string problem = DataFileProblem();
    if (!problem.empty()) {
        MessageBox(nullptr, problem);
        return false;
    }
    return true;
}

void TellUnreadableRecords() {
    OnPassedOverRecord([](const PassedOverRecord& record) { PostMessageBox(record.message); });
    OnDataFileProblem([](const std::u16string& problem) { PostMessageBox(problem); });
}
