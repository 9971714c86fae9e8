// vantrel-bench [--sizes N,N,...] [--reps N] [--only TEXT] [--keep]: builds
// a device of each size (default 5,000 and 50,000 test records) in a scratch
// folder and prints the median time of each step a user waits for, with
// SQLite's own reading of the same rows as the floor. Each device is measured by a process of its own (this
// program run with --measure DIR), so its peak memory is that of the steps
// alone, as in the program. --only times just the steps whose label holds
// TEXT (for profiling); --keep leaves the scratch folder for a look at its files.

#include "bench_steps.h"
#include "heavy_device.h"
#include "process_steps.h"
#include "timing.h"

#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/record_store.h"
#include "platform/text.h"

#include <QApplication>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Of a device's records, the heavy user holds 40% and each of the four others 15%.
struct Size {
    int heavy, other;
};
Size SizeOf(int total) { return {total * 2 / 5, total * 3 / 20}; }

struct Row {
    const char* label;
    const char* target;
};
const Row kRows[] = {
    {"first-run import of the catalogue", "< 500"},
    {"floor: SQLite reads all test records", "-"},
    {"floor: SQLite reads one user's records", "-"},
    {"main window opens, store closed (cold)", "< 16"},
    {"main window opens cold in untouched memory", "< 16"},
    {"main window opens, store open (warm)", "< 16"},
    {"report for one date", "< 16"},
    {"graph repaint, Year To Date", "< 16"},
    {"graph repaint, All Dates", "< 16"},
    {"Take Test Ok, 20 results", "< 16"},
    {"Modify Test Edit and Ok, 3,000 results", "< 1000"},
    {"delete the user with 40% of the records", "< 250"},
    {"closing the store after that delete (at exit)", "-"},
    {"a new process to the main window's first paint", "< 1.3x empty"},
    {"the same on an empty device", "-"},
    {"vantrel-export csv, every record", "< 2x floor"},
    {"floor: the sqlite3 shell dumping the same rows", "-"},
    {"vantrel-export list", "< 2x floor"},
    {"floor: the sqlite3 shell counting them", "-"},
    {"peak memory of vantrel-export csv (MB)", "<= 80"},
    {"peak memory of vantrel-export list (MB)", "<= 80"},
    {"peak memory of the steps (ru_maxrss, MB)", "<= 80"},
};
constexpr std::size_t kRowCount = std::size(kRows);
using Figures = std::vector<double>;  // one per row

struct Options {
    int repetitions = 15;
    std::string only;
    bool keep = false;
    std::string measure;  // the device this process measures
    std::vector<int> sizes = {5000, 50000};
};

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// Times every step on the device in `root` and writes "FIGURE row value" lines.
int MeasureDevice(int argc, char** argv, const Options& options) {
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    const HeavyDevice device = LoadDeviceFacts(options.measure);
    const fs::path scratch = device.root.parent_path();
    const fs::path pristine = device.root.string() + "-pristine.sqlite";
    Figures figures(kRowCount, 0);
    std::size_t r = 0;
    auto measure = [&](auto run) {
        const Row& row = kRows[r];
        if (std::string(row.label).find(options.only) != std::string::npos) {
            figures[r] = MedianOf(options.repetitions, run);
            std::fprintf(stderr, "  %-60s %8.1f ms\n", row.label, figures[r]);
        }
        ++r;
    };
    measure([&] { return TimeImport(scratch); });
    SetDeviceRoot(device.root);
    measure([&] { return TimeRawRead(device, false); });
    measure([&] { return TimeRawRead(device, true); });
    measure([&] { return TimeMainWindow(device, Start::Cold); });
    measure([&] { return TimeMainWindow(device, Start::FreshMemory); });
    measure([&] { return TimeMainWindow(device, Start::Warm); });
    measure([&] { return TimeReport(device); });
    measure([&] { return TimeGraph(device, 365); });
    measure([&] { return TimeGraph(device, -2); });
    measure([&] { return TimeTakeTest(device); });
    measure([&] { return TimeEditDate(device, 3000); });
    std::vector<double> closings;
    measure([&] {
        double closing = 0;
        const double ms = TimeDeleteUser(device, pristine, closing);
        closings.push_back(closing);
        return ms;
    });
    figures[r++] = Median(closings);
    CloseObjectStore();
    const int processReps = std::min(options.repetitions, 7);
    const fs::path empty = scratch / ("empty-" + device.root.filename().string());
    if (!fs::exists(empty)) BuildHeavyDevice(empty, 0, 0);
    SetDeviceRoot(device.root);
    auto measureProcess = [&](auto run) {
        const Row& row = kRows[r];
        if (std::string(row.label).find(options.only) != std::string::npos) {
            figures[r] = MedianOf(processReps, run);
            std::fprintf(stderr, "  %-60s %8.1f ms\n", row.label, figures[r]);
        }
        ++r;
    };
    measureProcess([&] { return TimeFirstPaint(device.root); });
    measureProcess([&] { return TimeFirstPaint(empty); });
    ProcessRun csv, list;
    measureProcess([&] { return (csv = RunExport(device.root, {"csv", "-o", "/dev/null"})).ms; });
    const std::string dump = DumpTestRecordsSql(device.root);
    measureProcess([&] { return TimeSqliteShell(device.root, dump); });
    measureProcess([&] { return (list = RunExport(device.root, {"list"})).ms; });
    measureProcess([&] { return TimeSqliteShell(device.root, "SELECT count(*) FROM (" + dump + ")"); });
    figures[r++] = csv.peakMegabytes;
    figures[r++] = list.peakMegabytes;
    figures[r++] = PeakMegabytes();
    for (std::size_t i = 0; i < kRowCount; ++i) std::printf("FIGURE %zu %.3f\n", i, figures[i]);
    return 0;
}

