// A data file is believed only as far as it can be checked: its schema is
// the one made with it, ids beyond the range the store writes and indexes
// that disagree with their tables are refused, a damaged page is told with
// its true cause and never crashes or hangs a command nor lets it pass over
// data in silence, and restore leaves a whole store whenever it stops.

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/records/record_store.h"
#include "store/patient_store.h"
#include "store/store_fixture.h"
#include "store/test_record_store.h"
#include "store/user_changes.h"
#include "support/earlier_store.h"
#include "support/export_tool.h"
#include "support/raw_file.h"
#include "support/stored_results.h"

#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class UntrustedStoreTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        for (const char16_t* user : {u"Ann", u"Bob"}) {
            ASSERT_TRUE(AddPatient(user, u"Female", MakeDate(1970, 5, 2), u"0", u"Bar"));
            for (int day = 1; day <= 20; ++day)
                for (const char16_t* result : {u"HDL", u"LDL"})
                    ASSERT_TRUE(StoreResult(user, u"Lipids", u"", MakeDate(2024, 1, day), result, IntToText(day), u"40-60", u"mg/dL"));
        }
        Close();
    }

    // The program closes the store, as at its end: the file holds everything.
    void Close() { SetDeviceRoot(root_); }
    fs::path Store() const { return root_ / "object-store.sqlite"; }

    ToolRun Tool(const std::string& arguments) const { return RunExportTool(VANTREL_EXPORT, folder_, root_, arguments); }

    // A command the damage must fail: status 1, the message naming the file as damaged.
    void ExpectToolTellsDamage(const std::string& arguments) const {
        SCOPED_TRACE(arguments);
        const ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_NE(run.err.find(Store().string() + " is damaged"), std::string::npos) << run.err;
    }

    // Overwrites the kind byte of the first page of `object`'s tree: any read of it fails.
    void DamagePageOf(const std::string& object) {
        const long long pageSize = RawNumber(Store(), "PRAGMA page_size");
        const long long page = RawNumber(Store(), "SELECT rootpage FROM sqlite_master WHERE name = '" + object + "'");
        ASSERT_GT(page, 1);
        std::fstream file(Store(), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(static_cast<std::streamoff>((page - 1) * pageSize));
        file.put('\x42');
    }

    // A program that wrote and was killed before closing: its log is left.
    void EndUncleanly() {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(AddPatient(u"Cy", u"Male", MakeDate(1990, 1, 1), u"0", u"Bar") ? 0 : 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_GT(fs::file_size(Store().string() + "-wal"), 0u);
    }
};

// Whatever is stored, the file keeps the schema it was made with: no table
// or index per user, test or text.
TEST_F(UntrustedStoreTest, TheSchemaIsTheOneMadeWithTheFile) {
    const std::string schema = "SELECT count(*) * 1000000 + total(length(sql)) FROM sqlite_master";
    const long long made = RawNumber(Store(), schema);
    for (int user = 0; user < 30; ++user)
        ASSERT_TRUE(StoreResult(u"User " + IntToText(user), u"Test " + IntToText(user), u"", MakeDate(2024, 2, 1), u"R",
                              u"1", u"0-2", u"u"));
    ASSERT_TRUE(DeleteTakenTest(u"User 3", u"Test 3", MakeDate(2024, 2, 1)));
    DeleteUser(u"User 4");
    Close();
    EXPECT_EQ(RawNumber(Store(), schema), made);
}

// A record numbered at the end of the 64-bit range made the next number wrap
// and a pass never end: an id the store would never write is damage.
TEST_F(UntrustedStoreTest, IdsBeyondTheRangeTheStoreWritesAreRefused) {
    for (const std::string sql : {"UPDATE records SET id = 9223372036854775807 WHERE id = 3",
                                  "UPDATE records SET id = 0 WHERE id = 3",
                                  "UPDATE sort_texts SET id = 9223372036854775807 WHERE id = 2"}) {
        SCOPED_TRACE(sql);
        const fs::path saved = folder_ / "saved.sqlite";
        fs::copy_file(Store(), saved, fs::copy_options::overwrite_existing);
        RunSql(Store(), "PRAGMA foreign_keys=OFF; " + sql);
        ExpectToolTellsDamage("csv");
        EXPECT_NE(ObjectStoreFileProblem(Store()), u"");
        Close();
        int read = 0;
        for (const std::u16string user : {u"Ann", u"Bob"}) ForEachTestResult(&user, [&read](const TestResult&) { ++read; });
        EXPECT_LT(read, 80);
        EXPECT_NE(ObjectStoreProblem().find(u"is damaged"), std::u16string::npos) << TextToUtf8(ObjectStoreProblem());
        Close();
        fs::copy_file(saved, Store(), fs::copy_options::overwrite_existing);
    }
}

// An index that lacks one of its table's entries passes SQLite's quick
// check; the report would leave that result out and deleting its date would
// leave it behind. Restore and the check after an unclean end run the full one.
TEST_F(UntrustedStoreTest, AnIndexMissingAnEntryIsRefusedByRestoreAndAfterAnUncleanEnd) {
    const std::string index = "CREATE INDEX records_by_date ON records(sort_text, test, date, result)";
    const long long records = RawNumber(Store(), "SELECT count(*) FROM records");
    RunSql(Store(), "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = '" + index +
                        " WHERE 0' WHERE name = 'records_by_date';");
    RunSql(Store(), "INSERT INTO records SELECT sort_text, 99, test, date, result, properties FROM records"
                    " WHERE sort_text = 1 AND id = 1;");
    RunSql(Store(), "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = '" + index +
                        "' WHERE name = 'records_by_date';");
    ASSERT_EQ(RawNumber(Store(), "SELECT count(*) FROM records"), records + 1);
    const fs::path damaged = folder_ / "missing-entry.sqlite";
    fs::copy_file(Store(), damaged);

    EndUncleanly();
    EXPECT_NE(ObjectStoreProblem().find(u"is damaged"), std::u16string::npos) << TextToUtf8(ObjectStoreProblem());
    Close();
    fs::remove_all(root_);
    const ToolRun restore = Tool("restore missing-entry.sqlite");
    EXPECT_EQ(restore.status, 1);
    EXPECT_NE(restore.err.find("missing-entry.sqlite is damaged"), std::string::npos) << restore.err;
    EXPECT_FALSE(fs::exists(Store()));
}

// A damaged index page closed the store under the statements still in use,
// then crashed or hung every command; a damaged table page let list and csv
// leave users out and succeed. A command that meets the damage now fails
// naming it, one that does not gives all it would give of a sound file, and
// the program says it once.
TEST_F(UntrustedStoreTest, ADamagedPageIsToldAndNeverCrashesHangsOrHidesData) {
    const fs::path sound = folder_ / "sound.sqlite";
    fs::copy_file(Store(), sound);
    const std::string list = Tool("list").out, csv = Tool("csv").out;
    for (const char* object : {"records_by_date", "records_by_test", "records", "sort_texts_in_order"}) {
        SCOPED_TRACE(object);
        Close();
        fs::copy_file(sound, Store(), fs::copy_options::overwrite_existing);
        DamagePageOf(object);
        int failed = 0;
        for (const char* command : {"list", "csv", "report Ann Lipids 2024-01-02 --force -o r.pdf",
                                    "graph Ann Lipids HDL all --force -o g.png", "summary Ann --force -o s.pdf"}) {
            const ToolRun run = Tool(command);
            failed += run.status != 0;
            if (run.status != 0) {
                ExpectToolTellsDamage(command);
            } else if (std::string(command) == "csv" || std::string(command) == "list") {
                EXPECT_EQ(run.out, std::string(command) == "csv" ? csv : list) << command;
            }
        }
        EXPECT_GT(failed, 0);

        std::vector<std::u16string> told;
        OnObjectStoreProblem([&told](const std::u16string& problem) { told.push_back(problem); });
        TestDates(u"Ann", u"Lipids");
        TestDates(u"Ann", u"Lipids");
        const std::u16string ann = u"Ann";
        ForEachTestResult(&ann, [](const TestResult&) {});
        DeleteTakenTest(u"Ann", u"Lipids", MakeDate(2024, 1, 2));
        OnObjectStoreProblem(nullptr);
        // Found when the file is opened, it is the start's one message instead.
        EXPECT_LE(told.size(), 1u);
        EXPECT_NE(ObjectStoreProblem().find(u"is damaged"), std::u16string::npos);
    }
}

TEST_F(UntrustedStoreTest, RestoringTheDevicesOwnFileIsRefusedAtOnce) {
    fs::create_symlink(Store(), folder_ / "own.sqlite");
    fs::create_hard_link(Store(), folder_ / "same.sqlite");
    const std::string before = FileBytes(Store());
    for (const char* file : {"own.sqlite", "same.sqlite", "device/object-store.sqlite"}) {
        SCOPED_TRACE(file);
        const ToolRun run = Tool(std::string("restore ") + file);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("the device's own data file"), std::string::npos) << run.err;
    }
    fs::remove(folder_ / "same.sqlite");
    EXPECT_EQ(FileBytes(Store()), before);
    DeviceLock lock;
    EXPECT_EQ(lock.Acquire(root_), DeviceLock::Outcome::Held);  // and the device is free again
}

