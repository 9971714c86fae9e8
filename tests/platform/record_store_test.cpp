// The record store service: order, positions and indexes, deletion, reopening
// and transactions.

#include "platform/records/record_store.h"
#include "record_store_helpers.h"
#include "store/store_fixture.h"

namespace {

class RecordStoreTest : public StoreFixture {};

// Texts equal ignoring case come in the order each was first stored.
TEST_F(RecordStoreTest, OrdersByKeyIgnoringCaseAndKeepsTiesInInsertionOrder) {
    std::uint32_t id = CreateTestDatabase(u"List");
    ASSERT_NE(id, 0u);
    PropertyDatabase db;
    ASSERT_TRUE(db.OpenById(id));
    for (const auto& [key, tag] : {std::pair{u"beta", u"b1"}, {u"alpha", u"a1"}, {u"Äpfel", u"u1"}, {u"ALPHA", u"A1"},
                                   {u"Beta", u"B1"}, {u"äPFEL", u"u2"}, {u"alpha", u"a2"}, {u"beta", u"b2"}})
        AddRecord(db, key, tag);
    EXPECT_EQ(db.RecordCount(), 8);
    EXPECT_EQ(AllTags(db), Items({u"a1", u"a2", u"A1", u"b1", u"b2", u"B1", u"u1", u"u2"}));

    // The records equal ignoring case are visited in that order, whatever the case asked for.
    ASSERT_TRUE(db.SeekFirstEqual(Property(u"bETA", kKey)));
    EXPECT_EQ(db.CurrentIndex(), 3);
    EXPECT_EQ(TagAt(db), u"b1");
    for (const char16_t* tag : {u"b2", u"B1"}) {
        ASSERT_TRUE(db.SeekNextEqual(Property(u"BETA", kKey)));
        EXPECT_EQ(TagAt(db), tag);
    }
    EXPECT_FALSE(db.SeekNextEqual(Property(u"BETA", kKey)));
    ASSERT_TRUE(db.SeekFirstEqual(Property(u"ÄPFEL", kKey)));
    EXPECT_EQ(TagAt(db), u"u1");
    EXPECT_FALSE(db.SeekFirstEqual(Property(u"alph", kKey)));
    EXPECT_FALSE(db.SeekFirstEqual(Property(u"gamma", kKey)));
    // Only the sort property can be sought.
    EXPECT_FALSE(db.SeekFirstEqual(Property(u"a1", kTag)));
}

TEST_F(RecordStoreTest, CreatingChecksNameAndSortOrder) {
    std::uint32_t id = CreateTestDatabase(u"List");
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(PropertyDatabase::Exists(u"List"));
    EXPECT_FALSE(PropertyDatabase::Exists(u"list"));
    EXPECT_EQ(CreateTestDatabase(u"List"), 0u);
    EXPECT_EQ(PropertyDatabase::Create(u"Other", 7, 2, SortOrder{kKey}), 0u);

    PropertyDatabase db;
    EXPECT_FALSE(db.OpenById(id + 100));
    EXPECT_FALSE(db.Open(u"Missing"));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.Write(MakeRecord(u"k", u"t"), 0));
    ASSERT_TRUE(db.Open(u"List"));
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.RecordCount(), 0);
    PropertyRecord record;
    EXPECT_FALSE(db.SeekToIndex(0));
    EXPECT_FALSE(db.ReadCurrent(record));
    EXPECT_FALSE(db.DeleteCurrent());
}

