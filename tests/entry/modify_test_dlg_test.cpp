#include "entry/modify_test_dlg.h"

#include "entry/take_test_dlg.h"
#include "entry_fixture.h"
#include "platform/records/testing.h"
#include "res/resource.h"
#include "support/list_rows.h"

#include <QListWidget>

namespace {

using Texts = std::vector<std::u16string>;

const ResultRow kPotassium{u"Potassium", u"4.1", u"3.5-5.0", u"mmol/L"};
const ResultRow kHdl{u"HDL", u"45", u"50", u"mg/dL"};
const ResultRow kLdl{u"LDL", u"110", u"100", u"mg/dL"};

class ModifyTestDlgTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        WriteCatalogue();
        using Day = std::pair<SystemTime, std::vector<ResultRow>>;
        for (const auto& [date, rows] : {Day{MakeDate(2004, 9, 15), {kPotassium, kHdl, kLdl}},
                                         Day{MakeDate(2004, 12, 7), {kHdl}}, Day{MakeDate(2004, 1, 5), {kHdl}}}) {
            TakenTest taken{u"Ann", u"Lipid Panel", date, u"old", rows};
            ASSERT_EQ(StoreTakenTest(taken, false), TestSaved::Stored);
        }
        dlg.userName = u"Ann";
        dlg.testName = u"Lipid Panel";
    }

    int Run(std::function<void(CModifyTestDlg&)> script) { return driver.Run(dlg, std::move(script)); }

    // Opens the Take Test edit of the listed `row`, which `script` ends.
    void Edit(CModifyTestDlg& d, int row, std::function<void(CTakeTestDlg&)> script) {
        ClickRow(d, CModifyTestDlg::kDateList, row);
        driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, std::move(script));
        ClickOn(d, CModifyTestDlg::kEditButton);
    }

    static Texts Listed(CDialog& d) { return ListRows(d, CModifyTestDlg::kDateList); }
    static Texts Dates() { return StoredDates(u"Ann", u"Lipid Panel"); }

    CModifyTestDlg dlg;
};

// Removed rows go and a moved day shows at once; onto a day that holds the
// test, No keeps Take Test open with nothing changed and Yes joins them.
TEST_F(ModifyTestDlgTest, EditsAndAddsShowInTheListAtOnce) {
    const int result = Run([this](CModifyTestDlg& d) {
        EXPECT_EQ(Listed(d), (Texts{u"12/7/2004", u"9/15/2004", u"1/5/2004"}));  // newest first
        d.SendCommand(CModifyTestDlg::kEditButton);
        EXPECT_EQ(driver.Messages(), Texts{u"Pease choose a date to modify"});
        Edit(d, 1, [](CTakeTestDlg& t) {
            EXPECT_EQ(t.testDate, MakeDate(2004, 9, 15));
            ClickOn(t, CTakeTestDlg::kDeleteButton);  // nothing selected: the first row, Potassium
            TypeInto(t, CTakeTestDlg::kCommentEdit, QStringLiteral("new"));
            CDateTimeCtrl(t, CTakeTestDlg::kDatePicker).UserSetDate(2004, 9, 16);
            ClickOn(t, CTakeTestDlg::kOkButton);
        });
        EXPECT_EQ(Listed(d), (Texts{u"12/7/2004", u"9/16/2004", u"1/5/2004"}));
        Edit(d, 0, [&](CTakeTestDlg& t) {
            CDateTimeCtrl(t, CTakeTestDlg::kDatePicker).UserSetDate(2004, 1, 5);
            ClickOn(t, CTakeTestDlg::kOkButton);
            EXPECT_EQ(driver.Messages().back(),
                      u"Lipid Panel already has results on 1/5/2004. Add these results to them?");
            EXPECT_FALSE(t.IsEnded());
            EXPECT_EQ(Dates().size(), 3u);
            driver.AnswerNextQuestion(true);
            ClickOn(t, CTakeTestDlg::kOkButton);
        });
        EXPECT_EQ(Listed(d), (Texts{u"9/16/2004", u"1/5/2004"}));
        driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [](CTakeTestDlg& t) {
            EXPECT_EQ(t.mode, CTakeTestDlg::kModeAddDate);
            CDateTimeCtrl(t, CTakeTestDlg::kDatePicker).UserSetDate(2004, 10, 1);
            t.SendCommand(CTakeTestDlg::kOkButton);  // no results
        });
        d.SendCommand(CModifyTestDlg::kAddButton);
        EXPECT_EQ(Listed(d), (Texts{u"10/1/2004", u"9/16/2004", u"1/5/2004"}));
        ClickOn(d, IDOK);  // Close
    });
    EXPECT_EQ(result, IDOK);
    const TakenTest moved = ReadTakenTest(u"Ann", u"Lipid Panel", MakeDate(2004, 9, 16));
    EXPECT_EQ(moved.results, (std::vector<ResultRow>{kHdl, kLdl}));
    EXPECT_EQ(moved.comment, u"new");  // every record's, as the store's own tests check
    EXPECT_EQ(ReadTakenTest(u"Ann", u"Lipid Panel", MakeDate(2004, 1, 5)).results, std::vector<ResultRow>{kHdl});
    EXPECT_EQ(Dates(), (Texts{u"10/1/2004", u"9/16/2004", u"1/5/2004"}));
}

