#include "entry/add_patient_dlg.h"

#include "entry_fixture.h"
#include "platform/record_store_testing.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "store/patient_store.h"
#include "support/stored_text.h"

#include <QApplication>
#include <QTest>

#include <tuple>

namespace {

class AddPatientDlgTest : public EntryTest {
protected:
    int Run(CAddPatientDlg& dlg, std::function<void(CAddPatientDlg&)> script) {
        driver.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, std::move(script));
        return dlg.DoModal();
    }

    // The next Graph Options run: `choose` acts on it, then OK is pressed.
    void ExpectGraphOptions(std::function<void(CGraphOptionsDlg&)> choose = {}) {
        driver.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [choose](CGraphOptionsDlg& g) {
            if (choose) choose(g);
            g.SendCommand(IDOK);
        });
    }

    static std::u16string ShownName(CDialog& d) { return CEdit(d, CAddPatientDlg::kNameEdit).Text(); }
    static std::u16string ShownSex(CDialog& d) { return CComboBox(d, CAddPatientDlg::kSexBox).SelectedText(); }
    static SystemTime ShownBirthdate(CDialog& d) {
        SystemTime t;
        CDateTimeCtrl(d, CAddPatientDlg::kBirthdatePicker).GetTime(t);
        return t;
    }
};

void ExpectSameMoment(const SystemTime& a, const SystemTime& b) {
    const auto moment = [](const SystemTime& t) { return std::tuple(t.year, t.month, t.day, t.hour, t.minute); };
    EXPECT_EQ(moment(a), moment(b));
}

TEST_F(AddPatientDlgTest, EachModeStartsWithItsFields) {
    AddUsers();
    SystemTime in1960 = kNow;
    in1960.year = 1960;
    const struct {
        int mode;
        std::u16string name, shownName, shownSex;
        SystemTime birthdate;
    } cases[] = {{CAddPatientDlg::kModeOwner, u"Orla Owner", u"Orla Owner", u"Male", in1960},
                 {CAddPatientDlg::kModeNew, u"", u"Tavi Orlenska", u"Male", in1960},
                 {CAddPatientDlg::kModeEdit, u"Ann", u"Ann", u"Female", kBirthdate}};
    for (const auto& c : cases) {
        CAddPatientDlg dlg;
        dlg.mode = c.mode;
        dlg.name = c.name;
        Run(dlg, [&](CAddPatientDlg& d) {
            EXPECT_EQ(ShownName(d), c.shownName);
            EXPECT_EQ(ShownSex(d), c.shownSex);
            ExpectSameMoment(ShownBirthdate(d), c.birthdate);
            d.SendCommand(CAddPatientDlg::kCancelButton);
        });
        EXPECT_EQ(dlg.name, c.name);  // Cancel keeps the caller's name and stores nothing
    }
    EXPECT_EQ(FindPatient(u"Orla Owner"), -1);
    EXPECT_EQ(FindPatient(u"Tavi Orlenska"), -1);
}

TEST_F(AddPatientDlgTest, TheLeapDayStaysValidIn1960) {
    const SystemTime leapDay{2004, 2, 0, 29, 7, 45, 0, 0};
    SetLocalTimeForTesting(&leapDay);
    CAddPatientDlg dlg;
    dlg.mode = CAddPatientDlg::kModeNew;
    Run(dlg, [](CAddPatientDlg& d) {
        ExpectSameMoment(ShownBirthdate(d), SystemTime{1960, 2, 0, 29, 7, 45, 0, 0});
        d.SendCommand(CAddPatientDlg::kCancelButton);
    });
}

