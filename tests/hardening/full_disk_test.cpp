// Start-ups on a full disk: the first run says once that the test information
// could not be saved and where, and a later run imports it; an ordinary start
// shows the data, and what cannot be stored is said, never shown as done.

#include "app/temp_device.h"
#include "device_snapshot.h"
#include "support/list_rows.h"

#include "app/vantrel_app.h"
#include "app/vantrel_dlg.h"
#include "entry/add_patient_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/records/record_store.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "platform/ui/controls.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/test_record_layout.h"
#include "support/dialog_driver.h"
#include "support/stored_results.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::u16string>;

class FullDiskTest : public ::testing::Test {
protected:
    ~FullDiskTest() override {
        SetStoreWriteFailureForTesting(false);
        SetStoreDiskFullForTesting(false);
    }

    // Runs the whole program; `script` acts in the main window, which is then closed.
    void Start(std::function<void(CVantrelDlg&)> script) {
        driver_.Expect<CVantrelDlg>(IDD_VANTREL, [script](CVantrelDlg& d) {
            script(d);
            d.SendCommand(CVantrelDlg::kCloseButton);
        });
        CVantrelApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingScripts(), 0u);
    }

    // What changed under the device root once the program let go of the store,
    // the lock file taken at start aside.
    std::string ChangedSince(const DeviceSnapshot& before) const {
        SetDeviceRoot(device_.Root());
        DeviceSnapshot after = SnapshotOf(device_.Root());
        if (!before.contains(DeviceLock::kFileName)) after.erase(DeviceLock::kFileName);
        return ChangedFiles(before, after);
    }

    TempDevice device_;
    DialogDriver driver_;
};

TEST_F(FullDiskTest, AFirstRunSaysOnceThatTheTestInformationCouldNotBeSavedAndWhere) {
    device_.WriteTestInfoFile(kSmallTestInfoFile);
    const DeviceSnapshot before = SnapshotOf(device_.Root());
    SetStoreWriteFailureForTesting(true);
    std::u16string caption;
    Start([&](CVantrelDlg& d) { caption = RecordPaint(d).texts.front().text; });
    SetStoreWriteFailureForTesting(false);

    ASSERT_EQ(driver_.Messages().size(), 1u);
    const std::u16string& message = driver_.Messages().front();
    EXPECT_NE(message.find(Utf8ToText(ObjectStorePath().string())), std::u16string::npos) << TextToUtf8(message);
    EXPECT_NE(message.find(u"space on the disk"), std::u16string::npos) << TextToUtf8(message);
    EXPECT_EQ(caption, u"Tests for (no user)");  // no first user was asked for
    EXPECT_EQ(ChangedSince(before), "");

    // With space again the next start imports and asks for the first user.
    driver_.ClearMessages();
    // Both open before the main window's script runs.
    driver_.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [](CAddPatientDlg& p) {
        CEdit(p, CAddPatientDlg::kNameEdit).UserType(u"Mara");
        p.SendCommand(CAddPatientDlg::kOkButton);
    });
    driver_.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) { g.SendCommand(IDOK); });
    Start([](CVantrelDlg&) {});
    EXPECT_TRUE(driver_.Messages().empty());
    EXPECT_TRUE(PropertyDatabase::Exists(kTestCatalogDatabase));
    EXPECT_NE(FindPatient(u"Mara"), -1);
}