// Runs this program with --measure on the device and reads its figures.
Figures MeasureInChild(const fs::path& root, const Options& options) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("no pipe");
    const std::string reps = std::to_string(options.repetitions), dir = root.string();
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("no child process");
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        const char* args[] = {"vantrel-bench", "--measure", dir.c_str(),          "--reps",
                              reps.c_str(),    "--only",    options.only.c_str(), nullptr};
        ::execv("/proc/self/exe", const_cast<char* const*>(args));
        _exit(127);
    }
    ::close(out[1]);
    Figures figures(kRowCount, 0);
    FILE* in = ::fdopen(out[0], "r");
    char line[256];
    std::size_t row = 0;
    double value = 0;
    while (in && std::fgets(line, sizeof line, in))
        if (std::sscanf(line, "FIGURE %zu %lf", &row, &value) == 2 && row < kRowCount) figures[row] = value;
    if (in) std::fclose(in);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("measuring the device failed");
    return figures;
}

// One column per device, then the growth from each size to the next.
void PrintTable(const std::vector<Figures>& figures, const std::vector<int>& totals, int repetitions) {
    std::printf("\n| Step (median of %d runs, ms) |", repetitions);
    for (int total : totals) std::printf(" %d records |", total);
    for (std::size_t s = 1; s < totals.size(); ++s) std::printf(" growth %d->%d |", totals[s - 1], totals[s]);
    std::printf(" target |\n|---|");
    for (std::size_t s = 1; s < 2 * totals.size(); ++s) std::printf("---:|");
    std::printf("---|\n");
    for (std::size_t r = 0; r < kRowCount; ++r) {
        std::printf("| %s |", kRows[r].label);
        for (const Figures& each : figures) std::printf(" %.1f |", each[r]);
        for (std::size_t s = 1; s < figures.size(); ++s)
            std::printf(" %.1fx |", figures[s - 1][r] > 0 ? figures[s][r] / figures[s - 1][r] : 0);
        std::printf(" %s |\n", kRows[r].target);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0) options.keep = true;
        else if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) options.repetitions = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) options.only = argv[++i];
        else if (std::strcmp(argv[i], "--measure") == 0 && i + 1 < argc) options.measure = argv[++i];
        else if (std::strcmp(argv[i], "--first-paint") == 0 && i + 1 < argc) return RunFirstPaint(argc, argv, argv[i + 1]);
        else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
            options.sizes.clear();
            for (const char* at = argv[++i]; *at;) {
                char* end = nullptr;
                const long total = std::strtol(at, &end, 10);
                if (end == at || total < 100) {
                    std::fprintf(stderr, "vantrel-bench: --sizes takes record counts such as 5000,50000\n");
                    return 2;
                }
                options.sizes.push_back(static_cast<int>(total));
                at = *end == ',' ? end + 1 : end;
            }
        }
    }
    SystemTime now = kBenchNow;
    SetLocalTimeForTesting(&now);
    const std::u16string owner;
    SetDeviceOwnerNameForTesting(&owner);
    try {
        if (!options.measure.empty()) return MeasureDevice(argc, argv, options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-bench: %s\n", error.what());
        return 1;
    }

    std::string pattern = (fs::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path scratch = pattern;
    std::vector<int> totals;
    std::vector<Figures> figures;
    int status = 0;
    try {
        for (std::size_t s = 0; s < options.sizes.size(); ++s) {
            Stopwatch build;
            const Size size = SizeOf(options.sizes[s]);
            const HeavyDevice device =
                BuildHeavyDevice(scratch / ("device-" + std::to_string(s)), size.heavy, size.other);
            SaveDeviceFacts(device);
            fs::copy_file(device.root / "object-store.sqlite", device.root.string() + "-pristine.sqlite");
            totals.push_back(device.totalRecords);
            std::fprintf(stderr, "Built %d records (%s: %d; frequent test \"%s\") in %.0f ms\n", device.totalRecords,
                         TextToUtf8(device.heavyUser).c_str(), device.heavyRecords,
                         TextToUtf8(device.frequentTest).c_str(), build.Stop());
            figures.push_back(MeasureInChild(device.root, options));
        }
        PrintTable(figures, totals, options.repetitions);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-bench: %s\n", error.what());
        status = 1;
    }
    CloseObjectStore();
    std::error_code ec;
    if (options.keep) std::printf("Kept %s\n", scratch.c_str());
    else fs::remove_all(scratch, ec);
    return status;
}
