#pragma once
// Reading results back from a CSV file such as `csv` writes, into the stores,
// as Take Test would have stored them. The file is read as a stream, a row
// at a time, so memory stays the same whatever its size.

#include "tools/export/import_tally.h"

#include <cstdint>
#include <string>
#include <vector>

// The largest file an import reads: far above any real export (a million
// results take about 60 MB), small enough that a wrong or hostile file is
// turned away at once.
inline constexpr std::uint64_t kImportFileMax = std::uint64_t{256} << 20;

inline constexpr int kUnjudgedLinesNamed = 10;

struct ImportOutcome {
    bool catalogueImported = false;  // the device's first-run catalogue import ran first
    std::u16string madeCurrent;      // the user who became the current user, if any
    // Rows whose value or goal is not read as a number (they are kept as text
    // and compared with nothing), and the lines of the first of them.
    int unjudgedRows = 0;
    std::vector<int> unjudgedLines;
};

// Imports every row of `file` ("-": standard input) as one unit: all of it, or
// on the first problem nothing. With `dryRun` nothing is written and the
// outcome and `tally` tell what would be. Refuses while the program holds
// the device. `tally` is fresh; on success it holds every user of the file,
// with what was added and updated. Empty on success, else why not, as
// "line N: ..." for a row.
std::string ImportResultsCsv(const std::string& file, bool dryRun, ImportOutcome& outcome, ImportTally& tally);
