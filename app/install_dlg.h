#pragma once
// The Installation window: shown while the main window opens; on a first run
// it imports the test information file and asks for the first user.

#include "platform/paint_surface.h"
#include "platform/ui/command_table.h"
#include "platform/ui/dialog.h"

#include <string>

class CInstallDlg : public CDialog {
public:
    explicit CInstallDlg(CDialog* parent = nullptr);

    const CommandTable& Commands() const override;
    // Made on the heap by CreateInstallWindow; frees itself once its window is gone.
    void PostNcDestroy() override;

private:
    void OnPaint(PaintSurface& dc);

    // The import, the first-user step and the closing run once, although a
    // further paint can arrive while the first-user dialog is open.
    bool started_ = false;
};

// Creates and shows the Installation window over the main window; a failure is
// told in a message box and the program goes on without it.
void CreateInstallWindow(CDialog& mainWindow);

// The device owner's name into `name`, bounded; `name` is left as it was when
// the device has none.
void GetOwnerName(std::u16string& name);

// Asks for the first user, preset with the owner's name, and makes that user
// the current one (also when the dialog is cancelled).
void RunFirstUserStep();
