#pragma once
// One timed run of each step a user waits for, in milliseconds. Set-up that
// a run needs (a fresh root, restoring data) stays outside the timing.

#include "heavy_device.h"

#include <filesystem>

// The first-run import of the shipped catalogue into a new root under `scratch`.
double TimeImport(const std::filesystem::path& scratch);
// The main window until its initialisation is done: with the object store
// open (warm), closed first (cold), or closed and its memory given back to the
// system first, so that loading touches new memory as a new process does.
enum class Start { Warm, Cold, FreshMemory };
double TimeMainWindow(const HeavyDevice& device, Start start);
// Refreshing the report of the frequent test on its last day.
double TimeReport(const HeavyDevice& device);
// One repaint of the frequent result's graph over `period` days.
double TimeGraph(const HeavyDevice& device, int period);
// The Test Report, and Modify Test, opened on the heavy user's test with
// the most dates, until its initialisation is done (its date list filled).
double TimeTestReportOpens(const HeavyDevice& device);
double TimeModifyTestOpens(const HeavyDevice& device);
// Switch User opened on the device at `root` for `user`, until its user list is filled.
double TimeSwitchUserOpens(const std::filesystem::path& root, const std::u16string& user);
// Take Test's Ok storing 20 results of a test taken today.
double TimeTakeTest(const HeavyDevice& device);
// Modify Test's Edit of a date holding `results` results, from opening Take
// Test to its Ok storing them all again.
double TimeEditDate(const HeavyDevice& device, int results);
// Puts the device's data back as it was built, from the copy `pristine`.
void RestoreDevice(const HeavyDevice& device, const std::filesystem::path& pristine);
// Switch User's Delete of the heavy user; `pristine` is restored first.
// `closing` receives the time the next close of the store takes.
double TimeDeleteUser(const HeavyDevice& device, const std::filesystem::path& pristine, double& closing);
// The floor: SQLite alone (a new connection) reading every test record, or the heavy user's.
double TimeRawRead(const HeavyDevice& device, bool heavyUserOnly);
