// The settings store: one record per key, reached ignoring the key's case.

#include "store/settings_store.h"

#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "support/stored_text.h"

namespace {

class SettingsStoreTest : public StoreFixture {};

TEST_F(SettingsStoreTest, KeepsOneRecordPerKeyAndFindsItIgnoringCase) {
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"<missing>");  // no database: left as it was
    ASSERT_TRUE(CreateSettings(u"Ann"));
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Ann");
    SetSetting(kCurrentUserKey, u"Bob");
    SetSetting(u"currentuser", u"Cy");
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    EXPECT_EQ(StoredSetting(u"CURRENTUSER"), u"Cy");
    // Making the settings again does not add a second record for the key.
    ASSERT_TRUE(CreateSettings(u"Dee"));
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Dee");
}

}  // namespace
