// vantrel-bench [--sizes N,N,...] [--reps N] [--only TEXT] [--keep]: builds
// a device of each size (default 5,000 and 50,000 test records) in a scratch
// folder and prints the median time of each step a user waits for, with
// SQLite's own reading of the same rows as the floor; then how the store
// grows with its keys (key_scaling.h). Each device is measured by a process
// of its own (this program run with --measure DIR, or --measure-keys DIR),
// so its peak memory is that of the steps alone, as in the program. --only
// times just the steps whose label holds TEXT (for profiling); --keep leaves
// the scratch folder for a look at its files.

#include "bench_steps.h"
#include "heavy_device.h"
#include "key_scaling.h"
#include "process_steps.h"
#include "timing.h"

#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/records/record_store.h"
#include "platform/text.h"

#include <QApplication>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
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
    {"Test Report opens on the test with the most dates", "< 16"},
    {"Modify Test opens on the test with the most dates", "< 16"},
    {"graph repaint, Year To Date", "< 16"},
    {"graph repaint, All Dates", "< 16"},
    {"Take Test Ok, 20 results", "< 16"},
    {"Modify Test Edit and Ok, 3,000 results", "< 1000"},
    {"delete the user with 40% of the records", "<= 1000"},
    {"closing the store after that delete (at exit)", "-"},
    {"a new process to the main window's first paint", "< 1.3x empty"},
    {"the same on an empty device", "-"},
    {"vantrel-export csv, every record", "< 2x floor"},
    {"floor: the sqlite3 shell dumping the same rows", "-"},
    {"vantrel-export list", "< 2x floor"},
    {"floor: the sqlite3 shell counting them", "-"},
    {"vantrel-export report, the test with the most dates", "< 1000"},
    {"vantrel-export graph, all dates", "< 1000"},
    {"vantrel-export summary of the heavy user", "< 1000"},
    {"peak memory of vantrel-export csv (MB)", "<= 80"},
    {"peak memory of vantrel-export list (MB)", "<= 80"},
    {"peak memory of vantrel-export report, graph, summary (MB)", "<= 80"},
    {"peak memory of the steps (ru_maxrss, MB)", "<= 80"},
};
constexpr std::size_t kRowCount = std::size(kRows);
using Figures = std::vector<double>;  // one per row

struct Options {
    int repetitions = 15;
    std::string only;
    bool keep = false;
    std::string measure;      // the device this process measures
    std::string measureKeys;  // the scratch folder this process measures keys in
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
    measure([&] { return TimeTestReportOpens(device); });
    measure([&] { return TimeModifyTestOpens(device); });
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
    RestoreDevice(device, pristine);
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
    ProcessRun csv, list, printed;
    measureProcess([&] { return (csv = RunExport(device.root, {"csv", "-o", "/dev/null"})).ms; });
    const std::string dump = DumpTestRecordsSql();
    measureProcess([&] { return TimeSqliteShell(device.root, dump); });
    measureProcess([&] { return (list = RunExport(device.root, {"list"})).ms; });
    measureProcess([&] { return TimeSqliteShell(device.root, "SELECT count(*) FROM (" + dump + ")"); });
    const std::string user = TextToUtf8(device.heavyUser), test = TextToUtf8(device.frequentTest);
    const auto print = [&](std::vector<std::string> arguments, const char* file) {
        arguments.insert(arguments.end(), {"--force", "-o", (scratch / file).string()});
        const ProcessRun run = RunExport(device.root, arguments);
        printed.peakMegabytes = std::max(printed.peakMegabytes, run.peakMegabytes);
        return run.ms;
    };
    measureProcess([&] { return print({"report", user, test}, "report.pdf"); });
    measureProcess([&] { return print({"graph", user, test, TextToUtf8(device.frequentResult), "all"}, "graph.png"); });
    measureProcess([&] { return print({"summary", user}, "summary.pdf"); });
    figures[r++] = csv.peakMegabytes;
    figures[r++] = list.peakMegabytes;
    figures[r++] = printed.peakMegabytes;
    figures[r++] = PeakMegabytes();
    for (std::size_t i = 0; i < kRowCount; ++i) std::printf("FIGURE %zu %.3f\n", i, figures[i]);
    return 0;
}

