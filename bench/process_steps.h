#pragma once
// Steps timed as whole processes: a new program reaching its main window's
// first paint, vantrel-export's commands, and the sqlite3 shell as their floor.

#include "heavy_device.h"

#include <filesystem>
#include <string>
#include <vector>

struct ProcessRun {
    double ms = 0;
    double peakMegabytes = 0;
};

// This program run with --first-paint on the device: from before the new
// process starts to its main window's first paint.
double TimeFirstPaint(const std::filesystem::path& root);
// The child's side: opens the main window and reports its first paint on stdout.
int RunFirstPaint(int argc, char** argv, const std::filesystem::path& root);

// vantrel-export with `arguments` on the device, its output thrown away.
ProcessRun RunExport(const std::filesystem::path& root, const std::vector<std::string>& arguments);
// The sqlite3 shell on the device's file: `sql` with its output thrown away.
double TimeSqliteShell(const std::filesystem::path& root, const std::string& sql);
// The sqlite3 shell importing the CSV file `csv` into a table of the new file `file`.
double TimeSqliteImport(const std::filesystem::path& file, const std::filesystem::path& csv);
// The test records as the shell dumps them: those of "Health Profiles List", in store order.
std::string DumpTestRecordsSql();
