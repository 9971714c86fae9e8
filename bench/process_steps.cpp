#include "process_steps.h"

#include "app/vantrel_dlg.h"
#include "platform/device.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "timing.h"

#include <QApplication>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Runs `argv` with stdout to a pipe (or /dev/null); returns its rusage.
ProcessRun Run(std::vector<std::string> argv, const std::string& awaited = {}) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("no pipe");
    Stopwatch watch;
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("no child process");
    if (child == 0) {
        if (awaited.empty()) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
        } else {
            ::dup2(out[1], STDOUT_FILENO);
        }
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> args;
        for (std::string& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        _exit(127);
    }
    ::close(out[1]);
    ProcessRun run;
    if (!awaited.empty()) {
        FILE* in = ::fdopen(out[0], "r");
        char line[256];
        while (in && std::fgets(line, sizeof line, in))
            if (std::string(line).rfind(awaited, 0) == 0) {
                run.ms = watch.Stop();
                break;
            }
        if (in) std::fclose(in);
    } else {
        ::close(out[0]);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (awaited.empty()) run.ms = watch.Stop();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("a timed process failed: " + argv[0]);
    run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

}  // namespace

double TimeFirstPaint(const fs::path& root) {
    return Run({"/proc/self/exe", "--first-paint", root.string()}, "PAINTED").ms;
}

int RunFirstPaint(int argc, char** argv, const fs::path& root) {
    QApplication application(argc, argv);
    SetDeviceRoot(root);
    DialogDriver driver;
    driver.Expect<CVantrelDlg>(IDD_VANTREL, [&](CVantrelDlg& d) {
        std::printf("PAINTED\n");
        std::fflush(stdout);
        d.EndDialog(IDOK);
    });
    CVantrelDlg dlg;
    dlg.DoModal();
    return driver.Failures().empty() ? 0 : 1;
}

ProcessRun RunExport(const fs::path& root, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {VANTREL_EXPORT_PATH, "--root", root.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Run(argv);
}

double TimeSqliteShell(const fs::path& root, const std::string& sql) {
    return Run({"/usr/bin/sqlite3", "-readonly", "-csv", (root / "object-store.sqlite").string(), sql}).ms;
}

double TimeSqliteImport(const fs::path& file, const fs::path& csv) {
    return Run({"/usr/bin/sqlite3", file.string(), ".import --csv " + csv.string() + " results"}).ms;
}

std::string DumpTestRecordsSql() {
    return "SELECT records.* FROM databases JOIN sort_texts ON sort_texts.database = databases.id"
           " JOIN records ON records.sort_text = sort_texts.id WHERE databases.name = 'Health Profiles List'"
           " ORDER BY sort_texts.fold, sort_texts.id, records.id";
}
