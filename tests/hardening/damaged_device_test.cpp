// Start-ups on devices the program cannot use as they are: a damaged data
// file, a device another program holds, a data folder nobody can write (not
// even the superuser), a full disk. Each is told in one message that names
// the place and its cause, and nothing on disk changes. A record that alone
// cannot be read is told too, and the program goes on.

#include "app/temp_device.h"
#include "support/list_rows.h"
#include "support/spoiled_record.h"

#include "app/vantrel_app.h"
#include "app/vantrel_dlg.h"
#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/records/record_store.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "res/resource.h"
#include "review/test_report_dlg.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/test_record_layout.h"
#include "support/dialog_driver.h"
#include "support/raw_file.h"
#include "support/stored_results.h"

#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every file under a folder with its bytes, to show that something changed
// nothing on disk. SQLite's shared-memory index is left out: a reader may
// update it without changing any data.
using DeviceSnapshot = std::map<std::string, std::string>;  // relative path -> bytes ("<dir>" for folders)

// The files that differ, for a failure message; empty when none does.
std::string ChangedFiles(const DeviceSnapshot& before, const DeviceSnapshot& after) {
    std::string changed;
    for (const auto& [name, bytes] : after)
        if (!before.contains(name) || before.at(name) != bytes) changed += " " + name;
    for (const auto& [name, bytes] : before)
        if (!after.contains(name)) changed += " " + name + " (gone)";
    return changed;
}

// Every file but `leftOut` (a path relative to `folder`).
DeviceSnapshot SnapshotOf(const std::filesystem::path& folder, const std::string& leftOut = {}) {
    DeviceSnapshot files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        if (path.string().ends_with("-shm")) continue;
        const std::string name = std::filesystem::relative(path, folder).string();
        if (name != leftOut) files[name] = it->is_directory() ? std::string("<dir>") : FileBytes(path);
    }
    return files;
}

// A device past its first run, with enough tests for the file to span many pages.
void FillDevice() {
    StoreTransaction unit;
    SetTestEntry(u"Glucose", u"why", u"To check for diabetes");
    AddPatient(u"Ann", u"Female", MakeDate(1970, 5, 2), u"0", u"Bar");
    CreateSettings(u"Ann");
    for (int day = 1; day <= 28; ++day)
        for (int result = 0; result < 8; ++result)
            StoreResult(u"Ann", u"Lipid Panel", std::u16string(200, u'c'), MakeDate(2025, 2, day),
                      u"Result " + IntToText(result), IntToText(day), u"40-60", u"mg/dL");
    ASSERT_TRUE(unit.Commit());
    SetDeviceRoot(DeviceRoot());  // closed: the file is complete without its log
}

void Overwrite(const fs::path& file, std::streamoff at, std::size_t count) {
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(at);
    out << std::string(count, '\xA5');
}

// Reading it never ends: a check must refuse the file before any query touches it.
constexpr const char* kEndlessView =
    "CREATE VIEW databases AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n)"
    " SELECT i AS id, 'List' AS name, 7 AS type, 1 AS sort_property, 2 AS sort_flags FROM n;";

// Runs the whole program; `main`, when given, acts in the main window, which
// is then closed (else none may open). Returns the files changed under
// `watched` once the program let go of the store, the lock file aside: the
// lock is taken, and says who holds it, before the store is looked at.
std::string RunProgram(DialogDriver& driver, const fs::path& watched, std::function<void(CVantrelDlg&)> main = {}) {
    const DeviceSnapshot before = SnapshotOf(watched, DeviceLock::kFileName);
    if (main)
        driver.Expect<CVantrelDlg>(IDD_VANTREL, [main](CVantrelDlg& d) {
            main(d);
            d.SendCommand(CVantrelDlg::kCloseButton);
        });
    {
        CVantrelApp app;
        EXPECT_FALSE(app.InitInstance());
    }
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
    EXPECT_EQ(driver.PendingScripts(), 0u);
    SetDeviceRoot(DeviceRoot());  // as the program ends
    return ChangedFiles(before, SnapshotOf(watched, DeviceLock::kFileName));
}

// Starts the program, which must refuse with one message and leave the device as it was.
std::u16string RefusedStart(const fs::path& watched) {
    DialogDriver driver;
    EXPECT_EQ(RunProgram(driver, watched), "");
    EXPECT_EQ(driver.Messages().size(), 1u);
    return driver.Messages().empty() ? u"" : driver.Messages().front();
}

void ExpectNamed(const std::u16string& message, const std::string& named) {
    EXPECT_NE(message.find(Utf8ToText(named)), std::u16string::npos) << TextToUtf8(message);
}

