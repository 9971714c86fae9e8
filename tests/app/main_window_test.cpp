// The main window against real stores: the selected test, the commands'
// messages and the changes of its list.

#include "support/list_rows.h"
#include "temp_device.h"

#include "app/vantrel_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/ui/controls.h"
#include "support/dialog_driver.h"
#include "res/resource.h"
#include "review/test_info_dlg.h"
#include "store/catalog_store.h"
#include "store/settings_store.h"
#include "store/test_record_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <string>
#include <vector>

namespace {

void AddTest(std::u16string_view user, std::u16string_view test, SystemTime date,
             std::u16string_view result = u"Value") {
    ASSERT_TRUE(AddResult(user, test, u"", date, result, u"5", u"4", u"mg/dL"));
    ASSERT_TRUE(AddResultName(test, result));  // the graph opens only for catalogued results
}

std::vector<std::u16string> Rows(CDialog& main) { return ListRows(main, CVantrelDlg::kTestList); }

int RowOf(CDialog& main, std::u16string_view text) {
    const std::vector<std::u16string> rows = Rows(main);
    const auto at = std::find(rows.begin(), rows.end(), text);
    return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
}

// Runs the main window with `script`, which the test ends by pressing Close.
void RunMainWindow(DialogDriver& driver, std::function<void(CVantrelDlg&)> script) {
    driver.Expect<CVantrelDlg>(IDD_VANTREL, [script](CVantrelDlg& d) {
        script(d);
        d.SendCommand(CVantrelDlg::kCloseButton);
    });
    CVantrelDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
    EXPECT_EQ(driver.PendingScripts(), 0u);
}

// The test names Info and Take Test hand to their dialogs; every test command
// takes its name from the same selection.
std::pair<std::u16string, std::u16string> PressTestCommands(DialogDriver& driver, CVantrelDlg& d) {
    std::pair<std::u16string, std::u16string> names;
    driver.Expect<CTestInfoDlg>(IDD_TEST_INFO, [&](CTestInfoDlg& x) {
        names.first = x.testName;
        x.EndDialog(IDCANCEL);
    });
    d.SendCommand(CVantrelDlg::kInfoButton);
    driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& x) {
        names.second = x.testName;
        EXPECT_EQ(x.userName, u"Ann");
        EXPECT_EQ(x.mode, CTakeTestDlg::kModeNew);
        x.EndDialog(IDCANCEL);
    });
    d.SendCommand(CVantrelDlg::kTakeTestButton);
    return names;
}

class MainWindowTest : public ::testing::Test {
protected:
    TempDevice device_;
    DialogDriver driver_;
};

TEST_F(MainWindowTest, CommandsActOnTheFirstSelectedTestElseTheFirstRow) {
    ASSERT_TRUE(CreateSettings(u"Ann"));
    AddTest(u"Ann", u"Cholesterol", MakeDate(2026, 5, 1));
    AddTest(u"Ann", u"Glucose", MakeDate(2026, 5, 2));
    AddTest(u"Ann", u"Iron", MakeDate(2026, 5, 3));
    AddTest(u"Bob", u"Zinc", MakeDate(2026, 5, 3));

    RunMainWindow(driver_, [&](CVantrelDlg& d) {
        std::vector<std::u16string> rows = Rows(d);
        ASSERT_EQ(rows.size(), 3u);  // only the current user's tests

        EXPECT_EQ(PressTestCommands(driver_, d), std::make_pair(rows[0], rows[0]));
        CListCtrl list(d, CVantrelDlg::kTestList);
        list.UserSelect(2);
        list.UserSelect(1, true);
        EXPECT_EQ(PressTestCommands(driver_, d), std::make_pair(rows[1], rows[1]));
        EXPECT_TRUE(driver_.Messages().empty());
        EXPECT_EQ(Rows(d), rows);  // none of them changed the list
    });
}

