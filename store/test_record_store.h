#pragma once
// The tests users have taken, one record per result, in "Health Profiles List".

#include "platform/datetime.h"
#include "platform/listing.h"
#include "platform/record_store.h"
#include "store/result_row.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::u16string_view kTestRecordsDatabase = u"Health Profiles List";
inline constexpr unsigned kTestRecordsDatabaseType = 12350;

// Property ids of a test record (the report reads records directly).
enum TestRecordProperty : unsigned short {
    kPropUser = 301,
    kPropTestName = 302,
    kPropTestDate = 303,
    kPropResultName = 304,
    kPropResultValue = 305,
    kPropResultUnit = 306,
    kPropComment = 307,
    kPropGoalValue = 308,
};

// The calendar date of a stored test time, as every comparison of dates reads it.
SystemTime TestDateAt(FileTime time);
// Whether a stored test time is the moment `date` is (equal variant day counts).
bool IsSameMoment(FileTime time, const SystemTime& date);

int FindTestRecord(std::u16string_view user, std::u16string_view test, const SystemTime& date);
int FindResultRecord(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                     const SystemTime& date);
// The result's record, read where FindResultRecord finds it.
bool ReadResultRecord(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                      const SystemTime& date, PropertyRecord& record);
// Per user with test records, in store order: the tests (a test on one day
// counts once) and the results, counted through the store's indexes.
struct UserTally {
    std::u16string user;
    int tests = 0;
    int results = 0;
};
std::vector<UserTally> TallyTestRecords();

// Every record of the user (exact name), in record order, read as the pass goes.
void ForEachUserRecord(std::u16string_view user, const std::function<void(const PropertyRecord&)>& visit);
// The records of the user's test whose date falls on the calendar day of `day`, in record order.
void ForEachRecordOfDay(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                        const std::function<void(const PropertyRecord&)>& visit);
bool AddResult(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
               const SystemTime& date, std::u16string_view result, std::u16string_view value,
               std::u16string_view goal, std::u16string_view unit);
bool UpdateResult(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
                  const SystemTime& date, std::u16string_view result, std::u16string_view value,
                  std::u16string_view goal, std::u16string_view unit);
bool DeleteTest(std::u16string_view user, std::u16string_view test, const SystemTime& date);
void DeleteUserTests(std::u16string_view user);
int GetResultValue(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                   const SystemTime& date);
// Low end, or -1 when not found (high then left as it was).
int GetGoalRange(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                 const SystemTime& date, int& high);
void ListUserTests(std::u16string_view user, ListingTarget& list);
void ListTestDates(std::u16string_view user, std::u16string_view test, ListingTarget& box);
void ListTestDatesInView(std::u16string_view user, std::u16string_view test, ListingTarget& list);
// One test of one day as stored: a row per result in record order (a record
// without result fields gives none) and the comment of the last record, the
// one the report shows.
struct StoredTestResults {
    std::u16string comment;
    std::vector<ResultRow> rows;
};
StoredTestResults ListTestResults(std::u16string_view user, std::u16string_view test, const SystemTime& date);
// A negative period admits every date.
bool IsWithinPeriod(const SystemTime& date, int period);
// Stores at most `capacity` dates; when more qualify, the most recent ones are kept
// (in record order). Returns the number stored.
int CollectResultDates(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                       int period, SystemTime* out, int capacity);
