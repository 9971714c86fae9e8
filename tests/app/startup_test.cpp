// The start hook's refusals, each told in one message before the store is
// touched, and the seeding of the device's test information file.

#include "temp_device.h"

#include "app/catalogue_seed.h"
#include "app/device_checks.h"
#include "app/vantrel_app.h"
#include "platform/device_lock.h"
#include "platform/record_store.h"
#include "platform/text.h"
#include "platform/ui/test_driver.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path DeviceTestInfoFile() { return ResolveDevicePath(u"\\windows\\BrennicTests.txt"); }

class StartupTest : public ::testing::Test {
protected:
    TempDevice device_;
    DialogDriver driver_;
};

TEST_F(StartupTest, ASecondProgramOnTheSameRootStopsWithOneMessage) {
    DeviceLock first;
    ASSERT_EQ(first.Acquire(device_.Root()), DeviceLock::Outcome::Held);
    EXPECT_EQ(fs::status(device_.Root() / DeviceLock::kFileName).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    CVantrelApp app;
    EXPECT_FALSE(app.InitInstance());  // no main window: the driver would report a modal run
    EXPECT_TRUE(driver_.Failures().empty());
    EXPECT_EQ(driver_.Messages(),
              std::vector<std::u16string>{u"Vantrel is already running on this device (" +
                                          Utf8ToText(device_.Root().string()) + u")."});
    EXPECT_FALSE(fs::exists(ObjectStorePath()));
    EXPECT_FALSE(fs::exists(DeviceTestInfoFile()));

    // Another lock of the same process is refused too; released, the root is free again.
    DeviceLock second;
    EXPECT_EQ(second.Acquire(device_.Root()), DeviceLock::Outcome::HeldElsewhere);
    first.Release();
    EXPECT_EQ(second.Acquire(device_.Root()), DeviceLock::Outcome::Held);
}

TEST_F(StartupTest, ADamagedStoreIsToldAndLeftAsItWas) {
    const std::string garbage = "this is not a store\n";
    std::ofstream(ObjectStorePath(), std::ios::binary) << garbage;
    const std::u16string problem = ObjectStoreProblem();
    ASSERT_FALSE(problem.empty());

    CVantrelApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(driver_.Failures().empty());
    EXPECT_EQ(driver_.Messages(), std::vector<std::u16string>{problem});
    EXPECT_EQ(ReadAll(ObjectStorePath()), garbage);
    EXPECT_FALSE(fs::exists(DeviceTestInfoFile()));

    DeviceLock later;  // the refused start holds nothing
    EXPECT_EQ(later.Acquire(device_.Root()), DeviceLock::Outcome::Held);
}

TEST_F(StartupTest, ARootThatCannotBeMadeIsNamedInTheMessage) {
    const fs::path blocker = device_.Root() / "plain-file";
    std::ofstream(blocker) << "x";
    const fs::path root = blocker / "vantrel";
    SetDeviceRoot(root);

    DeviceLock lock;
    EXPECT_FALSE(PrepareDevice(lock));
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_EQ(driver_.Messages(), std::vector<std::u16string>{u"Vantrel cannot write to its data folder (" +
                                                              Utf8ToText(root.string()) + u")."});
    SetDeviceRoot(device_.Root());
}

TEST_F(StartupTest, PrepareDeviceMakesAMissingRootForItsOwnerAndHoldsIt) {
    const fs::path root = device_.Root() / "new" / "vantrel";
    SetDeviceRoot(root);
    DeviceLock lock;
    EXPECT_TRUE(PrepareDevice(lock));
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_TRUE(driver_.Messages().empty());
    EXPECT_EQ(fs::status(root).permissions() & fs::perms::all, fs::perms::owner_all);
    DeviceLock other;
    EXPECT_EQ(other.Acquire(root), DeviceLock::Outcome::HeldElsewhere);
    lock.Release();
    SetDeviceRoot(device_.Root());
}

TEST_F(StartupTest, TheShippedFileIsCopiedFromTheFirstFolderHoldingItOnlyWhenMissing) {
    const fs::path empty = device_.Root() / "empty";
    const fs::path shipped = device_.Root() / "shipped";
    const fs::path other = device_.Root() / "other";
    for (const fs::path& dir : {empty, shipped, other}) fs::create_directories(dir);
    std::ofstream(shipped / "BrennicTests.txt") << kSmallTestInfoFile;
    std::ofstream(other / "BrennicTests.txt") << "other";

    EXPECT_FALSE(SeedTestInfoFile({empty}));
    EXPECT_FALSE(fs::exists(DeviceTestInfoFile()));

    EXPECT_TRUE(SeedTestInfoFile({empty, shipped, other}));
    EXPECT_EQ(ReadAll(DeviceTestInfoFile()), kSmallTestInfoFile);
    EXPECT_FALSE(fs::exists(fs::path(DeviceTestInfoFile()) += ".part"));

    // A file already on the device is the user's: never replaced.
    EXPECT_TRUE(SeedTestInfoFile({other}));
    EXPECT_EQ(ReadAll(DeviceTestInfoFile()), kSmallTestInfoFile);
}

TEST(ShippedDataDirsTest, TheEnvironmentFolderComesFirst) {
    ::setenv("VANTREL_DATA_DIR", "/opt/vantrel-data", 1);
    const std::vector<fs::path> dirs = ShippedDataDirs();
    ::unsetenv("VANTREL_DATA_DIR");
    ASSERT_EQ(dirs.size(), 3u);
    EXPECT_EQ(dirs[0], fs::path("/opt/vantrel-data"));
    EXPECT_EQ(ShippedDataDirs().size(), 2u);
}

}  // namespace