// Start-up reads only what the main window shows: damage elsewhere is found
// when it is read, or by the full check, which runs after an unclean end (below).
TEST(DamagedDeviceTest, ADamagedDataFileIsNamedInOneMessageAndLeftAsItWas) {
    using Make = std::function<void(const fs::path& store)>;
    // Runs `sql` in the store, or in a new file in its place.
    const auto sql = [](std::string text, bool replace = false) -> Make {
        return [text, replace](const fs::path& store) {
            if (replace) fs::remove(store);
            RunSql(store, text);
        };
    };
    const std::vector<std::pair<const char*, Make>> damages = {
        {"cut in half", [](const fs::path& store) { fs::resize_file(store, fs::file_size(store) / 2); }},
        {"its header overwritten", [](const fs::path& store) { Overwrite(store, 0, 100); }},
        {"another program's database", sql("CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('mine');", true)},
        {"written by a newer version", sql("PRAGMA user_version=4")},
        // A file carrying its own SQL: nothing in it may run, not even once.
        {"a trigger",
         sql("CREATE TRIGGER wipe AFTER INSERT ON records BEGIN DELETE FROM records WHERE id<>new.id; END")},
        {"an endless view in place of databases", sql(std::string("DROP TABLE databases;") + kEndlessView)},
        {"an extra table", sql("CREATE TABLE notes(text TEXT)")},
        {"an earlier format's file with an endless view",
         sql(std::string("PRAGMA application_id=1448365105; PRAGMA user_version=1;"
                         "CREATE TABLE records(id INTEGER PRIMARY KEY AUTOINCREMENT,"
                         " database INTEGER NOT NULL, properties BLOB NOT NULL);"
                         "CREATE TABLE deleted_records(id INTEGER PRIMARY KEY);") +
                 kEndlessView,
             true)},
        // Closing the refused file must not copy a killed program's log into it
        // (nor delete the log): the file is damaged, and the log may hold the last saves.
        {"damaged, with the log of a killed program beside it",
         [](const fs::path& store) {
             if (pid_t child = fork(); child == 0) {
                 AddPatient(u"Bob", u"Male", MakeDate(1980, 1, 1), u"0", u"Bar");
                 _exit(0);  // without closing: the log stays, not yet copied into the file
             } else {
                 waitpid(child, nullptr, 0);
             }
             ASSERT_TRUE(fs::exists(fs::path(store) += "-wal"));
             Overwrite(store, 4096, 4096);
         }},
        {"a folder in its place",
         [](const fs::path& store) {
             fs::remove(store);
             fs::create_directory(store);
         }},
    };
    for (const auto& [what, make] : damages) {
        SCOPED_TRACE(what);
        TempDevice device;
        FillDevice();
        make(ObjectStorePath());
        ExpectNamed(RefusedStart(device.Root()), ObjectStorePath().string());
    }
}

// Another program holding the device (Vantrel itself, or an import): the
// start says which, once, and never touches the store it holds.
TEST(DamagedDeviceTest, ADeviceHeldByAnotherProgramIsNamedAndLeftAlone) {
    for (const auto& [holder, said] : {std::pair{DeviceLock::Holder::Program, u"Vantrel is already running"},
                                       {DeviceLock::Holder::Import, u"An import is running"}}) {
        SCOPED_TRACE(TextToUtf8(said));
        TempDevice device;
        FillDevice();
        DeviceLock other;
        ASSERT_EQ(other.Acquire(device.Root(), holder), DeviceLock::Outcome::Held);
        const std::u16string message = RefusedStart(device.Root());
        EXPECT_EQ(message.rfind(said, 0), 0u) << TextToUtf8(message);
        ExpectNamed(message, device.Root().string());
    }
}

// Permission bits do not stop the superuser, so these folders cannot be
// written for reasons that hold for every account.
TEST(DamagedDeviceTest, AFolderThatCannotBeWrittenIsNamedInOneMessage) {
    TempDevice device;
    const fs::path plainFile = device.Root() / "plain-file";
    std::ofstream(plainFile) << "not a folder";
    const fs::path unmakeable = fs::path("/proc") / ("vantrel-" + std::to_string(getpid()));
    for (const fs::path& root : {plainFile / "vantrel", plainFile, unmakeable, fs::path("/proc")}) {
        SCOPED_TRACE(root.string());
        SetDeviceRoot(root);
        EXPECT_EQ(RefusedStart(device.Root()),
                  u"Vantrel cannot write to its data folder (" + Utf8ToText(root.string()) + u").");
        EXPECT_FALSE(fs::exists(root / DeviceLock::kFileName));
    }
    EXPECT_FALSE(fs::exists(unmakeable));
    SetDeviceRoot(device.Root());
}

