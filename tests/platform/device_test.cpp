// The device folder and device paths inside it.

#include "platform/device.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(DeviceTest, FindsTheRootAndKeepsDevicePathsInsideIt) {
    setenv("VANTREL_DEVICE_ROOT", "/srv/device", 1);
    SetDeviceRoot("/srv/device");
    EXPECT_EQ(DeviceRoot(), "/srv/device");
    EXPECT_EQ(ObjectStorePath(), "/srv/device/object-store.sqlite");
    EXPECT_EQ(ResolveDevicePath(u"\\windows\\BrennicTests.txt"), "/srv/device/windows/BrennicTests.txt");
    EXPECT_EQ(ResolveDevicePath(u"\\..\\..\\etc\\.\\passwd"), "/srv/device/etc/passwd");
    EXPECT_EQ(ResolveDevicePath(u"a//b/"), "/srv/device/a/b");
    EXPECT_EQ(ResolveDevicePath(u"\\Äpfel.txt"), "/srv/device/\xC3\x84pfel.txt");
    EXPECT_EQ(ResolveDevicePath(u""), "/srv/device");
    unsetenv("VANTREL_DEVICE_ROOT");
}

}  // namespace
