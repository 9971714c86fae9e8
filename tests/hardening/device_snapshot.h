#pragma once
// Every file under a folder with its bytes, to show that something changed
// nothing on disk. SQLite's shared-memory index is left out: a reader may
// update it without changing any data.

#include "support/raw_file.h"

#include <filesystem>
#include <map>
#include <string>
#include <system_error>

using DeviceSnapshot = std::map<std::string, std::string>;  // relative path -> bytes ("<dir>" for folders)

// The files that differ, for a failure message; empty when none does.
inline std::string ChangedFiles(const DeviceSnapshot& before, const DeviceSnapshot& after) {
    std::string changed;
    for (const auto& [name, bytes] : after)
        if (!before.contains(name) || before.at(name) != bytes) changed += " " + name;
    for (const auto& [name, bytes] : before)
        if (!after.contains(name)) changed += " " + name + " (gone)";
    return changed;
}

// Every file but `leftOut` (a path relative to `folder`).
inline DeviceSnapshot SnapshotOf(const std::filesystem::path& folder, const std::string& leftOut = {}) {
    DeviceSnapshot files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        if (path.string().ends_with("-shm")) continue;
        const std::string name = std::filesystem::relative(path, folder).string();
        if (name != leftOut) files[name] = it->is_directory() ? std::string("<dir>") : FileBytes(path);
    }
    return files;
}
