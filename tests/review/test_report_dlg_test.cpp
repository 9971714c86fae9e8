#include "review/test_info_dlg.h"
#include "review/test_report_dlg.h"

#include "support/dialog_driver.h"
#include "res/resource.h"
#include "review/report_text.h"
#include "store/patient_store.h"
#include "review_fixture.h"
#include "support/list_rows.h"

#include <QTest>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace {

class TestReportDlgTest : public ReviewTest {
protected:
    void SetUp() override {
        ReviewTest::SetUp();
        ASSERT_TRUE(AddPatient(u"Ann", u"Female", SystemTime{1989, 6, 0, 1, 8, 0, 0, 0}, u"7", u"Bar"));
        Store(u"Ann", u"Glucose", MakeDate(2003, 10, 2), u"Glucose", u"120", u"70-100", u"mg/dL");
        Store(u"Ann", u"Glucose", MakeDate(2004, 1, 5), u"Glucose", u"95", u"70-100", u"mg/dL", u"New year");
        Store(u"Ann", u"Glucose", MakeDate(2003, 9, 30), u"Glucose", u"60", u"70-100", u"mg/dL");
    }
    int Open(std::u16string_view user, std::u16string_view test, std::function<void(CTestReportDlg&)> script) {
        driver.Expect<CTestReportDlg>(IDD_TEST_REPORT, script);
        CTestReportDlg dialog;
        dialog.userName = std::u16string(user);
        dialog.testName = std::u16string(test);
        const int result = dialog.DoModal();
        EXPECT_TRUE(driver.Failures().empty());
        EXPECT_EQ(driver.PendingScripts(), 0u);
        return result;
    }
    static std::vector<std::u16string> Rows(CTestReportDlg& d) { return ListRows(d, 1006); }
    DialogDriver driver;
};

// The days newest first, whatever order they were taken in or sort as text.
TEST_F(TestReportDlgTest, ReportsTheNewestDayAndRebuildsOnAChoice) {
    Open(u"Ann", u"Glucose", [](CTestReportDlg& d) {
        CComboBox dates{d, 1009};
        ASSERT_EQ(dates.GetCount(), 3);
        EXPECT_EQ(dates.SelectedText(), u"1/5/2004");
        EXPECT_EQ(dates.GetLBText(1), u"10/2/2003");
        EXPECT_EQ(dates.GetLBText(2), u"9/30/2003");
        EXPECT_EQ(Rows(d), (std::vector<std::u16string>{u"Test Results:",
                                                        u"Glucose: 95 mg/dL [Goal: 70-100 mg/dL]",
                                                        u"Comments:", u"New year"}));
        CListCtrl list{d, 1006};
        EXPECT_EQ(list.GetItemImage(0), kReportHeading);
        EXPECT_EQ(list.GetItemImage(1), kReportAtGoal);

        dates.UserChoose(1);
        EXPECT_EQ(Rows(d), (std::vector<std::u16string>{u"Test Results:",
                                                        u"Glucose: 120 mg/dL [Goal: 70-100 mg/dL]"}));
        EXPECT_EQ(list.GetItemImage(1), kReportAboveGoal);
        dates.UserChoose(1);  // the same day again: unchanged
        EXPECT_EQ(Rows(d).size(), 2u);
        dates.UserChoose(2);
        EXPECT_EQ(list.GetItemImage(1), kReportBelowGoal);

        // Typed text names no day: an empty report.
        dates.UserType(u"1/5/2004");
        d.SendCommand(1009, kNotifySelectionConfirmed);
        EXPECT_TRUE(Rows(d).empty());
        d.SendCommand(IDOK);
    });
}

// Test Info is on its button, by click or Enter; Escape closes the report
// and opens nothing.
TEST_F(TestReportDlgTest, TestInfoStaysOnItsButtonAndEscapeCloses) {
    int infoShown = 0;
    const int result = Open(u"Ann", u"Glucose", [&](CTestReportDlg& d) {
        for (int i = 0; i < 2; ++i) {
            driver.Expect<CTestInfoDlg>(IDD_TEST_INFO, [&](CTestInfoDlg& info) {
                ++infoShown;
                EXPECT_EQ(info.testName, u"Glucose");
                info.SendCommand(CTestInfoDlg::kExitButton);
            });
        }
        QWidget* testInfo = d.ControlWidget(CTestReportDlg::kTestInfoButton);
        QTest::mouseClick(testInfo, Qt::LeftButton);
        testInfo->setFocus();
        QTest::keyClick(testInfo, Qt::Key_Return);
        EXPECT_FALSE(d.IsEnded());
        QTest::keyClick(d.ControlWidget(CTestReportDlg::kDateBox), Qt::Key_Escape);
    });
    EXPECT_EQ(infoShown, 2);
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
