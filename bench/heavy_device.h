#pragma once
// A device with a lifetime of records for the benchmark: the shipped
// catalogue imported, five users and twenty years of tests made from it.

#include "platform/datetime.h"
#include "store/result_row.h"

#include <filesystem>
#include <string>
#include <vector>

// The benchmark's fixed clock: periods cover the same records on every run.
inline constexpr SystemTime kBenchNow{2026, 6, 0, 14, 9, 30, 0, 0};

struct HeavyDevice {
    std::filesystem::path root;
    std::u16string heavyUser;           // the current user, with the most records
    int heavyRecords = 0;
    int recordsBeforeHeavy = 0;  // written for the users sorted before the heavy one
    int totalRecords = 0;
    // The heavy user's most often taken test and its first result, and the
    // last day it was taken.
    std::u16string frequentTest, frequentResult;
    SystemTime lastTaken;
};

// Copies the shipped catalogue to where the first-run import reads it.
void PlaceCatalogue(const std::filesystem::path& root);

// Builds the device in the empty folder `root` and leaves the object store
// closed. Quick: every record is written in one transaction, in sort order.
HeavyDevice BuildHeavyDevice(const std::filesystem::path& root, int heavyRecords, int otherRecords);

// The facts above are kept beside the device, for a process that measures it.
void SaveDeviceFacts(const HeavyDevice& device);
HeavyDevice LoadDeviceFacts(const std::filesystem::path& root);

// The 20 results of one taking.
std::vector<ResultRow> TwentyResultRows();