TEST_F(ModifyTestDlgTest, DeleteAsksAndTheSafeAnswerKeepsTheDay) {
    const std::u16string asked = u"Delete the results of Lipid Panel on 12/7/2004?";
    Run([&](CModifyTestDlg& d) {
        d.SendCommand(CModifyTestDlg::kDeleteButton);
        EXPECT_EQ(driver.Messages(), Texts{u"Pease choose a date to delete"});
        ClickRow(d, CModifyTestDlg::kDateList, 0);
        ClickOn(d, CModifyTestDlg::kDeleteButton);
        EXPECT_EQ(driver.Messages().back(), asked);
        EXPECT_EQ(Listed(d).size(), 3u);
        // On a full disk: said, and the day stays listed.
        driver.AnswerNextQuestion(true);
        SetStoreWriteFailureForTesting(true);
        ClickOn(d, CModifyTestDlg::kDeleteButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver.Messages().back(),
                  u"Could not delete this date. Check that there is space on the disk and try again.");
        EXPECT_EQ(Listed(d).size(), 3u);
        ClickRow(d, CModifyTestDlg::kDateList, 0);
        driver.AnswerNextQuestion(true);
        ClickOn(d, CModifyTestDlg::kDeleteButton);
        EXPECT_EQ(Listed(d), (Texts{u"9/15/2004", u"1/5/2004"}));
        ClickOn(d, IDOK);
    });
    EXPECT_EQ(Dates(), (Texts{u"9/15/2004", u"1/5/2004"}));
}

// Rows are sized once, from the first: a wider date below a narrow one still
// shows whole.
TEST_F(ModifyTestDlgTest, EveryDateShowsWhole) {
    TakenTest narrowest{u"Ann", u"Lipid Panel", MakeDate(2005, 1, 1), u"", {kHdl}};
    ASSERT_EQ(StoreTakenTest(narrowest, false), TestSaved::Stored);
    Run([](CModifyTestDlg& d) {
        auto* list = qobject_cast<QListWidget*>(d.ControlWidget(CModifyTestDlg::kDateList));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->item(0)->text(), QStringLiteral("1/1/2005"));
        for (int row = 0; row < list->count(); ++row) {
            const QRect shown = list->visualRect(list->model()->index(row, 0));
            const int textWidth = list->fontMetrics().horizontalAdvance(list->item(row)->text());
            EXPECT_GE(shown.width(), list->iconSize().width() + textWidth) << row;
            EXPECT_LE(shown.right(), list->viewport()->width()) << row;
        }
        ClickOn(d, IDOK);
    });
}

}  // namespace
