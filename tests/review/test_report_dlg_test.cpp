#include "review/test_info_dlg.h"
#include "review/test_report_dlg.h"

#include "res/resource.h"
#include "review/report_text.h"
#include "platform/text.h"
#include "store/patient_store.h"
#include "review_fixture.h"
#include "support/desktop_locale.h"
#include "support/list_rows.h"
#include "support/screen.h"

#include <QAccessible>
#include <QComboBox>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// Whether the icon's room at the start of `row` is all white.
bool Blank(const QImage& image, const QRect& row, const QSize& icon) {
    const qreal ratio = image.devicePixelRatio();
    for (int x = row.left(); x < row.left() + icon.width(); ++x)
        for (int y = row.top(); y < row.top() + std::min(icon.height(), row.height()); ++y)
            if (image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio)) != Qt::white) return false;
    return true;
}

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
        CTestReportDlg dialog;
        dialog.userName = std::u16string(user);
        dialog.testName = std::u16string(test);
        return driver.Run(dialog, std::move(script));
    }
    static std::vector<std::u16string> Rows(CTestReportDlg& d) { return ListRows(d, CTestReportDlg::kReportList); }
    ScriptedRuns driver;
};

// The days newest first, whatever order they were taken in or sort as text.
TEST_F(TestReportDlgTest, ReportsTheNewestDayAndRebuildsOnAChoice) {
    Open(u"Ann", u"Glucose", [this](CTestReportDlg& d) {
        CComboBox dates{d, CTestReportDlg::kDateBox};
        EXPECT_EQ((std::vector<std::u16string>{dates.GetLBText(0), dates.GetLBText(1), dates.GetLBText(2)}),
                  (std::vector<std::u16string>{u"1/5/2004", u"10/2/2003", u"9/30/2003"}));
        EXPECT_EQ(dates.SelectedText(), u"1/5/2004");
        EXPECT_EQ(Rows(d), (std::vector<std::u16string>{u"Test Results:", u"Glucose: 95 mg/dL [Goal: 70-100 mg/dL]",
                                                        u"Comments:", u"New year"}));
        for (int again = 0; again < 2; ++again) {  // the same day twice: listed once
            dates.UserChoose(1);
            EXPECT_EQ(Rows(d), (std::vector<std::u16string>{u"Test Results:",
                                                            u"Glucose: 120 mg/dL [Goal: 70-100 mg/dL]"}));
        }
        // Typed text names no day: an empty report.
        dates.UserType(u"1/5/2004");
        d.SendCommand(CTestReportDlg::kDateBox, kNotifySelectionConfirmed);
        EXPECT_TRUE(Rows(d).empty());
        // Test Info is on its button (Escape, which opens nothing, is the walk's).
        driver.Expect<CTestInfoDlg>(IDD_TEST_INFO, [](CTestInfoDlg& info) {
            EXPECT_EQ(info.testName, u"Glucose");
            info.SendCommand(CTestInfoDlg::kExitButton);
        });
        QTest::mouseClick(d.ControlWidget(CTestReportDlg::kTestInfoButton), Qt::LeftButton);
        d.SendCommand(IDOK);
    });
}

// A value is judged only when the whole of it is a number, written the way the
// desktop's language writes numbers (or plainly); one that is none has no icon
// and says so to a screen reader. Every day's report starts at its top.
TEST_F(TestReportDlgTest, JudgesWholeNumbersInTheDesktopsLanguageAndStartsAtTheTop) {
    const SystemTime older = MakeDate(2004, 2, 1), newer = MakeDate(2004, 2, 2);
    Store(u"Ann", u"Panel", older, u"A1c", u"5,4", u"5,7", u"%");
    Store(u"Ann", u"Panel", older, u"Creatinine", u"0,8", u"0.6-1.1", u"mg/dL");
    Store(u"Ann", u"Panel", older, u"Ketones", u"12 (repeat)", u"0-5", u"mg/dL");
    for (int i = 0; i < 30; ++i) Store(u"Ann", u"Panel", newer, u"R" + IntToText(i), u"1", u"1", u"g");
    const auto accessible = [](CTestReportDlg& d, int row) {
        return QAccessible::queryAccessibleInterface(d.ControlWidget(CTestReportDlg::kReportList))
            ->child(row)
            ->text(QAccessible::Name)
            .toStdString();
    };
    for (const QLocale::Language language : {QLocale::German, QLocale::English}) {
        const DesktopLocale desktop(language);
        const bool german = language == QLocale::German;
        Open(u"Ann", u"Panel", [&](CTestReportDlg& d) {
            auto* list = qobject_cast<QListWidget*>(d.ControlWidget(CTestReportDlg::kReportList));
            list->setFocus();
            QTest::keyClick(list, Qt::Key_End);
            ASSERT_GT(list->verticalScrollBar()->value(), 0);
            QComboBox* dates = qobject_cast<QComboBox*>(d.ControlWidget(CTestReportDlg::kDateBox));
            dates->setFocus();
            QTest::keyClick(dates, Qt::Key_Down);  // the older day, chosen by key
            ASSERT_EQ(Rows(d).size(), 4u);
            EXPECT_EQ(list->verticalScrollBar()->value(), 0);
            CListCtrl rows{d, CTestReportDlg::kReportList};
            EXPECT_EQ(rows.GetItemImage(1), german ? kReportBelowGoal : kReportNoVerdict);  // 5,4 vs 5,7
            EXPECT_EQ(rows.GetItemImage(2), german ? kReportAtGoal : kReportNoVerdict);     // 0,8 vs 0.6-1.1
            EXPECT_EQ(rows.GetItemImage(3), kReportNoVerdict);
            EXPECT_EQ(accessible(d, 1), german ? "A1c: 5,4 % [Goal: 5,7 %], below goal"
                                               : "A1c: 5,4 % [Goal: 5,7 %], no goal comparison");
            EXPECT_EQ(accessible(d, 3), "Ketones: 12 (repeat) mg/dL [Goal: 0-5 mg/dL], no goal comparison");
            // A judged row shows its icon, the others the blank room of one.
            const QImage shot = d.Widget()->grab().toImage();
            const auto room = [&](int row) {
                const QRect rect = list->visualItemRect(list->item(row));
                return QRect(list->viewport()->mapTo(d.Widget(), rect.topLeft()), rect.size());
            };
            EXPECT_EQ(Blank(shot, room(1), list->iconSize()), !german);
            EXPECT_TRUE(Blank(shot, room(3), list->iconSize()));
            d.SendCommand(IDOK);
        });
    }
}

}  // namespace
