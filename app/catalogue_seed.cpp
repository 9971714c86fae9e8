#include "app/catalogue_seed.h"

#include "platform/device.h"
#include "store/test_info_import.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {
constexpr const char* kShippedFileName = "BrennicTests.txt";
}

std::vector<fs::path> ShippedDataDirs() {
    std::vector<fs::path> dirs;
    if (const char* env = std::getenv("VANTREL_DATA_DIR"); env != nullptr && *env != '\0') {
        dirs.emplace_back(env);
    }
    dirs.emplace_back(VANTREL_INSTALL_DATA_DIR);
    dirs.emplace_back(VANTREL_SOURCE_DATA_DIR);
    return dirs;
}

bool SeedTestInfoFile(const std::vector<fs::path>& sources) {
    const fs::path target = ResolveDevicePath(kTestInfoFilePath);
    std::error_code ec;
    if (fs::exists(target, ec)) return true;
    for (const fs::path& dir : sources) {
        const fs::path source = dir / kShippedFileName;
        if (!fs::is_regular_file(source, ec)) continue;
        fs::create_directories(target.parent_path(), ec);
        if (ec) return false;
        // The import takes a file it reads to the end as complete, and never
        // runs again; so a copy cut short must never carry the final name.
        fs::path partial = target;
        partial += ".part";
        fs::copy_file(source, partial, fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::rename(partial, target, ec);
        if (ec) {
            fs::remove(partial, ec);
            return false;
        }
        return true;
    }
    return false;
}
