// The whole program on a scratch device, used as a person uses it: the real
// start-up, real windows and event loops, mouse and keys, and what the windows
// show. First run, a test with a result, its report and graph, a second user,
// and a restart. Switching back and forth is the main window tests'.

#include "support/screen.h"
#include "support/stored_text.h"
#include "temp_device.h"

#include "app/vantrel_app.h"
#include "app/vantrel_dlg.h"
#include "entry/add_patient_dlg.h"
#include "entry/add_result_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/ui/dialog_widget.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <QTest>

namespace {

void ClickRow(QAbstractItemView* list, int row) {
    const QModelIndex item = list->model()->index(row, 0);
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
}

// Opens the box's list and clicks the item of that text.
void Choose(QComboBox* box, const QString& item) {
    const int row = box->findText(item, Qt::MatchExactly);
    ASSERT_GE(row, 0) << item.toStdString();
    box->showPopup();
    QAbstractItemView* view = box->view();
    view->scrollTo(view->model()->index(row, 0));
    QCoreApplication::processEvents();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
}

void AddUser(Person& person, const QString& name) {
    person.Then("Add Patient", [name](QWidget& w) {
        TypeInto(w, CAddPatientDlg::kNameEdit, name);
        QTest::keyClick(Control(w, CAddPatientDlg::kNameEdit), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "3/14/1975");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        // From "Male", the arrow key chooses "Female".
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        Click(w, CAddPatientDlg::kOkButton);
    });
    person.Then("Graph Options", [](QWidget& w) { Click(w, IDOK); });
}

TEST(WholeProgram, FirstRunATestItsReportASecondUserAndARestart) {
    TempDevice device;  // the start-up puts the shipped catalogue on it, from the build tree's copy
    ASSERT_EQ(setenv("VANTREL_DATA_DIR", VANTREL_BUILT_DATA_DIR, 1), 0);
    Person person;

    AddUser(person, "Ann Lee");
    person.Then("Vantrel", [](QWidget& w) {
        EXPECT_TRUE(ShowsText(w, 10, 15, u"Tests for Ann Lee"));
        Click(w, CVantrelDlg::kTakeTestButton);
    });
    person.Then("Take Test", [](QWidget& w) {
        auto* tests = Control<QComboBox>(w, CTakeTestDlg::kTestNameBox);
        Choose(tests, "Lipid Panel");
        QTest::keyClick(tests->lineEdit(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "06/14/2026");
        Click(w, CTakeTestDlg::kAddButton);
    });
    person.Then("Add Test Result", [](QWidget& w) {
        EXPECT_EQ(Control<QComboBox>(w, CAddResultDlg::kResultNameBox)->currentText(), "Total cholesterol");
        TypeInto(w, CAddResultDlg::kValueEdit, "250");
        Click(w, IDOK);
    });
    person.Then("Take Test", [](QWidget& w) {
        EXPECT_EQ(ListItems(w, CTakeTestDlg::kResultList),
                  std::vector<std::string>{"Total cholesterol [ 250 vs 0-199 ] mg/dL"});
        Click(w, CTakeTestDlg::kOkButton);
    });
    person.Then("Vantrel", [](QWidget& w) {
        ASSERT_EQ(ListItems(w, CVantrelDlg::kTestList), std::vector<std::string>{"Lipid Panel"});
        ClickRow(Control<QListWidget>(w, CVantrelDlg::kTestList), 0);
        Click(w, CVantrelDlg::kReportButton);
    });
    person.Then("Test Report", [](QWidget& w) {
        EXPECT_EQ(Control<QComboBox>(w, 1009)->currentText().toStdString(), "6/14/2026");
        auto* report = Control<QListWidget>(w, 1006);
        const QList<QListWidgetItem*> row = report->findItems("Total cholesterol", Qt::MatchStartsWith);
        EXPECT_EQ(row.size(), 1);
        if (!row.empty()) {
            EXPECT_TRUE(row[0]->data(Qt::AccessibleTextRole).toString().endsWith(", above goal"));
        }
        Click(w, IDOK);
    });
    person.Then("Vantrel", [](QWidget& w) { Click(w, CVantrelDlg::kGraphButton); });
    person.Then("Results Graph", [](QWidget& w) {
        Choose(Control<QComboBox>(w, 1009), "Total cholesterol");
        EXPECT_EQ(w.accessibleDescription().toStdString(), "Total cholesterol, today: 1 value; latest 250 mg/dL on "
                                                           "6/14/2026; goal 0 to 199 mg/dL; average 250.00 mg/dL");
        w.close();
    });
    person.Then("Vantrel", [](QWidget& w) { Click(w, CVantrelDlg::kSwitchUserButton); });
    person.Then("Switch User", [](QWidget& w) { Click(w, CSwitchUserDlg::kAddButton); });
    AddUser(person, "Bob Stone");
    person.Then("Switch User", [](QWidget& w) {
        auto* users = Control<QAbstractItemView>(w, CSwitchUserDlg::kUserList);
        const QModelIndexList bob = users->model()->match(users->model()->index(0, 0), Qt::DisplayRole, "Bob Stone",
                                                          -1, Qt::MatchExactly);
        ASSERT_EQ(bob.size(), 1);
        ClickRow(users, bob[0].row());
        Click(w, CSwitchUserDlg::kOkButton);
    });
    person.Then("Vantrel", [](QWidget& w) {
        // At once, not after a restart.
        EXPECT_TRUE(ShowsText(w, 10, 15, u"Tests for Bob Stone"));
        EXPECT_EQ(Control<QListWidget>(w, CVantrelDlg::kTestList)->count(), 0);
        Click(w, CVantrelDlg::kCloseButton);
    });
    {
        CVantrelApp app;
        EXPECT_FALSE(app.InitInstance());
    }
    EXPECT_TRUE(person.Done());

    EXPECT_EQ(StoredSex(u"Ann Lee"), u"Female");
    SystemTime birthdate = GetBirthdate(u"Ann Lee");
    EXPECT_EQ((std::array{birthdate.year, birthdate.month, birthdate.day}), (std::array<std::uint16_t, 3>{1975, 3, 14}));

    EXPECT_EQ(UserTests(u"Ann Lee"), std::vector<std::u16string>{u"Lipid Panel"});

    // The restart comes back to the user last switched to.
    person.Then("Vantrel", [](QWidget& w) {
        EXPECT_TRUE(ShowsText(w, 10, 15, u"Tests for Bob Stone"));
        Click(w, CVantrelDlg::kCloseButton);
    });
    CVantrelApp restarted;
    EXPECT_FALSE(restarted.InitInstance());
}

}  // namespace
