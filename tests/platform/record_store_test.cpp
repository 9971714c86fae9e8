// The record store service: order, positions and indexes, deletion, reopening
// and transactions.

#include "platform/records/record_store.h"
#include "record_store_helpers.h"
#include "store/store_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

class RecordStoreTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_NE(CreateTestDatabase(u"List"), 0u);
        ASSERT_TRUE(db_.Open(u"List"));
    }
    void TearDown() override {
        db_.Close();
        StoreFixture::TearDown();
    }
    PropertyDatabase db_;
};

// Texts equal ignoring case come in the order each was first stored.
TEST_F(RecordStoreTest, OrdersByKeyIgnoringCaseAndKeepsTiesInInsertionOrder) {
    for (const auto& [key, tag] : {std::pair{u"beta", u"b1"}, {u"alpha", u"a1"}, {u"Äpfel", u"u1"}, {u"ALPHA", u"A1"},
                                   {u"Beta", u"B1"}, {u"äPFEL", u"u2"}, {u"alpha", u"a2"}, {u"beta", u"b2"}})
        AddRecord(db_, key, tag);
    EXPECT_EQ(db_.RecordCount(), 8);
    EXPECT_EQ(AllTags(db_), Items({u"a1", u"a2", u"A1", u"b1", u"b2", u"B1", u"u1", u"u2"}));

    // The records equal ignoring case are visited in that order, whatever the case asked for.
    ASSERT_TRUE(db_.SeekFirstEqual(Property(u"bETA", kKey)));
    EXPECT_EQ(db_.CurrentIndex(), 3);
    EXPECT_EQ(TagAt(db_), u"b1");
    for (const char16_t* tag : {u"b2", u"B1"}) {
        ASSERT_TRUE(db_.SeekNextEqual(Property(u"BETA", kKey)));
        EXPECT_EQ(TagAt(db_), tag);
    }
    EXPECT_FALSE(db_.SeekNextEqual(Property(u"BETA", kKey)));
    ASSERT_TRUE(db_.SeekFirstEqual(Property(u"ÄPFEL", kKey)));
    EXPECT_EQ(TagAt(db_), u"u1");
    EXPECT_FALSE(db_.SeekFirstEqual(Property(u"alph", kKey)));
    EXPECT_FALSE(db_.SeekFirstEqual(Property(u"a1", kTag)));  // only the sort property can be sought

    // The texts themselves, in the same order; one whose records are all gone is not listed.
    EXPECT_EQ(db_.SortTexts(), Items({u"alpha", u"ALPHA", u"beta", u"Beta", u"Äpfel", u"äPFEL"}));
    ASSERT_TRUE(db_.SeekFirstEqual(Property(u"Beta", kKey)));
    for (int next = 0; next < 2; ++next) ASSERT_TRUE(db_.SeekNextEqual(Property(u"Beta", kKey)));
    ASSERT_EQ(TagAt(db_), u"B1");
    ASSERT_TRUE(db_.DeleteCurrent());
    EXPECT_EQ(db_.SortTexts(), Items({u"alpha", u"ALPHA", u"beta", u"Äpfel", u"äPFEL"}));
}

// A handle's place is a record, not a number: another handle's additions and
// deletions leave it there, and an advancing pass goes on with the record
// that followed its last read, or stays past the end.
TEST_F(RecordStoreTest, AnotherHandlesChangesDoNotMoveAnOuterOne) {
    for (const char16_t* key : {u"d", u"b", u"a", u"c", u"b"}) AddRecord(db_, key, key);
    PropertyDatabase passing, atEnd;
    ASSERT_TRUE(passing.Open(u"List") && atEnd.Open(u"List"));
    passing.SetAdvanceAfterRead(true);
    atEnd.SetAdvanceAfterRead(true);
    ASSERT_TRUE(db_.SeekToIndex(3) && passing.SeekToIndex(3) && atEnd.SeekToIndex(4));
    EXPECT_EQ(TagAt(passing), u"c");
    EXPECT_EQ(TagAt(atEnd), u"d");
    {
        PropertyDatabase inner;
        ASSERT_TRUE(inner.Open(u"List"));
        for (const char16_t* key : {u"a", u"C", u"e"}) AddRecord(inner, key, key + std::u16string(u"-new"));
        ASSERT_TRUE(inner.SeekFirstEqual(Property(u"b", kKey)));
        ASSERT_TRUE(inner.DeleteCurrent());
    }
    EXPECT_EQ(TagAt(db_), u"c");
    EXPECT_EQ(db_.CurrentIndex(), 3);
    EXPECT_EQ(TagAt(passing), u"d");
    EXPECT_EQ(TagAt(atEnd), u"(none)");
    EXPECT_TRUE(db_.Write(MakeRecord(u"c", u"c-changed"), 1));
    EXPECT_EQ(AllTags(db_), Items({u"a", u"a-new", u"b", u"c-changed", u"C-new", u"d", u"e-new"}));
}

