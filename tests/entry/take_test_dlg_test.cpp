#include "entry/take_test_dlg.h"

#include "entry/add_result_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry_fixture.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "res/resource.h"
#include "review/test_report_dlg.h"
#include "support/list_rows.h"
#include "support/stored_text.h"

#include <QApplication>
#include <QTest>

namespace {

using Rows = std::vector<std::u16string>;

const std::u16string kNotSaved = u"Could not save this test. Check that there is space on the disk and try again.";

class TakeTestDlgTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        WriteCatalogue();
        AddUsers();
    }

    // Runs Take Test for Ann on `test` with `script`; returns the modal result.
    int Run(CTakeTestDlg& dlg, std::u16string test, std::function<void(CTakeTestDlg&)> script) {
        dlg.userName = u"Ann";
        dlg.testName = std::move(test);
        driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, std::move(script));
        return dlg.DoModal();
    }

    // Clicks Add, steps with the Down key from the first catalogued result to
    // the one at `index`, types `value` and clicks OK.
    void AddChosen(CTakeTestDlg& d, int index, const std::u16string& value) {
        driver.Expect<CAddResultDlg>(IDD_ADD_RESULT, [index, value](CAddResultDlg& r) {
            ClickOn(r, CAddResultDlg::kResultNameBox);
            for (int step = 0; step < index; ++step) PressKey(r, CAddResultDlg::kResultNameBox, Qt::Key_Down);
            TypeInto(r, CAddResultDlg::kValueEdit, QString::fromStdU16String(value));
            ClickOn(r, IDOK);
        });
        ClickOn(d, CTakeTestDlg::kAddButton);
    }

    // Clicks Add, types all four fields and clicks OK; `keepText`: Yes when Ok
    // asks whether to keep a value or goal that is no number.
    void AddTyped(CTakeTestDlg& d, const ResultRow& row, bool keepText = false) {
        driver.Expect<CAddResultDlg>(IDD_ADD_RESULT, [this, row, keepText](CAddResultDlg& r) {
            TypeInto(r, CAddResultDlg::kResultNameBox, QString::fromStdU16String(row.name));
            TypeInto(r, CAddResultDlg::kValueEdit, QString::fromStdU16String(row.value));
            TypeInto(r, CAddResultDlg::kGoalEdit, QString::fromStdU16String(row.goal));
            TypeInto(r, CAddResultDlg::kUnitEdit, QString::fromStdU16String(row.unit));
            if (keepText) driver.AnswerNextQuestion(true);
            ClickOn(r, IDOK);
        });
        ClickOn(d, CTakeTestDlg::kAddButton);
    }

    static Rows ListedRows(CDialog& d, int id = CTakeTestDlg::kResultList) { return ListRows(d, id); }
    static std::u16string ChosenTest(CDialog& d) {
        return CComboBox(d, CTakeTestDlg::kTestNameBox).SelectedText();
    }
};

TEST_F(TakeTestDlgTest, ResultsOfOneTestBecomeRecordsOfOneUserTestDayAndComment) {
    CTakeTestDlg dlg;
    const int result = Run(dlg, u"lipid", [this](CTakeTestDlg& d) {
        EXPECT_EQ(ChosenTest(d), u"Lipid Panel");
        CDateTimeCtrl(d, CTakeTestDlg::kDatePicker).UserSetDate(2004, 3, 1);
        // Each break, a CR LF pair too, is one blank on screen and in the store.
        PasteInto(d, CTakeTestDlg::kCommentEdit, QStringLiteral("Fasting\r\nno breakfast\rsince\n8"));
        AddChosen(d, 0, u"45");
        AddChosen(d, 2, u"140");
        EXPECT_EQ(ListedRows(d), (Rows{u"HDL [ 45 vs 50 ] mg/dL", u"Triglycerides [ 140 vs 135 ] mmol/L"}));
        ClickOn(d, CTakeTestDlg::kOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.testName, u"Lipid Panel");
    EXPECT_EQ(dlg.dateText, u"3/1/2004");
    const std::u16string comment = u"Fasting no breakfast since 8";
    EXPECT_EQ(AllResults(), (std::vector<TestResult>{
                                {u"Ann", u"Lipid Panel", MakeDate(2004, 3, 1), u"HDL", u"45", u"50", u"mg/dL", comment},
                                {u"Ann", u"Lipid Panel", MakeDate(2004, 3, 1), u"Triglycerides", u"140", u"135",
                                 u"mmol/L", comment}}));
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"number of results"), u"3");  // nothing typed, nothing taught
}

