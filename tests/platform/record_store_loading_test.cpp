// The record store at size: many additions keep the order and the handles'
// places, and records read back from the file whole.

#include "platform/records/record_store.h"
#include "record_store_helpers.h"
#include "store/store_fixture.h"

#include <algorithm>
#include <map>
#include <random>

namespace {

class RecordStoreLoadingTest : public StoreFixture {
protected:
    // The order the store promises: by key ignoring case, keys equal so in the
    // order each was first added, ties in the order added.
    static std::vector<std::u16string> Expected(std::vector<std::pair<std::u16string, std::u16string>> added) {
        std::map<std::u16string, std::size_t> first;
        for (const auto& [key, tag] : added) first.try_emplace(key, first.size());
        std::stable_sort(added.begin(), added.end(), [&first](const auto& a, const auto& b) {
            const int order = CompareNoCase(a.first, b.first);
            return order != 0 ? order < 0 : first.at(a.first) < first.at(b.first);
        });
        std::vector<std::u16string> tags;
        for (const auto& [key, tag] : added) tags.push_back(tag);
        return tags;
    }
};

TEST_F(RecordStoreLoadingTest, ManyAdditionsKeepTheOrderAndEveryHandlesPlace) {
    CreateTestDatabase(u"List");
    std::vector<std::pair<std::u16string, std::u16string>> added;
    PropertyDatabase writer;
    ASSERT_TRUE(writer.Open(u"List"));
    for (const char16_t* key : {u"b", u"m", u"y"}) {
        added.emplace_back(key, key);
        AddRecord(writer, key, key);
    }
    // One handle on "m", one mid-pass before "y", one past the end.
    PropertyDatabase onM, passing, atEnd;
    ASSERT_TRUE(onM.Open(u"List") && passing.Open(u"List") && atEnd.Open(u"List"));
    ASSERT_TRUE(onM.SeekFirstEqual(Property(u"m", kKey)));
    passing.SetAdvanceAfterRead(true);
    ASSERT_TRUE(passing.SeekToIndex(1));
    EXPECT_EQ(TagAt(passing), u"m");
    atEnd.SetAdvanceAfterRead(true);
    ASSERT_TRUE(atEnd.SeekToIndex(2));
    EXPECT_EQ(TagAt(atEnd), u"y");

    // Many additions in one unit, all around and among them, in no order.
    std::mt19937 random(7);
    const std::u16string keys[] = {u"A", u"b", u"B", u"m", u"M", u"n", u"x", u"y", u"Z", u"zz"};
    {
        StoreTransaction unit;
        for (int i = 0; i < 3000; ++i) {
            const std::u16string& key = keys[random() % std::size(keys)];
            const std::u16string tag = key + u"-" + IntToText(i);
            added.emplace_back(key, tag);
            ASSERT_TRUE(AddRecord(writer, key, tag));
        }
        EXPECT_EQ(writer.RecordCount(), 3003);
        ASSERT_TRUE(unit.Commit());
    }
    const std::vector<std::u16string> expected = Expected(added);
    // Each handle is where it was: on "m", before "y", past the end.
    EXPECT_EQ(TagAt(onM), u"m");
    const auto indexOf = [&expected](std::u16string_view tag) {
        return static_cast<int>(std::find(expected.begin(), expected.end(), tag) - expected.begin());
    };
    EXPECT_EQ(onM.CurrentIndex(), indexOf(u"m"));
    EXPECT_EQ(passing.CurrentIndex(), indexOf(u"y"));
    EXPECT_EQ(TagAt(passing), u"y");
    EXPECT_EQ(TagAt(atEnd), u"(none)");
    ASSERT_TRUE(onM.SeekNextEqual(Property(u"M", kKey)));  // the run of "m" goes on with the additions
    EXPECT_EQ(onM.CurrentIndex(), indexOf(u"m") + 1);

    EXPECT_EQ(AllTags(writer), expected);
    writer.Close();
    onM.Close();
    passing.Close();
    atEnd.Close();
    SetDeviceRoot(root_);
    EXPECT_EQ(AllTags(u"List"), expected);  // and the file gives the same order
}

TEST_F(RecordStoreLoadingTest, RecordsLoadedFromTheFileReadBackWhole) {
    CreateTestDatabase(u"List");
    CreateTestDatabase(u"Other");
    {
        StoreTransaction unit;
        PropertyDatabase list, other;
        ASSERT_TRUE(list.Open(u"List") && other.Open(u"Other"));
        for (int i = 0; i < 500; ++i) {
            PropertyRecord record = MakeRecord(i % 2 ? u"Odd" : u"even", u"tag " + IntToText(i));
            record.AddProperty(Property(FileTime{0xFFFFFFFF000ull + static_cast<unsigned>(i)}, 3));
            ASSERT_TRUE((i % 3 ? list : other).Write(record, 0));
        }
        ASSERT_TRUE(unit.Commit());
    }
    SetDeviceRoot(root_);
    PropertyDatabase list;
    ASSERT_TRUE(list.Open(u"List"));
    EXPECT_EQ(list.RecordCount(), 333);
    PropertyRecord record;
    ASSERT_TRUE(list.SeekFirstEqual(Property(u"ODD", kKey)));
    ASSERT_TRUE(list.ReadCurrent(record));
    ASSERT_EQ(record.Properties().size(), 3u);
    EXPECT_EQ(record.GetProperty(kKey)->StringValue(), u"Odd");
    EXPECT_EQ(TagOf(record), u"tag 1");
    EXPECT_EQ(record.GetProperty(3)->Kind(), PropertyKind::FileTime);
    EXPECT_EQ(record.GetProperty(3)->FileTimeValue(), 0xFFFFFFFF001ull);
    // A record changed before it was ever read keeps the change.
    ASSERT_TRUE(list.SeekToIndex(0));
    ASSERT_TRUE(list.Write(MakeRecord(u"even", u"changed"), 1));
    EXPECT_EQ(TagAt(list), u"changed");
    ASSERT_TRUE(list.SeekToIndex(1));
    ASSERT_TRUE(list.DeleteCurrent());
    EXPECT_EQ(list.RecordCount(), 332);
    EXPECT_EQ(AllTags(u"Other").size(), 167u);
}

}  // namespace
