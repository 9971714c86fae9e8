#include "entry/goal_for_sex.h"

#include "entry_fixture.h"
#include "store/patient_store.h"

namespace {

using GoalForSex = EntryTest;

TEST(SplitGoalChoices, SplitsAtTheFirstBracketPair) {
    GoalChoices both = SplitGoalChoices(u"40[50]");
    EXPECT_EQ(both.general, u"40");
    EXPECT_EQ(both.female, u"50");

    both = SplitGoalChoices(u"4.0-5.9[3.8-5.2]extra]");
    EXPECT_EQ(both.general, u"4.0-5.9");
    EXPECT_EQ(both.female, u"3.8-5.2");

    // Without a closing bracket the female value runs to the end.
    both = SplitGoalChoices(u"40[50");
    EXPECT_EQ(both.general, u"40");
    EXPECT_EQ(both.female, u"50");

    both = SplitGoalChoices(u"100");
    EXPECT_EQ(both.general, u"100");
    EXPECT_EQ(both.female, u"100");
}

TEST_F(GoalForSex, OnlyAStoredFemaleTakesTheFemaleGoal) {
    AddUsers();
    AddPatient(u"Cy", u"", kBirthdate, u"0", u"Bar");
    AddPatient(u"Di", u"female", kBirthdate, u"0", u"Bar");
    const GoalChoices choices{u"40", u"50"};
    EXPECT_EQ(GoalForUser(u"Ann", choices), u"50");
    EXPECT_EQ(GoalForUser(u"Bob", choices), u"40");
    EXPECT_EQ(GoalForUser(u"Cy", choices), u"40");
    EXPECT_EQ(GoalForUser(u"Di", choices), u"40");       // the comparison keeps letter case
    EXPECT_EQ(GoalForUser(u"Nobody", choices), u"40");
    EXPECT_EQ(GoalForUser(u"ann", choices), u"40");      // another user than Ann
}

}  // namespace
