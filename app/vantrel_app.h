#pragma once
// The application object: its start hook runs the whole program.

#include "platform/ui/win_app.h"

class CVantrelApp : public CWinApp {
public:
    // No name of its own: the framework's default name is every message box's caption.
    CVantrelApp() = default;

    // Checks the device, runs the main window modally and returns false, so
    // the program ends when the main window closes.
    bool InitInstance() override;
};