// Take Test, then Modify Test and Edit twice, then the report: every field as
// typed, whatever brackets and "vs" it holds, and the comment kept until changed.
TEST_F(TakeTestDlgTest, EditedTestsKeepEveryFieldAndTheCommentIntoTheReport) {
    const std::vector<ResultRow> typed{{u"Fe [serum]", u"5", u"3-7", u"ug/dL"},
                                       {u"N vs M", u"12 vs 3", u"x] [y", u"U ] V"}};
    const Rows shown{u"Fe [serum] [ 5 vs 3-7 ] ug/dL", u"N vs M [ 12 vs 3 vs x] [y ] U ] V"};
    CTakeTestDlg take;
    Run(take, u"Lipid Panel", [&](CTakeTestDlg& d) {
        TypeInto(d, CTakeTestDlg::kCommentEdit, QStringLiteral("Fasting"));
        AddTyped(d, typed[0]);
        AddTyped(d, typed[1], true);
        EXPECT_EQ(ListedRows(d), shown);
        ClickOn(d, CTakeTestDlg::kOkButton);
    });
    EXPECT_EQ(driver.Messages(), Rows{u"Neither the value \"12 vs 3\" nor the goal \"x] [y\" is a number, so the value "
                                      u"will not be compared with its goal or graphed. Keep them as typed?"});
    for (const QString& comment : {QString(), QStringLiteral("Fasting, then water")}) {
        CModifyTestDlg modify;
        modify.userName = u"Ann";
        modify.testName = u"Lipid Panel";
        driver.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, [&](CModifyTestDlg& m) {
            ClickRow(m, CModifyTestDlg::kDateList, 0);
            driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& d) {
                EXPECT_EQ(Shown(d, CTakeTestDlg::kCommentEdit), u"Fasting");
                EXPECT_EQ(ListedRows(d), shown);
                if (!comment.isEmpty()) TypeInto(d, CTakeTestDlg::kCommentEdit, comment);
                ClickOn(d, CTakeTestDlg::kOkButton);
            });
            ClickOn(m, CModifyTestDlg::kEditButton);
            ClickOn(m, IDOK);  // Close
        });
        EXPECT_EQ(modify.DoModal(), IDOK);
        EXPECT_EQ(ReadTakenTest(u"Ann", u"Lipid Panel", kNow).results, typed);
    }
    CTestReportDlg report;
    report.userName = u"Ann";
    report.testName = u"Lipid Panel";
    driver.Expect<CTestReportDlg>(IDD_TEST_REPORT, [](CTestReportDlg& r) {
        EXPECT_EQ(ListedRows(r, 1006), (Rows{u"Test Results:", u"Fe [serum]: 5 ug/dL [Goal: 3-7 ug/dL]",
                                             u"N vs M: 12 vs 3 U ] V [Goal: x] [y U ] V]", u"Comments:",
                                             u"Fasting, then water"}));
        ClickOn(r, IDOK);
    });
    EXPECT_EQ(report.DoModal(), IDOK);
}

// Taught at once, and kept although the test is cancelled.
TEST_F(TakeTestDlgTest, TypedResultNamesAreNumberedAfterTheKnownOnes) {
    CTakeTestDlg lipid;
    Run(lipid, u"Lipid Panel", [&](CTakeTestDlg& d) {
        AddTyped(d, {u"VLDL", u"30", u"20", u"mg/dL"});
        d.SendCommand(CTakeTestDlg::kCancelButton);
    });
    EXPECT_TRUE(AllResults().empty());
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"resultname4"), u"VLDL");
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"resultunit4"), u"mg/dL");
    EXPECT_EQ(ResultNames(u"Lipid Panel"), (Rows{u"HDL", u"LDL", u"Triglycerides", u"VLDL"}));
}

TEST_F(TakeTestDlgTest, APresetNameSelectsTheItemEqualToItElseOneBeginningWithIt) {
    const struct {
        std::u16string preset, chosen;
    } cases[] = {{u"", u"Glucose"},
                 {u"glucose", u"Glucose"},  // not Glucose Tolerance, which also begins with it
                 {u"glucose t", u"Glucose Tolerance"},
                 {u"Iron", u""}};
    for (const auto& c : cases) {
        CTakeTestDlg dlg;
        Run(dlg, c.preset, [&](CTakeTestDlg& d) {
            EXPECT_EQ(ChosenTest(d), c.chosen) << TextToUtf8(c.preset);
            SystemTime shown;
            CDateTimeCtrl(d, CTakeTestDlg::kDatePicker).GetTime(shown);
            EXPECT_EQ(DateText(shown), u"3/5/2004");
            d.SendCommand(CTakeTestDlg::kCancelButton);
        });
    }
}

