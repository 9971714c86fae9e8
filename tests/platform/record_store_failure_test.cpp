// The record store service when its file cannot be used: a file cut short, a
// folder it cannot write to, a full disk; and records that alone cannot be read.

#include "platform/records/record_store.h"
#include "platform/records/testing.h"
#include "record_store_helpers.h"
#include "store/store_fixture.h"
#include "support/raw_file.h"
#include "support/spoiled_record.h"

#include <pwd.h>
#include <unistd.h>

namespace {

class RecordStoreFailureTest : public StoreFixture {};

TEST_F(RecordStoreFailureTest, FinishesAFileWhoseMakingWasCutShort) {
    std::filesystem::create_directories(root_);
    std::ofstream(ObjectStorePath()) << "";  // made, then the process ended before the first write
    EXPECT_TRUE(ObjectStoreProblem().empty());
    ASSERT_NE(CreateTestDatabase(u"List"), 0u);
    EXPECT_TRUE(PropertyDatabase::Exists(u"List"));
}

TEST_F(RecordStoreFailureTest, NamesAFolderItCannotMakeOrWrite) {
    std::filesystem::create_directories(folder_ / "locked");
    std::ofstream(folder_ / "plain-file") << "x";
    SetDeviceRoot(folder_ / "plain-file" / "device");
    EXPECT_FALSE(PropertyDatabase::Exists(u"List"));
    EXPECT_EQ(CreateTestDatabase(u"List"), 0u);
    EXPECT_EQ(ObjectStoreProblem(),
              u"Vantrel cannot write to " + Utf8ToText((folder_ / "plain-file").string()) + u": not a directory.");

    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    SetDeviceRoot(root_);
    ASSERT_NE(CreateTestDatabase(u"List"), 0u);
    SetDeviceRoot(root_);
    chmod(ObjectStorePath().c_str(), 0200);
    PropertyDatabase db;
    EXPECT_FALSE(db.Open(u"List"));
    EXPECT_EQ(CreateTestDatabase(u"Other"), 0u);
    EXPECT_NE(ObjectStoreProblem().find(u"cannot read the data file"), std::u16string::npos);
    chmod(ObjectStorePath().c_str(), 0600);

    SetDeviceRoot(folder_ / "locked" / "device");
    chmod((folder_ / "locked").c_str(), 0500);
    EXPECT_EQ(CreateTestDatabase(u"List"), 0u);
    EXPECT_EQ(ObjectStoreProblem(),
              u"Vantrel cannot write to " + Utf8ToText((folder_ / "locked").string()) +
                  u": permission denied; it belongs to " + Utf8ToText(getpwuid(geteuid())->pw_name) + u".");
    chmod((folder_ / "locked").c_str(), 0700);
}

TEST_F(RecordStoreFailureTest, AFullDiskFailsWritesAndChangesNothing) {
    SetStoreWriteFailureForTesting(true);
    EXPECT_EQ(CreateTestDatabase(u"List"), 0u);
    EXPECT_FALSE(std::filesystem::exists(ObjectStorePath()));  // without a file, nothing is made
    SetStoreWriteFailureForTesting(false);

    ASSERT_NE(CreateTestDatabase(u"List"), 0u);
    ASSERT_TRUE(AddTo(u"List", u"a", u"kept") && AddTo(u"List", u"b", u"also kept"));
    SetDeviceRoot(root_);  // checkpoints, so the file holds everything
    const std::string before = FileBytes(ObjectStorePath());
    SetStoreWriteFailureForTesting(true);
    {
        PropertyDatabase db;
        ASSERT_TRUE(db.Open(u"List"));
        EXPECT_FALSE(AddRecord(db, u"c", u"lost"));
        ASSERT_TRUE(db.SeekToIndex(0));
        EXPECT_FALSE(db.Write(MakeRecord(u"a", u"changed"), 1));
        ASSERT_TRUE(db.SeekToIndex(1));
        EXPECT_FALSE(db.DeleteCurrent());
        EXPECT_EQ(CreateTestDatabase(u"Other"), 0u);
    }
    {
        // Inside a transaction the failure may only show at the commit; then nothing of it stays.
        StoreTransaction transaction;
        PropertyDatabase db;
        ASSERT_TRUE(db.Open(u"List"));
        AddRecord(db, u"d", u"lost too");
        ASSERT_TRUE(db.SeekToIndex(0));
        db.DeleteCurrent();
        db.Close();
        EXPECT_FALSE(transaction.Commit());
    }
    EXPECT_EQ(AllTags(u"List"), Items({u"kept", u"also kept"}));
    EXPECT_EQ(FileBytes(ObjectStorePath()), before);
    SetStoreWriteFailureForTesting(false);
    EXPECT_TRUE(AddTo(u"List", u"e", u"after"));
}

// An advancing pass goes over records whose bytes do not decode, as do a
// pass over matches and a read of one sort text's range; a read that lands on one fails and leaves no record for
// a write to replace. The database is told once, and nothing is changed.
TEST_F(RecordStoreFailureTest, RecordsThatCannotBeDecodedArePassedOverAndLeftAsTheyAre) {
    ASSERT_NE(CreateTestDatabase(u"List"), 0u);
    for (const auto& [key, tag] : {std::pair{u"a", u"a1"}, {u"a", u"a2"}, {u"a", u"a3"}, {u"b", u"b1"}, {u"c", u"c1"}})
        ASSERT_TRUE(AddTo(u"List", key, tag));
    SetDeviceRoot(root_);
    std::vector<SpoiledRecord> spoiled;
    for (const char16_t* tag : {u"a1", u"a3", u"b1"})
        spoiled.push_back(SpoilRecord(
            ObjectStorePath(), u"List", [tag](auto& p) { return Holds(p, kTag, tag); }, tag[1] == u'1' ? CutShort : UnknownKind));
    std::vector<UnreadableRecord> told;
    OnUnreadableRecord([&told](const UnreadableRecord& record) { told.push_back(record); });

    EXPECT_EQ(AllTags(u"List"), Items({u"a2", u"c1"}));
    PropertyDatabase db;
    ASSERT_TRUE(db.Open(u"List"));
    PropertyRecord record;
    ASSERT_TRUE(db.SeekFirstEqual(Property(u"a", kKey)));
    EXPECT_FALSE(db.ReadCurrent(record));
    EXPECT_FALSE(db.Write(MakeRecord(u"a", u"over a1"), 1));
    EXPECT_FALSE(db.DeleteCurrent());
    ASSERT_TRUE(db.SeekNextEqual(Property(u"a", kKey)));
    EXPECT_EQ(TagAt(db), u"a2");
    ASSERT_TRUE(db.SeekNextEqual(Property(u"a", kKey)));
    EXPECT_FALSE(db.ReadCurrent(record));
    EXPECT_FALSE(db.SeekNextEqual(Property(u"a", kKey)));
    std::vector<std::u16string> matched;
    FieldMatch runOfA;
    runOfA.exact = u"a";
    db.ForEachMatch(runOfA, [&](const PropertyRecord& match) { matched.push_back(TagOf(match)); return true; });
    EXPECT_EQ(matched, Items({u"a2"}));
    matched.clear();
    db.ForEachOf(u"a", [&](const PropertyRecord& read) {
        matched.push_back(TagOf(read));
        return true;
    });
    EXPECT_EQ(matched, Items({u"a2"}));
    EXPECT_TRUE(AddRecord(db, u"a", u"a4"));  // the others stay in use
    EXPECT_EQ(AllTags(db), Items({u"a2", u"a4", u"c1"}));
    ReadEveryRecord();
    db.Close();
    OnUnreadableRecord(nullptr);

    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].file, ObjectStorePath());
    EXPECT_EQ(told[0].database, u"List");
    EXPECT_EQ(told[0].id, spoiled[0].id);
    EXPECT_TRUE(ObjectStoreProblem().empty());
    SetDeviceRoot(root_);
    for (const SpoiledRecord& record : spoiled) EXPECT_EQ(StoredBytes(ObjectStorePath(), u"List", record), record.bytes);
}

}  // namespace
