// Two programs on one device root: while the real program runs, a second start
// says once that Vantrel is already running, ends, and leaves every byte of
// the device as it was.

#include "app/temp_device.h"
#include "device_snapshot.h"

#include "app/vantrel_app.h"
#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/store_test_helpers.h"
#include "store/test_record_layout.h"
#include "support/dialog_driver.h"
#include "support/stored_results.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The program itself, started on `root` with no screen; killed when this ends.
class RunningProgram {
public:
    explicit RunningProgram(const fs::path& root) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            if (!entry.starts_with("VANTREL_DEVICE_ROOT=") && !entry.starts_with("QT_QPA_PLATFORM="))
                env.push_back(entry);
        }
        env.push_back("VANTREL_DEVICE_ROOT=" + root.string());
        env.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (std::string& entry : env) envp.push_back(entry.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(VANTREL_PROGRAM), nullptr};
        if (posix_spawn(&pid_, VANTREL_PROGRAM, nullptr, nullptr, argv, envp.data()) != 0) pid_ = -1;
    }
    ~RunningProgram() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }

    bool Alive() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

    // True once the program holds `file` open.
    bool Holds(const fs::path& file) const {
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid_) + "/fd", ec))
            if (fs::read_symlink(fd.path(), ec) == file) return true;
        return false;
    }

    // Waits until it holds the device lock and has opened the store with its log.
    bool WaitUntilStarted(const fs::path& root) const {
        const fs::path log = fs::path(ObjectStorePath()) += "-wal";
        for (int tries = 0; tries < 300 && Alive(); ++tries) {
            if (Holds(root / DeviceLock::kFileName) && Holds(ObjectStorePath()) && Holds(log)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Ends it as the system ends a program; true when it was still running.
    bool Stop() {
        if (!Alive()) return false;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return true;
    }

private:
    pid_t pid_ = -1;
};

TEST(TwoProgramsTest, ASecondStartWhileTheProgramRunsSaysSoOnceAndWritesNothing) {
    TempDevice device;
    // A device past its first run, with a user and a test.
    ASSERT_TRUE(SetTestEntry(u"Glucose", u"why", u"To check for diabetes"));
    ASSERT_TRUE(AddPatient(u"Ann", u"Female", MakeDate(1970, 5, 2), u"0", u"Bar"));
    ASSERT_TRUE(CreateSettings(u"Ann"));
    ASSERT_TRUE(StoreResult(u"Ann", u"Glucose", u"fasting", MakeDate(2026, 6, 1), u"Glucose", u"92", u"70-100", u"mg/dL"));
    device.WriteTestInfoFile(kSmallTestInfoFile);
    SetDeviceRoot(device.Root());  // this process lets go of the store

    RunningProgram first(device.Root());
    ASSERT_TRUE(first.WaitUntilStarted(device.Root()));
    // Whatever the program does as it opens its main window is done by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const DeviceSnapshot before = SnapshotOf(device.Root());
    ASSERT_TRUE(before.contains(ObjectStorePath().filename().string()));

    DialogDriver driver;
    CVantrelApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();  // no window of its own
    EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"Vantrel is already running on this device (" +
                                                             Utf8ToText(device.Root().string()) + u")."});
    EXPECT_TRUE(SnapshotOf(device.Root()) == before) << "the second start changed the device";

    // The first program never noticed; once it is gone the data is all there, once.
    EXPECT_TRUE(first.Stop());
    SetDeviceRoot(device.Root());
    EXPECT_EQ(ObjectStoreProblem(), u"");
    EXPECT_EQ(RecordCountOf(kPatientsDatabase), 1);
    EXPECT_EQ(RecordCountOf(kTestRecordsDatabase), 1);
    EXPECT_EQ(RecordCountOf(kSettingsDatabase), 1);
    EXPECT_EQ(ReadResult(u"Ann", u"Glucose", u"Glucose", MakeDate(2026, 6, 1))->value, u"92");

    // Now the root is free: a start holds it (and is refused nothing).
    DeviceLock lock;
    EXPECT_EQ(lock.Acquire(device.Root()), DeviceLock::Outcome::Held);
}

}  // namespace
