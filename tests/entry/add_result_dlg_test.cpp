#include "entry/add_result_dlg.h"

#include "entry_fixture.h"
#include "res/resource.h"
#include "store/catalog_store.h"
#include "support/desktop_locale.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

using Fields = std::vector<std::u16string>;

// The greyed hint of the value field.
std::string ValueHint(CAddResultDlg& d) {
    return qobject_cast<QLineEdit*>(d.ControlWidget(CAddResultDlg::kValueEdit))->placeholderText().toStdString();
}

class AddResultDlgTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        WriteCatalogue();
        AddUsers();
    }

    // Opens the dialog for `user` and `test` and runs `script` in it. Returns what
    // Ok hands back (name, value, goal, unit, and whether the name is new), else nothing.
    Fields Run(std::u16string_view user, std::u16string_view test, std::function<void(CAddResultDlg&)> script) {
        CAddResultDlg dlg;
        dlg.userName = user;
        dlg.testName = test;
        if (driver.Run(dlg, std::move(script)) != IDOK) return {};
        return {dlg.resultName, dlg.resultValue, dlg.goalValue, dlg.resultUnit, dlg.newName ? u"new" : u"known"};
    }
};

TEST_F(AddResultDlgTest, OkAsksForTheFirstEmptyFieldOnly) {
    const int ids[] = {CAddResultDlg::kResultNameBox, CAddResultDlg::kValueEdit, CAddResultDlg::kGoalEdit,
                       CAddResultDlg::kUnitEdit};
    const char* typed[] = {"VLDL", "30", "20", "mg/dL"};
    const Fields handed = Run(u"Ann", u"Lipid Panel", [&](CAddResultDlg& d) {
        for (const int id : ids) {
            TypeInto(d, id, "x");
            PressKey(d, id, Qt::Key_Backspace);
        }
        for (int field = 0; field < 4; ++field) {
            ClickOn(d, IDOK);
            TypeInto(d, ids[field], typed[field]);
        }
        ClickOn(d, IDOK);
    });
    EXPECT_EQ(driver.Messages(),
              (std::vector<std::u16string>{u"Please Enter Result Name", u"Please Enter Result Value",
                                           u"Please Enter Goal Result Value", u"Please Enter Result Unit"}));
    EXPECT_EQ(handed, (Fields{u"VLDL", u"30", u"20", u"mg/dL", u"new"}));
}

// The goal for the person's sex is the goal-for-sex tests', and shows in Take Test's.
TEST_F(AddResultDlgTest, AChosenNameIsKnownAndATypedOneIsHandedBackAsTyped) {
    EXPECT_EQ(Run(u"Ann", u"Lipid Panel",
                  [](CAddResultDlg& d) {
                      auto* box = qobject_cast<QComboBox*>(d.ControlWidget(CAddResultDlg::kResultNameBox));
                      box->showPopup();
                      QAbstractItemView* list = box->view();
                      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                        list->visualRect(list->model()->index(2, 0)).center());
                      // The measured value is the person's: the goal only hints at it.
                      EXPECT_EQ(Shown(d, CAddResultDlg::kValueEdit), u"");
                      EXPECT_EQ(ValueHint(d), "135");
                      TypeInto(d, CAddResultDlg::kValueEdit, QStringLiteral("150"));
                      QTest::mouseClick(d.ControlWidget(IDOK), Qt::LeftButton);
                  }),
              (Fields{u"Triglycerides", u"150", u"135", u"mmol/L", u"known"}));
    // A listed name typed and left with Tab is not chosen: the fields keep what was typed.
    EXPECT_EQ(Run(u"Ann", u"Lipid Panel", [](CAddResultDlg& d) {
        TypeInto(d, CAddResultDlg::kResultNameBox, "LDL");
        for (const char* field : {"123", "99", "mmol/L"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClicks(QApplication::focusWidget(), field);
        }
        QTest::mouseClick(d.ControlWidget(IDOK), Qt::LeftButton);
    }), (Fields{u"LDL", u"123", u"99", u"mmol/L", u"new"}));
    EXPECT_TRUE(driver.Messages().empty());
}

