#pragma once
// The Installation window: shown while the main window opens; on a first run
// it imports the test information file and asks for the first user.

#include "platform/paint_surface.h"
#include "platform/ui/command_table.h"
#include "platform/ui/dialog.h"

#include <functional>
#include <string>

class CInstallDlg : public CDialog {
public:
    // `userAsked` runs once the first-user step has run.
    explicit CInstallDlg(std::function<void()> userAsked = {});

    const CommandTable& Commands() const override;
    // Made on the heap by CreateInstallWindow; frees itself once its window is gone.
    void PostNcDestroy() override;

private:
    void OnPaint(PaintSurface& dc);

    // The import, the first-user step and the closing run once, although a
    // further paint can arrive while the first-user dialog is open.
    bool started_ = false;
    std::function<void()> userAsked_;
};

// Creates and shows the Installation window over the main window; a failure is
// told in a message box and the program goes on without it. `userAsked` runs
// once the first user was asked for, which may change the current user.
void CreateInstallWindow(CDialog& mainWindow, std::function<void()> userAsked = {});

// The device owner's name into `name`, bounded; `name` is left as it was when
// the device has none.
void GetOwnerName(std::u16string& name);

// Asks for the first user, preset with the owner's name, and makes that user
// the current one. Cancelled, it leaves the device without a user, and the
// next start asks again.
void RunFirstUserStep();
