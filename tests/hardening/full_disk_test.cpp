// Start-ups on a full disk: the first run says once that the test information
// could not be saved and where; an ordinary start shows the data without
// writing. That the next start, with space again, imports is the import's
// test; that it asks for the first user again, the first run's.

#include "app/temp_device.h"
#include "device_snapshot.h"
#include "support/list_rows.h"

#include "app/vantrel_app.h"
#include "app/vantrel_dlg.h"
#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/records/record_store.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "res/resource.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
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
}

// Each window's message for a save that failed is that window's own test.
TEST_F(FullDiskTest, AnOrdinaryStartShowsTheDataWithoutWriting) {
    ASSERT_TRUE(SetTestEntry(u"Glucose", u"why", u"To check for diabetes"));
    ASSERT_TRUE(AddPatient(u"Ann", u"", MakeDate(1970, 5, 2), u"0", u"Bar"));
    ASSERT_TRUE(CreateSettings(u"Ann"));
    ASSERT_TRUE(StoreResult(u"Ann", u"Glucose", u"", MakeDate(2026, 6, 1), u"Glucose", u"92", u"70-100", u"mg/dL"));
    device_.WriteTestInfoFile(kSmallTestInfoFile);
    SetDeviceRoot(device_.Root());  // the file complete, without its log
    const DeviceSnapshot before = SnapshotOf(device_.Root());
    SetStoreWriteFailureForTesting(true);
    Start([](CVantrelDlg& d) {
        EXPECT_EQ(RecordPaint(d).texts.front().text, u"Tests for Ann");
        EXPECT_EQ(ListRows(d, CVantrelDlg::kTestList), Texts{u"Glucose"});
    });
    SetStoreWriteFailureForTesting(false);
    EXPECT_TRUE(driver_.Messages().empty());
    EXPECT_EQ(ChangedSince(before), "");
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
    EXPECT_TRUE(HasPatient(u"Ann"));
}

}  // namespace
