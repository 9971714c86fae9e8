#include "entry/add_patient_dlg.h"

#include "entry_fixture.h"
#include "platform/records/testing.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "store/patient_store.h"
#include "support/stored_text.h"

#include <QApplication>
#include <QTest>

#include <tuple>

namespace {

using Texts = std::vector<std::u16string>;

class AddPatientDlgTest : public EntryTest {
protected:
    // Runs the dialog in `mode` on `name`; returns how it ended and the name it hands back.
    std::pair<int, std::u16string> Run(int mode, std::u16string name, std::function<void(CAddPatientDlg&)> script) {
        CAddPatientDlg dlg;
        dlg.mode = mode;
        dlg.name = std::move(name);
        const int result = driver.Run(dlg, std::move(script));
        return {result, dlg.name};
    }

    // The next Graph Options run: `choose` acts on it, then OK is pressed.
    void ExpectGraphOptions(std::function<void(CGraphOptionsDlg&)> choose = {}) {
        driver.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [choose](CGraphOptionsDlg& g) {
            if (choose) choose(g);
            ClickOn(g, IDOK);
        });
    }

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
        const auto ended = Run(c.mode, c.name, [&](CAddPatientDlg& d) {
            EXPECT_EQ(Shown(d, CAddPatientDlg::kNameEdit), c.shownName);
            EXPECT_EQ(ShownSex(d), c.shownSex);
            ExpectSameMoment(ShownBirthdate(d), c.birthdate);
            ClickOn(d, CAddPatientDlg::kCancelButton);
        });
        EXPECT_EQ(ended.second, c.name);  // Cancel keeps the caller's name and stores nothing
    }
    EXPECT_FALSE(HasPatient(u"Tavi Orlenska"));

    // 29 February stays valid in 1960, a leap year.
    const SystemTime leapDay{2004, 2, 0, 29, 7, 45, 0, 0};
    SetLocalTimeForTesting(&leapDay);
    Run(CAddPatientDlg::kModeNew, u"", [](CAddPatientDlg& d) {
        ExpectSameMoment(ShownBirthdate(d), SystemTime{1960, 2, 0, 29, 7, 45, 0, 0});
        ClickOn(d, CAddPatientDlg::kCancelButton);
    });
}

// A sex typed into the box counts when it is Female or Male in any letter case.
TEST_F(AddPatientDlgTest, OkStoresThePatientAsTypedAndTheSexTypedOrChosen) {
    const auto ended = Run(CAddPatientDlg::kModeNew, u"", [this](CAddPatientDlg& d) {
        PasteInto(d, CAddPatientDlg::kNameEdit, QStringLiteral("Cy\r\nRell"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "7/9/1981");
        TypeInto(d, CAddPatientDlg::kSexBox, "Fem");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(driver.Messages(), Texts{u"Please choose Female or Male as the sex."});
        TypeInto(d, CAddPatientDlg::kSexBox, "female");
        ExpectGraphOptions();  // OK untouched
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(ended, std::pair(IDOK, std::u16string(u"Cy Rell")));
    EXPECT_EQ(StoredSex(u"Cy Rell"), u"Female");
    EXPECT_EQ(GetGraphPeriod(u"Cy Rell"), 0);
    EXPECT_EQ(StoredGraphType(u"Cy Rell"), u"Bar");
    ExpectSameMoment(GetBirthdate(u"Cy Rell"), SystemTime{1981, 7, 0, 9, 10, 30, 0, 0});

    // No name is no user.
    Run(CAddPatientDlg::kModeNew, u"", [](CAddPatientDlg& d) {
        TypeInto(d, CAddPatientDlg::kNameEdit, "x");
        PressKey(d, CAddPatientDlg::kNameEdit, Qt::Key_Backspace);
        ClickOn(d, CAddPatientDlg::kOkButton);
        ClickOn(d, CAddPatientDlg::kCancelButton);
    });
    EXPECT_EQ(driver.Messages().back(), u"Please Enter Name");
}

// Editing starts Graph Options on the stored choices, and an unknown sex stays
// unknown until one is picked.
TEST_F(AddPatientDlgTest, EditingKeepsWhatIsNotChanged) {
    AddPatient(u"Cy", u"", kBirthdate, u"-2", u"Line");
    Run(CAddPatientDlg::kModeEdit, u"Cy", [&](CAddPatientDlg& d) {
        EXPECT_EQ(Shown(d, CAddPatientDlg::kSexBox), u"");
        ExpectGraphOptions([](CGraphOptionsDlg& g) {
            EXPECT_EQ(Shown(g, 1009), u"All Dates");
            EXPECT_EQ(Shown(g, 1022), u"Line");
        });
        ClickOn(d, CAddPatientDlg::kOkButton);
    });
    EXPECT_EQ(StoredSex(u"Cy"), u"");
    EXPECT_EQ(GetGraphPeriod(u"Cy"), -2);
    EXPECT_EQ(StoredGraphType(u"Cy"), u"Line");
}

// That nothing of it is stored is the user-change store tests'.
TEST_F(AddPatientDlgTest, AFailedSaveSaysSoAndKeepsTheFieldsAsTyped) {
    EXPECT_EQ(Run(CAddPatientDlg::kModeNew, u"", [&](CAddPatientDlg& d) {
        TypeInto(d, CAddPatientDlg::kNameEdit, "Cy");
        CComboBox(d, CAddPatientDlg::kSexBox).UserChoose(0);
        ExpectGraphOptions();
        SetStoreWriteFailureForTesting(true);  // the disk is full
        ClickOn(d, CAddPatientDlg::kOkButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(driver.Messages(),
                  Texts{u"Could not save this user. Check that there is space on the disk and try again."});
        EXPECT_EQ(Shown(d, CAddPatientDlg::kNameEdit), u"Cy");
        EXPECT_EQ(ShownSex(d), u"Female");
        ExpectGraphOptions();
        ClickOn(d, CAddPatientDlg::kOkButton);  // space again
    }).first, IDOK);
    EXPECT_EQ(StoredSex(u"Cy"), u"Female");
}

}  // namespace