// A link where the store or a file beside it belongs, or a second name of
// the store, of its log or of the lock file, would have reads and writes
// reach a file elsewhere: each is refused, named, and never followed.
TEST_F(UntrustedStoreTest, LinksAtTheStoreOrBesideItAreRefused) {
    EndUncleanly();  // the log beside the store is there
    Close();
    const auto expectRefused = [this](const fs::path& file) {
        EXPECT_FALSE(PropertyDatabase::Exists(u"Health Profiles List"));
        EXPECT_NE(ObjectStoreProblem().find(Utf8ToText(file.string()) + u" is a link"), std::u16string::npos)
            << TextToUtf8(ObjectStoreProblem());
        Close();
    };
    for (const char* suffix : {"", "-wal"}) {
        SCOPED_TRACE(suffix);
        const fs::path file = Store().string() + suffix, other = folder_ / "other";
        fs::create_hard_link(file, other);
        expectRefused(file);
        fs::remove(other);
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        SCOPED_TRACE(std::string("symbolic ") + suffix);
        const fs::path link = Store().string() + suffix, elsewhere = folder_ / "elsewhere";
        const bool held = fs::exists(link);  // else the link dangles
        if (held) fs::rename(link, elsewhere);
        fs::create_symlink(elsewhere, link);
        expectRefused(link);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::exists(elsewhere), held);  // nothing made through it
        fs::remove(link);
        if (held) fs::rename(elsewhere, link);
    }
    DeviceLock lock;
    ASSERT_EQ(lock.Acquire(root_), DeviceLock::Outcome::Held);
    lock.Release();
    fs::create_hard_link(root_ / DeviceLock::kFileName, folder_ / "lock");
    EXPECT_EQ(lock.Acquire(root_), DeviceLock::Outcome::Failed);
    EXPECT_EQ(lock.FailureError(), ELOOP);
}

