#include "entry/goal_for_sex.h"

#include "entry_fixture.h"
#include "store/patient_store.h"

namespace {

using GoalForSex = EntryTest;

TEST(SplitGoalChoices, SplitsAtTheFirstBracketPair) {
    const struct {
        std::u16string_view text, general, female;
    } cases[] = {{u"40[50]", u"40", u"50"},
                 {u"4.0-5.9[3.8-5.2]extra]", u"4.0-5.9", u"3.8-5.2"},
                 {u"40[50", u"40", u"50"},  // without a closing bracket: to the end
                 {u"100", u"100", u"100"}};
    for (const auto& c : cases) {
        const GoalChoices both = SplitGoalChoices(c.text);
        EXPECT_EQ(both.general, c.general);
        EXPECT_EQ(both.female, c.female);
    }
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