// One record of a user's results cut short: its database is named once, when
// a window first reads it, and every other record is shown. That the record
// is left as it was is the record store's test.
TEST(DamagedDeviceTest, ARecordThatCannotBeReadIsToldOnceAndPassedOver) {
    TempDevice device;
    ASSERT_TRUE(SetTestEntry(u"Glucose", u"why", u"To check for diabetes"));  // past the first run
    ASSERT_TRUE(AddPatient(u"Ann", u"Female", MakeDate(1970, 5, 2), u"0", u"Bar"));
    ASSERT_TRUE(CreateSettings(u"Ann"));
    ASSERT_TRUE(StoreResult(u"Ann", u"Glucose", u"", MakeDate(2026, 6, 1), u"Glucose", u"90", u"70-100", u"mg/dL"));
    ASSERT_TRUE(StoreResult(u"Ann", u"Glucose", u"", MakeDate(2026, 6, 1), u"Fasting", u"99", u"70-100", u"mg/dL"));
    ASSERT_TRUE(StoreResult(u"Ann", u"Glucose", u"", MakeDate(2026, 6, 10), u"Glucose", u"95", u"70-100", u"mg/dL"));

    SetDeviceRoot(DeviceRoot());  // closed, as the program ends
    SpoilRecord(
        ObjectStorePath(), kTestRecordsDatabase, [](auto& p) { return Holds(p, kPropResultName, u"Fasting"); }, CutShort);

    DialogDriver driver;
    RunProgram(driver, device.Root(), [&driver](CVantrelDlg& d) {
        driver.Expect<CTestReportDlg>(IDD_TEST_REPORT, [&driver](CTestReportDlg& r) {
            CComboBox dates(r, CTestReportDlg::kDateBox);
            EXPECT_EQ(dates.GetWindowText(), u"6/10/2026");  // the newest
            EXPECT_TRUE(driver.Messages().empty());
            dates.UserChoose(1);
            EXPECT_EQ(dates.GetWindowText(), u"6/1/2026");
            EXPECT_TRUE(QTest::qWaitFor([&driver] { return !driver.Messages().empty(); }));  // shown once read
            int glucose = 0, fasting = 0;
            for (const std::u16string& row : ListRows(r, CTestReportDlg::kReportList)) {
                glucose += row.starts_with(u"Glucose");
                fasting += row.starts_with(u"Fasting");
            }
            EXPECT_EQ(std::pair(glucose, fasting), std::pair(1, 0));
            r.SendCommand(CTestReportDlg::kCloseButton);
        });
        d.SendCommand(CVantrelDlg::kReportButton);
    });
    EXPECT_EQ(driver.Messages(),  // once only
              std::vector<std::u16string>{u"The data file " + Utf8ToText(ObjectStorePath().string()) +
                                          u" holds a record in \"" + std::u16string(kTestRecordsDatabase) +
                                          u"\" that Vantrel cannot read; it was left as it was and the other "
                                          u"records are shown."});
}

// The first run on a full disk says once that the test information could not
// be saved, and where, and asks for no first user. That the next start, with
// space again, imports is the import's test; that it asks for the first user
// again, the first run's.
TEST(DamagedDeviceTest, AFirstRunOnAFullDiskSaysOnceWhatCouldNotBeSavedAndWhere) {
    TempDevice device;
    device.WriteTestInfoFile(kSmallTestInfoFile);
    DialogDriver driver;
    std::u16string caption;
    SetStoreWriteFailureForTesting(true);
    EXPECT_EQ(RunProgram(driver, device.Root(), [&](CVantrelDlg& d) { caption = RecordPaint(d).texts.front().text; }),
              "");
    SetStoreWriteFailureForTesting(false);
    ASSERT_EQ(driver.Messages().size(), 1u);
    ExpectNamed(driver.Messages().front(), ObjectStorePath().string());
    ExpectNamed(driver.Messages().front(), "space on the disk");
    EXPECT_EQ(caption, u"Tests for (no user)");
}

// Each window's message for a save that failed is that window's own test.
TEST(DamagedDeviceTest, AnOrdinaryStartOnAFullDiskShowsTheDataWithoutWriting) {
    TempDevice device;
    device.WriteTestInfoFile(kSmallTestInfoFile);
    FillDevice();
    DialogDriver driver;
    SetStoreWriteFailureForTesting(true);
    EXPECT_EQ(RunProgram(driver, device.Root(), [](CVantrelDlg& d) {
        EXPECT_EQ(RecordPaint(d).texts.front().text, u"Tests for Ann");
        EXPECT_EQ(ListRows(d, CVantrelDlg::kTestList), std::vector<std::u16string>{u"Lipid Panel"});
    }), "");
    SetStoreWriteFailureForTesting(false);
    EXPECT_TRUE(driver.Messages().empty());
}

// SQLite leaves its log made, empty, when it could not even read.
TEST(DamagedDeviceTest, ASoundStoreOnADiskFullAtStartIsNamedWithItsCauseAndLeftAsItWas) {
    TempDevice device;
    FillDevice();
    DialogDriver driver;
    SetStoreDiskFullForTesting(true);
    const std::string changed = RunProgram(driver, device.Root());
    SetStoreDiskFullForTesting(false);
    EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"Vantrel cannot write to " +
                                                             Utf8ToText(ObjectStorePath().string()) +
                                                             u": the disk is full."});
    const fs::path log = ObjectStorePath().string() + "-wal";
    EXPECT_TRUE(changed.empty() || (changed == " object-store.sqlite-wal" && fs::file_size(log) == 0)) << changed;
    EXPECT_EQ(ObjectStoreProblem(), u"");
    EXPECT_TRUE(HasPatient(u"Ann"));
}

}  // namespace
