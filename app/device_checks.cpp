#include "app/device_checks.h"

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/record_store.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

std::u16string FolderText(const std::filesystem::path& root) { return Utf8ToText(root.string()); }

bool MakeWritableFolder(const std::filesystem::path& root) {
    std::error_code ec;
    if (std::filesystem::create_directories(root, ec)) {
        // A new root holds nobody else's data: keep it to its owner.
        std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
    }
    if (ec || !std::filesystem::is_directory(root, ec)) return false;
    return ::access(root.c_str(), W_OK | X_OK) == 0;
}

void TellCannotWrite(const std::filesystem::path& root) {
    MessageBox(nullptr, u"Vantrel cannot write to its data folder (" + FolderText(root) + u").");
}

}  // namespace

bool PrepareDevice(DeviceLock& lock) {
    const std::filesystem::path root = DeviceRoot();
    if (!MakeWritableFolder(root)) {
        TellCannotWrite(root);
        return false;
    }
    // The lock comes before the store is looked at, so a second program
    // never touches the store of the first.
    switch (lock.Acquire(root)) {
    case DeviceLock::Outcome::Held:
        break;
    case DeviceLock::Outcome::HeldElsewhere:
        MessageBox(nullptr, u"Vantrel is already running on this device (" + FolderText(root) + u").");
        return false;
    case DeviceLock::Outcome::Failed:
        TellCannotWrite(root);
        return false;
    }
    const std::u16string problem = ObjectStoreProblem();
    if (!problem.empty()) {
        MessageBox(nullptr, problem);
        return false;
    }
    return true;
}
