// The program's stores, killed at random moments while they save tests (all
// results of a test in one unit, as Take Test saves them), users, settings and
// deletions: after every kill the file is sound, every save that returned
// success is there, and the save that was under way is there whole or not at all.

#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/patient_store.h"
#include "store/result_row.h"
#include "store/settings_store.h"
#include "store/store_fixture.h"
#include "store/store_test_helpers.h"
#include "store/test_changes.h"
#include "support/stored_text.h"

#include <sqlite3.h>

#include <csignal>
#include <map>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

// Names that share runs of the case-insensitive sort order, and one outside the basic plane.
const std::u16string kUsers[] = {u"Ann", u"ann", u"Bob", u"\u00C9mile \U0001F600"};
const std::u16string kSettingKeys[] = {u"CurrentUser", u"currentuser", u"Last"};

// Step s of the sequence every child runs; deterministic, so the parent can
// tell what the state after any step must be.
struct Step {
    enum Kind { AddTest, AddUser, SetValue, DeleteLast } kind;
    std::u16string name, test, text;  // name: a user or a setting's key; text: the sex or the value
    SystemTime date;
    int results = 0;
};

Step StepAt(int s) {
    Step step{};
    const int turn = s / 5;
    step.name = kUsers[turn % 4];
    switch (s % 5) {
    case 0:
    case 3:
        step.kind = Step::AddTest;
        step.test = u"Test " + IntToText(s);
        step.date = MakeDate(2020 + s % 3, 1 + s % 12, 1 + s % 28);
        step.results = 1 + s % 4;
        break;
    case 1:  // users come back, so some adds rewrite a stored user in place
        step.kind = Step::AddUser;
        step.text = turn % 3 == 0 ? u"Female" : u"Male";
        break;
    case 2:
        step.kind = Step::SetValue;
        step.name = kSettingKeys[turn % 3];
        step.text = u"value " + IntToText(s);
        break;
    default:  // the test of the step before
        step = StepAt(s - 1);
        step.kind = Step::DeleteLast;
        break;
    }
    return step;
}

ResultRow ResultOf(int s, int part) {
    return {u"R" + IntToText(part), IntToText(s * 10 + part), u"1-" + IntToText(part + 5), u"mg/dL"};
}

bool Perform(int s) {
    const Step step = StepAt(s);
    switch (step.kind) {
    case Step::AddTest: {
        TakenTest taken{step.name, step.test, step.date, u"comment " + IntToText(s), {}};
        for (int part = 0; part < step.results; ++part) taken.results.push_back(ResultOf(s, part));
        return StoreTakenTest(taken, false) == TestSaved::Stored;
    }
    case Step::AddUser:
        return AddPatient(step.name, step.text, MakeDate(1970, 1, 1 + s % 28), u"0", u"Bar");
    case Step::SetValue:  // reports nothing: read back to know it was stored
        SetSetting(step.name, step.text);
        return StoredSetting(step.name) == step.text;
    case Step::DeleteLast:
        return DeleteTakenTest(step.name, step.test, step.date);
    }
    return false;
}

// What the stores must hold after a number of steps.
struct Model {
    using TestKey = std::tuple<std::u16string, std::u16string, FileTime>;
    std::map<TestKey, std::vector<std::u16string>> tests;  // result rows
    std::map<std::u16string, std::u16string> users;       // sex
    // Keys match ignoring case: the first spelling names the record.
    std::map<std::u16string, std::u16string> settings;

    static TestKey KeyOf(const Step& step) {
        FileTime time = 0;
        SystemTimeToFileTime(step.date, time);
        return {step.name, step.test, time};
    }

    void Apply(int s) {
        const Step step = StepAt(s);
        switch (step.kind) {
        case Step::AddTest: {
            std::vector<std::u16string>& rows = tests[KeyOf(step)];
            for (int part = 0; part < step.results; ++part) {
                const ResultRow r = ResultOf(s, part);
                rows.push_back(FormatResultRow(r.name, r.value, r.goal, r.unit));
            }
            break;
        }
        case Step::AddUser:
            users[step.name] = step.text;
            break;
        case Step::SetValue:
            settings[FoldCase(step.name)] = step.text;
            break;
        case Step::DeleteLast:
            tests.erase(KeyOf(step));
            break;
        }
    }

    std::size_t ResultCount() const {
        std::size_t count = 0;
        for (const auto& [key, rows] : tests) count += rows.size();
        return count;
    }