// With "Glucose Tolerance" listed too, and a test stored in other letter case
// than the catalogue spells it, an edit stores under the edited test alone.
TEST_F(TakeTestDlgTest, EditingStoresUnderTheEditedTestOnly) {
    const SystemTime jan15 = MakeDate(2004, 1, 15);
    ASSERT_TRUE(StoreResult(u"Ann", u"lipid panel", u"", jan15, u"HDL", u"45", u"50", u"mg/dL"));
    CTakeTestDlg dlg;
    dlg.mode = CTakeTestDlg::kModeEdit;
    dlg.testDate = jan15;
    Run(dlg, u"lipid panel", [&](CTakeTestDlg& d) {
        EXPECT_EQ(ChosenTest(d), u"Lipid Panel");
        TypeInto(d, CTakeTestDlg::kCommentEdit, QStringLiteral("edited"));
        ClickOn(d, CTakeTestDlg::kOkButton);
    });
    EXPECT_EQ(dlg.testName, u"lipid panel");
    EXPECT_EQ(UserTests(u"Ann"), Rows{u"lipid panel"});
    EXPECT_EQ(ReadTakenTest(u"Ann", u"lipid panel", jan15).comment, u"edited");
}

// A typed test without results is stored as one empty record and taught to
// the catalogue: the hostile text tests' typed tests.
TEST_F(TakeTestDlgTest, ATypedTestNameIsStoredWhileNoNameIsRefused) {
    CTakeTestDlg dlg;
    const int result = Run(dlg, u"Iron", [this](CTakeTestDlg& d) {  // not offered: nothing selected
        d.SendCommand(CTakeTestDlg::kOkButton);
        EXPECT_EQ(driver.Messages(), Rows{u"Please Enter Test Name"});
        EXPECT_FALSE(d.IsEnded());
        CComboBox(d, CTakeTestDlg::kTestNameBox).UserType(u"Iron");
        d.SendCommand(IDOK);  // Enter stores as the Ok button does
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.testName, u"Iron");
    EXPECT_EQ(AllResults().size(), 1u);
    EXPECT_EQ(KnownTests(), (Rows{u"Glucose", u"Glucose Tolerance", u"Iron", u"Lipid Panel"}));
}

TEST_F(TakeTestDlgTest, ATestNotSavedIsSaidAndKeepsEverythingAsEntered) {
    CTakeTestDlg dlg;
    const int result = Run(dlg, u"Lipid Panel", [this](CTakeTestDlg& d) {
        AddChosen(d, 0, u"45");
        AddChosen(d, 1, u"110");
        CEdit(d, CTakeTestDlg::kCommentEdit).UserType(u"Fasting");
        RefuseStoreAddsAfterForTesting(1);  // the second row finds the disk full
        d.SendCommand(CTakeTestDlg::kOkButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver.Messages(), Rows{kNotSaved});
        EXPECT_FALSE(d.IsEnded());
        EXPECT_TRUE(AllResults().empty());
        EXPECT_EQ(ListedRows(d).size(), 2u);
        EXPECT_EQ(CEdit(d, CTakeTestDlg::kCommentEdit).Text(), u"Fasting");
        d.SendCommand(CTakeTestDlg::kOkButton);  // space again
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(AllResults().size(), 2u);
}

// A date that cannot be taken is refused by Ok, but not by Cancel, which
// leaves at once without a word and stores nothing.
TEST_F(TakeTestDlgTest, CancelLeavesOverADateThatCannotBeTaken) {
    CTakeTestDlg dlg;
    const int result = Run(dlg, u"Lipid Panel", [this](CTakeTestDlg& d) {
        AddChosen(d, 0, u"45");
        TypeInto(d, CTakeTestDlg::kDatePicker, "2/30/2026");
        ClickOn(d, CTakeTestDlg::kOkButton);
        ASSERT_EQ(driver.Messages().size(), 1u);
        EXPECT_FALSE(d.IsEnded());
        QWidget* picker = d.ControlWidget(CTakeTestDlg::kDatePicker);
        ASSERT_TRUE(QTest::qWaitFor([picker] { return QApplication::focusWidget() == picker; }));
        ClickOn(d, CTakeTestDlg::kCancelButton);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(driver.Messages().size(), 1u);
    EXPECT_TRUE(AllResults().empty());
}

}  // namespace
