#pragma once
// The device's storage: one folder holding the object store and the "\windows" folder.

#include <filesystem>
#include <string>
#include <string_view>

// $VANTREL_DEVICE_ROOT, or ~/.local/share/vantrel.
std::filesystem::path DeviceRoot();
// Tests and tools point the device at another folder; the object store is reopened there.
void SetDeviceRoot(const std::filesystem::path& root);
// Called at every SetDeviceRoot (the object store closes, to reopen at the new root).
void OnDeviceRootChange(void (*changed)());
// Makes `folder` and its missing parents, each made one 0700 whatever the
// umask (health data: others get no way in). 0, or the system's error number.
int MakePrivateFolders(const std::filesystem::path& folder);
// Makes the new file `file`, empty and 0600 whatever the umask, never
// through a link. 0, or the system's error number (EEXIST when it exists).
int MakePrivateFile(const std::filesystem::path& file);

// The object-store file inside the device root.
std::filesystem::path ObjectStorePath();
// A device path such as "\windows\BrennicTests.txt" resolved inside the device root;
// ".." and empty parts are dropped so it never leaves the root.
std::filesystem::path ResolveDevicePath(std::u16string_view devicePath);

// The device owner's name (on Linux the account's full name: the first
// comma-separated field of its user database entry); empty when there is none.
std::u16string DeviceOwnerName();
// Tests set the owner's name; nullptr returns to the account's name.
void SetDeviceOwnerNameForTesting(const std::u16string* name);