// Everything the store and restore write is its owner's alone, whatever the umask.
TEST_F(UntrustedStoreTest, EveryFileIsPrivateWhateverTheUmask) {
    const mode_t umask = ::umask(0);
    ASSERT_EQ(Tool("backup saved.sqlite").status, 0);  // its mode is the overwrite test's
    root_ = folder_ / "new" / "device";
    const ToolRun restore = Tool("restore saved.sqlite");
    ::umask(umask);
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Mode(folder_ / "new"), 0700u);
    EXPECT_EQ(Mode(root_), 0700u);
    for (const auto& entry : fs::directory_iterator(root_)) EXPECT_EQ(Mode(entry.path()), 0600u) << entry.path();

    ::umask(0);
    SetDeviceRoot(root_);
    const bool added = StoreResult(u"Ann", u"Iron", u"", MakeDate(2024, 2, 1), u"Fe", u"60", u"50-150", u"mcg/dL");
    ::umask(umask);
    EXPECT_TRUE(added);
    for (const auto& entry : fs::directory_iterator(root_)) EXPECT_EQ(Mode(entry.path()), 0600u) << entry.path();

    // A data file left readable by others (copied in, or made by an older version) is narrowed when opened.
    SetDeviceRoot(root_);
    fs::permissions(Store(), fs::perms::others_read | fs::perms::group_read, fs::perm_options::add);
    EXPECT_TRUE(ObjectStoreProblem().empty());
    EXPECT_EQ(Mode(Store()), 0600u);
}

