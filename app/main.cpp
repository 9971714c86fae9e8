#include "app/vantrel_app.h"
#include "platform/ui/win_app.h"

#include <cstdio>
#include <cstring>

static CVantrelApp theApp;

namespace {

const char* const kHelp =
    "Usage: vantrel [--help | --version]\n"
    "Vantrel records your lab tests with their results, shows a report of each test\n"
    "with icons comparing every value with its goal, graphs a result over a period,\n"
    "and tells what each kind of test is for.\n"
    "\n"
    "  -h, --help     this help\n"
    "      --version  the version\n"
    "Qt's own options (-platform, -display, ...) are accepted too.\n"
    "\n"
    "Environment:\n"
    "  VANTREL_DEVICE_ROOT  the device folder (default: ~/.local/share/vantrel)\n"
    "  VANTREL_SCALE        the screens' size against the handheld's (default: 2)\n"
    "\n"
    "See also vantrel-export(1), which lists, exports, imports and backs up the records.\n";

// What --help and --version print, without a window or the data file; exit 1 when it cannot be written.
int Tell(const char* text) {
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) return Tell("vantrel " VANTREL_VERSION "\n");
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return Tell(kHelp);
    }
    return RunWinApp(argc, argv);
}
