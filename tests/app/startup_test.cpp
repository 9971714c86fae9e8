// Preparing the device folder and its lock, and the seeding of the device's
// test information file. A damaged store and an unmakeable folder are the
// damaged-device tests'.

#include "temp_device.h"

#include "app/catalogue_seed.h"
#include "app/device_checks.h"
#include "platform/device_lock.h"
#include "platform/text.h"
#include "support/dialog_driver.h"
#include "support/raw_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

fs::path DeviceTestInfoFile() { return ResolveDevicePath(u"\\windows\\BrennicTests.txt"); }

class StartupTest : public ::testing::Test {
protected:
    TempDevice device_;
    DialogDriver driver_;
};

TEST_F(StartupTest, PrepareDeviceKeepsTheRootToItsOwnerAndHoldsIt) {
    const fs::path root = device_.Root() / "new" / "vantrel";
    SetDeviceRoot(root);
    DeviceLock lock;
    EXPECT_TRUE(PrepareDevice(lock));
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_TRUE(driver_.Messages().empty());
    EXPECT_EQ(fs::status(root).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(root / DeviceLock::kFileName).permissions() & fs::perms::all, fs::perms(0600));
    DeviceLock other;  // not even a second lock of this process
    EXPECT_EQ(other.Acquire(root), DeviceLock::Outcome::HeldElsewhere);
    lock.Release();

    // One made wider by hand is narrowed at the next start.
    fs::permissions(root, fs::perms(0755));
    EXPECT_TRUE(PrepareDevice(lock));
    lock.Release();
    EXPECT_EQ(fs::status(root).permissions() & fs::perms::all, fs::perms::owner_all);
    SetDeviceRoot(device_.Root());
}

// The shipped file is copied from the first folder holding it, only when the
// device lacks one, and never through a link, which the refusal names.
TEST_F(StartupTest, TheShippedFileIsCopiedOnlyWhenMissingAndNeverThroughALink) {
    const fs::path empty = device_.Root() / "empty", shipped = device_.Root() / "shipped",
                   other = device_.Root() / "other", elsewhere = device_.Root() / "elsewhere";
    for (const fs::path& dir : {empty, shipped, other, elsewhere}) fs::create_directories(dir);
    std::ofstream(shipped / "BrennicTests.txt") << kSmallTestInfoFile;
    std::ofstream(other / "BrennicTests.txt") << "other";
    const fs::path victim = elsewhere / "victim.txt";
    std::ofstream(victim) << "mine";
    const fs::path file = DeviceTestInfoFile(), windows = file.parent_path(), part = fs::path(file) += ".part";
    const auto refusedFor = [&](const fs::path& link) {
        std::u16string refusal;
        EXPECT_FALSE(SeedTestInfoFile({shipped}, &refusal));
        EXPECT_EQ(refusal, u"Vantrel did not copy its test information file: " + Utf8ToText(link.string()) +
                               u" is a link, and Vantrel does not write through links.");
        EXPECT_EQ(FileBytes(victim), "mine");
        EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1);
        fs::remove(link);
    };

    // The folder it makes holds health data: its owner's alone, whatever the umask.
    const mode_t umask = ::umask(0);
    EXPECT_FALSE(SeedTestInfoFile({empty}));
    ::umask(umask);
    EXPECT_EQ(fs::status(windows).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(file));
    fs::create_directories(windows);
    fs::create_symlink(victim, part);
    refusedFor(part);
    fs::create_symlink(elsewhere / "new.txt", file);  // dangling
    refusedFor(file);
    fs::remove(windows);
    fs::create_directory_symlink(elsewhere, windows);
    refusedFor(windows);

    // A stale copy of an interrupted start is replaced.
    fs::create_directories(windows);
    std::ofstream(part) << "cut sh";
    EXPECT_TRUE(SeedTestInfoFile({empty, shipped, other}));
    EXPECT_EQ(FileBytes(file), kSmallTestInfoFile);
    EXPECT_FALSE(fs::exists(part));
    // A file already on the device is the user's: never replaced.
    EXPECT_TRUE(SeedTestInfoFile({other}));
    EXPECT_EQ(FileBytes(file), kSmallTestInfoFile);
}

TEST_F(StartupTest, ALockFileThatCannotBeUsedIsNamedWithItsCause) {
    const fs::path lockFile = device_.Root() / DeviceLock::kFileName;
    const std::u16string lockText = u"Vantrel cannot use its lock file " + Utf8ToText(lockFile.string()) + u": ";
    const fs::path victim = device_.Root() / "victim";
    std::ofstream(victim) << "mine";
    fs::permissions(victim, fs::perms(0644));
    fs::create_symlink(victim, lockFile);
    DeviceLock lock;
    EXPECT_FALSE(PrepareDevice(lock));
    EXPECT_EQ(driver_.Messages(),
              std::vector<std::u16string>{lockText + u"it is a link, and Vantrel does not open links."});
    EXPECT_EQ(fs::status(victim).permissions(), fs::perms(0644));

    // One of ours left wider is narrowed.
    fs::remove(lockFile);
    std::ofstream(lockFile) << "";
    fs::permissions(lockFile, fs::perms(0644));
    EXPECT_EQ(lock.Acquire(device_.Root()), DeviceLock::Outcome::Held);
    EXPECT_EQ(fs::status(lockFile).permissions(), fs::perms(0600));
    lock.Release();
}

}  // namespace
