#include "platform/device.h"

#include "platform/text.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace {

void (*gRootChanged)() = nullptr;

std::optional<std::filesystem::path>& RootOverride() {
    static std::optional<std::filesystem::path> root;
    return root;
}

std::optional<std::u16string>& OwnerOverride() {
    static std::optional<std::u16string> name;
    return name;
}

std::filesystem::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* account = getpwuid(getuid());
    if (account && account->pw_dir && *account->pw_dir) return account->pw_dir;
    return "/";
}

}  // namespace

std::filesystem::path DeviceRoot() {
    if (RootOverride()) return *RootOverride();
    const char* root = std::getenv("VANTREL_DEVICE_ROOT");
    if (root && *root) return root;
    return HomeFolder() / ".local" / "share" / "vantrel";
}

void SetDeviceRoot(const std::filesystem::path& root) {
    RootOverride() = root;
    if (gRootChanged) gRootChanged();
}

void OnDeviceRootChange(void (*changed)()) { gRootChanged = changed; }

int MakePrivateFolders(const std::filesystem::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT) return errno;
    if (folder.has_parent_path() && folder.parent_path() != folder)
        if (const int error = MakePrivateFolders(folder.parent_path()); error != 0) return error;
    if (::mkdir(folder.c_str(), 0700) != 0) return errno == EEXIST ? 0 : errno;
    ::chmod(folder.c_str(), 0700);  // a umask may take bits away, but the mode is ours to say
    return 0;
}

int MakePrivateFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    ::fchmod(fd, 0600);
    ::close(fd);
    return 0;
}

std::filesystem::path ObjectStorePath() { return DeviceRoot() / "object-store.sqlite"; }

std::filesystem::path ResolveDevicePath(std::u16string_view devicePath) {
    std::filesystem::path resolved = DeviceRoot();
    std::size_t pos = 0;
    while (pos <= devicePath.size()) {
        std::size_t end = devicePath.find_first_of(u"\\/", pos);
        if (end == std::u16string_view::npos) end = devicePath.size();
        std::u16string_view part = devicePath.substr(pos, end - pos);
        if (!part.empty() && part != u"." && part != u"..") resolved /= TextToUtf8(part);
        pos = end + 1;
    }
    return resolved;
}

std::u16string DeviceOwnerName() {
    if (OwnerOverride()) return *OwnerOverride();
    const passwd* account = getpwuid(getuid());
    if (!account || !account->pw_gecos) return {};
    std::string_view gecos = account->pw_gecos;
    return BoundedText(Utf8ToText(gecos.substr(0, gecos.find(','))));
}

void SetDeviceOwnerNameForTesting(const std::u16string* name) {
    if (name)
        OwnerOverride() = *name;
    else
        OwnerOverride().reset();
}
