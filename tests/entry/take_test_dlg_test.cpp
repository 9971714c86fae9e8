#include "entry/take_test_dlg.h"

#include "entry/add_result_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry_fixture.h"
#include "platform/record_store_testing.h"
#include "platform/text.h"
#include "res/resource.h"
#include "review/test_report_dlg.h"
#include "store/test_record_store.h"
#include "support/list_rows.h"
#include "support/stored_text.h"

#include <algorithm>

namespace {

using Rows = std::vector<std::u16string>;

const std::u16string kNotSaved = u"Could not save this test. Check that there is space on the disk and try again.";

bool ByName(const ResultRow& a, const ResultRow& b) { return a.name < b.name; }

class TakeTestDlgTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        WriteCatalogue();
        AddUsers();
    }

    // Runs Take Test for Ann with `script`; returns the modal result.
    int Run(CTakeTestDlg& dlg, std::function<void(CTakeTestDlg&)> script) {
        if (dlg.userName.empty()) dlg.userName = u"Ann";
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

    // Clicks Add, types all four fields and clicks OK.
    void AddTyped(CTakeTestDlg& d, const ResultRow& row) {
        driver.Expect<CAddResultDlg>(IDD_ADD_RESULT, [row](CAddResultDlg& r) {
            TypeInto(r, CAddResultDlg::kResultNameBox, QString::fromStdU16String(row.name));
            TypeInto(r, CAddResultDlg::kValueEdit, QString::fromStdU16String(row.value));
            TypeInto(r, CAddResultDlg::kGoalEdit, QString::fromStdU16String(row.goal));
            TypeInto(r, CAddResultDlg::kUnitEdit, QString::fromStdU16String(row.unit));
            ClickOn(r, IDOK);
        });
        ClickOn(d, CTakeTestDlg::kAddButton);
    }

    static Rows ListedRows(CDialog& d, int id = CTakeTestDlg::kResultList) { return ListRows(d, id); }

    static std::u16string ChosenTest(CDialog& d) {
        return CComboBox(d, CTakeTestDlg::kTestNameBox).SelectedText();
    }

    static std::vector<ResultRow> StoredRows() {
        std::vector<ResultRow> rows;
        for (const StoredResult& r : StoredResults()) rows.push_back({r.name, r.value, r.goal, r.unit});
        std::sort(rows.begin(), rows.end(), ByName);
        return rows;
    }
};

TEST_F(TakeTestDlgTest, ResultsOfOneTestBecomeRecordsOfOneUserTestDateAndComment) {
    CTakeTestDlg dlg;
    dlg.testName = u"lipid";
    const int result = Run(dlg, [this](CTakeTestDlg& d) {
        EXPECT_EQ(ChosenTest(d), u"Lipid Panel");
        CDateTimeCtrl(d, CTakeTestDlg::kDatePicker).UserSetDate(2004, 3, 1);
        // Each break, a CR LF pair too, is one blank on screen and in the store.
        PasteInto(d, CTakeTestDlg::kCommentEdit, QStringLiteral("Fasting\r\nno breakfast\rsince\n8"));
        EXPECT_EQ(Shown(d, CTakeTestDlg::kCommentEdit), u"Fasting no breakfast since 8");
        AddChosen(d, 0, u"45");
        AddChosen(d, 1, u"110");
        AddChosen(d, 2, u"140");
        EXPECT_EQ(ListedRows(d), (Rows{u"HDL [ 45 vs 50 ] mg/dL", u"LDL [ 110 vs 100 ] mg/dL",
                                       u"Triglycerides [ 140 vs 135 ] mmol/L"}));
        ClickOn(d, CTakeTestDlg::kOkButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.testName, u"Lipid Panel");
    EXPECT_EQ(dlg.dateText, u"3/1/2004");

    const std::vector<StoredResult> stored = StoredResults();
    ASSERT_EQ(stored.size(), 3u);
    for (const StoredResult& r : stored) {
        EXPECT_EQ(r.user, u"Ann");
        EXPECT_EQ(r.test, u"Lipid Panel");
        EXPECT_EQ(r.comment, u"Fasting no breakfast since 8");
        EXPECT_EQ(DateText(r.date), u"3/1/2004");
        EXPECT_EQ(r.date.hour + r.date.minute + r.date.second + r.date.milliseconds, 0);
    }
    EXPECT_EQ(StoredRows(), (std::vector<ResultRow>{{u"HDL", u"45", u"50", u"mg/dL"},
                                                    {u"LDL", u"110", u"100", u"mg/dL"},
                                                    {u"Triglycerides", u"140", u"135", u"mmol/L"}}));
    // Nothing was typed, so nothing was taught.
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"number of results"), u"3");
}

