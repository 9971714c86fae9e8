// The patient store: names as keys, updates in place, the readings and the age.

#include "store/patient_store.h"

#include "store/store_fixture.h"
#include "store/store_test_helpers.h"

namespace {

class PatientStoreTest : public StoreFixture {
protected:
    SystemTime birth_ = [] {
        SystemTime t = MakeDate(1980, 6, 1);
        t.hour = 7;
        t.minute = 45;
        t.second = 12;
        return t;
    }();
};

TEST_F(PatientStoreTest, AddingAStoredNameRewritesItsRecordInPlace) {
    ASSERT_TRUE(AddPatient(u"Dana", u"Female", birth_, u"30", u"Bar"));
    ASSERT_TRUE(AddPatient(u"Eve", u"Female", birth_, u"0", u"Bar"));
    SystemTime later = MakeDate(1990, 2, 3);
    ASSERT_TRUE(AddPatient(u"Dana", u"Male", later, u"-2", u"Line"));
    EXPECT_EQ(RecordCountOf(kPatientsDatabase), 2);
    std::u16string sex, type;
    ASSERT_TRUE(GetPatientSex(u"Dana", sex));
    ASSERT_TRUE(GetGraphType(u"Dana", type));
    EXPECT_EQ(sex, u"Male");
    EXPECT_EQ(type, u"Line");
    EXPECT_EQ(GetGraphPeriod(u"Dana"), -2);
    SystemTime read = GetBirthdate(u"Dana");
    EXPECT_EQ(read.year, 1990);
    EXPECT_EQ(read.day, 3);

    // Graph preferences change only those two.
    ASSERT_TRUE(SetGraphPreferences(u"Eve", u"365", u"Line"));
    EXPECT_EQ(GetGraphPeriod(u"Eve"), 365);
    ASSERT_TRUE(GetGraphType(u"Eve", type));
    EXPECT_EQ(type, u"Line");
    ASSERT_TRUE(GetPatientSex(u"Eve", sex));
    EXPECT_EQ(sex, u"Female");
    SystemTime kept = GetBirthdate(u"Eve");
    EXPECT_EQ(kept.hour, 7);  // birthdates keep their time of day
    EXPECT_EQ(kept.minute, 45);
    EXPECT_EQ(kept.second, 12);
    EXPECT_EQ(kept.dayOfWeek, 0);  // 1 June 1980 was a Sunday
    EXPECT_FALSE(SetGraphPreferences(u"eve", u"7", u"Bar"));
    EXPECT_EQ(GetGraphPeriod(u"Eve"), 365);
    EXPECT_EQ(RecordCountOf(kPatientsDatabase), 2);

    // A birthdate that is no date is refused, not stored as nonsense.
    EXPECT_FALSE(AddPatient(u"Fay", u"", MakeDate(2023, 2, 30), u"0", u"Bar"));
    EXPECT_EQ(FindPatient(u"Fay"), -1);
}

TEST_F(PatientStoreTest, AgeIsWholeYearsOf365Days) {
    ASSERT_TRUE(AddPatient(u"Year", u"", DaysBeforeNow(366), u"0", u"Bar"));
    ASSERT_TRUE(AddPatient(u"Almost", u"", DaysBeforeNow(364), u"0", u"Bar"));
    ASSERT_TRUE(AddPatient(u"Forty", u"", DaysBeforeNow(14601), u"0", u"Bar"));
    ASSERT_TRUE(AddPatient(u"Newborn", u"", DaysBeforeNow(0, 60), u"0", u"Bar"));
    EXPECT_EQ(GetPatientAge(u"Year"), 1);
    EXPECT_EQ(GetPatientAge(u"Almost"), 0);
    // Forty 365-day years, though with the leap days the 40th birthday is still ahead.
    EXPECT_EQ(GetPatientAge(u"Forty"), 40);
    EXPECT_EQ(GetPatientAge(u"Newborn"), 0);
}

TEST(SexChoice, TakesFemaleOrMaleInAnyCaseAndNothingElse) {
    EXPECT_EQ(SexChoice(u"female"), u"Female");
    EXPECT_EQ(SexChoice(u"MALE"), u"Male");
    EXPECT_EQ(SexChoice(u""), u"");
    EXPECT_FALSE(SexChoice(u"F"));
    EXPECT_FALSE(SexChoice(u"Femal"));
}

}  // namespace
