#include "app/install_dlg.h"

#include "entry/add_patient_dlg.h"
#include "platform/device.h"
#include "platform/record_store.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "store/catalog_store.h"
#include "store/settings_store.h"
#include "store/test_info_file.h"
#include "store/test_info_import.h"

#include <new>

namespace {

// The import stopped although the file can be read: the store refused to keep
// it (a full disk). Without a word the user would meet an empty program.
bool ImportWasRefused() {
    if (PropertyDatabase::Exists(kTestCatalogDatabase)) return false;
    TestInfoFile file;
    return file.Open(ResolveDevicePath(kTestInfoFilePath));
}

}  // namespace

CInstallDlg::CInstallDlg(CDialog* parent) : CDialog(IDD_INSTALL, parent) {}

const CommandTable& CInstallDlg::Commands() const {
    static const CommandTable table{BindPaint(&CInstallDlg::OnPaint)};
    return table;
}

void CInstallDlg::PostNcDestroy() { delete this; }

void CInstallDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kBlack);
    dc.TextOut(20, 124, u"Initializing Database...Please Wait");
    if (started_) return;
    started_ = true;
    if (ImportTestInfo(dc)) {
        RunFirstUserStep();
    } else if (ImportWasRefused()) {
        MessageBox(this, u"Vantrel could not save the test information in its data file " +
                             Utf8ToText(ObjectStorePath().string()) +
                             u". Check that there is space on the disk and start Vantrel again.");
    }
    EndDialog(IDOK);
    DestroyWindow();  // frees this object: nothing of it may be touched after
}

void CreateInstallWindow(CDialog& mainWindow) {
    CInstallDlg* dlg = new (std::nothrow) CInstallDlg();
    if (dlg == nullptr) {
        MessageBox(nullptr, u"Error Creating Dialog Object");
        return;
    }
    if (!dlg->Create(&mainWindow)) {
        MessageBox(nullptr, u"Error creating Dialog");
        delete dlg;  // it has no window, so nothing else would free it
        return;
    }
    dlg->ShowWindow();
}

void GetOwnerName(std::u16string& name) {
    const std::u16string owner = DeviceOwnerName();
    if (!owner.empty()) name = BoundedText(owner);
}

void RunFirstUserStep() {
    std::u16string owner;
    GetOwnerName(owner);
    CAddPatientDlg dlg;
    dlg.mode = owner.empty() ? CAddPatientDlg::kModeNew : CAddPatientDlg::kModeOwner;
    dlg.name = owner;
    dlg.DoModal();
    CreateSettings(dlg.name);
}
