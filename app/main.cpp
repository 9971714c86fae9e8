#include "app/vantrel_app.h"
#include "platform/ui/win_app.h"

static CVantrelApp theApp;

int main(int argc, char** argv) { return RunWinApp(argc, argv); }