// Times the key rows in `scratch` and writes "KEY row column value" lines.
int MeasureKeysHere(int argc, char** argv, const Options& options) {
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    const std::vector<std::vector<double>> figures = MeasureKeys(options.measureKeys, options.repetitions);
    for (std::size_t r = 0; r < figures.size(); ++r)
        for (std::size_t c = 0; c < figures[r].size(); ++c) std::printf("KEY %zu %zu %.3f\n", r, c, figures[r][c]);
    return 0;
}

// Runs this program with `mode` (--measure or --measure-keys) on `folder`
// and hands each line of its output to `read`.
void MeasureInChild(const char* mode, const fs::path& folder, const Options& options,
                    const std::function<void(const char* line)>& read) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("no pipe");
    const std::string reps = std::to_string(options.repetitions), dir = folder.string();
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("no child process");
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        const char* args[] = {"vantrel-bench", mode, dir.c_str(), "--reps", reps.c_str(), "--only", options.only.c_str(), nullptr};
        ::execv("/proc/self/exe", const_cast<char* const*>(args));
        _exit(127);
    }
    ::close(out[1]);
    FILE* in = ::fdopen(out[0], "r");
    char line[256];
    while (in && std::fgets(line, sizeof line, in)) read(line);
    if (in) std::fclose(in);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("measuring failed");
}

Figures MeasureDeviceInChild(const fs::path& root, const Options& options) {
    Figures figures(kRowCount, 0);
    MeasureInChild("--measure", root, options, [&figures](const char* line) {
        std::size_t row = 0;
        double value = 0;
        if (std::sscanf(line, "FIGURE %zu %lf", &row, &value) == 2 && row < kRowCount) figures[row] = value;
    });
    return figures;
}

// One column per user count, then the growth from the fewest users to the most.
void PrintKeysTable(const fs::path& scratch, const Options& options) {
    std::vector<std::vector<double>> figures(KeyRows().size(), std::vector<double>(std::size(kKeyUsers), 0));
    MeasureInChild("--measure-keys", scratch, options, [&figures](const char* line) {
        std::size_t row = 0, column = 0;
        double value = 0;
        if (std::sscanf(line, "KEY %zu %zu %lf", &row, &column, &value) == 3 && row < figures.size() &&
            column < figures[row].size())
            figures[row][column] = value;
    });
    std::printf("\n| Keys: users with 3 results each (median of %d runs, ms) |", options.repetitions);
    for (int users : kKeyUsers) std::printf(" %d users |", users);
    std::printf(" growth %d->%d | target |\n|---|", kKeyUsers[0], kKeyUsers[std::size(kKeyUsers) - 1]);
    for (std::size_t c = 0; c <= std::size(kKeyUsers); ++c) std::printf("---:|");
    std::printf("---|\n");
    for (std::size_t r = 0; r < figures.size(); ++r) {
        const KeyRow& row = KeyRows()[r];
        std::printf("| %s |", row.label);
        if (!row.perUsers) {
            std::printf(" %.1f |", figures[r][0]);
            for (std::size_t c = 0; c < std::size(kKeyUsers); ++c) std::printf(" |");
            std::printf(" %s |\n", row.target);
            continue;
        }
        for (double value : figures[r]) std::printf(std::strstr(row.label, "(MB)") ? " %.2f |" : " %.1f |", value);
        const double first = figures[r].front(), last = figures[r].back();
        std::printf(" %.1fx | %s |\n", first > 0 ? last / first : 0, row.target);
    }
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
        else if (std::strcmp(argv[i], "--measure-keys") == 0 && i + 1 < argc) options.measureKeys = argv[++i];
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
        if (!options.measureKeys.empty()) return MeasureKeysHere(argc, argv, options);
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
            figures.push_back(MeasureDeviceInChild(device.root, options));
        }
        PrintTable(figures, totals, options.repetitions);
        const bool keysAsked = std::any_of(KeyRows().begin(), KeyRows().end(), [&options](const KeyRow& row) {
            return std::string(row.label).find(options.only) != std::string::npos;
        });
        if (keysAsked) PrintKeysTable(scratch, options);
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
