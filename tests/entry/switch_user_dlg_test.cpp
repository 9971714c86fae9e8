#include "entry/switch_user_dlg.h"

#include "entry/add_patient_dlg.h"
#include "entry_fixture.h"
#include "platform/records/record_store.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "store/patient_store.h"
#include "support/list_rows.h"

#include <QAbstractItemView>

namespace {

using Names = std::vector<std::u16string>;

class SwitchUserDlgTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        AddUsers();
        AddPatient(u"Anna", u"Female", kBirthdate, u"0", u"Bar");
        ASSERT_TRUE(StoreResult(u"Bob", u"Iron", u"", MakeDate(2004, 1, 5), u"", u"", u"", u""));
        ASSERT_TRUE(StoreResult(u"Bob", u"Iron", u"", MakeDate(2004, 2, 5), u"", u"", u"", u""));
    }

    // Runs the dialog with `current` as the current user; returns the user it hands back.
    std::u16string Run(std::u16string current, std::function<void(CSwitchUserDlg&)> script) {
        CSwitchUserDlg dlg;
        dlg.userName = std::move(current);
        driver.Run(dlg, std::move(script));
        return dlg.userName;
    }

    static Names Listed(CDialog& d) { return ListBoxRows(d, CSwitchUserDlg::kUserList); }
    static std::u16string Selected(CDialog& d) {
        CListBox list(d, CSwitchUserDlg::kUserList);
        return list.GetCurSel() < 0 ? u"<none>" : list.GetText(list.GetCurSel());
    }

    // The Add Patient run that `press` opens: `act` on it, then Ok through Graph Options.
    void AddPatientThrough(CSwitchUserDlg& d, int press, std::function<void(CAddPatientDlg&)> act) {
        driver.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [this, act](CAddPatientDlg& p) {
            act(p);
            driver.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) { g.SendCommand(IDOK); });
            p.SendCommand(CAddPatientDlg::kOkButton);
        });
        d.SendCommand(press);
    }
};

// Ok hands back the selected user, and without one asks for it.
TEST_F(SwitchUserDlgTest, TheFirstSelectionIsSearchedAfterTheFirstRowAndOkHandsItBack) {
    const struct {
        std::u16string current, selected, handedBack;
    } cases[] = {{u"Ann", u"Anna", u"Ann"}, {u"bob", u"Bob", u"bob"}, {u"Zed", u"<none>", u"Bob"}};
    for (const auto& c : cases) {
        const std::u16string handedBack = Run(c.current, [&](CSwitchUserDlg& d) {
            EXPECT_EQ(Listed(d), (Names{u"Ann", u"Anna", u"Bob"}));
            EXPECT_EQ(Selected(d), c.selected);
            if (c.selected != u"<none>") {
                d.SendCommand(CSwitchUserDlg::kCancelButton);
                return;
            }
            d.SendCommand(CSwitchUserDlg::kOkButton);
            d.SendCommand(IDOK);  // Enter checks the same way
            EXPECT_FALSE(d.IsEnded());
            CListBox(d, CSwitchUserDlg::kUserList).UserSelect(2);
            d.SendCommand(IDOK);
        });
        EXPECT_EQ(handedBack, c.handedBack);
    }
    EXPECT_EQ(driver.Messages(), (Names{u"Please select a user to set as the current user",
                                        u"Please select a user to set as the current user"}));
}

// A renamed user shows under the new name at once. A rename onto another
// user's name is the user-change store tests'; the message is the one Add gives.
TEST_F(SwitchUserDlgTest, AddListsNewNamesOnlyAndEditRenames) {
    Run(u"Zed", [this](CSwitchUserDlg& d) {  // not listed: no row selected
        AddPatientThrough(d, CSwitchUserDlg::kAddButton,
                          [](CAddPatientDlg& p) { CEdit(p, CAddPatientDlg::kNameEdit).UserType(u"Cy"); });
        EXPECT_EQ(Listed(d), (Names{u"Ann", u"Anna", u"Bob", u"Cy"}));
        // A stored name in any letter case is refused: adding never writes over a user.
        driver.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [this](CAddPatientDlg& p) {
            CEdit(p, CAddPatientDlg::kNameEdit).UserType(u"cy");
            p.SendCommand(CAddPatientDlg::kOkButton);
            EXPECT_EQ(driver.Messages(), Names{u"Another user already has this name. Please choose another name."});
            p.SendCommand(CAddPatientDlg::kCancelButton);
        });
        d.SendCommand(CSwitchUserDlg::kAddButton);
        EXPECT_EQ(Listed(d).size(), 4u);
        d.SendCommand(CSwitchUserDlg::kEditButton);
        EXPECT_EQ(driver.Messages().back(), u"Please select a user to edit");

        CListBox(d, CSwitchUserDlg::kUserList).UserSelect(2);
        AddPatientThrough(d, CSwitchUserDlg::kEditButton, [](CAddPatientDlg& p) {
            EXPECT_EQ(p.name, u"Bob");
            CEdit(p, CAddPatientDlg::kNameEdit).UserType(u"Robert");
        });
        EXPECT_EQ(Listed(d), (Names{u"Ann", u"Anna", u"Cy", u"Robert"}));
        EXPECT_EQ(Selected(d), u"Robert");
        d.SendCommand(CSwitchUserDlg::kCancelButton);
    });
}

