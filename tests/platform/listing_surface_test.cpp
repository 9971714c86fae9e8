// The in-memory listing the stores list into.

#include "platform/memory_listing.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryListingTest, SortsOrAppendsAndSearchesIgnoringCase) {
    MemoryListing sorted(true);
    EXPECT_EQ(sorted.AddItem(u"pear"), 0);
    EXPECT_EQ(sorted.AddItem(u"Apple"), 0);
    EXPECT_EQ(sorted.AddItem(u"banana"), 1);
    EXPECT_EQ(sorted.AddItem(u"Zucchini"), 3);
    EXPECT_EQ(sorted.Items(), (std::vector<std::u16string>{u"Apple", u"banana", u"pear", u"Zucchini"}));
    EXPECT_EQ(sorted.FindExact(u"BANANA"), 1);
    EXPECT_EQ(sorted.FindExact(u"banan"), -1);
    EXPECT_EQ(sorted.FindPrefix(u"ZUC"), 3);
    EXPECT_EQ(sorted.FindPrefix(u"x"), -1);

    MemoryListing list;
    EXPECT_FALSE(list.Sorted());
    list.AddItem(u"ABC Panel");
    EXPECT_EQ(list.AddItem(u"ABC"), 1);
    EXPECT_EQ(list.FindPrefix(u"abc"), 0);
    EXPECT_EQ(list.FindExact(u"abc"), 1);
    EXPECT_EQ(list.FindExact(u"Ä"), -1);
    list.AddItem(u"ä");
    EXPECT_EQ(list.FindExact(u"Ä"), 2);
}

}  // namespace