    // Empty when the stores hold exactly this; otherwise the first difference.
    std::string Difference() const {
        auto count = [](std::u16string_view db) { return std::max(RecordCountOf(db), 0); };
        std::ostringstream why;
        if (count(kTestRecordsDatabase) != static_cast<int>(ResultCount()))
            why << count(kTestRecordsDatabase) << " test records, not " << ResultCount();
        else if (count(kPatientsDatabase) != static_cast<int>(users.size()))
            why << count(kPatientsDatabase) << " users, not " << users.size();
        else if (count(kSettingsDatabase) != static_cast<int>(settings.size()))
            why << count(kSettingsDatabase) << " settings, not " << settings.size();
        for (const auto& [key, rows] : tests) {
            const auto& [user, test, time] = key;
            SystemTime date;
            FileTimeToSystemTime(time, date);
            std::vector<std::u16string> listed;
            for (const ResultRow& r : ReadTakenTest(user, test, date).results)
                listed.push_back(FormatResultRow(r.name, r.value, r.goal, r.unit));
            if (listed != rows && why.tellp() == 0)
                why << TextToUtf8(test) << " has " << listed.size() << " of " << rows.size() << " results";
        }
        for (const auto& [name, sex] : users)
            if (const std::u16string stored = StoredSex(name); stored != sex && why.tellp() == 0)
                why << "user " << TextToUtf8(name) << " is " << TextToUtf8(stored);
        for (const auto& [key, value] : settings)
            if (const std::u16string stored = StoredSetting(key); stored != value && why.tellp() == 0)
                why << "setting " << TextToUtf8(key) << " is " << TextToUtf8(stored);
        return why.str();
    }
};

// The child: performs steps from `first` on until killed, telling the parent
// of each one that returned success.
[[noreturn]] void SaveUntilKilled(int first, int reportFd) {
    for (int s = first;; ++s) {
        if (!Perform(s)) _exit(2);
        if (write(reportFd, &s, sizeof s) != sizeof s) _exit(3);
    }
}

// Opened read-only, as an outside reader would.
std::string IntegrityCheck(const std::filesystem::path& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* check = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK &&
            sqlite3_step(check) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
        sqlite3_finalize(check);
    }
    sqlite3_close(db);
    return result;
}

class StoreCrashTest : public StoreFixture {};

TEST_F(StoreCrashTest, EverySuccessfulSaveSurvivesAKillAndNoneIsHalfDone) {
    std::mt19937 random(20260614);
    Model confirmed;  // every step before `next`
    int next = 0;
    int cutShort = 0;  // kills that fell after a step was stored but before it was reported
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        SetDeviceRoot(root_);  // the parent keeps no connection across the fork
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            SaveUntilKilled(next, fds[1]);
        }
        close(fds[1]);
        // A random number of reported saves (none: a kill while the store opens), then a random while.
        const int wanted = std::uniform_int_distribution<int>(0, 20)(random);
        int reported = 0;
        for (int s; reported < wanted && read(fds[0], &s, sizeof s) == sizeof s; ++reported)
            ASSERT_EQ(s, next + reported);
        usleep(std::uniform_int_distribution<int>(0, 8000)(random));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself with " << WEXITSTATUS(status);
        for (int s; read(fds[0], &s, sizeof s) == sizeof s; ++reported) ASSERT_EQ(s, next + reported);
        close(fds[0]);

        for (; reported > 0; --reported) confirmed.Apply(next++);
        if (std::filesystem::exists(ObjectStorePath())) {
            EXPECT_EQ(IntegrityCheck(ObjectStorePath()), "ok");
        }
        SetDeviceRoot(root_);
        ASSERT_EQ(ObjectStoreProblem(), u"");
        // The step under way when the kill came: not stored, or stored whole.
        const std::string asConfirmed = confirmed.Difference();
        if (!asConfirmed.empty()) {
            Model withNext = confirmed;
            withNext.Apply(next);
            const std::string asNext = withNext.Difference();
            ASSERT_EQ(asNext, "") << "nor as confirmed: " << asConfirmed;
            confirmed = withNext;
            ++next;
            ++cutShort;
        }
    }
    // Enough saves of every kind took place for the kills to mean something.
    EXPECT_GT(next, 60);
    EXPECT_GT(confirmed.users.size(), 2u);
    EXPECT_GT(confirmed.ResultCount(), 20u);
    RecordProperty("steps", next);
    RecordProperty("cutShort", cutShort);
}

}  // namespace
