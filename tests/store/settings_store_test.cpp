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

TEST_F(SettingsStoreTest, MakesWhatIsMissingAndLeavesOutputsAloneWhenNothingIsStored) {
    SetSetting(u"Theme", u"dark");  // no database yet
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    std::u16string value = u"unchanged";
    GetSetting(kCurrentUserKey, value);  // the key has no record
    EXPECT_EQ(value, u"unchanged");
    SetSetting(kCurrentUserKey, u"Ann");
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 2);
    GetSetting(kCurrentUserKey, value);
    EXPECT_EQ(value, u"Ann");
    GetSetting(u"theme", value);
    EXPECT_EQ(value, u"dark");
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 2);

    SetStoreWriteFailureForTesting(true);
    EXPECT_FALSE(CreateSettings(u"Bob"));
    SetSetting(kCurrentUserKey, u"Bob");
    SetStoreWriteFailureForTesting(false);
    GetSetting(kCurrentUserKey, value);
    EXPECT_EQ(value, u"Ann");
}

}  // namespace
