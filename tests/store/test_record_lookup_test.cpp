// Finding test records by user, test, result and date keeps giving the index
// a reading of every record gives, whatever route changed the records: the
// stores' own writes, writes through a handle, undone transactions, users
// equal ignoring case, and another process.

#include "store/test_record_store.h"

#include "platform/record_store.h"
#include "platform/text.h"
#include "store/store_fixture.h"
#include "store/store_test_helpers.h"

#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Probe {
    std::u16string user, test, result;
    SystemTime date;
};

class TestRecordLookupTest : public StoreFixture {
protected:
    const SystemTime day1_ = MakeDate(2024, 1, 5);
    const SystemTime day2_ = MakeDate(2024, 2, 10);

    static bool Add(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                    std::u16string_view result) {
        return AddResult(user, test, u"", date, result, u"5", u"1-9", u"mg/dL");
    }

    // The first index, reading every record in order, of the user's test on the
    // moment of `date` (with the result name, when given).
    static int Scan(const Probe& probe, bool byResult) {
        PropertyDatabase db;
        if (!db.Open(kTestRecordsDatabase)) return -1;
        double wanted = 0;
        if (!SystemTimeToVariantTime(probe.date, wanted)) return -1;
        PropertyRecord record;
        for (int index = 0; db.SeekToIndex(index) && db.ReadCurrent(record); ++index) {
            auto text = [&record](std::uint16_t id) {
                const Property* property = record.GetProperty(id);
                return property ? property->StringValue() : std::u16string();
            };
            const Property* time = record.GetProperty(kPropTestDate);
            SystemTime date;
            double stored = 0;
            if (text(kPropUser) != probe.user || text(kPropTestName) != probe.test) continue;
            if (byResult && text(kPropResultName) != probe.result) continue;
            if (time && FileTimeToSystemTime(time->FileTimeValue(), date) && SystemTimeToVariantTime(date, stored) &&
                stored == wanted)
                return index;
        }
        return -1;
    }

    void ExpectLookupsAgree(const char* after) {
        for (const Probe& probe : probes_) {
            SCOPED_TRACE(std::string(after) + ": " + TextToUtf8(probe.user) + " / " + TextToUtf8(probe.test) +
                         " / " + TextToUtf8(probe.result));
            EXPECT_EQ(FindResultRecord(probe.user, probe.test, probe.result, probe.date), Scan(probe, true));
            EXPECT_EQ(FindTestRecord(probe.user, probe.test, probe.date), Scan(probe, false));
        }
    }

    std::vector<Probe> probes_;
};

TEST_F(TestRecordLookupTest, LookupsFollowEveryChangeToTheRecords) {
    SystemTime noon = day1_;
    noon.hour = 12;
    probes_ = {
        {u"Ann", u"Lipids", u"HDL", day1_},  {u"Ann", u"Lipids", u"LDL", day1_}, {u"Ann", u"Lipids", u"HDL", day2_},
        {u"ann", u"Lipids", u"HDL", day1_},  {u"Ann", u"Iron", u"Ferritin", day1_}, {u"Ann", u"Lipids", u"HDL", noon},
        {u"Bob", u"Lipids", u"HDL", day1_},  {u"Aaron", u"Iron", u"Ferritin", day2_},
    };
    ExpectLookupsAgree("no records");
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"HDL"));
    ASSERT_TRUE(Add(u"Bob", u"Lipids", day1_, u"HDL"));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day1_, u"LDL"));
    ASSERT_TRUE(Add(u"ann", u"Lipids", day1_, u"HDL"));  // the same run, another user
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day2_, u"HDL"));  // lands after "ann"'s record
    ExpectLookupsAgree("adding through the store");

    ASSERT_TRUE(Add(u"Aaron", u"Iron", day2_, u"Ferritin"));  // sorts first: every index moves
    ASSERT_TRUE(Add(u"Ann", u"Iron", day1_, u"Ferritin"));
    ExpectLookupsAgree("adding before the run");

    {
        PropertyDatabase db;
        ASSERT_TRUE(db.Open(kTestRecordsDatabase));
        PropertyRecord record;
        FileTime time = 0;
        ASSERT_TRUE(SystemTimeToFileTime(day1_, time));
        const Property properties[] = {Property(u"Ann", kPropUser), Property(u"Lipids", kPropTestName),
                                       Property(time, kPropTestDate), Property(u"HDL", kPropResultName)};
        record.AddProperties(properties, 4);
        ASSERT_TRUE(db.Write(record, 0));  // a second record of one result, past the store
        ASSERT_TRUE(db.SeekToIndex(0));
        ASSERT_TRUE(db.DeleteCurrent());  // Aaron's
    }
    ExpectLookupsAgree("writing and deleting through a handle");

    {
        StoreTransaction undone;
        ASSERT_TRUE(Add(u"Aaron", u"Iron", day2_, u"Ferritin"));
        ASSERT_TRUE(Add(u"Ann", u"Iron", day2_, u"Ferritin"));
        ASSERT_TRUE(DeleteTest(u"Ann", u"Lipids", day1_));
        ExpectLookupsAgree("inside a transaction");
    }
    ExpectLookupsAgree("after undoing it");

    ASSERT_TRUE(UpdateResult(u"Ann", u"Lipids", u"changed", day1_, u"LDL", u"6", u"1-9", u"mg/dL"));
    ASSERT_TRUE(DeleteTest(u"Ann", u"Lipids", day1_));
    DeleteUserTests(u"Bob");
    ExpectLookupsAgree("updating and deleting");

    // Another process adds a record that sorts before all of Ann's.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(Add(u"Aaron", u"Lipids", day1_, u"HDL") ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ExpectLookupsAgree("another process adding");
    EXPECT_NE(FindResultRecord(u"Ann", u"Iron", u"Ferritin", day1_), -1);
}

TEST_F(TestRecordLookupTest, DeletingATestLeavesUsersEqualIgnoringCaseAlone) {
    for (const char16_t* user : {u"ann", u"Ann", u"ANN", u"Ann"}) ASSERT_TRUE(Add(user, u"Lipids", day1_, user));
    ASSERT_TRUE(Add(u"Ann", u"Lipids", day2_, u"HDL"));
    ASSERT_TRUE(DeleteTest(u"Ann", u"Lipids", day1_));
    EXPECT_EQ(RecordCountOf(kTestRecordsDatabase), 3);
    EXPECT_EQ(FindTestRecord(u"Ann", u"Lipids", day1_), -1);
    EXPECT_EQ(FindTestRecord(u"ann", u"Lipids", day1_), 0);
    EXPECT_EQ(FindTestRecord(u"Ann", u"Lipids", day2_), 1);
    EXPECT_EQ(FindTestRecord(u"ANN", u"Lipids", day1_), 2);
    // Nothing to delete, and no database at all, are both done.
    EXPECT_TRUE(DeleteTest(u"Bob", u"Lipids", day1_));
    SetDeviceRoot(folder_ / "empty");
    EXPECT_TRUE(DeleteTest(u"Ann", u"Lipids", day1_));
}

}  // namespace
