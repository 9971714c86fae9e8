// The patient store: names as keys, updates in place, the readings and the age.

#include "store/patient_store.h"

#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "support/stored_text.h"

namespace {

class PatientStoreTest : public StoreFixture {
protected:
    const SystemTime birth_{1980, 6, 0, 1, 7, 45, 12, 0};  // 1 June 1980 was a Sunday
};

TEST_F(PatientStoreTest, AddingAStoredNameRewritesItsRecordInPlace) {
    ASSERT_TRUE(AddPatient(u"Dana", u"Female", birth_, u"30", u"Bar"));
    ASSERT_TRUE(AddPatient(u"Eve", u"Female", birth_, u"0", u"Bar"));
    const SystemTime later{1990, 2, 6, 3, 0, 0, 0, 0};  // a Saturday
    ASSERT_TRUE(AddPatient(u"Dana", u"Male", later, u"-2", u"Line"));
    EXPECT_EQ(RecordCountOf(kPatientsDatabase), 2);
    EXPECT_EQ(StoredSex(u"Dana"), u"Male");
    EXPECT_EQ(StoredGraphType(u"Dana"), u"Line");
    EXPECT_EQ(GetGraphPeriod(u"Dana"), -2);
    EXPECT_EQ(GetBirthdate(u"Dana"), later);

    // Graph preferences change only those two.
    ASSERT_TRUE(SetGraphPreferences(u"Eve", u"365", u"Line"));
    EXPECT_EQ(GetGraphPeriod(u"Eve"), 365);
    EXPECT_EQ(StoredGraphType(u"Eve"), u"Line");
    EXPECT_EQ(StoredSex(u"Eve"), u"Female");
    EXPECT_EQ(GetBirthdate(u"Eve"), birth_);  // with its time of day, and Sunday as its weekday
    EXPECT_FALSE(SetGraphPreferences(u"eve", u"7", u"Bar"));
    EXPECT_EQ(GetGraphPeriod(u"Eve"), 365);
    EXPECT_EQ(RecordCountOf(kPatientsDatabase), 2);

    // A birthdate that is no date is refused, not stored as nonsense.
    EXPECT_FALSE(AddPatient(u"Fay", u"", MakeDate(2023, 2, 30), u"0", u"Bar"));
    EXPECT_FALSE(HasPatient(u"Fay"));
}

TEST_F(PatientStoreTest, AgeIsWholeYearsOf365Days) {
    // 14601 days are forty 365-day years, though with the leap days the 40th birthday is still ahead.
    for (const auto& [days, age] : {std::pair{366, 1}, {364, 0}, {14601, 40}, {0, 0}}) {
        ASSERT_TRUE(AddPatient(u"Pat", u"", DaysBeforeNow(days, days == 0 ? 60 : 0), u"0", u"Bar"));
        EXPECT_EQ(GetPatientAge(u"Pat"), age) << days;
    }
}

TEST(SexChoice, TakesFemaleOrMaleInAnyCaseAndNothingElse) {
    EXPECT_EQ(SexChoice(u"female"), u"Female");
    EXPECT_EQ(SexChoice(u"MALE"), u"Male");
    EXPECT_EQ(SexChoice(u""), u"");
    EXPECT_FALSE(SexChoice(u"F"));
    EXPECT_FALSE(SexChoice(u"Femal"));
}

}  // namespace