TEST_F(RecordStoreTest, AnotherHandlesChangesDoNotDisturbAnOuterOne) {
    CreateTestDatabase(u"List");
    PropertyDatabase outer;
    ASSERT_TRUE(outer.Open(u"List"));
    for (const char16_t* key : {u"d", u"b", u"a", u"c", u"b"}) AddRecord(outer, key, key);
    ASSERT_TRUE(outer.SeekToIndex(3));
    EXPECT_EQ(TagAt(outer), u"c");

    // A second handle adds a record ahead of the outer one's and deletes another.
    {
        PropertyDatabase inner;
        ASSERT_TRUE(inner.Open(u"List"));
        AddRecord(inner, u"a", u"a-new");
        ASSERT_TRUE(inner.SeekFirstEqual(Property(u"d", kKey)));
        ASSERT_TRUE(inner.DeleteCurrent());
        EXPECT_EQ(inner.RecordCount(), 5);
    }
    // The outer handle is still on its record and can change it.
    EXPECT_EQ(TagAt(outer), u"c");
    EXPECT_TRUE(outer.Write(MakeRecord(u"c", u"c-changed"), 1));
    EXPECT_EQ(AllTags(outer), Items({u"a", u"a-new", u"b", u"b", u"c-changed"}));
}

TEST_F(RecordStoreTest, DeletingDuringAnAdvancingPassSkipsNothing) {
    CreateTestDatabase(u"List");
    PropertyDatabase db;
    ASSERT_TRUE(db.Open(u"List"));
    for (int i = 0; i < 10; ++i) AddRecord(db, u"same", IntToText(i));

    // Delete 0, 1, 2 (a run), 5 and 9 (the last) while passing.
    db.SetAdvanceAfterRead(true);
    ASSERT_TRUE(db.SeekToIndex(0));
    std::vector<std::u16string> seen;
    PropertyRecord record;
    while (db.ReadCurrent(record)) {
        seen.push_back(TagOf(record));
        int tag = TextToInt(TagOf(record));
        if (tag <= 2 || tag == 5 || tag == 9) {
            EXPECT_TRUE(db.DeleteCurrent());
        }
    }
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(db.RecordCount(), 5);
    EXPECT_EQ(AllTags(db), Items({u"3", u"4", u"6", u"7", u"8"}));

    // Without advancing, a read after a delete gets the record that followed.
    db.SetAdvanceAfterRead(false);
    ASSERT_TRUE(db.SeekToIndex(1));
    EXPECT_EQ(TagAt(db), u"4");
    EXPECT_TRUE(db.DeleteCurrent());
    EXPECT_FALSE(db.DeleteCurrent());  // nothing reached since
    EXPECT_EQ(TagAt(db), u"6");
    EXPECT_EQ(db.CurrentIndex(), 1);
}

TEST_F(RecordStoreTest, DeleteAndReplaceActOnTheRecordLastReached) {
    CreateTestDatabase(u"List");
    PropertyDatabase db;
    ASSERT_TRUE(db.Open(u"List"));
    EXPECT_FALSE(db.DeleteCurrent());  // nothing reached yet
    for (const char16_t* key : {u"a", u"b", u"c"}) AddRecord(db, key, key);
    EXPECT_FALSE(db.Write(MakeRecord(u"x", u"x"), 1));

    ASSERT_TRUE(db.SeekFirstEqual(Property(u"b", kKey)));
    PropertyRecord replacement;
    Property only(u"b", kKey);
    replacement.AddProperties(&only, 1);
    ASSERT_TRUE(db.Write(replacement, 1));
    PropertyRecord record;
    ASSERT_TRUE(db.SeekToIndex(1));
    ASSERT_TRUE(db.ReadCurrent(record));
    EXPECT_EQ(record.Properties().size(), 1u);  // exactly the properties written
    EXPECT_EQ(record.GetProperty(kTag), nullptr);

    // A changed sort value moves the record; it follows the records it ties with.
    ASSERT_TRUE(db.SeekFirstEqual(Property(u"a", kKey)));
    ASSERT_TRUE(db.Write(MakeRecord(u"C", u"a-moved"), 1));
    EXPECT_EQ(AllTags(db), Items({u"?", u"c", u"a-moved"}));
    ASSERT_TRUE(db.SeekFirstEqual(Property(u"c", kKey)));
    ASSERT_TRUE(db.SeekNextEqual(Property(u"c", kKey)));
    EXPECT_EQ(TagAt(db), u"a-moved");
    ASSERT_TRUE(db.DeleteCurrent());
    EXPECT_EQ(AllTags(db), Items({u"?", u"c"}));
}

