#include "entry/add_result_dlg.h"

#include "entry_fixture.h"
#include "res/resource.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

namespace {

class AddResultDlgTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        WriteCatalogue();
        AddUsers();
    }

    // Opens the dialog for `user` and `test`, runs `script` in it, returns the modal result.
    int Run(CAddResultDlg& dlg, std::u16string_view user, std::u16string_view test,
            std::function<void(CAddResultDlg&)> script) {
        dlg.userName = user;
        dlg.testName = test;
        driver.Expect<CAddResultDlg>(IDD_ADD_RESULT, std::move(script));
        return dlg.DoModal();
    }
};

TEST_F(AddResultDlgTest, OkAsksForTheFirstEmptyFieldOnly) {
    CAddResultDlg dlg;
    const int result = Run(dlg, u"Ann", u"Lipid Panel", [this](CAddResultDlg& d) {
        CComboBox names(d, CAddResultDlg::kResultNameBox);
        CEdit value(d, CAddResultDlg::kValueEdit), goal(d, CAddResultDlg::kGoalEdit),
            unit(d, CAddResultDlg::kUnitEdit);
        names.UserType(u"");
        value.UserType(u"");
        goal.UserType(u"");
        unit.UserType(u"");
        d.SendCommand(IDOK);
        EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"Please Enter Result Name"});
        names.UserType(u"VLDL");
        d.SendCommand(IDOK);
        value.UserType(u"30");
        d.SendCommand(IDOK);
        goal.UserType(u"20");
        d.SendCommand(IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(names.GetWindowText(), u"VLDL");  // fields keep what was typed
        unit.UserType(u"mg/dL");
        d.SendCommand(IDOK);
    });
    EXPECT_EQ(driver.Messages(),
              (std::vector<std::u16string>{u"Please Enter Result Name", u"Please Enter Result Value",
                                           u"Please Enter Goal Result Value",
                                           u"Please Enter Result Unit"}));
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.resultName, u"VLDL");
    EXPECT_EQ(dlg.resultValue, u"30");
    EXPECT_EQ(dlg.goalValue, u"20");
    EXPECT_EQ(dlg.resultUnit, u"mg/dL");
    EXPECT_EQ(dlg.newName, 1);
}

TEST_F(AddResultDlgTest, AChosenNameIsKnownAndATypedOneIsHandedBackAsTyped) {
    CAddResultDlg chosen;
    EXPECT_EQ(Run(chosen, u"Ann", u"Lipid Panel",
                  [](CAddResultDlg& d) {
                      auto* box = qobject_cast<QComboBox*>(d.ControlWidget(CAddResultDlg::kResultNameBox));
                      box->showPopup();
                      QAbstractItemView* list = box->view();
                      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                        list->visualRect(list->model()->index(2, 0)).center());
                      QTest::mouseClick(d.ControlWidget(IDOK), Qt::LeftButton);
                  }),
              IDOK);
    EXPECT_EQ(chosen.resultName, u"Triglycerides");
    EXPECT_EQ(chosen.resultValue, u"150");
    EXPECT_EQ(chosen.goalValue, u"135");
    EXPECT_EQ(chosen.resultUnit, u"mmol/L");
    EXPECT_EQ(chosen.newName, 0);
    // A man's goal is the one before the brackets.
    CAddResultDlg bob;
    Run(bob, u"Bob", u"Lipid Panel", [](CAddResultDlg& d) {
        CComboBox(d, CAddResultDlg::kResultNameBox).UserChoose(2);
        EXPECT_EQ(CEdit(d, CAddResultDlg::kGoalEdit).Text(), u"150");
        d.SendCommand(IDCANCEL);
    });

    // A listed name typed and left with Tab is not chosen: the fields keep what was typed.
    CAddResultDlg typed;
    Run(typed, u"Ann", u"Lipid Panel", [](CAddResultDlg& d) {
        TypeInto(d, CAddResultDlg::kResultNameBox, "LDL");
        for (const char* field : {"123", "99", "mmol/L"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClicks(QApplication::focusWidget(), field);
        }
        QTest::mouseClick(d.ControlWidget(IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(typed.resultName, u"LDL");
    EXPECT_EQ(typed.resultValue, u"123");
    EXPECT_EQ(typed.goalValue, u"99");
    EXPECT_EQ(typed.resultUnit, u"mmol/L");
    EXPECT_EQ(typed.newName, 1);
    EXPECT_TRUE(driver.Messages().empty());
}

// A unit other than that of the result's stored values is said before Ok ends
// the dialog: converted for graphs when the table knows how, else kept apart.
// No puts the person back into the unit field.
TEST_F(AddResultDlgTest, OtherUnitThanBeforeIsSaidWithWhatGraphsDo) {
    ASSERT_TRUE(StoreResult(u"Ann", u"Lipid Panel", u"", kNow, u"LDL", u"130", u"100", u"mg/dl"));
    CAddResultDlg converted;
    Run(converted, u"Ann", u"Lipid Panel", [this](CAddResultDlg& d) {
        CComboBox(d, CAddResultDlg::kResultNameBox).UserChoose(1);
        TypeInto(d, CAddResultDlg::kValueEdit, "3.4");
        TypeInto(d, CAddResultDlg::kUnitEdit, "mmol/L");
        ClickOn(d, IDOK);  // answered No
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(d.Widget()->focusWidget(), d.ControlWidget(CAddResultDlg::kUnitEdit));
        TypeInto(d, CAddResultDlg::kUnitEdit, "MG/DL");  // the same unit: nothing to say
        ClickOn(d, IDOK);
    });
    EXPECT_EQ(converted.resultUnit, u"MG/DL");
    ASSERT_EQ(driver.Messages().size(), 1u);
    EXPECT_EQ(driver.Messages()[0], u"LDL was recorded in mg/dl before. Graphs will convert between mmol/L and "
                                    u"mg/dl as LDL cholesterol, showing the unit of the latest value. Keep mmol/L?");

    driver.ClearMessages();
    CAddResultDlg apart;
    Run(apart, u"Ann", u"Lipid Panel", [this](CAddResultDlg& d) {
        CComboBox(d, CAddResultDlg::kResultNameBox).UserChoose(1);
        TypeInto(d, CAddResultDlg::kValueEdit, "2");
        TypeInto(d, CAddResultDlg::kUnitEdit, "mEq/L");
        driver.AnswerNextQuestion(true);
        ClickOn(d, IDOK);
    });
    EXPECT_EQ(apart.resultUnit, u"mEq/L");
    ASSERT_EQ(driver.Messages().size(), 1u);
    EXPECT_EQ(driver.Messages()[0], u"LDL was recorded in mg/dl before. Values in mEq/L cannot be converted to "
                                    u"it, so a graph shows only those in the unit of the latest value and counts "
                                    u"the others. Keep mEq/L?");
}

}  // namespace
