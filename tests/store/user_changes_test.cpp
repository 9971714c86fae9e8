// A user as a whole: renamed with everything that is theirs, deleted with
// their tests, and the current user always one who is stored.

#include "store/user_changes.h"

#include "platform/records/testing.h"
#include "platform/text.h"
#include "store/settings_store.h"
#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "support/stored_results.h"
#include "support/stored_text.h"

namespace {

class UserChangesTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(AddPatient(u"Ann", u"Female", birth_, u"90", u"Line"));
        ASSERT_TRUE(AddPatient(u"Bob", u"Male", birth_, u"0", u"Bar"));
        ASSERT_TRUE(StoreResult(u"Ann", u"Iron", u"tired", MakeDate(2024, 1, 5), u"Ferritin", u"20", u"12-150", u"ng"));
        ASSERT_TRUE(StoreResult(u"Ann", u"Iron", u"", MakeDate(2024, 2, 5), u"Ferritin", u"30", u"12-150", u"ng"));
        ASSERT_TRUE(StoreResult(u"Ann", u"Glucose", u"", MakeDate(2024, 2, 5), u"", u"", u"", u""));
        ASSERT_TRUE(StoreResult(u"Zed", u"Iron", u"", MakeDate(2024, 2, 5), u"Ferritin", u"1", u"2", u"u"));
        ASSERT_TRUE(CreateSettings(u"Ann"));
    }

    const SystemTime birth_ = MakeDate(1980, 6, 1);
};

TEST_F(UserChangesTest, ARenamedUserTakesEveryTestAndStaysCurrent) {
    std::vector<TestResult> expected = AllResults();
    for (TestResult& r : expected)
        if (r.user == u"Ann") r.user = u"Anna";
    Patient anna = *ReadPatient(u"Ann");
    anna.name = u"Anna";
    anna.sex = u"Male";
    ASSERT_EQ(ChangeUser(u"Ann", anna), UserChanged::Done);
    EXPECT_FALSE(HasPatient(u"Ann"));
    EXPECT_EQ(ReadPatient(u"Anna")->graphPeriod, u"90");  // the graph choices too
    EXPECT_EQ(StoredSex(u"Anna"), u"Male");
    EXPECT_EQ(AllResults(), expected);
    EXPECT_EQ(UserTests(u"Anna"), Items({u"Iron", u"Glucose"}));
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Anna");

    // Onto another user's name, in any letter case, nothing changes.
    for (const char16_t* taken : {u"bob", u"ZED"}) {
        Patient onto = anna;
        onto.name = taken;
        EXPECT_EQ(ChangeUser(u"Anna", onto), UserChanged::NameTaken) << TextToUtf8(taken);
    }
    EXPECT_EQ(AllResults(), expected);
    EXPECT_EQ(RecordCountOf(kPatientsDatabase), 2);
    // Its own name in other letter case is no other user's.
    anna.name = u"ANNA";
    EXPECT_EQ(ChangeUser(u"Anna", anna), UserChanged::Done);
    EXPECT_EQ(UserTests(u"ANNA").size(), 2u);

    // Half done on a full disk is never kept.
    anna.name = u"Cleo";
    RefuseStoreAddsAfterForTesting(0);
    EXPECT_EQ(ChangeUser(u"ANNA", anna), UserChanged::Failed);
    SetStoreWriteFailureForTesting(false);
    EXPECT_TRUE(HasPatient(u"ANNA"));
    EXPECT_EQ(UserTests(u"ANNA").size(), 2u);
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"ANNA");

    // So is a deletion: the user and every test stay.
    SetStoreWriteFailureForTesting(true);
    EXPECT_FALSE(DeleteUser(u"ANNA"));
    SetStoreWriteFailureForTesting(false);
    EXPECT_TRUE(HasPatient(u"ANNA"));
    EXPECT_EQ(UserTests(u"ANNA").size(), 2u);
}

// Adding never writes over a stored user's sex, birthdate and graph choices.
TEST_F(UserChangesTest, ANewUserNeverTakesAStoredName) {
    Patient added{u"Ann", u"Male", birth_, u"0", u"Bar"};
    for (const char16_t* taken : {u"Ann", u"ann", u"BOB", u"zed"}) {
        added.name = taken;
        EXPECT_EQ(AddUser(added), UserChanged::NameTaken) << TextToUtf8(taken);
    }
    EXPECT_EQ(StoredSex(u"Ann"), u"Female");
    EXPECT_EQ(ReadPatient(u"Ann")->graphPeriod, u"90");
    // A user with tests alone is given the patient record they lack.
    added.name = u"Zed";
    EXPECT_EQ(AddUser(added), UserChanged::Done);
    EXPECT_EQ(StoredSex(u"Zed"), u"Male");
    added.name = u"Cleo";
    EXPECT_EQ(AddUser(added), UserChanged::Done);
    EXPECT_EQ(RecordCountOf(kPatientsDatabase), 4);
}

// A name differing from another in letter case only is another user, whom
// an earlier version or an import may have stored.
TEST_F(UserChangesTest, DeletingAUserTakesTheirTestsOnlyAndMakesTheNextOneCurrent) {
    ASSERT_TRUE(AddPatient(u"ANN", u"", birth_, u"0", u"Bar"));
    ASSERT_TRUE(StoreResult(u"ANN", u"Zinc", u"", MakeDate(2024, 2, 5), u"", u"", u"", u""));
    ASSERT_TRUE(DeleteUser(u"Bob"));  // not the current user: the setting stays
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Ann");
    ASSERT_TRUE(DeleteUser(u"Ann"));
    EXPECT_FALSE(HasPatient(u"Ann"));
    EXPECT_EQ(ReadPatient(u"ANN")->name, u"ANN");
    EXPECT_EQ(UserTests(u"ANN"), Items({u"Zinc"}));
    EXPECT_EQ(AllResults().size(), 2u);  // ANN's and Zed's
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"ANN");
    ASSERT_TRUE(DeleteUser(u"ANN"));
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"");  // no patient is left
    ASSERT_TRUE(AddPatient(u"Cleo", u"", birth_, u"0", u"Bar"));
    ASSERT_TRUE(MakeCurrentUser(u"Cleo"));
    ASSERT_TRUE(AddPatient(u"Dee", u"", birth_, u"0", u"Bar"));
    ASSERT_TRUE(DeleteUser(u"Cleo"));
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Dee");
}

// A setting left naming nobody (by an earlier version, or by hand) is settled at start.
TEST_F(UserChangesTest, TheCurrentUserIsAlwaysAStoredOne) {
    EXPECT_EQ(SettledCurrentUser(), u"Ann");
    ASSERT_TRUE(MakeCurrentUser(u"Zed"));  // tests, but no patient record: a user still
    EXPECT_EQ(SettledCurrentUser(), u"Zed");
    ASSERT_TRUE(MakeCurrentUser(u"Ghost"));
    EXPECT_EQ(SettledCurrentUser(), u"Ann");
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Ann");
}

// The settings keep one record per key, reached ignoring the key's case.
TEST_F(StoreFixture, SettingsKeepOneRecordPerKeyFoundIgnoringCase) {
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"<missing>");  // no database: left as it was
    ASSERT_TRUE(CreateSettings(u"Ann"));
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Ann");
    SetSetting(kCurrentUserKey, u"Bob");
    SetSetting(u"currentuser", u"Cy");
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    EXPECT_EQ(StoredSetting(u"CURRENTUSER"), u"Cy");
    // Making the settings again does not add a second record for the key.
    ASSERT_TRUE(CreateSettings(u"Dee"));
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Dee");
}

}  // namespace
