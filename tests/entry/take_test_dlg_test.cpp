#include "entry/take_test_dlg.h"

#include "entry/add_result_dlg.h"
#include "entry_fixture.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "res/resource.h"
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
        return driver.Run(dlg, std::move(script));
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

    static Rows ListedRows(CDialog& d) { return ListRows(d, CTakeTestDlg::kResultList); }
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

// Edited twice: every field as stored, whatever brackets and "vs" it holds,
// the comment kept until changed, and a test stored in other letter case than
// the catalogue spells it kept under its own name. Modify Test's way into the
// edit is its own test's.
TEST_F(TakeTestDlgTest, EditsKeepEveryFieldTheCommentAndTheTestsOwnName) {
    const std::vector<ResultRow> stored{{u"Fe [serum]", u"5", u"3-7", u"ug/dL"},
                                        {u"N vs M", u"12 vs 3", u"x] [y", u"U ] V"}};
    TakenTest taken{u"Ann", u"lipid panel", kNow, u"Fasting", stored};
    ASSERT_EQ(StoreTakenTest(taken, false), TestSaved::Stored);
    for (const QString& comment : {QString(), QStringLiteral("Fasting, then water")}) {
        CTakeTestDlg dlg;
        dlg.mode = CTakeTestDlg::kModeEdit;
        dlg.testDate = kNow;
        Run(dlg, u"lipid panel", [&](CTakeTestDlg& d) {
            EXPECT_EQ(ChosenTest(d), u"Lipid Panel");
            EXPECT_EQ(Shown(d, CTakeTestDlg::kCommentEdit), u"Fasting");
            EXPECT_EQ(ListedRows(d), (Rows{u"Fe [serum] [ 5 vs 3-7 ] ug/dL", u"N vs M [ 12 vs 3 vs x] [y ] U ] V"}));
            if (!comment.isEmpty()) TypeInto(d, CTakeTestDlg::kCommentEdit, comment);
            ClickOn(d, CTakeTestDlg::kOkButton);
        });
        EXPECT_EQ(dlg.testName, u"lipid panel");
        EXPECT_EQ(ReadTakenTest(u"Ann", u"lipid panel", kNow).results, stored);
    }
    EXPECT_EQ(UserTests(u"Ann"), Rows{u"lipid panel"});
    EXPECT_EQ(ReadTakenTest(u"Ann", u"lipid panel", kNow).comment, u"Fasting, then water");
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
}

// A typed test stored is the main window's test.
TEST_F(TakeTestDlgTest, NoTestNameIsRefused) {
    CTakeTestDlg dlg;
    Run(dlg, u"Iron", [this](CTakeTestDlg& d) {  // not offered: nothing selected
        ClickOn(d, CTakeTestDlg::kOkButton);
        EXPECT_EQ(driver.Messages(), Rows{u"Please Enter Test Name"});
        ClickOn(d, CTakeTestDlg::kCancelButton);
    });
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
