#include "app/vantrel_app.h"

#include "app/catalogue_seed.h"
#include "app/device_checks.h"
#include "app/vantrel_dlg.h"
#include "platform/device_lock.h"

bool CVantrelApp::InitInstance() {
    DeviceLock lock;  // held until the program ends
    if (!PrepareDevice(lock)) return false;
    SeedTestInfoFile(ShippedDataDirs());

    CVantrelDlg dlg;
    mainWindow = &dlg;
    dlg.DoModal();
    mainWindow = nullptr;
    return false;
}
