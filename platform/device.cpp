#include "platform/device.h"

#include "platform/text.h"

#include <cstdlib>
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
