// The test and result catalogues: test names matched ignoring case, keys and
// result-catalogue names exactly, entries in the order they were added.

#include "store/catalog_store.h"

#include "platform/records/record_store.h"
#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "support/stored_text.h"

namespace {

class CatalogStoreTest : public StoreFixture {};

TEST_F(CatalogStoreTest, FindsEntriesByTestNameIgnoringCaseAndByExactKey) {
    EXPECT_EQ(StoredEntry(u"CBC", u"why"), u"<missing>");  // no catalogue yet
    ASSERT_TRUE(SetTestEntry(u"CBC", u"why", u"Counts the cells."));
    ASSERT_TRUE(SetTestEntry(u"Lipids", u"why", u"Fats."));
    ASSERT_TRUE(SetTestEntry(u"CBC", u"how", u"A blood sample."));
    EXPECT_EQ(StoredEntry(u"cbc", u"how"), u"A blood sample.");
    EXPECT_EQ(StoredEntry(u"CBC", u"How"), u"<missing>");  // not found, and left as it was
    EXPECT_EQ(StoredEntry(u"CB", u"how"), u"<missing>");

    // Setting a stored pair replaces its text; a new pair adds a record.
    ASSERT_TRUE(SetTestEntry(u"cBc", u"why", u"Counts blood cells."));
    EXPECT_EQ(RecordCountOf(kTestCatalogDatabase), 3);
    EXPECT_EQ(StoredEntry(u"CBC", u"why"), u"Counts blood cells.");
    ASSERT_TRUE(SetTestEntry(u"CBC", u"When", u"Yearly."));
    EXPECT_EQ(RecordCountOf(kTestCatalogDatabase), 4);
}

TEST_F(CatalogStoreTest, ListsTestsAndResultNamesAsTheBoxesNeedThem) {
    MemoryListing empty(true);
    ListResultTests(empty);
    EXPECT_EQ(ListResultNames(u"CBC", empty), 0);
    EXPECT_TRUE(empty.Items().empty());
    EXPECT_FALSE(PropertyDatabase::Exists(kResultCatalogDatabase));

    // An empty name is a marker: the test is known, without results.
    for (const auto& [test, name] : {std::pair{u"CBC", u"WBC"}, {u"Lipids", u"HDL"}, {u"CBC", u"RBC"},
                                     {u"cbc", u"Platelets"}, {u"CBC", u"wbc"}, {u"CBC", u"Hemoglobin"},
                                     {u"Urine", u""}, {u"CBC", u""}})
        ASSERT_TRUE(AddResultName(test, name));

    MemoryListing tests(true);
    ListResultTests(tests);
    EXPECT_EQ(tests.Items(), Items({u"CBC", u"Lipids", u"Urine"}));

    // Names come in the order added; the test name must match exactly; a name
    // differing only in case counts once; markers give no name.
    MemoryListing names;
    EXPECT_EQ(ListResultNames(u"CBC", names), 3);
    EXPECT_EQ(names.Items(), Items({u"WBC", u"RBC", u"Hemoglobin"}));
    EXPECT_EQ(ListResultNames(u"CBC", names), 0);  // all already in the box
    MemoryListing lower, urine;
    EXPECT_EQ(ListResultNames(u"cbc", lower), 1);
    EXPECT_EQ(lower.Items(), Items({u"Platelets"}));
    EXPECT_EQ(ListResultNames(u"Urine", urine), 0);
}

// A name the test has, in any letter case, gets no second number: the
// numbers after it would no longer match the places Add Test Result reads.
// Before a first run's import there is no test catalogue to make: the name alone is kept.
TEST_F(CatalogStoreTest, TeachingNumbersEachNewNameOnce) {
    ASSERT_TRUE(TeachResultName(u"CBC", u"WBC", u"5", u"K/uL"));
    EXPECT_FALSE(PropertyDatabase::Exists(kTestCatalogDatabase));
    EXPECT_TRUE(KnowsResult(u"cbc", u"wbc"));
    ASSERT_TRUE(SetTestEntry(u"CBC", u"why", u"Counts the cells."));
    ASSERT_TRUE(TeachResultName(u"CBC", u"RBC", u"4", u"M/uL"));
    ASSERT_TRUE(TeachResultName(u"CBC", u"rbc", u"9", u"x"));
    EXPECT_EQ(StoredEntry(u"CBC", u"number of results"), u"1");
    EXPECT_EQ(StoredEntry(u"CBC", u"resultname1"), u"RBC");
    // Several at once are numbered on from the count, in order.
    ASSERT_TRUE(TeachResultNames(u"cbc", {{u"Hct", u"44", u"40", u"%"}, {u"Plt", u"", u"300", u"K/uL"}}));
    EXPECT_EQ(StoredEntry(u"CBC", u"number of results"), u"3");
    EXPECT_EQ(StoredEntry(u"CBC", u"resultname2"), u"Hct");
    EXPECT_EQ(StoredEntry(u"CBC", u"resultvalue2"), u"40");
    EXPECT_EQ(StoredEntry(u"CBC", u"resultunit3"), u"K/uL");
    EXPECT_TRUE(KnowsResult(u"CBC", u"plt"));
}

}  // namespace
