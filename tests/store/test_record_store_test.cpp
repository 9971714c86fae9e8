// Reading tests back: every test name and day listed, days newest first, a
// day's results and comment, a result's values over a period.

#include "store/test_record_store.h"

#include "platform/text.h"
#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "store/user_changes.h"
#include "support/stored_results.h"

#include <tuple>

namespace {

class TestRecordReadTest : public StoreFixture {
protected:
    static bool Add(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                    std::u16string_view result, std::u16string_view value = u"1") {
        return StoreResult(user, test, u"fasting", date, result, value, u"70-100", u"mg/dL");
    }
};

// No listed name may hide another: "Iron" stored after "Iron Studies" is listed too.
TEST_F(TestRecordReadTest, ListsEveryTestNameOnceInTheOrderFirstStored) {
    EXPECT_TRUE(UserTests(u"Ann").empty());  // no database yet
    for (const auto& [user, test, date] :
         {std::tuple{u"Ann", u"Iron Studies", MakeDate(2024, 1, 5)}, {u"Ann", u"Iron", MakeDate(2024, 1, 6)},
          {u"Ann", u"Iron Studies", MakeDate(2024, 2, 5)}, {u"Ann", u"ABC", MakeDate(2024, 1, 5)},
          {u"ann", u"Other", MakeDate(2024, 1, 5)}, {u"Ann", u"iron", MakeDate(2024, 3, 5)}})
        ASSERT_TRUE(Add(user, test, date, u"x"));
    // "iron" was stored as the user's "Iron": one test never splits by letter case.
    EXPECT_EQ(UserTests(u"Ann"), Items({u"Iron Studies", u"Iron", u"ABC"}));
    EXPECT_EQ(UserTests(u"ann"), Items({u"Other"}));
    EXPECT_EQ(CountTests(u"Ann"), 5);
}

// A test on one day counts once however many results it has; a test taken
// without results counts as a test but not as a result.
TEST_F(TestRecordReadTest, TalliesEachUsersTestsAndResultsWithoutReadingARecord) {
    EXPECT_TRUE(TallyTestRecords().empty());  // no database yet
    ASSERT_TRUE(Add(u"Ann", u"Lipids", MakeDate(2024, 1, 5), u"HDL"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", MakeDate(2024, 1, 5), u"LDL"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", MakeDate(2024, 2, 5), u"HDL"));
    ASSERT_TRUE(Add(u"ann", u"Iron", MakeDate(2024, 1, 5), u""));
    ASSERT_TRUE(Add(u"Ann", u"Iron", MakeDate(2024, 1, 5), u"Ferritin"));
    std::vector<std::tuple<std::u16string, int, int>> tallies;
    for (const UserTally& tally : TallyTestRecords()) tallies.emplace_back(tally.user, tally.tests, tally.results);
    EXPECT_EQ(tallies, (std::vector<std::tuple<std::u16string, int, int>>{{u"Ann", 3, 4}, {u"ann", 1, 0}}));
    EXPECT_EQ(CountTests(u"Ann"), 3);
}

TEST_F(TestRecordReadTest, ListsEveryDayNewestFirst) {
    SystemTime far = MakeDate(20040, 1, 1);  // its text begins with that of 1/1/2004
    for (const SystemTime& date : {MakeDate(2026, 9, 15), far, MakeDate(2004, 1, 1), MakeDate(2026, 12, 7),
                                   MakeDate(2004, 1, 1), MakeDate(2026, 9, 15)})
        ASSERT_TRUE(Add(u"Ann", u"Lipids", date, u"HDL"));
    EXPECT_EQ(StoredDates(u"Ann", u"Lipids"), Items({u"1/1/20040", u"12/7/2026", u"9/15/2026", u"1/1/2004"}));
}

TEST_F(TestRecordReadTest, ReadsOneDayWithItsCommentAndEveryResult) {
    const SystemTime day = MakeDate(2024, 1, 5);
    ASSERT_TRUE(StoreResult(u"Ann", u"Lipids", u"", day, u"", u"", u"", u"mg (note)"));  // only a unit
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day, u"HDL", u"40"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", MakeDate(2024, 1, 6), u"HDL", u"41"));
    SystemTime withTime = day;
    withTime.hour = 9;  // the time of day is not compared
    const TakenTest taken = ReadTakenTest(u"Ann", u"Lipids", withTime);
    EXPECT_EQ(taken.comment, u"fasting");
    EXPECT_EQ(taken.results,
              (std::vector<ResultRow>{{u"", u"", u"", u"mg (note)"}, {u"HDL", u"40", u"70-100", u"mg/dL"}}));
    EXPECT_TRUE(ReadTakenTest(u"ann", u"Lipids", day).results.empty());
}

// A period counts whole days back; a date after today is within every one;
// a negative period admits every day.
TEST_F(TestRecordReadTest, AResultsValuesComeOldestFirstWithinThePeriodTheMostRecentKept) {
    for (int days : {40, 3, 20, 8, 7, 0, 100, 1, -3})
        ASSERT_TRUE(Add(u"Ann", u"Glucose", DateDaysBeforeNow(days), u"Glucose", IntToText(days)));
    ASSERT_TRUE(Add(u"Ann", u"Glucose", DateDaysBeforeNow(1), u"Other"));
    ASSERT_TRUE(Add(u"ann", u"Glucose", DateDaysBeforeNow(1), u"Glucose"));
    const auto values = [](int period, std::size_t most) {
        std::vector<std::u16string> texts;
        for (const TestResult& r : ResultValues(u"Ann", u"Glucose", u"Glucose", period, most)) texts.push_back(r.value);
        return texts;
    };
    EXPECT_EQ(values(7, 60), Items({u"7", u"3", u"1", u"0", u"-3"}));
    EXPECT_EQ(values(0, 60), Items({u"0", u"-3"}));
    EXPECT_EQ(values(-2, 60), Items({u"100", u"40", u"20", u"8", u"7", u"3", u"1", u"0", u"-3"}));
    EXPECT_EQ(values(-2, 4), Items({u"3", u"1", u"0", u"-3"}));
    EXPECT_TRUE(values(-2, 0).empty());
    EXPECT_TRUE(ResultValues(u"Ann", u"Glucose", u"glucose", -2, 60).empty());
}

// Whatever the windows hand over, each text is stored cut to the bound: a
// character whose halves straddle it goes whole, one just inside stays.
TEST_F(TestRecordReadTest, LongTextsAreStoredCutToTheBoundNeverInsideACharacter) {
    const std::u16string smile = u"\U0001F600";
    const auto straddling = [&](char16_t fill) { return std::u16string(kTextMax - 1, fill) + smile + u"tail"; };
    const auto endingInPair = [&](char16_t fill) { return std::u16string(kTextMax - 2, fill) + smile + u"tail"; };
    const auto cut = [](char16_t fill) { return std::u16string(kTextMax - 1, fill); };
    const auto kept = [&](char16_t fill) { return std::u16string(kTextMax - 2, fill) + smile; };
    ASSERT_EQ(AddUser({straddling(u'u'), u"", MakeDate(1980, 1, 1)}), UserChanged::Done);
    EXPECT_TRUE(HasPatient(cut(u'u')));
    const SystemTime day = MakeDate(2024, 1, 5);
    TakenTest taken{straddling(u'u'), endingInPair(u't'), day, straddling(u'c'),
                    {{straddling(u'n'), endingInPair(u'v'), straddling(u'g'), endingInPair(u'e')}}};
    ASSERT_EQ(StoreTakenTest(taken, false), TestSaved::Stored);
    EXPECT_EQ(AllResults(), (std::vector<TestResult>{{cut(u'u'), kept(u't'), day, cut(u'n'), kept(u'v'), cut(u'g'),
                                                      kept(u'e'), cut(u'c')}}));
}

}  // namespace