TEST_F(RecordStoreTest, DeletingDuringAnAdvancingPassSkipsNothing) {
    for (int i = 0; i < 10; ++i) AddRecord(db_, u"same", IntToText(i));
    // Delete 0, 1, 2 (a run), 5 and 9 (the last) while passing.
    db_.SetAdvanceAfterRead(true);
    ASSERT_TRUE(db_.SeekToIndex(0));
    int seen = 0;
    PropertyRecord record;
    while (db_.ReadCurrent(record)) {
        ++seen;
        const int tag = TextToInt(TagOf(record));
        if (tag <= 2 || tag == 5 || tag == 9) EXPECT_TRUE(db_.DeleteCurrent());
    }
    EXPECT_EQ(seen, 10);
    EXPECT_EQ(AllTags(db_), Items({u"3", u"4", u"6", u"7", u"8"}));

    // Without advancing, a read after a delete gets the record that followed.
    db_.SetAdvanceAfterRead(false);
    ASSERT_TRUE(db_.SeekToIndex(1));
    EXPECT_EQ(TagAt(db_), u"4");
    EXPECT_TRUE(db_.DeleteCurrent());
    EXPECT_FALSE(db_.DeleteCurrent());  // nothing reached since
    EXPECT_EQ(TagAt(db_), u"6");
    EXPECT_EQ(db_.CurrentIndex(), 1);
}

TEST_F(RecordStoreTest, DeleteAndReplaceActOnTheRecordLastReached) {
    for (const char16_t* key : {u"a", u"b", u"c"}) AddRecord(db_, key, key);
    EXPECT_FALSE(db_.Write(MakeRecord(u"x", u"x"), 1));  // nothing reached yet

    ASSERT_TRUE(db_.SeekFirstEqual(Property(u"b", kKey)));
    PropertyRecord replacement;
    replacement.AddProperty(Property(u"x", kKey));
    replacement.AddProperty(Property(u"b", kKey));  // one property per id: the last given
    ASSERT_TRUE(db_.Write(replacement, 1));
    PropertyRecord record;
    ASSERT_TRUE(db_.SeekToIndex(1) && db_.ReadCurrent(record));
    EXPECT_EQ(record.Properties().size(), 1u);  // exactly the properties written
    EXPECT_EQ(record.GetProperty(kKey)->StringValue(), u"b");

    // A changed sort value moves the record; it follows the records it ties with.
    ASSERT_TRUE(db_.SeekFirstEqual(Property(u"a", kKey)));
    ASSERT_TRUE(db_.Write(MakeRecord(u"C", u"a-moved"), 1));
    EXPECT_EQ(AllTags(db_), Items({u"?", u"c", u"a-moved"}));
    ASSERT_TRUE(db_.SeekFirstEqual(Property(u"c", kKey)) && db_.SeekNextEqual(Property(u"c", kKey)));
    EXPECT_EQ(TagAt(db_), u"a-moved");
    ASSERT_TRUE(db_.DeleteCurrent());
    EXPECT_EQ(AllTags(db_), Items({u"?", u"c"}));
}

TEST_F(RecordStoreTest, KeepsEveryValueExactlyThroughTheFile) {
    const std::u16string texts[] = {u"", u"plain", u"Äpfel í", u"Ωμέγα", u"\U0001F600 smile",
                                    std::u16string(1, char16_t(0xD800)) + u"lone", std::u16string(kTextMax, u'x'),
                                    std::u16string(3, u'\0')};
    for (const std::u16string& text : texts) ASSERT_TRUE(AddRecord(db_, u"k", text));
    PropertyRecord timed = MakeRecord(u"t", u"timed");
    timed.AddProperty(Property(FileTime{0xFFFFFFFF001ull}, 3));
    ASSERT_TRUE(db_.Write(timed, 0));
    db_.Close();
    SetDeviceRoot(root_);
    const std::vector<std::u16string> tags = AllTags(u"List");
    ASSERT_EQ(tags.size(), std::size(texts) + 1);
    for (std::size_t i = 0; i < std::size(texts); ++i) EXPECT_EQ(tags[i], texts[i]) << i;
    ASSERT_TRUE(db_.Open(u"List") && db_.SeekFirstEqual(Property(u"T", kKey)));
    PropertyRecord record;
    ASSERT_TRUE(db_.ReadCurrent(record));
    EXPECT_EQ(record.GetProperty(3)->FileTimeValue(), 0xFFFFFFFF001ull);
}

// Another program's file and a newer format are refused by the damaged-device
// tests; the modes of what is made are the untrusted-store tests'.
TEST_F(RecordStoreTest, MakesAFileOnlyWhenWriting) {
    db_.Close();
    root_ = folder_ / "fresh";
    SetDeviceRoot(root_);
    EXPECT_FALSE(db_.Open(u"List"));
    EXPECT_FALSE(db_.Write(MakeRecord(u"k", u"t"), 0));
    EXPECT_TRUE(ObjectStoreProblem().empty());
    EXPECT_FALSE(std::filesystem::exists(root_));
    ASSERT_NE(CreateTestDatabase(u"List"), 0u);
    EXPECT_TRUE(std::filesystem::exists(ObjectStorePath()));
    EXPECT_EQ(CreateTestDatabase(u"List"), 0u);  // a name is made once
}

TEST_F(RecordStoreTest, TransactionsCommitOrLeaveNothing) {
    {
        StoreTransaction transaction;
        ASSERT_TRUE(AddTo(u"List", u"a", u"rolled back"));
        ASSERT_NE(CreateTestDatabase(u"Made inside"), 0u);
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
    // Deleting inside a transaction, then undoing it, brings every record back.
    {
        StoreTransaction transaction;
        ASSERT_TRUE(db_.SeekToIndex(0) && db_.DeleteCurrent());
        EXPECT_EQ(db_.RecordCount(), 1);
    }
    db_.Close();
    // What another process was told is stored is there, though it ended without closing.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(AddTo(u"List", u"d", u"other process") ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    SetDeviceRoot(root_);
    EXPECT_EQ(AllTags(u"List"), Items({u"outer", u"inner kept", u"other process"}));
}

}  // namespace
