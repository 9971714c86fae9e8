// The changes a person makes to a test of one day: what the edit shows is
// what is stored, a moved day leaves nothing behind, two takings of one day
// are joined only when asked, and each change is whole or not at all.

#include "store/test_changes.h"

#include "platform/records/record_store.h"
#include "platform/records/testing.h"
#include "store/catalog_store.h"
#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "store/test_record_layout.h"
#include "support/spoiled_record.h"
#include "support/stored_results.h"
#include "support/stored_text.h"

namespace {

using Rows = std::vector<ResultRow>;

const ResultRow kHdl{u"HDL", u"45", u"40-60", u"mg/dL"};
const ResultRow kLdl{u"LDL", u"130", u"0-99", u"mg/dL"};
const ResultRow kPotassium{u"Potassium", u"4.1", u"3.5-5.0", u"mmol/L"};

class TestChangesTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(SetTestEntry(u"Glucose", u"why", u"sugar"));  // a catalogue to teach, as after a first run
        TakenTest earlier{u"Ann", u"Panel", day1_, u"old", {kHdl, kLdl, kPotassium}};
        ASSERT_EQ(StoreTakenTest(earlier, false), TestSaved::Stored);
        TakenTest other{u"Ann", u"Iron", day1_, u"", {}};
        ASSERT_EQ(StoreTakenTest(other, false), TestSaved::Stored);
        ASSERT_TRUE(StoreResult(u"Bob", u"Panel", u"Bob's", day1_, u"HDL", u"1", u"2", u"u"));
        before_ = AllResults();
    }

    // The day as stored, with the comment every record of it carries.
    static TakenTest Day(const SystemTime& date, std::u16string_view test = u"Panel") {
        TakenTest day = ReadTakenTest(u"Ann", test, date);
        for (const TestResult& r : AllResults()) {
            if (r.user == u"Ann" && r.test == test && r.date == date) {
                EXPECT_EQ(r.comment, day.comment);
            }
        }
        return day;
    }

    const SystemTime day1_ = MakeDate(2024, 1, 5);
    const SystemTime day2_ = MakeDate(2024, 2, 10);
    std::vector<TestResult> before_;
};

TEST_F(TestChangesTest, AnEditStoresExactlyTheRowsAndCommentShown) {
    const ResultRow changedLdl{u"LDL", u"120", u"0-99", u"mg/dL"}, vldl{u"VLDL", u"30", u"5-40", u"mg/dL"};
    TakenTest edit{u"Ann", u"Panel", day1_, u"new", {changedLdl, kHdl, vldl}};  // Potassium taken out
    ASSERT_EQ(ReplaceTakenTest(u"Panel", day1_, edit, false), TestSaved::Stored);
    const TakenTest stored = Day(day1_);
    EXPECT_EQ(stored.comment, u"new");
    EXPECT_EQ(stored.results, (Rows{kHdl, changedLdl, vldl}));  // rewritten in place, the new one last

    // Every row taken out: the day stays, as a test taken without results.
    TakenTest empty{u"Ann", u"Panel", day1_, u"", {}};
    ASSERT_EQ(ReplaceTakenTest(u"Panel", day1_, empty, false), TestSaved::Stored);
    EXPECT_EQ(Day(day1_).results, Rows{});
    EXPECT_EQ(TestDates(u"Ann", u"Panel"), std::vector<SystemTime>{day1_});
    // Nobody else's records, nor the test's place among the user's tests, moved.
    EXPECT_EQ(ReadTakenTest(u"Bob", u"Panel", day1_).comment, u"Bob's");
    EXPECT_EQ(UserTests(u"Ann"), Items({u"Panel", u"Iron"}));
    // What was stored taught the catalogue the names it lacked.
    EXPECT_EQ(StoredEntry(u"Panel", u"resultname4"), u"VLDL");
    EXPECT_EQ(StoredEntry(u"Panel", u"resultvalue4"), u"5-40");  // its goal, never the value measured
    EXPECT_TRUE(KnowsResult(u"Iron", u""));
}

