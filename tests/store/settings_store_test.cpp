// The settings store: one record per key, reached ignoring the key's case.

#include "store/settings_store.h"

#include "store/store_fixture.h"
#include "store/store_test_helpers.h"

namespace {

class SettingsStoreTest : public StoreFixture {};

TEST_F(SettingsStoreTest, KeepsOneRecordPerKeyAndFindsItIgnoringCase) {
    std::u16string value;
    GetSetting(kCurrentUserKey, value);
    EXPECT_EQ(value, u"");  // no database: left as it was
    value = u"before";
    GetSetting(kCurrentUserKey, value);
    EXPECT_EQ(value, u"before");

    ASSERT_TRUE(CreateSettings(u"Ann"));
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    GetSetting(kCurrentUserKey, value);
    EXPECT_EQ(value, u"Ann");

    SetSetting(kCurrentUserKey, u"Bob");
    SetSetting(u"currentuser", u"Cy");
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    GetSetting(u"CURRENTUSER", value);
    EXPECT_EQ(value, u"Cy");
    // Making the settings again does not add a second record for the key.
    ASSERT_TRUE(CreateSettings(u"Dee"));
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    GetSetting(kCurrentUserKey, value);
    EXPECT_EQ(value, u"Dee");
}

}  // namespace