TEST_F(FullDiskTest, AnOrdinaryStartShowsTheDataAndSaysOfEverySaveThatItFailed) {
    ASSERT_TRUE(SetTestEntry(u"Glucose", u"why", u"To check for diabetes"));
    for (const char16_t* name : {u"Ann", u"Bob"}) ASSERT_TRUE(AddPatient(name, u"", MakeDate(1970, 5, 2), u"0", u"Bar"));
    ASSERT_TRUE(CreateSettings(u"Ann"));
    ASSERT_TRUE(StoreResult(u"Ann", u"Glucose", u"", MakeDate(2026, 6, 1), u"Glucose", u"92", u"70-100", u"mg/dL"));
    device_.WriteTestInfoFile(kSmallTestInfoFile);
    SetDeviceRoot(device_.Root());  // the file complete, without its log
    const DeviceSnapshot before = SnapshotOf(device_.Root());
    SetStoreWriteFailureForTesting(true);

    Start([this](CVantrelDlg& d) {
        EXPECT_EQ(RecordPaint(d).texts.front().text, u"Tests for Ann");
        EXPECT_EQ(ListRows(d, CVantrelDlg::kTestList), Texts{u"Glucose"});

        // Deleting a user that cannot be deleted keeps the user listed.
        driver_.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [this](CSwitchUserDlg& s) {
            CListBox(s, CSwitchUserDlg::kUserList).UserSelect(0);
            driver_.AnswerNextQuestion(true);
            s.SendCommand(CSwitchUserDlg::kDeleteButton);
            EXPECT_EQ(ListBoxRows(s, CSwitchUserDlg::kUserList), (Texts{u"Ann", u"Bob"}));
            EXPECT_EQ(driver_.Messages().size(), 2u);

            driver_.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [this](CAddPatientDlg& p) {
                CEdit(p, CAddPatientDlg::kNameEdit).UserType(u"Cy");
                driver_.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) { g.SendCommand(IDOK); });
                p.SendCommand(CAddPatientDlg::kOkButton);
                EXPECT_FALSE(p.IsEnded());
                p.SendCommand(CAddPatientDlg::kCancelButton);
            });
            s.SendCommand(CSwitchUserDlg::kAddButton);
            EXPECT_EQ(ListBoxRows(s, CSwitchUserDlg::kUserList), (Texts{u"Ann", u"Bob"}));
            s.SendCommand(CSwitchUserDlg::kCancelButton);
        });
        d.SendCommand(CVantrelDlg::kSwitchUserButton);

        // A date that cannot be deleted stays listed, and so does its test.
        driver_.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, [this](CModifyTestDlg& m) {
            CListCtrl(m, CModifyTestDlg::kDateList).UserSelect(0);
            driver_.AnswerNextQuestion(true);
            m.SendCommand(CModifyTestDlg::kDeleteButton);
            EXPECT_EQ(ListRows(m, CModifyTestDlg::kDateList), Texts{u"6/1/2026"});
            m.SendCommand(IDOK);
        });
        d.SendCommand(CVantrelDlg::kEditButton);
        EXPECT_EQ(ListRows(d, CVantrelDlg::kTestList), Texts{u"Glucose"});

        // A switch the store cannot record keeps showing the current user's tests under that name.
        driver_.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [](CSwitchUserDlg& s) {
            CListBox(s, CSwitchUserDlg::kUserList).UserSelect(1);
            s.SendCommand(CSwitchUserDlg::kOkButton);
        });
        d.SendCommand(CVantrelDlg::kSwitchUserButton);
        EXPECT_EQ(RecordPaint(d).texts.front().text, u"Tests for Ann");
        EXPECT_EQ(ListRows(d, CVantrelDlg::kTestList), Texts{u"Glucose"});
    });
    SetStoreWriteFailureForTesting(false);

    EXPECT_EQ(driver_.Messages(),
              (Texts{u"Delete Ann and 1 test?",
                     u"Could not delete this user. Check that there is space on the disk and try again.",
                     u"Could not save this user. Check that there is space on the disk and try again.",
                     u"Delete the results of Glucose on 6/1/2026?",
                     u"Could not delete this date. Check that there is space on the disk and try again.",
                     u"Could not switch to this user. Check that there is space on the disk and try again."}));
    EXPECT_EQ(ChangedSince(before), "");
    EXPECT_NE(FindPatient(u"Ann"), -1);
    EXPECT_EQ(ReadResult(u"Ann", u"Glucose", u"Glucose", MakeDate(2026, 6, 1))->value, u"92");
}

TEST_F(FullDiskTest, ASoundStoreOnADiskFullAtStartIsNamedWithItsCauseAndLeftAsItWas) {
    ASSERT_TRUE(AddPatient(u"Ann", u"", MakeDate(1970, 5, 2), u"0", u"Bar"));
    ASSERT_TRUE(CreateSettings(u"Ann"));
    device_.WriteTestInfoFile(kSmallTestInfoFile);
    SetDeviceRoot(device_.Root());  // closed as at a clean end: no log, no index beside it
    const DeviceSnapshot before = SnapshotOf(device_.Root());
    SetStoreDiskFullForTesting(true);
    CVantrelApp app;
    EXPECT_FALSE(app.InitInstance());
    SetStoreDiskFullForTesting(false);

    EXPECT_EQ(driver_.Messages(),
              Texts{u"Vantrel cannot write to " + Utf8ToText(ObjectStorePath().string()) + u": the disk is full."});
    // SQLite leaves its log made, empty, when it could not even read.
    const std::string changed = ChangedSince(before);
    const fs::path log = ObjectStorePath().string() + "-wal";
    EXPECT_TRUE(changed.empty() || (changed == " object-store.sqlite-wal" && fs::file_size(log) == 0)) << changed;
    EXPECT_EQ(ObjectStoreProblem(), u"");
    EXPECT_NE(FindPatient(u"Ann"), -1);
}

}  // namespace
