// Feeds arbitrary bytes to the record store as a device's data file, and
// reads it as vantrel-export's list, csv and report read a device and as
// restore checks a file. Whatever the bytes, nothing may crash or hang, and
// a file restore's check takes for sound must read whole without the store
// finding it damaged. Any broken rule aborts, so both libFuzzer and the
// plain test run notice it.

#include "platform/records/record_store.h"
#include "store/fuzz_root.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/test_record_layout.h"
#include "support/earlier_store.h"
#include "support/stored_results.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Every database read whole, then each user's test records, their tests and
// dates and one day's results, as list, csv and report read them.
void ReadAsTheToolDoes() {
    ReadEveryRecord();
    for (const UserTally& tally : TallyTestRecords()) {
        TestResult last;
        ForEachTestResult(&tally.user, [&last](const TestResult& result) { last = result; });
        UserTests(tally.user);
        TestDates(tally.user, last.test);
        ReadTakenTest(tally.user, last.test, last.date);
        ResultValues(tally.user, last.test, last.result, -1, 60);
    }
    ReadPatients();
    PatientNames();
}

}  // namespace

// Store files to start from: a device the program made, with two users
// (one name differing from the other in case only) and a result of each
// kind; and the same records as the two earlier formats wrote them.
void MakeStoreSeeds(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path root = FreshFuzzRoot();
    for (const char16_t* user : {u"Ann", u"ANN"}) {
        AddPatient(user, u"Female", MakeDate(1970, 5, 2), u"30", u"Line");
        for (int day = 1; day <= 3; ++day) {
            StoreResult(user, u"Lipids", u"fasting", MakeDate(2024, 1, day), u"HDL", u"55", u"40-60", u"mg/dL");
            StoreResult(user, u"Lipids", u"fasting", MakeDate(2024, 1, day), u"LDL", u"130", u"0-99", u"mg/dL");
        }
        StoreResult(user, u"Iron", u"", MakeDate(2024, 2, 1), u"", u"", u"", u"");
    }
    CreateSettings(u"Ann");
    CloseObjectStore();  // the file holds everything
    std::filesystem::copy_file(root / "object-store.sqlite", folder / "current",
                               std::filesystem::copy_options::overwrite_existing);
    std::vector<EarlierRecord> records;
    for (const char16_t* result : {u"HDL", u"LDL"})
        records.push_back({2, {Property(u"Ann", kPropUser), Property(u"Lipids", kPropTestName),
                               Property(FileTime{133500000000000000}, kPropTestDate), Property(result, kPropResultName),
                               Property(u"55", kPropResultValue)}, {}});
    records.push_back({1, {Property(u"Ann", 501), Property(u"Female", 502)}, {}});
    const std::vector<EarlierDatabase> databases = {{u"Lab Patients List", 501}, {u"Health Profiles List", kPropUser}};
    for (const int format : {1, 2}) {
        const std::filesystem::path file = folder / ("format" + std::to_string(format));
        std::filesystem::remove(file);
        Require(format == 1 ? WriteFormat1Store(file, databases, records) : WriteFormat2Store(file, databases, records),
                "the earlier formats' seeds are written");
    }
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* seeds = std::getenv("VANTREL_STORE_SEEDS")) MakeStoreSeeds(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path root = FreshFuzzRoot();
    std::filesystem::create_directories(root);
    const std::filesystem::path store = root / "object-store.sqlite";
    std::ofstream(store, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    // Restore's check, which reads the file whole.
    const bool sound = ObjectStoreFileProblem(store).empty();
    UndecodableRecordProblem(store);

    // A reader, as vantrel-export is; then the program, which converts an
    // earlier format and checks a file a killed program left.
    for (const bool readOnly : {true, false}) {
        SetObjectStoreReadOnly(readOnly);
        SetDeviceRoot(root);
        const bool usable = ObjectStoreProblem().empty();
        ReadAsTheToolDoes();
        if (sound && usable) Require(ObjectStoreProblem().empty(), "a file restore takes is read whole without damage");
    }
    SetObjectStoreReadOnly(false);
    return 0;
}