TEST_F(RecordStoreTest, ARecordHoldsOnePropertyPerId) {
    PropertyRecord record = MakeRecord(u"k", u"t");
    record.AddProperty(Property(u"t2", kTag));
    EXPECT_EQ(record.Properties().size(), 2u);
    EXPECT_EQ(record.GetProperty(kTag)->StringValue(), u"t2");
}

TEST_F(RecordStoreTest, KeepsEveryTextExactlyThroughTheFile) {
    const std::u16string texts[] = {u"", u"plain", u"Äpfel í", u"Ωμέγα", u"\U0001F600 smile",
                                    std::u16string(1, char16_t(0xD800)) + u"lone", std::u16string(kTextMax, u'x'),
                                    std::u16string(3, u'\0')};
    CreateTestDatabase(u"List");
    for (const std::u16string& text : texts) ASSERT_TRUE(AddTo(u"List", u"k", text));
    SetDeviceRoot(root_);
    const std::vector<std::u16string> tags = AllTags(u"List");
    ASSERT_EQ(tags.size(), std::size(texts));
    for (std::size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(tags[i], texts[i]) << i;
}

// Another program's file and a newer format are refused by the damaged-device
// tests; the modes of what is made are the untrusted-store tests'.
TEST_F(RecordStoreTest, MakesAFileOnlyWhenWriting) {
    EXPECT_FALSE(PropertyDatabase::Exists(u"List"));
    PropertyDatabase db;
    EXPECT_FALSE(db.Open(u"List"));
    EXPECT_TRUE(ObjectStoreProblem().empty());
    EXPECT_FALSE(std::filesystem::exists(root_));
    ASSERT_NE(CreateTestDatabase(u"List"), 0u);
    EXPECT_TRUE(std::filesystem::exists(ObjectStorePath()));
}

TEST_F(RecordStoreTest, TransactionsCommitOrLeaveNothing) {
    CreateTestDatabase(u"List");
    {
        StoreTransaction transaction;
        ASSERT_TRUE(AddTo(u"List", u"a", u"rolled back"));
        ASSERT_NE(CreateTestDatabase(u"Made inside"), 0u);
        EXPECT_TRUE(PropertyDatabase::Exists(u"Made inside"));
        EXPECT_EQ(AllTags(u"List"), Items({u"rolled back"}));  // visible inside
    }
    EXPECT_EQ(AllTags(u"List"), Items({}));
    EXPECT_FALSE(PropertyDatabase::Exists(u"Made inside"));

    {
        StoreTransaction outer;
        ASSERT_TRUE(AddTo(u"List", u"a", u"outer"));
        {
            StoreTransaction inner;
            ASSERT_TRUE(AddTo(u"List", u"b", u"inner undone"));
        }
        {
            StoreTransaction inner;
            ASSERT_TRUE(AddTo(u"List", u"c", u"inner kept"));
            EXPECT_TRUE(inner.Commit());
            EXPECT_FALSE(inner.Commit());
        }
        EXPECT_TRUE(outer.Commit());
    }
    EXPECT_EQ(AllTags(u"List"), Items({u"outer", u"inner kept"}));
    SetDeviceRoot(root_);
    EXPECT_EQ(AllTags(u"List"), Items({u"outer", u"inner kept"}));

    // Deleting inside a transaction, then undoing it, brings every record back.
    {
        StoreTransaction transaction;
        PropertyDatabase db;
        ASSERT_TRUE(db.Open(u"List"));
        ASSERT_TRUE(db.SeekToIndex(0));
        ASSERT_TRUE(db.DeleteCurrent());
        EXPECT_EQ(db.RecordCount(), 1);
    }
    EXPECT_EQ(AllTags(u"List"), Items({u"outer", u"inner kept"}));
}

}  // namespace
