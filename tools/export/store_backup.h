#pragma once
// Backing up and restoring the object store with SQLite's online backup, so a
// copy is consistent even while the program is writing.

#include <filesystem>
#include <string>

// Copies the device's object store into the new file `target` (made 0600; an
// existing file is never overwritten). Empty on success, else why not.
std::string BackupObjectStore(const std::filesystem::path& target);

// Replaces the device's object store with the sound store `source`, after
// copying the current one beside it; refuses while the program runs. Empty on
// success (then `kept` names the copy of the old store, empty when there was
// none), else why not.
std::string RestoreObjectStore(const std::filesystem::path& source, std::filesystem::path& kept);
