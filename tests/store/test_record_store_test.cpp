// The test record store: records per result, deleting, the number readings,
// the listing rules and the period filter.

#include "store/test_record_store.h"

#include "platform/device.h"
#include "platform/memory_listing.h"
#include "platform/record_store.h"
#include "platform/text.h"

#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "support/spoiled_record.h"

#include <tuple>

namespace {

class TestRecordStoreTest : public StoreFixture {
protected:
    const SystemTime day1_ = MakeDate(2024, 1, 5);
    const SystemTime day2_ = MakeDate(2024, 2, 10);

    static bool Add(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                    std::u16string_view result, std::u16string_view value, std::u16string_view goal = u"70-100") {
        return AddResult(user, test, u"fasting", date, result, value, goal, u"mg/dL");
    }

    static std::vector<std::u16string> Results(std::u16string_view user, std::u16string_view test,
                                               const SystemTime& date) {
        std::vector<std::u16string> rows;
        for (const ResultRow& r : ListTestResults(user, test, date).rows)
            rows.push_back(FormatResultRow(r.name, r.value, r.goal, r.unit));
        return rows;
    }
};

TEST_F(TestRecordStoreTest, StoringAResultAgainUpdatesItsRecord) {
    EXPECT_EQ(FindTestRecord(u"Ann", u"Lipids", day1_), -1);  // no database yet
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"HDL", u"40"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"LDL", u"130"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"HDL", u"45", u"40-60"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"LDL", u"120"));
    EXPECT_EQ(RecordCountOf(kTestRecordsDatabase), 2);
    EXPECT_EQ(Results(u"Ann", u"Lipids", day1_),
              Items({u"HDL [ 45 vs 40-60 ] mg/dL", u"LDL [ 120 vs 70-100 ] mg/dL"}));
    // Another date, or another result name, is a record of its own.
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day2_, u"HDL", u"50"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"hdl", u"1"));
    EXPECT_EQ(RecordCountOf(kTestRecordsDatabase), 4);
    EXPECT_EQ(FindResultRecord(u"Ann", u"Lipids", u"LDL", day1_), 1);
    EXPECT_EQ(FindTestRecord(u"Ann", u"Lipids", day2_), 2);
    EXPECT_EQ(FindTestRecord(u"Ann", u"lipids", day1_), -1);
    // A date given with a time of day is another moment.
    SystemTime noon = day1_;
    noon.hour = 12;
    EXPECT_EQ(FindTestRecord(u"Ann", u"Lipids", noon), -1);
    EXPECT_FALSE(AddResult(u"Ann", u"Lipids", u"", MakeDate(2024, 2, 30), u"HDL", u"1", u"", u""));
}

TEST_F(TestRecordStoreTest, DeletingATestTakesEveryRecordOfThatDateOnly) {
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"HDL", u"40"));
    ASSERT_TRUE(AddResult(u"Ann", u"Lipids", u"", day1_, u"", u"", u"", u""));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"LDL", u"130"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day2_, u"HDL", u"41"));
    ASSERT_TRUE(Add(u"Bob", u"Lipids", day1_, u"HDL", u"42"));
    ASSERT_TRUE(Add(u"Ann", u"Glucose", day1_, u"Glucose", u"90"));
    // One of them cannot be read: it goes with the date, which would stay listed otherwise.
    CloseObjectStore();
    SpoilRecord(ObjectStorePath(), kTestRecordsDatabase,
                [](const std::vector<Property>& record) { return Holds(record, kPropResultName, u"LDL"); }, CutShort);

    ASSERT_TRUE(DeleteTest(u"Ann", u"Lipids", day1_));
    EXPECT_EQ(RecordCountOf(kTestRecordsDatabase), 3);
    MemoryListing dates;
    ListTestDates(u"Ann", u"Lipids", dates);
    EXPECT_EQ(dates.Items().size(), 1u);
    EXPECT_EQ(FindTestRecord(u"Ann", u"Lipids", day1_), -1);
    EXPECT_NE(FindTestRecord(u"Ann", u"Lipids", day2_), -1);
    EXPECT_NE(FindTestRecord(u"Bob", u"Lipids", day1_), -1);
    EXPECT_NE(FindTestRecord(u"Ann", u"Glucose", day1_), -1);
    EXPECT_TRUE(DeleteTest(u"Ann", u"Lipids", day1_));  // nothing left to delete
}

