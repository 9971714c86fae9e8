#include "app/vantrel_app.h"

#include "app/catalogue_seed.h"
#include "app/device_checks.h"
#include "app/vantrel_dlg.h"
#include "platform/device_lock.h"
#include "platform/ui/message_box.h"

#include <string>

bool CVantrelApp::InitInstance() {
    DeviceLock lock;  // held until the program ends
    if (!PrepareDevice(lock)) return false;
    TellUnreadableRecords();
    std::u16string refusal;
    SeedTestInfoFile(ShippedDataDirs(), &refusal);
    if (!refusal.empty()) MessageBox(nullptr, refusal);

    CVantrelDlg dlg;
    mainWindow = &dlg;
    dlg.DoModal();
    mainWindow = nullptr;
    return false;
}