// Take Test, then Modify Test and Edit twice, then the report: every field as
// typed, whatever brackets and "vs" it holds, and the comment kept until changed.
TEST_F(TakeTestDlgTest, EditedTestsKeepEveryFieldAndTheCommentIntoTheReport) {
    const std::vector<ResultRow> typed{{u"Fe [serum]", u"5", u"3-7", u"ug/dL"},
                                       {u"N vs M", u"12 vs 3", u"x] [y", u"U ] V"}};
    const Rows shown{u"Fe [serum] [ 5 vs 3-7 ] ug/dL", u"N vs M [ 12 vs 3 vs x] [y ] U ] V"};
    CTakeTestDlg take;
    take.testName = u"Lipid Panel";
    Run(take, [&](CTakeTestDlg& d) {
        TypeInto(d, CTakeTestDlg::kCommentEdit, QStringLiteral("Fasting"));
        for (const ResultRow& row : typed) AddTyped(d, row);
        EXPECT_EQ(ListedRows(d), shown);
        ClickOn(d, CTakeTestDlg::kOkButton);
    });
    std::vector<ResultRow> expected = typed;
    std::sort(expected.begin(), expected.end(), ByName);
    ASSERT_EQ(StoredRows(), expected);

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
        EXPECT_EQ(StoredRows(), expected);
    }
    for (const StoredResult& r : StoredResults()) EXPECT_EQ(r.comment, u"Fasting, then water");

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

// A test without a count entry starts at 1: the hostile text test's typed test.
TEST_F(TakeTestDlgTest, TypedResultNamesAreNumberedAfterTheKnownOnes) {
    CTakeTestDlg lipid;
    lipid.testName = u"Lipid Panel";
    Run(lipid, [&](CTakeTestDlg& d) {
        AddTyped(d, {u"VLDL", u"30", u"20", u"mg/dL"});
        d.SendCommand(CTakeTestDlg::kCancelButton);
    });
    // Taught at once, and kept although the test was cancelled.
    EXPECT_TRUE(StoredResults().empty());
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"number of results"), u"4");
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"resultname4"), u"VLDL");
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"resultvalue4"), u"30");
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"resultunit4"), u"mg/dL");
    EXPECT_EQ(ResultNames(u"Lipid Panel"), (Rows{u"HDL", u"LDL", u"Triglycerides", u"VLDL"}));
}

TEST_F(TakeTestDlgTest, APresetNameSelectsTheItemEqualToItElseOneBeginningWithIt) {
    const struct {
        std::u16string preset, chosen;
    } cases[] = {{u"", u"Glucose"},
                 {u"glucose", u"Glucose"},  // not Glucose Tolerance, which also begins with it
                 {u"Glucose", u"Glucose"},
                 {u"glucose t", u"Glucose Tolerance"},
                 {u"LIPID", u"Lipid Panel"},
                 {u"Iron", u""}};
    for (const auto& c : cases) {
        CTakeTestDlg dlg;
        dlg.testName = c.preset;
        Run(dlg, [&](CTakeTestDlg& d) {
            EXPECT_EQ(CComboBox(d, CTakeTestDlg::kTestNameBox).GetCount(), 3);
            EXPECT_EQ(ChosenTest(d), c.chosen) << TextToUtf8(c.preset);
            EXPECT_TRUE(ListedRows(d).empty());
            SystemTime shown;
            CDateTimeCtrl(d, CTakeTestDlg::kDatePicker).GetTime(shown);
            EXPECT_EQ(DateText(shown), u"3/5/2004");
            d.SendCommand(CTakeTestDlg::kCancelButton);
        });
    }
}