TEST_F(TestRecordStoreTest, ReadsValuesAndGoalsAsWholeNumbers) {
    ASSERT_TRUE(Add(u"Ann", u"Panel", day1_, u"A", u"12.5", u"5"));
    ASSERT_TRUE(Add(u"Ann", u"Panel", day1_, u"B", u"high", u"70-100"));
    ASSERT_TRUE(Add(u"Ann", u"Panel", day1_, u"C", u"-3", u""));
    ASSERT_TRUE(Add(u"Ann", u"Panel", day1_, u"D", u" 7", u"-5"));
    const struct {
        const char16_t* result;
        int value, low, high;
    } cases[] = {{u"A", 12, 5, 5}, {u"B", 0, 70, 100}, {u"C", -3, 0, 0}, {u"D", 7, 0, 5},
                 {u"E", -1, -1, -99}};  // no such result: the high end is left as it was
    for (const auto& c : cases) {
        int high = -99;
        EXPECT_EQ(GetResultValue(u"Ann", u"Panel", c.result, day1_), c.value) << TextToUtf8(c.result);
        EXPECT_EQ(GetGoalRange(u"Ann", u"Panel", c.result, day1_, high), c.low) << TextToUtf8(c.result);
        EXPECT_EQ(high, c.high) << TextToUtf8(c.result);
    }
}

TEST_F(TestRecordStoreTest, ListsTestNamesUnderThePrefixRule) {
    // Ann's pass meets "ABC Panel" first, Bob's meets "ABC" first.
    for (const auto& [user, test, date] : {std::tuple{u"Ann", u"ABC Panel", day1_}, {u"Ann", u"ABC", day1_},
                                           {u"Ann", u"ABC Panel", day2_}, {u"Bob", u"ABC", day1_},
                                           {u"Bob", u"abc panel", day1_}, {u"Bob", u"Lipids", day1_},
                                           {u"bob", u"Other", day1_}})
        ASSERT_TRUE(Add(user, test, date, u"x", u"1"));
    MemoryListing ann, bob;
    ListUserTests(u"Ann", ann);
    ListUserTests(u"Bob", bob);
    EXPECT_EQ(ann.Items(), Items({u"ABC Panel"}));
    EXPECT_EQ(bob.Items(), Items({u"ABC", u"abc panel", u"Lipids"}));
}

TEST_F(TestRecordStoreTest, ListsDatesExactlyInABoxAndByPrefixInAView) {
    SystemTime far = MakeDate(20040, 1, 1);  // its text begins with that of 1/1/2004
    ASSERT_TRUE(Add(u"Ann", u"Lipids", far, u"HDL", u"1"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", MakeDate(2004, 1, 1), u"HDL", u"1"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", MakeDate(2004, 1, 1), u"LDL", u"1"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day2_, u"HDL", u"1"));
    ASSERT_TRUE(Add(u"Ann", u"lipids", day1_, u"HDL", u"1"));
    MemoryListing box(true), view;
    ListTestDates(u"Ann", u"Lipids", box);
    ListTestDatesInView(u"Ann", u"Lipids", view);
    EXPECT_EQ(box.Items(), Items({u"1/1/2004", u"1/1/20040", u"2/10/2024"}));
    EXPECT_EQ(view.Items(), Items({u"1/1/20040", u"2/10/2024"}));
}

