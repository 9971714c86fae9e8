// The main window against real stores: the selected test, the commands'
// messages, and a heading and list that always show a stored user's tests.

#include "support/list_rows.h"
#include "support/screen.h"
#include "support/stored_results.h"
#include "temp_device.h"

#include "app/vantrel_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/records/testing.h"
#include "platform/ui/controls.h"
#include "res/resource.h"
#include "review/test_info_dlg.h"
#include "store/patient_store.h"
#include "store/settings_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Texts = std::vector<std::u16string>;
using Names = std::pair<std::u16string, std::u16string>;

void AddTest(std::u16string_view user, std::u16string_view test, SystemTime date) {
    ASSERT_TRUE(StoreResult(user, test, u"", date, u"Value", u"5", u"4", u"mg/dL"));
}

Texts Rows(CDialog& main) { return ListRows(main, CVantrelDlg::kTestList); }

std::u16string Heading(CDialog& main) { return RecordPaint(main).texts.front().text; }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AddPatient(u"Ann", u"Female", MakeDate(1970, 1, 1), u"0", u"Bar"));
        ASSERT_TRUE(CreateSettings(u"Ann"));
    }

    // Runs the main window with `script`, which the test ends by pressing Close.
    void Run(std::function<void(CVantrelDlg&)> script) {
        CVantrelDlg dlg;
        EXPECT_EQ(driver_.Run<CVantrelDlg>(dlg, [script](CVantrelDlg& d) {
            script(d);
            ClickOn(d, CVantrelDlg::kCloseButton);
        }), IDOK);
    }

    // The test names Info and Take Test hand to their dialogs.
    Names PressTestCommands(CVantrelDlg& d) {
        Names names;
        driver_.Expect<CTestInfoDlg>(IDD_TEST_INFO, [&](CTestInfoDlg& x) {
            names.first = x.testName;
            x.EndDialog(IDCANCEL);
        });
        ClickOn(d, CVantrelDlg::kInfoButton);
        driver_.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& x) {
            names.second = x.testName;
            EXPECT_EQ(x.userName, u"Ann");
            x.EndDialog(IDCANCEL);
        });
        ClickOn(d, CVantrelDlg::kTakeTestButton);
        return names;
    }

    // Takes a test typed into the Take Test dialog, as a person would.
    void TakeTypedTest(CVantrelDlg& d, std::u16string_view name) {
        driver_.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [name](CTakeTestDlg& x) {
            TypeInto(x, CTakeTestDlg::kTestNameBox, QString::fromStdU16String(std::u16string(name)));
            ClickOn(x, CTakeTestDlg::kOkButton);
        });
        ClickOn(d, CVantrelDlg::kTakeTestButton);
    }

    TempDevice device_;
    ScriptedRuns driver_;
};

TEST_F(MainWindowTest, CommandsActOnTheFirstSelectedTestElseTheFirstRow) {
    for (const char16_t* test : {u"Cholesterol", u"Glucose", u"Iron"}) AddTest(u"Ann", test, MakeDate(2026, 5, 1));
    AddTest(u"Bob", u"Zinc", MakeDate(2026, 5, 3));
    Run([&](CVantrelDlg& d) {
        EXPECT_EQ(Rows(d), (Texts{u"Cholesterol", u"Glucose", u"Iron"}));  // only the current user's
        EXPECT_EQ(PressTestCommands(d), Names(u"Cholesterol", u"Cholesterol"));
        CListCtrl list(d, CVantrelDlg::kTestList);
        list.UserSelect(2);
        list.UserSelect(1, true);
        EXPECT_EQ(PressTestCommands(d), Names(u"Glucose", u"Glucose"));
        EXPECT_TRUE(driver_.Messages().empty());
    });
}

