// Files of the earlier formats are converted in place when the program first
// opens them: every record that can be read, in its order, and every one
// that cannot kept as it was; a copy stays until the converted file passes
// its check, and the true cause is told when the conversion cannot be made.

#include "platform/records/record_store.h"
#include "platform/records/upgrade.h"
#include "record_store_helpers.h"
#include "store/store_fixture.h"
#include "support/earlier_store.h"
#include "support/raw_file.h"

#include <sys/stat.h>

namespace {

class StoreUpgradeTest : public StoreFixture {
protected:
    static EarlierRecord Record(std::u16string_view key, std::u16string_view tag, int database = 1) {
        return EarlierRecord{database, MakeRecord(key, tag).Properties(), {}};
    }
    static EarlierRecord Undecodable() { return EarlierRecord{1, {}, std::string("\x01\x00", 2)}; }

    // What a converted file holds: the current format and none of the earlier tables.
    void ExpectConverted() {
        SetDeviceRoot(root_);
        EXPECT_EQ(::RawNumber(ObjectStorePath(), "PRAGMA user_version"), 3);
        EXPECT_EQ(::RawNumber(ObjectStorePath(), "SELECT count(*) FROM sqlite_master WHERE name LIKE 'run%'"
                                                 " OR name LIKE 'earlier%' OR name = 'deleted_records'"),
                  0);
        EXPECT_FALSE(std::filesystem::exists(UpgradeCopyPath(ObjectStorePath())));
    }

    const std::vector<EarlierDatabase> databases_ = {{u"List", kKey}, {u"Other", kKey}};
};

TEST_F(StoreUpgradeTest, Format1IsConvertedKeepingOrderAndDeletions) {
    ASSERT_TRUE(WriteFormat1Store(ObjectStorePath(), databases_,
                      {Record(u"b", u"b1"), Record(u"gone", u"deleted"), Record(u"B", u"B2"), Record(u"a", u"a3"),
                       Record(u"b", u"b4"), Record(u"a", u"other", 2)},
                      {2}));
    EXPECT_TRUE(ObjectStoreProblem().empty());
    EXPECT_EQ(AllTags(u"List"), Items({u"a3", u"b1", u"b4", u"B2"}));
    EXPECT_EQ(AllTags(u"Other"), Items({u"other"}));
    PropertyDatabase db;
    ASSERT_TRUE(db.Open(u"List"));
    EXPECT_TRUE(AddRecord(db, u"b", u"b5"));
    db.Close();
    ExpectConverted();
    EXPECT_EQ(AllTags(u"List"), Items({u"a3", u"b1", u"b4", u"b5", u"B2"}));
}

// The counts format 2 kept are not believed: a run that said it held one
// record gives all three, and deleting one leaves the others.
TEST_F(StoreUpgradeTest, Format2IsConvertedFromItsRowsNotItsCounts) {
    ASSERT_TRUE(WriteFormat2Store(ObjectStorePath(), databases_,
                      {Record(u"ann", u"1"), Record(u"Ann", u"2"), Record(u"ann", u"3"), Record(u"bob", u"4")}));
    RunSql(ObjectStorePath(), "UPDATE runs SET records = 1");
    // A reader that may not write (vantrel-export) asks for the program first.
    SetObjectStoreReadOnly(true);
    EXPECT_FALSE(PropertyDatabase::Exists(u"List"));
    EXPECT_NE(ObjectStoreProblem().find(u"start Vantrel once"), std::u16string::npos);
    SetObjectStoreReadOnly(false);
    EXPECT_EQ(AllTags(u"List"), Items({u"1", u"3", u"2", u"4"}));
    PropertyDatabase db;
    ASSERT_TRUE(db.Open(u"List"));
    ASSERT_TRUE(db.SeekFirstEqual(Property(u"ANN", kKey)));
    ASSERT_TRUE(db.DeleteCurrent());
    EXPECT_EQ(AllTags(db), Items({u"3", u"2", u"4"}));
    db.Close();
    ExpectConverted();
}

// A record an earlier version could not decode is carried over as it was,
// under the sort text and fields that version gave it: reads pass over it
// and say so once, and deleting its sort text takes it too.
TEST_F(StoreUpgradeTest, UndecodableRecordsAreCarriedOverAndTheRestConverted) {
    for (const int format : {1, 2}) {
        SCOPED_TRACE(format);
        root_ = folder_ / ("format" + std::to_string(format));
        SetDeviceRoot(root_);
        const std::vector<EarlierRecord> records = {Record(u"a", u"a1"), Undecodable(), Record(u"a", u"a2")};
        ASSERT_TRUE(format == 1 ? WriteFormat1Store(ObjectStorePath(), databases_, records)
                                : WriteFormat2Store(ObjectStorePath(), databases_, records, {u"a"}));
        std::vector<UnreadableRecord> told;
        OnUnreadableRecord([&told](const UnreadableRecord& record) { told.push_back(record); });
        EXPECT_EQ(AllTags(u"List"), Items({u"a1", u"a2"}));
        ReadEveryRecord();
        OnUnreadableRecord(nullptr);
        ExpectConverted();
        EXPECT_EQ(told.size(), 1u);
        PropertyDatabase db;
        ASSERT_TRUE(db.Open(u"List"));
        EXPECT_TRUE(db.DeleteAllOf(format == 1 ? u"" : u"a"));
        EXPECT_EQ(db.RecordCount(), format == 1 ? 2 : 0);
    }
}

TEST_F(StoreUpgradeTest, AFullDiskIsToldAsSuchAndLeavesTheFileAsItWas) {
    ASSERT_TRUE(WriteFormat1Store(ObjectStorePath(), databases_, {Record(u"a", u"a1")}));
    SetDeviceRoot(root_);
    const std::string before = FileBytes(ObjectStorePath());
    SetStoreWriteFailureForTesting(true);
    EXPECT_FALSE(PropertyDatabase::Exists(u"List"));
    EXPECT_NE(ObjectStoreProblem().find(u"the disk is full"), std::u16string::npos) << TextToUtf8(ObjectStoreProblem());
    SetStoreWriteFailureForTesting(false);
    SetDeviceRoot(root_);
    EXPECT_EQ(FileBytes(ObjectStorePath()), before);
    EXPECT_FALSE(std::filesystem::exists(UpgradeCopyPath(ObjectStorePath())));
    EXPECT_EQ(AllTags(u"List"), Items({u"a1"}));
}

// A conversion killed just past its commit left its copy: the next opening
// of the sound file removes it, under either name a version gave it.
TEST_F(StoreUpgradeTest, ACopyLeftByAnInterruptedConversionGoesAtTheNextOpening) {
    ASSERT_NE(CreateTestDatabase(u"List"), 0u);
    SetDeviceRoot(root_);
    for (const std::filesystem::path& copy : {UpgradeCopyPath(ObjectStorePath()), EarlierUpgradeCopyPath(ObjectStorePath())})
        std::ofstream(copy) << "left over";
    EXPECT_TRUE(PropertyDatabase::Exists(u"List"));
    EXPECT_FALSE(std::filesystem::exists(UpgradeCopyPath(ObjectStorePath())));
    EXPECT_FALSE(std::filesystem::exists(EarlierUpgradeCopyPath(ObjectStorePath())));
}

}  // namespace