TEST_F(TakeTestDlgTest, EditingLoadsTheStoredTestAndDeleteRemovesRowsOnly) {
    const SystemTime jan15 = MakeDate(2004, 1, 15);
    AddResult(u"Ann", u"Lipid Panel", u"old", jan15, u"HDL", u"45", u"50", u"mg/dL");
    AddResult(u"Ann", u"Lipid Panel", u"old", jan15, u"LDL", u"110", u"100", u"mg/dL");
    AddResult(u"Ann", u"Lipid Panel", u"old", jan15, u"Triglycerides", u"140", u"135", u"mmol/L");
    AddResult(u"Ann", u"Lipid Panel", u"other day", MakeDate(2004, 2, 1), u"HDL", u"1", u"2", u"u");
    AddResult(u"Bob", u"Lipid Panel", u"other user", jan15, u"HDL", u"1", u"2", u"u");

    CTakeTestDlg dlg;
    dlg.testName = u"Lipid Panel";
    dlg.mode = CTakeTestDlg::kModeEdit;
    dlg.testDate = jan15;
    Run(dlg, [](CTakeTestDlg& d) {
        SystemTime shown;
        CDateTimeCtrl(d, CTakeTestDlg::kDatePicker).GetTime(shown);
        EXPECT_EQ(DateText(shown), u"1/15/2004");
        EXPECT_EQ(Shown(d, CTakeTestDlg::kCommentEdit), u"old");
        EXPECT_EQ(ListedRows(d), (Rows{u"HDL [ 45 vs 50 ] mg/dL", u"LDL [ 110 vs 100 ] mg/dL",
                                       u"Triglycerides [ 140 vs 135 ] mmol/L"}));
        ClickOn(d, CTakeTestDlg::kDeleteButton);  // nothing selected: the first row
        EXPECT_EQ(ListedRows(d), (Rows{u"LDL [ 110 vs 100 ] mg/dL", u"Triglycerides [ 140 vs 135 ] mmol/L"}));
        ClickRow(d, CTakeTestDlg::kResultList, 1);
        ClickOn(d, CTakeTestDlg::kDeleteButton);
        EXPECT_EQ(ListedRows(d), Rows{u"LDL [ 110 vs 100 ] mg/dL"});
        ClickOn(d, CTakeTestDlg::kCancelButton);
    });
    EXPECT_EQ(StoredResults().size(), 5u);
}

// With "Glucose Tolerance" listed too, and a test stored in other letter case
// than the catalogue spells it, an edit stores under the edited test alone.
TEST_F(TakeTestDlgTest, EditingStoresUnderTheEditedTestOnly) {
    const SystemTime jan15 = MakeDate(2004, 1, 15);
    AddResult(u"Ann", u"Glucose", u"", jan15, u"Fasting", u"90", u"100", u"mg/dL");
    AddResult(u"Ann", u"lipid panel", u"", jan15, u"HDL", u"45", u"50", u"mg/dL");
    for (const std::u16string test : {u"Glucose", u"lipid panel"}) {
        CTakeTestDlg dlg;
        dlg.testName = test;
        dlg.mode = CTakeTestDlg::kModeEdit;
        dlg.testDate = jan15;
        Run(dlg, [&](CTakeTestDlg& d) {
            EXPECT_TRUE(EqualsNoCase(ChosenTest(d), test)) << TextToUtf8(ChosenTest(d));
            EXPECT_EQ(ListedRows(d).size(), 1u);
            TypeInto(d, CTakeTestDlg::kCommentEdit, QStringLiteral("edited"));
            ClickOn(d, CTakeTestDlg::kOkButton);
        });
        EXPECT_EQ(dlg.testName, test);
    }
    Rows tests;
    for (const StoredResult& r : StoredResults()) {
        tests.push_back(r.test);
        EXPECT_EQ(r.comment, u"edited");
    }
    std::sort(tests.begin(), tests.end());
    EXPECT_EQ(tests, (Rows{u"Glucose", u"lipid panel"}));
}

// A typed test without results stored as one empty record and taught to the
// catalogue: the hostile text tests' typed tests.
TEST_F(TakeTestDlgTest, ATypedTestNameIsStoredWhileNoNameIsRefused) {
    CTakeTestDlg dlg;
    dlg.testName = u"Iron";  // not offered: nothing selected
    const int result = Run(dlg, [this](CTakeTestDlg& d) {
        d.SendCommand(CTakeTestDlg::kOkButton);
        EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"Please Enter Test Name"});
        EXPECT_FALSE(d.IsEnded());
        EXPECT_TRUE(StoredResults().empty());
        CComboBox(d, CTakeTestDlg::kTestNameBox).UserType(u"Iron");
        d.SendCommand(IDOK);  // Enter stores as the Ok button does
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.testName, u"Iron");
    EXPECT_EQ(dlg.dateText, u"3/5/2004");
    EXPECT_EQ(driver.Messages().size(), 1u);
    EXPECT_EQ(StoredResults().size(), 1u);
}

