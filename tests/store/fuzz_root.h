#pragma once
// What the fuzz targets share: a broken rule aborts, so libFuzzer and the
// plain test run both notice it; each input gets a device root of its own,
// in a folder kept in memory where the system offers it and removed at exit.

#include "platform/device.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

inline void Require(bool ok, const char* rule) {
    if (ok) return;
    std::fprintf(stderr, "fuzz target: broken rule: %s\n", rule);
    std::abort();
}

inline const std::filesystem::path& FuzzFolder() {
    static const std::filesystem::path folder = [] {
        std::error_code noShm;
        const std::filesystem::path parent = std::filesystem::is_directory("/dev/shm", noShm)
                                                 ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path();
        std::string pattern = (parent / "vantrel-fuzz-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr, "a temporary folder can be made");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(FuzzFolder(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Points the device at a new empty root, which closes the store the last one
// had open, and removes that one.
inline std::filesystem::path FreshFuzzRoot() {
    static unsigned long long runs = 0;
    static std::filesystem::path previous;
    const std::filesystem::path root = FuzzFolder() / std::to_string(runs++);
    SetDeviceRoot(root);
    std::error_code ignored;
    if (!previous.empty()) std::filesystem::remove_all(previous, ignored);
    previous = root;
    return root;
}
