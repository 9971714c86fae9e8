#pragma once
// Backing up and restoring the object store with SQLite's online backup, so a
// copy is consistent even while the program is writing.

#include <filesystem>
#include <string>

// Copies the device's object store into the new file `target` (made 0600; an
// existing file is never overwritten). Empty on success, else why not.
std::string BackupObjectStore(const std::filesystem::path& target);

// The device's data as it was before a restore.
struct KeptData {
    std::filesystem::path file;  // empty when the device had none
    bool damaged = false;        // kept byte for byte, as the damaged file was
};

// Replaces the device's object store with the sound store `source`, after
// keeping the current one beside it; refuses while another program holds the
// device. Whenever it stops, the device holds either its old store or the new
// one, whole. Empty on success, else why not.
std::string RestoreObjectStore(const std::filesystem::path& source, KeptData& kept);