TEST_F(TakeTestDlgTest, ATestIsStoredWhollyOrNotAtAllAndKeepsEverythingAsEntered) {
    CTakeTestDlg dlg;
    dlg.testName = u"Lipid Panel";
    const int result = Run(dlg, [this](CTakeTestDlg& d) {
        AddChosen(d, 0, u"45");
        AddChosen(d, 1, u"110");
        AddChosen(d, 2, u"140");
        CEdit(d, CTakeTestDlg::kCommentEdit).UserType(u"Fasting");
        RefuseStoreAddsAfterForTesting(1);  // the second row finds the disk full
        d.SendCommand(CTakeTestDlg::kOkButton);
        d.SendCommand(IDOK);  // Enter never ends it unsaved either
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver.Messages(), (Rows{kNotSaved, kNotSaved}));
        EXPECT_FALSE(d.IsEnded());
        EXPECT_TRUE(StoredResults().empty());
        EXPECT_EQ(ListedRows(d).size(), 3u);
        EXPECT_EQ(CEdit(d, CTakeTestDlg::kCommentEdit).Text(), u"Fasting");
        EXPECT_EQ(ChosenTest(d), u"Lipid Panel");
        d.SendCommand(CTakeTestDlg::kOkButton);  // space again
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredResults().size(), 3u);
}

TEST_F(TakeTestDlgTest, ATaughtResultNameKeepsTheCatalogueInStep) {
    CTakeTestDlg dlg;
    dlg.testName = u"Lipid Panel";
    Run(dlg, [this](CTakeTestDlg& d) {
        // The count is rewritten and "resultname4" added; the result name record is refused.
        RefuseStoreAddsAfterForTesting(1);
        AddTyped(d, {u"VLDL", u"30", u"20", u"mg/dL"});
        EXPECT_EQ(ListedRows(d), Rows{u"VLDL [ 30 vs 20 ] mg/dL"});
        d.SendCommand(CTakeTestDlg::kCancelButton);
    });
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"number of results"), u"3");
    EXPECT_EQ(StoredEntry(u"Lipid Panel", u"resultname4"), u"<missing>");
    EXPECT_EQ(ResultNames(u"Lipid Panel"), (Rows{u"HDL", u"LDL", u"Triglycerides"}));
}

// Editing rewrites the stored rows and adds a further one, and a typed test
// name's marker goes with the unit: on a full disk none of it is half done.
TEST_F(TakeTestDlgTest, AFailedEditOrTypedTestLeavesTheStoreAsItWas) {
    const SystemTime today = MakeDate(2004, 3, 5);
    for (const char16_t* name : {u"HDL", u"LDL", u"Triglycerides"})
        AddResult(u"Ann", u"Lipid Panel", u"Fasting", today, name, u"45", u"50", u"mg/dL");
    const std::vector<StoredResult> before = StoredResults();
    CTakeTestDlg edit;
    edit.testName = u"Lipid Panel";
    edit.mode = CTakeTestDlg::kModeEdit;
    edit.testDate = today;
    Run(edit, [&](CTakeTestDlg& d) {
        AddTyped(d, {u"VLDL", u"30", u"20", u"mg/dL"});
        CEdit(d, CTakeTestDlg::kCommentEdit).UserType(u"changed");
        SetStoreWriteFailureForTesting(true);
        d.SendCommand(CTakeTestDlg::kOkButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver.Messages(), Rows{kNotSaved});
        EXPECT_FALSE(d.IsEnded());
        d.SendCommand(CTakeTestDlg::kCancelButton);
    });
    EXPECT_EQ(StoredResults(), before);

    CTakeTestDlg typed;
    Run(typed, [&](CTakeTestDlg& d) {
        CComboBox(d, CTakeTestDlg::kTestNameBox).UserType(u"Iron");
        SetStoreWriteFailureForTesting(true);
        d.SendCommand(CTakeTestDlg::kOkButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_FALSE(d.IsEnded());
        d.SendCommand(CTakeTestDlg::kCancelButton);
    });
    EXPECT_EQ(KnownTests(), (Rows{u"Glucose", u"Glucose Tolerance", u"Lipid Panel"}));
    EXPECT_EQ(StoredResults(), before);
}

}  // namespace