// Goal and unit follow the name: a catalogued one fills them (its numbers
// written the desktop's way), another takes away what the catalogue filled
// but never what the person typed. Ok asks before keeping a value or goal
// that is no number; No goes back to it.
TEST_F(AddResultDlgTest, FieldsFollowTheNameAndTextThatIsNoNumberIsKeptOnlyWhenSaid) {
    SetTestEntry(u"Metabolic Panel", u"resultvalue1", u"135-145");
    SetTestEntry(u"Metabolic Panel", u"resultunit1", u"mEq/L");
    SetTestEntry(u"Metabolic Panel", u"resultvalue2", u"3.5-5.0");
    SetTestEntry(u"Metabolic Panel", u"resultunit2", u"mmol/L");
    for (const char16_t* name : {u"Sodium", u"Potassium"}) AddResultName(u"Metabolic Panel", name);
    const auto fields = [](CAddResultDlg& d) {
        return std::vector<std::u16string>{Shown(d, CAddResultDlg::kValueEdit), Shown(d, CAddResultDlg::kGoalEdit),
                                           Shown(d, CAddResultDlg::kUnitEdit)};
    };
    const DesktopLocale german(QLocale::German);
    const Fields handed = Run(u"Bob", u"Metabolic Panel", [&](CAddResultDlg& d) {
        EXPECT_EQ(fields(d), (Fields{u"", u"135-145", u"mEq/L"}));
        ClickOn(d, CAddResultDlg::kResultNameBox);
        PressKey(d, CAddResultDlg::kResultNameBox, Qt::Key_Down);  // Potassium
        EXPECT_EQ(fields(d), (Fields{u"", u"3,5-5,0", u"mmol/L"}));
        EXPECT_EQ(ValueHint(d), "3,5-5,0");
        TypeInto(d, CAddResultDlg::kResultNameBox, "Calcium");
        EXPECT_EQ(fields(d), (Fields{u"", u"", u""}));
        EXPECT_EQ(ValueHint(d), "");
        TypeInto(d, CAddResultDlg::kGoalEdit, "8,5-10,2");
        TypeInto(d, CAddResultDlg::kUnitEdit, "mg/dL");
        TypeInto(d, CAddResultDlg::kResultNameBox, "Sodium");  // a known name, typed
        EXPECT_EQ(fields(d), (Fields{u"", u"8,5-10,2", u"mg/dL"}));
        TypeInto(d, CAddResultDlg::kResultNameBox, "Calcium");

        TypeInto(d, CAddResultDlg::kValueEdit, "9,1 (repeat)");
        ClickOn(d, IDOK);  // answered No: back to the value, selected
        EXPECT_FALSE(d.IsEnded());
        auto* value = qobject_cast<QLineEdit*>(d.ControlWidget(CAddResultDlg::kValueEdit));
        EXPECT_EQ(d.Widget()->focusWidget(), value);
        EXPECT_EQ(value->selectedText(), "9,1 (repeat)");
        QTest::keyClicks(value, "9,1");
        ClickOn(d, IDOK);
    });
    EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"The value \"9,1 (repeat)\" is not a number, so it will "
                                                             u"not be compared with its goal or graphed. Keep it as "
                                                             u"typed?"});
    EXPECT_EQ(handed, (Fields{u"Calcium", u"9,1", u"8,5-10,2", u"mg/dL", u"new"}));

    // In English 9,1 is no number: kept as typed when the person says so.
    driver.ClearMessages();
    const DesktopLocale english(QLocale::English);
    EXPECT_EQ(Run(u"Bob", u"Metabolic Panel", [&](CAddResultDlg& d) {
        CComboBox(d, CAddResultDlg::kResultNameBox).UserChoose(1);
        EXPECT_EQ(fields(d), (Fields{u"", u"3.5-5.0", u"mmol/L"}));
        TypeInto(d, CAddResultDlg::kValueEdit, "4,1");
        TypeInto(d, CAddResultDlg::kGoalEdit, "about 4");
        driver.AnswerNextQuestion(true);
        ClickOn(d, IDOK);
    }), (Fields{u"Potassium", u"4,1", u"about 4", u"mmol/L", u"known"}));
    ASSERT_EQ(driver.Messages().size(), 1u);
    EXPECT_TRUE(driver.Messages()[0].starts_with(u"Neither the value \"4,1\" nor the goal \"about 4\""));
}

// A unit other than that of the result's stored values is said before Ok ends
// the dialog: converted for graphs when the table knows how, else kept apart.
// No puts the person back into the unit field.
TEST_F(AddResultDlgTest, OtherUnitThanBeforeIsSaidWithWhatGraphsDo) {
    ASSERT_TRUE(StoreResult(u"Ann", u"Lipid Panel", u"", kNow, u"LDL", u"130", u"100", u"mg/dl"));
    const Fields converted = Run(u"Ann", u"Lipid Panel", [this](CAddResultDlg& d) {
        CComboBox(d, CAddResultDlg::kResultNameBox).UserChoose(1);
        TypeInto(d, CAddResultDlg::kValueEdit, "3.4");
        TypeInto(d, CAddResultDlg::kUnitEdit, "mmol/L");
        ClickOn(d, IDOK);  // answered No
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(d.Widget()->focusWidget(), d.ControlWidget(CAddResultDlg::kUnitEdit));
        QTest::keyClicks(d.Widget()->focusWidget(), "MG/DL");  // over the unit, selected: the same unit
        ClickOn(d, IDOK);
    });
    EXPECT_EQ(converted, (Fields{u"LDL", u"3.4", u"100", u"MG/DL", u"known"}));
    ASSERT_EQ(driver.Messages().size(), 1u);
    EXPECT_EQ(driver.Messages()[0], u"LDL was recorded in mg/dl before. Graphs will convert between mmol/L and "
                                    u"mg/dl as LDL cholesterol, showing the unit of the latest value. Keep mmol/L?");

    driver.ClearMessages();
    const Fields apart = Run(u"Ann", u"Lipid Panel", [this](CAddResultDlg& d) {
        CComboBox(d, CAddResultDlg::kResultNameBox).UserChoose(1);
        TypeInto(d, CAddResultDlg::kValueEdit, "2");
        TypeInto(d, CAddResultDlg::kUnitEdit, "mEq/L");
        driver.AnswerNextQuestion(true);
        ClickOn(d, IDOK);
    });
    EXPECT_EQ(apart, (Fields{u"LDL", u"2", u"100", u"mEq/L", u"known"}));
    ASSERT_EQ(driver.Messages().size(), 1u);
    EXPECT_EQ(driver.Messages()[0], u"LDL was recorded in mg/dl before. Values in mEq/L cannot be converted to "
                                    u"it, so a graph shows only those in the unit of the latest value and counts "
                                    u"the others. Keep mEq/L?");
}

}  // namespace