// A person's hand on a long list: it opens on the current user in view; a
// click, a letter typed, keys along the list and Enter hand back a user.
TEST_F(SwitchUserDlgTest, APersonPicksFromAHundredUsersByMouseAndKeys) {
    {
        StoreTransaction unit;
        for (int n = 199; n >= 100; --n)
            ASSERT_TRUE(AddPatient(u"Zora " + IntToText(n), u"", kBirthdate, u"0", u"Bar"));
        ASSERT_TRUE(unit.Commit());
    }
    const std::u16string handedBack = Run(u"Zora 150", [](CSwitchUserDlg& d) {
        auto* view = qobject_cast<QAbstractItemView*>(d.ControlWidget(CSwitchUserDlg::kUserList));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(Selected(d), u"Zora 150");
        const QModelIndex current = view->model()->index(CListBox(d, CSwitchUserDlg::kUserList).GetCurSel(), 0);
        EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(current)));

        ClickRow(d, CSwitchUserDlg::kUserList, 0);
        EXPECT_EQ(Selected(d), u"Ann");
        PressKey(d, CSwitchUserDlg::kUserList, Qt::Key_Z);
        EXPECT_EQ(Selected(d), u"Zora 100");
        PressKey(d, CSwitchUserDlg::kUserList, Qt::Key_End);
        PressKey(d, CSwitchUserDlg::kUserList, Qt::Key_Up);
        EXPECT_EQ(Selected(d), u"Zora 198");
        PressKey(d, CSwitchUserDlg::kUserList, Qt::Key_Return);
    });
    EXPECT_EQ(handedBack, u"Zora 198");
}

TEST_F(SwitchUserDlgTest, DeleteAsksNamingWhatGoesAndTheSafeAnswerKeepsIt) {
    Run(u"Zed", [this](CSwitchUserDlg& d) {
        d.SendCommand(CSwitchUserDlg::kDeleteButton);
        CListBox(d, CSwitchUserDlg::kUserList).UserSelect(2);
        d.SendCommand(CSwitchUserDlg::kDeleteButton);
        EXPECT_EQ(Listed(d).size(), 3u);
        driver.AnswerNextQuestion(true);
        SetStoreWriteFailureForTesting(true);  // the disk is full: said, and Bob stays
        d.SendCommand(CSwitchUserDlg::kDeleteButton);
        SetStoreWriteFailureForTesting(false);
        EXPECT_EQ(Listed(d).size(), 3u);
        driver.AnswerNextQuestion(true);
        d.SendCommand(CSwitchUserDlg::kDeleteButton);
        EXPECT_EQ(Listed(d), (Names{u"Ann", u"Anna"}));
        CListBox(d, CSwitchUserDlg::kUserList).UserSelect(0);
        d.SendCommand(CSwitchUserDlg::kDeleteButton);
        d.SendCommand(CSwitchUserDlg::kCancelButton);
    });
    EXPECT_EQ(driver.Messages(),
              (Names{u"Please select a user to delete", u"Delete Bob and all 2 tests?", u"Delete Bob and all 2 tests?",
                     u"Could not delete this user. Check that there is space on the disk and try again.",
                     u"Delete Bob and all 2 tests?", u"Delete Ann?"}));
    EXPECT_FALSE(HasPatient(u"Bob"));
    EXPECT_TRUE(HasPatient(u"Ann"));
}

}  // namespace