TEST_F(TestRecordStoreTest, ListsTheResultsOfOneDateAsRows) {
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"HDL", u"40"));
    ASSERT_TRUE(AddResult(u"Ann", u"Lipids", u"", day1_, u"", u"", u"", u""));
    ASSERT_TRUE(AddResult(u"Ann", u"Lipids", u"", day1_, u"", u"", u"", u"mg"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day2_, u"HDL", u"41"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"LDL", u"130"));
    SystemTime withTime = day1_;
    withTime.hour = 9;  // the time of day is not compared
    EXPECT_EQ(Results(u"Ann", u"Lipids", withTime),
              Items({u"HDL [ 40 vs 70-100 ] mg/dL", u" [  vs  ] mg", u"LDL [ 130 vs 70-100 ] mg/dL"}));
    EXPECT_TRUE(Results(u"Ann", u"Lipids", MakeDate(2024, 1, 6)).empty());
    EXPECT_TRUE(Results(u"ann", u"Lipids", day1_).empty());
    EXPECT_EQ(ListTestResults(u"Ann", u"Lipids", day1_).comment, u"fasting");  // the last record's
}

// A period counts whole days back; a date after today is within every one.
TEST_F(TestRecordStoreTest, APeriodAdmitsItsDaysAndLaterOnesAndANegativeOneAdmitsEvery) {
    for (int period : {0, 7}) {
        SCOPED_TRACE(period);
        EXPECT_TRUE(IsWithinPeriod(DateDaysBeforeNow(-3), period));
        EXPECT_TRUE(IsWithinPeriod(DateDaysBeforeNow(period), period));
        EXPECT_FALSE(IsWithinPeriod(DateDaysBeforeNow(period + 1), period));
    }
    EXPECT_TRUE(IsWithinPeriod(DateDaysBeforeNow(10000), -2));
}

TEST_F(TestRecordStoreTest, CollectsDatesWithinThePeriodAndWithinTheCapacity) {
    for (int days : {40, 3, 20, 8, 7, 0, 100})
        ASSERT_TRUE(Add(u"Ann", u"Glucose", DateDaysBeforeNow(days), u"Glucose", IntToText(days)));
    ASSERT_TRUE(Add(u"Ann", u"Glucose", DateDaysBeforeNow(1), u"Other", u"1"));
    ASSERT_TRUE(Add(u"ann", u"Glucose", DateDaysBeforeNow(1), u"Glucose", u"1"));

    SystemTime out[10];
    // The first dates collected are those `days` before now, in that order.
    const auto expectDates = [this, &out](std::vector<int> days) {
        for (std::size_t i = 0; i < days.size(); ++i)
            EXPECT_EQ(DateText(out[i]), DateText(DateDaysBeforeNow(days[i]))) << i;
    };
    ASSERT_EQ(CollectResultDates(u"Ann", u"Glucose", u"Glucose", 7, out, 10), 3);
    expectDates({3, 7, 0});  // in record order
    EXPECT_EQ(CollectResultDates(u"Ann", u"Glucose", u"Glucose", 0, out, 10), 1);
    EXPECT_EQ(CollectResultDates(u"Ann", u"Glucose", u"Glucose", -2, out, 10), 7);
    EXPECT_EQ(CollectResultDates(u"Ann", u"Glucose", u"glucose", -2, out, 10), 0);

    // More than fit: the most recent stay, in record order, and nothing is written past the room.
    SystemTime sentinel = MakeDate(1999, 9, 9);
    for (SystemTime& slot : out) slot = sentinel;
    ASSERT_EQ(CollectResultDates(u"Ann", u"Glucose", u"Glucose", -2, out, 4), 4);
    expectDates({3, 8, 7, 0});
    for (int i = 4; i < 10; ++i) EXPECT_EQ(out[i], sentinel);
    EXPECT_EQ(CollectResultDates(u"Ann", u"Glucose", u"Glucose", -2, out, 0), 0);
    expectDates({3});
}

}  // namespace