TEST_F(AddPatientDlgTest, OkStoresThePatientAsTypedWithTheGraphPreferences) {
    CAddPatientDlg dlg;
    dlg.mode = CAddPatientDlg::kModeNew;
    const int result = Run(dlg, [this](CAddPatientDlg& d) {
        PasteInto(d, CAddPatientDlg::kNameEdit, QStringLiteral("Cy\r\nRell"));
        EXPECT_EQ(Shown(d, CAddPatientDlg::kNameEdit), u"Cy Rell");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "7/9/1981");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);  // from "Male" to "Female"
        ExpectGraphOptions();  // OK untouched
        QTest::mouseClick(d.ControlWidget(CAddPatientDlg::kOkButton), Qt::LeftButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.name, u"Cy Rell");
    EXPECT_EQ(StoredSex(u"Cy Rell"), u"Female");
    EXPECT_EQ(GetGraphPeriod(u"Cy Rell"), 0);
    EXPECT_EQ(StoredGraphType(u"Cy Rell"), u"Bar");
    ExpectSameMoment(GetBirthdate(u"Cy Rell"), SystemTime{1981, 7, 0, 9, 10, 30, 0, 0});
    EXPECT_TRUE(driver.Messages().empty());

    // A sex typed rather than chosen is stored empty, also once the box is left.
    CAddPatientDlg typed;
    typed.mode = CAddPatientDlg::kModeNew;
    EXPECT_EQ(Run(typed, [this](CAddPatientDlg& d) {
                  TypeInto(d, CAddPatientDlg::kSexBox, "Female");
                  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                  ExpectGraphOptions();
                  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
              }),
              IDOK);
    EXPECT_EQ(typed.name, u"Tavi Orlenska");
    EXPECT_EQ(StoredSex(u"Tavi Orlenska"), u"");
}

// Every item begins with the empty text, yet an unknown sex is no choice of one.
TEST_F(AddPatientDlgTest, AnEmptyStoredSexStaysEmptyUntilOneIsPicked) {
    AddPatient(u"Cy", u"", kBirthdate, u"0", u"Bar");
    for (const bool pick : {false, true}) {
        CAddPatientDlg edit;
        edit.mode = CAddPatientDlg::kModeEdit;
        edit.name = u"Cy";
        Run(edit, [&](CAddPatientDlg& d) {
            EXPECT_EQ(Shown(d, CAddPatientDlg::kSexBox), u"");
            EXPECT_EQ(CComboBox(d, CAddPatientDlg::kSexBox).GetCurSel(), -1);
            if (pick) {
                ClickOn(d, CAddPatientDlg::kSexBox);
                PressKey(d, CAddPatientDlg::kSexBox, Qt::Key_Down);
                EXPECT_EQ(Shown(d, CAddPatientDlg::kSexBox), u"Female");
            }
            driver.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) { ClickOn(g, IDOK); });
            ClickOn(d, CAddPatientDlg::kOkButton);
        });
        EXPECT_EQ(StoredSex(u"Cy"), pick ? u"Female" : u"");
    }
}

TEST_F(AddPatientDlgTest, AFailedSaveSaysSoAndKeepsTheFieldsAsTyped) {
    const std::u16string notSaved =
        u"Could not save this user. Check that there is space on the disk and try again.";
    AddUsers();
    CAddPatientDlg fresh;
    fresh.mode = CAddPatientDlg::kModeNew;
    const int result = Run(fresh, [&](CAddPatientDlg& d) {
        CEdit(d, CAddPatientDlg::kNameEdit).UserType(u"Cy");
        CComboBox(d, CAddPatientDlg::kSexBox).UserChoose(0);
        ExpectGraphOptions();
        SetStoreWriteFailureForTesting(true);  // the disk is full
        d.SendCommand(CAddPatientDlg::kOkButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{notSaved});
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(FindPatient(u"Cy"), -1);
        EXPECT_EQ(ShownName(d), u"Cy");
        EXPECT_EQ(ShownSex(d), u"Female");
        ExpectGraphOptions();
        d.SendCommand(CAddPatientDlg::kOkButton);  // space again
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(fresh.name, u"Cy");
    EXPECT_EQ(StoredSex(u"Cy"), u"Female");

    // Rewriting a stored patient fails the same way and changes nothing.
    driver.ClearMessages();
    CAddPatientDlg edit;
    edit.mode = CAddPatientDlg::kModeEdit;
    edit.name = u"Bob";
    Run(edit, [&](CAddPatientDlg& d) {
        ExpectGraphOptions([](CGraphOptionsDlg& g) { CComboBox(g, 1022).UserChoose(1); });
        SetStoreWriteFailureForTesting(true);
        d.SendCommand(IDOK);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{notSaved});
        EXPECT_FALSE(d.IsEnded());
        d.SendCommand(CAddPatientDlg::kCancelButton);
    });
    EXPECT_EQ(edit.name, u"Bob");
    EXPECT_EQ(StoredGraphType(u"Bob"), u"Bar");
}

}  // namespace