TEST_F(TestChangesTest, AMovedDayLeavesNothingBehindAndJoinsAHeldDayOnlyWhenAsked) {
    TakenTest moved{u"Ann", u"Panel", day2_, u"old", {kHdl, kLdl}};
    ASSERT_EQ(ReplaceTakenTest(u"Panel", day1_, moved, false), TestSaved::Stored);
    EXPECT_EQ(TestDates(u"Ann", u"Panel"), std::vector<SystemTime>{day2_});
    EXPECT_EQ(Day(day2_).results, (Rows{kHdl, kLdl}));
    EXPECT_EQ(UserTests(u"Ann"), Items({u"Panel", u"Iron"}));

    // Back onto a day that holds the test: refused until the person agrees, then joined.
    TakenTest held{u"Ann", u"Panel", day1_, u"", {kPotassium}};
    ASSERT_EQ(StoreTakenTest(held, false), TestSaved::Stored);
    const std::vector<TestResult> twoDays = AllResults();
    TakenTest back{u"Ann", u"Panel", day1_, u"joined", {kLdl, kHdl}};
    EXPECT_EQ(ReplaceTakenTest(u"Panel", day2_, back, false), TestSaved::DayHeld);
    EXPECT_EQ(AllResults(), twoDays);
    ASSERT_EQ(ReplaceTakenTest(u"Panel", day2_, back, true), TestSaved::Stored);
    EXPECT_EQ(Day(day1_).results, (Rows{kHdl, kLdl, kPotassium}));  // in the order first stored
    EXPECT_EQ(Day(day1_).comment, u"joined");
    EXPECT_EQ(TestDates(u"Ann", u"Panel"), std::vector<SystemTime>{day1_});

    // To another test: the day goes with it.
    TakenTest renamed{u"Ann", u"Lipids", day1_, u"", {kHdl}};
    ASSERT_EQ(ReplaceTakenTest(u"Panel", day1_, renamed, false), TestSaved::Stored);
    EXPECT_TRUE(TestDates(u"Ann", u"Panel").empty());
    EXPECT_EQ(Day(day1_, u"Lipids").results, Rows{kHdl});
}

TEST_F(TestChangesTest, ASecondTakingOfADayIsJoinedOnlyWhenAsked) {
    const ResultRow newerHdl{u"HDL", u"50", u"40-60", u"mg/dL"};
    TakenTest again{u"Ann", u"Panel", day1_, u"", {newerHdl}};
    EXPECT_EQ(StoreTakenTest(again, false), TestSaved::DayHeld);
    EXPECT_EQ(AllResults(), before_);
    ASSERT_EQ(StoreTakenTest(again, true), TestSaved::Stored);
    EXPECT_EQ(Day(day1_).results, (Rows{newerHdl, kLdl, kPotassium}));
    EXPECT_EQ(Day(day1_).comment, u"old");  // none typed: the day keeps its own

    // A test taken without results gets them, and one per name.
    TakenTest results{u"Ann", u"Iron", day1_, u"x", {kHdl, kLdl, newerHdl}};
    ASSERT_EQ(StoreTakenTest(results, true), TestSaved::Stored);
    EXPECT_EQ(Day(day1_, u"Iron").results, (Rows{newerHdl, kLdl}));
    EXPECT_EQ(AllResults().size(), before_.size() - 1 + 2);
}

