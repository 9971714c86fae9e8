// The reads served by the store's indexes keep agreeing with a pass over every
// record, whatever route changed the records: the store's own changes, an
// undone unit, users equal ignoring case, and another process.

#include "store/test_changes.h"

#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/store_fixture.h"
#include "support/stored_results.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Probe {
    std::u16string user, test, result;
    SystemTime date;
};

class TestRecordLookupTest : public StoreFixture {
protected:
    static bool Add(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                    std::u16string_view result) {
        return StoreResult(user, test, u"", date, result, u"5", u"1-9", u"mg/dL");
    }

    void ExpectLookupsAgree(const char* after) {
        const std::vector<TestResult> all = AllResults();
        for (const Probe& p : probes_) {
            SCOPED_TRACE(std::string(after) + ": " + TextToUtf8(p.user) + " / " + TextToUtf8(p.test) + " / " +
                         TextToUtf8(p.result));
            std::optional<TestResult> scanned;
            for (const TestResult& r : all)
                if (!scanned && r.user == p.user && r.test == p.test && r.result == p.result && r.date == p.date)
                    scanned = r;
            EXPECT_EQ(ReadResult(p.user, p.test, p.result, p.date), scanned);
        }
    }

    const SystemTime day1_ = MakeDate(2024, 1, 5);
    const SystemTime day2_ = MakeDate(2024, 2, 10);
    std::vector<Probe> probes_ = {
        {u"Ann", u"Lipids", u"HDL", day1_},     {u"Ann", u"Lipids", u"LDL", day1_},
        {u"Ann", u"Lipids", u"HDL", day2_},     {u"ann", u"Lipids", u"HDL", day1_},
        {u"Ann", u"Iron", u"Ferritin", day1_},  {u"Aaron", u"Iron", u"Ferritin", day2_},
    };
};

TEST_F(TestRecordLookupTest, LookupsFollowEveryChangeToTheRecords) {
    ExpectLookupsAgree("no records");
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"HDL"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"LDL"));
    ASSERT_TRUE(Add(u"ann", u"Lipids", day1_, u"HDL"));  // the same run, another user
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day2_, u"HDL"));  // lands after "ann"'s record
    ASSERT_TRUE(Add(u"Aaron", u"Iron", day2_, u"Ferritin"));  // sorts first: every index moves
    ExpectLookupsAgree("adding");
    {
        StoreTransaction undone;
        ASSERT_TRUE(Add(u"Ann", u"Iron", day1_, u"Ferritin"));
        ASSERT_TRUE(DeleteTakenTest(u"Ann", u"Lipids", day1_));
        ExpectLookupsAgree("inside a unit");
    }
    ExpectLookupsAgree("after undoing it");
    TakenTest moved{u"Ann", u"Lipids", day2_, u"", {{u"LDL", u"6", u"1-9", u"mg/dL"}}};
    ASSERT_EQ(ReplaceTakenTest(u"Lipids", day1_, moved, true), TestSaved::Stored);
    ExpectLookupsAgree("moving a day");

    // Another process adds a record that sorts before all of Ann's, and ends
    // without closing the store: what it was told is stored is there.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(Add(u"Aaron", u"Lipids", day1_, u"HDL") ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(ReadResult(u"Aaron", u"Lipids", u"HDL", day1_));
    probes_.push_back({u"Aaron", u"Lipids", u"HDL", day1_});
    ExpectLookupsAgree("another process adding");
}

}  // namespace