TEST_F(MainWindowTest, AnEmptyListAsksForATestBeforeReportGraphAndEdit) {
    RunMainWindow(driver_, [&](CVantrelDlg& d) {
        ASSERT_TRUE(Rows(d).empty());
        d.SendCommand(CVantrelDlg::kReportButton);
        d.SendCommand(CVantrelDlg::kGraphButton);
        d.SendCommand(CVantrelDlg::kEditButton);
        EXPECT_EQ(driver_.Messages(),
                  (std::vector<std::u16string>{u"Please select a test to report.",
                                               u"Please select a test to graph.",
                                               u"Please select a test to modify."}));
    });
}

// Takes a test typed into the Take Test dialog, as a person would.
void TakeTypedTest(DialogDriver& driver, CVantrelDlg& d, std::u16string_view name) {
    driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [name](CTakeTestDlg& x) {
        CComboBox(x, CTakeTestDlg::kTestNameBox).UserType(name);
        x.SendCommand(CTakeTestDlg::kOkButton);
    });
    d.SendCommand(CVantrelDlg::kTakeTestButton);
}

TEST_F(MainWindowTest, TakeTestAppendsOnlyNamesNoListedNameBeginsWith) {
    ASSERT_TRUE(CreateSettings(u"Ann"));
    AddTest(u"Ann", u"Lipid Panel", MakeDate(2026, 5, 1));
    AddTest(u"Ann", u"Potassium", MakeDate(2026, 5, 1));

    RunMainWindow(driver_, [&](CVantrelDlg& d) {
        const std::vector<std::u16string> before = Rows(d);
        ASSERT_EQ(before.size(), 2u);

        TakeTypedTest(driver_, d, u"lipid");  // the beginning of a listed name
        EXPECT_EQ(Rows(d), before);

        TakeTypedTest(driver_, d, u"Albumin");  // sorts first, but goes last
        std::vector<std::u16string> after = before;
        after.push_back(u"Albumin");
        EXPECT_EQ(Rows(d), after);

        TakeTypedTest(driver_, d, u"ALBUMIN");
        EXPECT_EQ(Rows(d), after);

        driver_.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [](CTakeTestDlg& x) {
            CComboBox(x, CTakeTestDlg::kTestNameBox).UserType(u"Zinc");
            x.SendCommand(CTakeTestDlg::kCancelButton);
        });
        d.SendCommand(CVantrelDlg::kTakeTestButton);
        EXPECT_EQ(Rows(d), after);
        EXPECT_TRUE(driver_.Messages().empty());
    });
}

// Deletes the first listed date in the Modify Test dialog; meanwhile a further
// test is stored behind the window's back, so a relisting shows.
void DeleteFirstDate(DialogDriver& driver, CVantrelDlg& d, std::u16string_view sneaked) {
    driver.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, [sneaked](CModifyTestDlg& x) {
        CListCtrl(x, CModifyTestDlg::kDateList).UserSelect(0);
        x.SendCommand(CModifyTestDlg::kDeleteButton);
        AddTest(u"Ann", sneaked, MakeDate(2026, 1, 1));
        x.SendCommand(IDOK);
    });
    d.SendCommand(CVantrelDlg::kEditButton);
}

TEST_F(MainWindowTest, EditRelistsOnlyWhenTheTestLostItsLastDate) {
    ASSERT_TRUE(CreateSettings(u"Ann"));
    AddTest(u"Ann", u"Glucose", MakeDate(2026, 5, 1));
    AddTest(u"Ann", u"Glucose", MakeDate(2026, 5, 8));
    AddTest(u"Ann", u"Iron", MakeDate(2026, 5, 1));

    RunMainWindow(driver_, [&](CVantrelDlg& d) {
        CListCtrl list(d, CVantrelDlg::kTestList);
        const std::vector<std::u16string> before = Rows(d);
        ASSERT_EQ(before.size(), 2u);

        list.UserSelect(RowOf(d, u"Glucose"));
        DeleteFirstDate(driver_, d, u"Sodium");  // one of two dates
        EXPECT_EQ(Rows(d), before);

        list.UserSelect(RowOf(d, u"Iron"));
        DeleteFirstDate(driver_, d, u"Zinc");  // its only date
        std::vector<std::u16string> rows = Rows(d);
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, (std::vector<std::u16string>{u"Glucose", u"Sodium", u"Zinc"}));
    });
}

}  // namespace
