// Every write the service confirmed survives the process being killed at any
// moment, and a transaction is on disk whole or not at all.

#include "platform/record_store.h"
#include "record_store_helpers.h"
#include "store/store_fixture.h"

#include <sqlite3.h>

#include <csignal>
#include <map>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Confirmation {
    int round, step;
    bool batch;  // three records written in one transaction
};

std::u16string TagFor(int round, int step, int part = -1) {
    std::u16string tag = IntToText(round) + u"-" + IntToText(step);
    return part < 0 ? tag : tag + u"-" + IntToText(part);
}

// The child: writes until killed, telling the parent of each confirmed write.
[[noreturn]] void WriteUntilKilled(int round, int reportFd) {
    for (int step = 0; step < 5000; ++step) {
        Confirmation confirmation{round, step, step % 4 == 3};
        bool confirmed;
        if (confirmation.batch) {
            StoreTransaction transaction;
            PropertyDatabase db;
            confirmed = db.Open(u"Crash");
            for (int part = 0; part < 3 && confirmed; ++part)
                confirmed = AddRecord(db, u"key" + IntToText(step % 7), TagFor(round, step, part));
            db.Close();
            confirmed = confirmed && transaction.Commit();
        } else {
            PropertyDatabase db;
            confirmed = db.Open(u"Crash") && AddRecord(db, u"key" + IntToText(step % 7), TagFor(round, step));
        }
        if (!confirmed) _exit(2);
        if (write(reportFd, &confirmation, sizeof confirmation) != sizeof confirmation) _exit(3);
    }
    _exit(0);
}

std::string IntegrityCheck(const std::filesystem::path& path) {
    sqlite3* raw = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* check = nullptr;
        if (sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK &&
            sqlite3_step(check) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
        sqlite3_finalize(check);
    }
    sqlite3_close(raw);
    return result;
}

class RecordStoreCrashTest : public StoreFixture {};

TEST_F(RecordStoreCrashTest, ConfirmedWritesSurviveAKillAtAnyMoment) {
    ASSERT_NE(CreateTestDatabase(u"Crash"), 0u);
    std::mt19937 random(20240315);
    std::vector<Confirmation> confirmed;
    for (int round = 0; round < 6; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            WriteUntilKilled(round, fds[1]);
        }
        close(fds[1]);
        // Let it confirm a random number of writes, then kill it a random while later.
        int wanted = std::uniform_int_distribution<int>(3, 40)(random);
        Confirmation confirmation{};
        for (int seen = 0; seen < wanted && read(fds[0], &confirmation, sizeof confirmation) == sizeof confirmation;
             ++seen)
            confirmed.push_back(confirmation);
        usleep(std::uniform_int_distribution<int>(0, 4000)(random));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself in round " << round;
        while (read(fds[0], &confirmation, sizeof confirmation) == sizeof confirmation) confirmed.push_back(confirmation);
        close(fds[0]);

        EXPECT_EQ(IntegrityCheck(ObjectStorePath()), "ok") << "round " << round;
        std::vector<std::u16string> tags = AllTags(u"Crash");
        std::multiset<std::u16string> present(tags.begin(), tags.end());
        for (const Confirmation& c : confirmed) {
            if (c.batch) {
                for (int part = 0; part < 3; ++part)
                    EXPECT_EQ(present.count(TagFor(c.round, c.step, part)), 1u) << "round " << c.round;
            } else {
                EXPECT_EQ(present.count(TagFor(c.round, c.step)), 1u) << "round " << c.round;
            }
        }
        // A transaction cut short left none of its records.
        std::map<std::u16string, int> parts;
        for (const std::u16string& tag : tags)
            if (std::count(tag.begin(), tag.end(), u'-') == 2) ++parts[tag.substr(0, tag.rfind(u'-'))];
        for (const auto& [batch, count] : parts) EXPECT_EQ(count, 3) << TextToUtf8(batch);
    }
    EXPECT_GT(confirmed.size(), 18u);
    SetDeviceRoot(root_);
    EXPECT_TRUE(ObjectStoreProblem().empty());
}

}  // namespace
