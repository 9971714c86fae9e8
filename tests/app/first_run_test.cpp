// The first run end to end: the Installation window imports the device's test
// information file once and asks for the first user; later starts only flash it.

#include "support/stored_text.h"
#include "temp_device.h"

#include "app/install_dlg.h"
#include "app/vantrel_dlg.h"
#include "entry/add_patient_dlg.h"
#include "platform/records/record_store.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog_widget.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "store/test_info_file.h"
#include "store/test_info_import.h"
#include "support/dialog_driver.h"
#include "support/screen.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <functional>

namespace {

// The open window of template `id`, reached as the person sees it.
CDialog* OpenWindowOf(int id) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialogWidget = dynamic_cast<DialogWidget*>(widget);
        CDialog* dialog = dialogWidget ? dialogWidget->Dialog() : nullptr;
        if (dialog && dialog->TemplateId() == id && dialog->IsWindow()) return dialog;
    }
    return nullptr;
}

// Starts the main window and returns its heading; on a first run the scripts
// of the first-user step must be queued before, as their runs open first.
std::u16string StartMainWindow(DialogDriver& driver) {
    std::u16string heading;
    driver.Expect<CVantrelDlg>(IDD_VANTREL, [&](CVantrelDlg& d) {
        EXPECT_EQ(OpenWindowOf(IDD_INSTALL), nullptr) << "the Installation window closed itself";
        heading = RecordPaint(d).texts.front().text;
        ClickOn(d, CVantrelDlg::kCloseButton);
    });
    CVantrelDlg dlg;
    dlg.DoModal();
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
    EXPECT_EQ(driver.PendingScripts(), 0u);
    return heading;
}

class FirstRunTest : public ::testing::Test {
protected:
    // Queues the first-user dialog; `script` ends it.
    void ExpectFirstUser(std::function<void(CAddPatientDlg&)> script) {
        driver_.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [this, script](CAddPatientDlg& d) {
            seenMode_ = d.mode;
            seenName_ = d.name;
            EXPECT_NE(OpenWindowOf(IDD_INSTALL), nullptr);
            script(d);
        });
    }
    void ConfirmFirstUser() {
        ExpectFirstUser([](CAddPatientDlg& d) { ClickOn(d, CAddPatientDlg::kOkButton); });
        driver_.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) { ClickOn(g, IDOK); });
    }
    void CancelFirstUser() {
        ExpectFirstUser([](CAddPatientDlg& d) { ClickOn(d, CAddPatientDlg::kCancelButton); });
    }

    TempDevice device_;
    DialogDriver driver_;
    int seenMode_ = -1;
    std::u16string seenName_ = u"(not opened)";
};

// The owner's name, else the sample name, is offered; a first user cancelled
// (or a run that ended there) is asked for again at the next start, and once
// there is one the file is never read again.
TEST_F(FirstRunTest, TheFirstUserIsTheOwnerConfirmedOrAskedForAgain) {
    const struct {
        std::u16string owner;
        bool confirm;
        int mode;
    } cases[] = {{u"Mara Quell", true, CAddPatientDlg::kModeOwner},
                 {u"Mara Quell", false, CAddPatientDlg::kModeOwner},
                 {u"", false, CAddPatientDlg::kModeNew}};
    for (const auto& c : cases) {
        TempDevice device;
        device.WriteTestInfoFile(kSmallTestInfoFile);
        if (!c.owner.empty()) device.SetOwnerName(c.owner);
        if (c.confirm) ConfirmFirstUser();
        else CancelFirstUser();
        const std::u16string shown = StartMainWindow(driver_);
        EXPECT_EQ(seenMode_, c.mode);
        EXPECT_EQ(seenName_, c.owner);
        EXPECT_EQ(StoredSetting(kCurrentUserKey), c.confirm ? c.owner : u"<missing>");
        EXPECT_EQ(HasPatient(c.owner), c.confirm);
        EXPECT_EQ(StoredEntry(u"Iron", u"other name"), u"Serum iron");
        EXPECT_EQ(shown, c.confirm ? u"Tests for " + c.owner : u"Tests for (no user)");
        const std::u16string heading = u"Tests for " + (c.owner.empty() ? u"Tavi Orlenska" : c.owner);
        if (!c.confirm) {
            ConfirmFirstUser();
            EXPECT_EQ(StartMainWindow(driver_), heading);
        }
        // Were the file read again, Zinc would join the catalogue and a second
        // first-user dialog would open without a script.
        device.WriteTestInfoFile("<name>Zinc\n<other name>Zn\n<why>w\n<when>w\n<how>h\n<normal results>n\n"
                                 "<home test>No\n<number of results>0\n\n\n");
        EXPECT_EQ(StartMainWindow(driver_), heading);
        EXPECT_EQ(StoredEntry(u"Zinc", u"other name"), u"<missing>");
    }
}

// The first user stored, but not as the current one: said, not passed over.
TEST_F(FirstRunTest, AFirstUserThatCannotBeMadeCurrentIsToldSo) {
    device_.WriteTestInfoFile(kSmallTestInfoFile);
    device_.SetOwnerName(u"Mara Quell");
    ExpectFirstUser([](CAddPatientDlg& d) { ClickOn(d, CAddPatientDlg::kOkButton); });
    driver_.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) {
        RefuseStoreAddsAfterForTesting(1);  // the user's record goes in, the setting does not
        ClickOn(g, IDOK);
    });
    StartMainWindow(driver_);
    SetStoreWriteFailureForTesting(false);
    EXPECT_EQ(driver_.Messages(), std::vector<std::u16string>{u"Could not switch to this user. Check that there is "
                                                              u"space on the disk and try again."});
    EXPECT_TRUE(HasPatient(u"Mara Quell"));
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"<missing>");
}

TEST_F(FirstRunTest, AFileBeyondTheBoundIsRefusedWithOneMessageNamingIt) {
    device_.WriteTestInfoFile(std::string(kTestInfoMaxLines + 1, '\r'));
    EXPECT_EQ(StartMainWindow(driver_), u"Tests for (no user)");
    EXPECT_EQ(driver_.Messages(),
              std::vector<std::u16string>{u"Vantrel did not import the test information file " +
                                          Utf8ToText(ResolveDevicePath(kTestInfoFilePath).string()) +
                                          u": it is larger than 8 MB or longer than 200000 lines, "
                                          u"far beyond any real catalogue."});
    EXPECT_FALSE(PropertyDatabase::Exists(kTestCatalogDatabase));
}

}  // namespace
