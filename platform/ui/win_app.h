#pragma once
// The application object and the program's entry into the dialog framework.

#include <string>

class CDialog;

class CWinApp {
public:
    // Without a name the framework's default name "Vantrel" applies.
    explicit CWinApp(const char16_t* appName = nullptr);
    virtual ~CWinApp();
    // The start hook; returning false ends the program without a message loop.
    virtual bool InitInstance() = 0;

    std::u16string AppName() const { return appName_; }
    CDialog* mainWindow = nullptr;

private:
    std::u16string appName_;
};

CWinApp* AfxGetApp();
// The application's name, the caption of every message box.
std::u16string AfxAppName();

// The program's main: starts the window system and runs the one application
// object's start hook. Without a display it says so on stderr and returns 1.
int RunWinApp(int argc, char** argv);