// Days stored one after another in one change, as an import stores them: each
// joins what its day holds, and a new name is taught once, to its own test.
TEST_F(TestChangesTest, DaysJoinedInOneChangeTeachEachNameToItsOwnTest) {
    JoinContext context;
    const ResultRow vldl{u"VLDL", u"30", u"5-40", u"mg/dL"};
    std::vector<DayToJoin> days = {
        {{u"Ann", u"Panel", day1_, u"", {vldl, kHdl}}, ReadDayRecords(u"Ann", u"Panel", day1_)},
        {{u"Ann", u"Panel", day2_, u"", {{u"vldl", u"31", u"5-40", u"mg/dL"}}}},
        // A name known for another test, and a test without results, are new to the catalogue.
        {{u"Ann", u"Fresh", day1_, u"", {vldl}}, std::vector<TestResult>{}},
        {{u"Ann", u"Bare", day1_, u"", {}}, std::vector<TestResult>{}},
    };
    ASSERT_EQ(JoinTakenTests(days, context), TestSaved::Stored);
    // The caller found this day empty as "panel": the store holds it as "Panel".
    const ResultRow vldlAgain{u"vldl", u"32", u"5-40", u"mg/dL"};
    std::vector<DayToJoin> again = {{{u"Ann", u"panel", day2_, u"", {vldlAgain, kLdl}}, std::vector<TestResult>{}}};
    ASSERT_EQ(JoinTakenTests(again, context), TestSaved::Stored);
    EXPECT_EQ(Day(day2_).results, (Rows{vldlAgain, kLdl}));

    EXPECT_EQ(Day(day1_).results, (Rows{kHdl, kLdl, kPotassium, vldl}));
    EXPECT_EQ(Day(day1_).comment, u"old");
    EXPECT_EQ(StoredEntry(u"Panel", u"resultname4"), u"VLDL");
    EXPECT_EQ(StoredEntry(u"Panel", u"resultname5"), u"<missing>");
    EXPECT_TRUE(KnowsResult(u"Fresh", u"VLDL"));
    EXPECT_TRUE(KnowsResult(u"Bare", u""));
}

TEST_F(TestChangesTest, DeletingADayTakesEveryRecordOfItEvenOneThatCannotBeRead) {
    ASSERT_TRUE(StoreResult(u"Ann", u"Panel", u"", day2_, u"HDL", u"1", u"2", u"u"));
    CloseObjectStore();
    SpoilRecord(ObjectStorePath(), kTestRecordsDatabase,
                [](const std::vector<Property>& record) { return Holds(record, kPropResultName, u"LDL"); }, CutShort);
    ASSERT_TRUE(DeleteTakenTest(u"Ann", u"Panel", day1_));
    EXPECT_EQ(TestDates(u"Ann", u"Panel"), std::vector<SystemTime>{day2_});
    EXPECT_EQ(RecordCountOf(kTestRecordsDatabase), 3);  // Iron, Bob's and the other day
    EXPECT_TRUE(DeleteTakenTest(u"Ann", u"Panel", day1_));  // nothing left to delete
    SetDeviceRoot(folder_ / "empty");
    EXPECT_TRUE(DeleteTakenTest(u"Ann", u"Panel", day1_));  // nor a database
}

// A full disk half way: the store is as it was before the change.
TEST_F(TestChangesTest, EachChangeIsWholeOrNotAtAll) {
    // To a test the catalogue lacks, with a result it lacks: the marker goes in, the name does not.
    TakenTest edit{u"Ann", u"Fresh", day2_, u"new", {kHdl, {u"Typed", u"1", u"2", u"u"}}};
    RefuseStoreAddsAfterForTesting(2);
    EXPECT_EQ(ReplaceTakenTest(u"Panel", day1_, edit, false), TestSaved::Failed);
    RefuseStoreAddsAfterForTesting(1);  // the count and number go in, the result catalogue's name does not
    EXPECT_FALSE(TeachResultName(u"Panel", u"VLDL", u"1", u"u"));
    TakenTest taken{u"Ann", u"Panel", day2_, u"", {kHdl, kLdl}};
    RefuseStoreAddsAfterForTesting(1);  // the first result goes in, the second does not
    EXPECT_EQ(StoreTakenTest(taken, false), TestSaved::Failed);
    SetStoreWriteFailureForTesting(true);
    EXPECT_FALSE(DeleteTakenTest(u"Ann", u"Panel", day1_));
    SetStoreWriteFailureForTesting(false);
    EXPECT_EQ(AllResults(), before_);
    EXPECT_FALSE(KnowsResult(u"Fresh", u""));
    EXPECT_EQ(StoredEntry(u"Panel", u"number of results"), u"3");
    EXPECT_EQ(StoredEntry(u"Panel", u"resultname4"), u"<missing>");
}

}  // namespace