// A restore killed at any moment leaves the old store or the new one, each
// usable by every command, and a later restore keeps a sound copy of it.
TEST_F(UntrustedStoreTest, ARestoreKilledAnywhereLeavesAWholeStore) {
    const std::string before = Tool("csv").out;
    ASSERT_EQ(Tool("backup old.sqlite").status, 0);
    SetDeviceRoot(folder_ / "other");
    for (int day = 1; day <= 200; ++day)
        ASSERT_TRUE(StoreResult(u"Dee", u"Iron", u"", MakeDate(2023, 1 + day % 12, 1 + day % 28), u"Fe" + IntToText(day),
                              u"60", u"50-150", u"mcg/dL"));
    SetDeviceRoot(root_);
    ASSERT_EQ(RunExportTool(VANTREL_EXPORT, folder_, folder_ / "other", "backup new.sqlite").status, 0);
    const std::string after = RunExportTool(VANTREL_EXPORT, folder_, folder_ / "other", "csv").out;

    for (int delay = 0; delay <= 60000; delay += 4000) {
        SCOPED_TRACE(delay);
        fs::remove_all(root_);
        ASSERT_EQ(Tool("restore old.sqlite").status, 0);
        for (const auto& entry : fs::directory_iterator(root_))
            if (entry.path().filename().string().rfind("object-store.sqlite", 0) != 0) fs::remove(entry.path());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            execl(VANTREL_EXPORT, VANTREL_EXPORT, "--root", root_.c_str(), "restore", (folder_ / "new.sqlite").c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(static_cast<useconds_t>(delay));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const ToolRun csv = Tool("csv");
        EXPECT_EQ(csv.status, 0) << csv.err;
        EXPECT_TRUE(csv.out == before || csv.out == after);
        const ToolRun again = Tool("restore new.sqlite");
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(Tool("csv").out, after);
        for (const auto& entry : fs::directory_iterator(root_)) {
            if (entry.path().filename().string().rfind("object-store.before-restore-", 0) == 0) {
                EXPECT_EQ(ObjectStoreFileProblem(entry.path()), u"") << entry.path();
            }
        }
    }
}

// Each refusal of the tool names what holds the device (the program's start
// is DamagedDeviceTest's): a second import is no running program.
TEST_F(UntrustedStoreTest, ARefusalNamesWhatHoldsTheDevice) {
    std::ofstream(folder_ / "rows.csv") << "user,test,date\nAnn,Iron,2024-02-01\n";
    ASSERT_EQ(Tool("backup saved.sqlite").status, 0);
    for (const auto& [holder, said] : {std::pair{DeviceLock::Holder::Import, "An import is running"},
                                       {DeviceLock::Holder::Restore, "A restore is running"},
                                       {DeviceLock::Holder::Program, "Vantrel is running"}}) {
        DeviceLock lock;
        ASSERT_EQ(lock.Acquire(root_, holder), DeviceLock::Outcome::Held);
        for (const char* command : {"import rows.csv", "restore saved.sqlite"}) {
            const ToolRun run = Tool(command);
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        }
    }
}

// A file of an earlier format is backed up as it is, before any conversion.
TEST_F(UntrustedStoreTest, AnEarlierFormatsFileIsBackedUpAsItIs) {
    fs::remove_all(root_);
    ASSERT_TRUE(WriteFormat1Store(Store(), {{u"Lab Patients List", 501}}, {{1, {Property(u"Ann", 501)}, {}}}));
    Close();
    const std::string before = FileBytes(Store());
    const ToolRun backup = Tool("backup saved.sqlite");
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(RawNumber(folder_ / "saved.sqlite", "PRAGMA user_version"), 1);
    EXPECT_EQ(FileBytes(Store()), before);
}

}  // namespace
