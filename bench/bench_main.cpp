// vantrel-bench [--reps N] [--only TEXT] [--keep]: builds a device of 5,000
// and one of 50,000 test records in a scratch folder and prints the median
// time of each step a user waits for, with SQLite's own reading of the same
// rows as the floor. --only times just the steps whose label holds TEXT (for
// profiling); --keep leaves the scratch folder for a look at its files.

#include "bench_steps.h"
#include "heavy_device.h"
#include "timing.h"

#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/object_store.h"
#include "platform/record_store.h"
#include "platform/text.h"

#include <QApplication>

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Size {
    int heavy, other;
};
constexpr Size kSizes[] = {{2000, 750}, {20000, 7500}};

struct Row {
    std::string label, target;
    double figures[2] = {0, 0};
};

// Starts the peak over from what the process holds now, so the figure is of
// the timed steps rather than of building the device.
void RestartPeak() {
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void PrintTable(const std::vector<Row>& rows, const int totals[2], int repetitions) {
    std::printf("\n| Step (median of %d runs, ms) | %d records | %d records | growth | target |\n", repetitions,
                totals[0], totals[1]);
    std::printf("|---|---:|---:|---:|---|\n");
    for (const Row& row : rows) {
        const double growth = row.figures[0] > 0 ? row.figures[1] / row.figures[0] : 0;
        std::printf("| %s | %.1f | %.1f | %.1fx | %s |\n", row.label.c_str(), row.figures[0], row.figures[1], growth,
                    row.target.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int repetitions = 15;
    std::string only;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0) keep = true;
        else if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) repetitions = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) only = argv[++i];
    }
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);

    std::string pattern = (fs::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path scratch = pattern;
    SystemTime now = kBenchNow;
    SetLocalTimeForTesting(&now);
    const std::u16string owner;
    SetDeviceOwnerNameForTesting(&owner);

    std::vector<Row> rows = {
        {"first-run import of the catalogue", "< 500"},
        {"floor: SQLite reads all test records", "-"},
        {"floor: SQLite reads one user's records", "-"},
        {"main window opens, store closed (cold)", "< 50"},
        {"main window opens cold in untouched memory (a new process)", "< 50"},
        {"main window opens, store open (warm)", "< 50"},
        {"report for one date", "< 50"},
        {"graph repaint, Year To Date", "< 50"},
        {"graph repaint, All Dates", "< 50"},
        {"Take Test Ok, 20 results", "< 50"},
        {"delete the user with 40% of the records", "< 50"},
        {"closing the store after that delete (at exit)", "-"},
        {"peak memory of the steps (ru_maxrss, MB)", "< 100"},
    };
    int totals[2] = {0, 0};
    int status = 0;
    try {
        for (int s = 0; s < 2; ++s) {
            const Size size = kSizes[s];
            Stopwatch build;
            const HeavyDevice device =
                BuildHeavyDevice(scratch / ("device-" + std::to_string(s)), size.heavy, size.other);
            totals[s] = device.totalRecords;
            std::printf("Built %d records (%s: %d; frequent test \"%s\") in %.0f ms\n", device.totalRecords,
                        TextToUtf8(device.heavyUser).c_str(), device.heavyRecords,
                        TextToUtf8(device.frequentTest).c_str(), build.Stop());
            std::fflush(stdout);
            const fs::path pristine = scratch / ("pristine-" + std::to_string(s) + ".sqlite");
            fs::copy_file(device.root / "object-store.sqlite", pristine);
            RestartPeak();

            int r = 0;
            auto measure = [&](auto run) {
                if (rows[r].label.find(only) == std::string::npos) {
                    ++r;
                    return;
                }
                rows[r++].figures[s] = MedianOf(repetitions, run);
                std::printf("  %-60s %8.1f ms\n", rows[r - 1].label.c_str(), rows[r - 1].figures[s]);
                std::fflush(stdout);
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
            std::vector<double> closings;
            measure([&] {
                double closing = 0;
                const double ms = TimeDeleteUser(device, pristine, closing);
                closings.push_back(closing);
                return ms;
            });
            rows[r++].figures[s] = Median(closings);
            CloseObjectStore();
            rows[r++].figures[s] = PeakMegabytes();
        }
        PrintTable(rows, totals, repetitions);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-bench: %s\n", error.what());
        status = 1;
    }
    CloseObjectStore();
    SetLocalTimeForTesting(nullptr);
    SetDeviceOwnerNameForTesting(nullptr);
    std::error_code ec;
    if (keep) std::printf("Kept %s\n", scratch.c_str());
    else fs::remove_all(scratch, ec);
    return status;
}