// The list shows at once what Take Test and Edit changed: a new name last,
// whatever it begins or ends (no listed name hides another), and a test that
// lost its last day gone.
TEST_F(MainWindowTest, TheListShowsWhatTakeTestAndEditChangedAtOnce) {
    AddTest(u"Ann", u"Iron Studies", MakeDate(2026, 5, 1));
    AddTest(u"Ann", u"Glucose", MakeDate(2026, 5, 1));
    Run([&](CVantrelDlg& d) {
        CListCtrl list(d, CVantrelDlg::kTestList);
        ClickRow(d, CVantrelDlg::kTestList, 0);
        TakeTypedTest(d, u"Iron");
        TakeTypedTest(d, u"Albumin");
        EXPECT_EQ(Rows(d), (Texts{u"Iron Studies", u"Glucose", u"Iron", u"Albumin"}));
        EXPECT_EQ(list.GetFirstSelectedItem(), 0);  // kept
        ClickRow(d, CVantrelDlg::kTestList, 1);
        driver_.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, [this](CModifyTestDlg& x) {
            ClickRow(x, CModifyTestDlg::kDateList, 0);
            driver_.AnswerNextQuestion(true);
            ClickOn(x, CModifyTestDlg::kDeleteButton);
            ClickOn(x, CModifyTestDlg::kCloseButton);
        });
        ClickOn(d, CVantrelDlg::kEditButton);
        EXPECT_EQ(Rows(d), (Texts{u"Iron Studies", u"Iron", u"Albumin"}));
    });
}

// A switch shows the new user at once; one the store cannot record keeps the
// current user. Deleting the current user, then Cancel: the next stored user,
// or none, and a list that asks for a test or a user.
TEST_F(MainWindowTest, TheHeadingAndListNeverShowAUserWhoIsNotStored) {
    ASSERT_TRUE(AddPatient(u"Bob", u"Male", MakeDate(1970, 1, 1), u"0", u"Bar"));
    AddTest(u"Ann", u"Iron", MakeDate(2026, 5, 1));
    AddTest(u"Bob", u"Zinc", MakeDate(2026, 5, 1));
    const auto switchUser = [this](CVantrelDlg& d, bool deleteCurrent, bool diskFull = false) {
        driver_.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [&](CSwitchUserDlg& x) {
            const int current = CListBox(x, CSwitchUserDlg::kUserList).FindStringExact(-1, x.userName);
            ClickRow(x, CSwitchUserDlg::kUserList, deleteCurrent ? current : 1 - current);
            if (deleteCurrent) driver_.AnswerNextQuestion(true);
            SetStoreWriteFailureForTesting(diskFull);  // the switch is stored as the window closes
            ClickOn(x, deleteCurrent ? CSwitchUserDlg::kDeleteButton : CSwitchUserDlg::kOkButton);
            if (!x.IsEnded()) ClickOn(x, CSwitchUserDlg::kCancelButton);
        });
        ClickOn(d, CVantrelDlg::kSwitchUserButton);
        SetStoreWriteFailureForTesting(false);
    };
    Run([&](CVantrelDlg& d) {
        switchUser(d, false, true);
        EXPECT_EQ(driver_.Messages(),
                  Texts{u"Could not switch to this user. Check that there is space on the disk and try again."});
        EXPECT_EQ(Heading(d), u"Tests for Ann");
        EXPECT_EQ(Rows(d), Texts{u"Iron"});
        switchUser(d, false);
        EXPECT_EQ(Heading(d), u"Tests for Bob");
        EXPECT_EQ(Rows(d), Texts{u"Zinc"});
        switchUser(d, true);
        EXPECT_EQ(Heading(d), u"Tests for Ann");
        EXPECT_EQ(Rows(d), Texts{u"Iron"});
        switchUser(d, true);
        EXPECT_EQ(Heading(d), u"Tests for (no user)");
        EXPECT_TRUE(Rows(d).empty());
        driver_.ClearMessages();
        for (const int button : {CVantrelDlg::kReportButton, CVantrelDlg::kGraphButton, CVantrelDlg::kEditButton,
                                 CVantrelDlg::kTakeTestButton})
            ClickOn(d, button);
        EXPECT_EQ(driver_.Messages(),
                  (Texts{u"Please select a test to report.", u"Please select a test to graph.",
                         u"Please select a test to modify.", u"Please add a user in Switch User first."}));
    });
}

}  // namespace
