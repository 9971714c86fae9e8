// The main window against real stores: the selected test, the commands'
// messages, and a heading and list that always show a stored user's tests.

#include "support/list_rows.h"
#include "support/stored_results.h"
#include "temp_device.h"

#include "app/vantrel_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/records/testing.h"
#include "platform/ui/controls.h"
#include "support/dialog_driver.h"
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
        driver_.Expect<CVantrelDlg>(IDD_VANTREL, [script](CVantrelDlg& d) {
            script(d);
            d.SendCommand(CVantrelDlg::kCloseButton);
        });
        CVantrelDlg dlg;
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingScripts(), 0u);
    }

    // The test names Info and Take Test hand to their dialogs.
    Names PressTestCommands(CVantrelDlg& d) {
        Names names;
        driver_.Expect<CTestInfoDlg>(IDD_TEST_INFO, [&](CTestInfoDlg& x) {
            names.first = x.testName;
            x.EndDialog(IDCANCEL);
        });
        d.SendCommand(CVantrelDlg::kInfoButton);
        driver_.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& x) {
            names.second = x.testName;
            EXPECT_EQ(x.userName, u"Ann");
            x.EndDialog(IDCANCEL);
        });
        d.SendCommand(CVantrelDlg::kTakeTestButton);
        return names;
    }

    // Takes a test typed into the Take Test dialog, as a person would.
    void TakeTypedTest(CVantrelDlg& d, std::u16string_view name) {
        driver_.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [name](CTakeTestDlg& x) {
            CComboBox(x, CTakeTestDlg::kTestNameBox).UserType(name);
            x.SendCommand(CTakeTestDlg::kOkButton);
        });
        d.SendCommand(CVantrelDlg::kTakeTestButton);
    }

    TempDevice device_;
    DialogDriver driver_;
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

TEST_F(MainWindowTest, AnEmptyListAsksForATestBeforeReportGraphAndEdit) {
    Run([&](CVantrelDlg& d) {
        ASSERT_TRUE(Rows(d).empty());
        d.SendCommand(CVantrelDlg::kReportButton);
        d.SendCommand(CVantrelDlg::kGraphButton);
        d.SendCommand(CVantrelDlg::kEditButton);
        EXPECT_EQ(driver_.Messages(), (Texts{u"Please select a test to report.", u"Please select a test to graph.",
                                             u"Please select a test to modify."}));
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
        list.UserSelect(0);
        TakeTypedTest(d, u"Iron");
        TakeTypedTest(d, u"Albumin");
        EXPECT_EQ(Rows(d), (Texts{u"Iron Studies", u"Glucose", u"Iron", u"Albumin"}));
        EXPECT_EQ(list.GetFirstSelectedItem(), 0);  // kept
        list.UserSelect(1);
        driver_.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, [this](CModifyTestDlg& x) {
            CListCtrl(x, CModifyTestDlg::kDateList).UserSelect(0);
            driver_.AnswerNextQuestion(true);
            x.SendCommand(CModifyTestDlg::kDeleteButton);
            x.SendCommand(IDOK);
        });
        d.SendCommand(CVantrelDlg::kEditButton);
        EXPECT_EQ(Rows(d), (Texts{u"Iron Studies", u"Iron", u"Albumin"}));
    });
}

// Deleting the current user in Switch User, then Cancel: the next stored user, or none.
TEST_F(MainWindowTest, TheHeadingAndListNeverShowAUserWhoIsNotStored) {
    ASSERT_TRUE(AddPatient(u"Bob", u"Male", MakeDate(1970, 1, 1), u"0", u"Bar"));
    AddTest(u"Ann", u"Iron", MakeDate(2026, 5, 1));
    AddTest(u"Bob", u"Zinc", MakeDate(2026, 5, 1));
    const auto deleteCurrent = [this](CVantrelDlg& d) {
        driver_.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [this](CSwitchUserDlg& x) {
            CListBox users(x, CSwitchUserDlg::kUserList);
            users.UserSelect(users.FindStringExact(-1, x.userName));
            driver_.AnswerNextQuestion(true);
            x.SendCommand(CSwitchUserDlg::kDeleteButton);
            x.SendCommand(CSwitchUserDlg::kCancelButton);
        });
        d.SendCommand(CVantrelDlg::kSwitchUserButton);
    };
    Run([&](CVantrelDlg& d) {
        // A switch the store cannot record keeps the current user's heading and tests.
        driver_.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [](CSwitchUserDlg& x) {
            CListBox(x, CSwitchUserDlg::kUserList).UserSelect(1);
            SetStoreWriteFailureForTesting(true);
            x.SendCommand(CSwitchUserDlg::kOkButton);
        });
        d.SendCommand(CVantrelDlg::kSwitchUserButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver_.Messages().back(),
                  u"Could not switch to this user. Check that there is space on the disk and try again.");
        EXPECT_EQ(Heading(d), u"Tests for Ann");
        EXPECT_EQ(Rows(d), Texts{u"Iron"});
        deleteCurrent(d);
        EXPECT_EQ(Heading(d), u"Tests for Bob");
        EXPECT_EQ(Rows(d), Texts{u"Zinc"});
        deleteCurrent(d);
        EXPECT_EQ(Heading(d), u"Tests for (no user)");
        EXPECT_TRUE(Rows(d).empty());
        d.SendCommand(CVantrelDlg::kTakeTestButton);
        EXPECT_EQ(driver_.Messages().back(), u"Please add a user in Switch User first.");
    });
}

}  // namespace
