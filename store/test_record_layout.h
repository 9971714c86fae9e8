#pragma once
// How a test result is kept: the properties of its record and the lookups the
// stores make through the service's indexes. Only the stores (and the store's
// own tests and benchmarks) use it.

#include "platform/records/record_store.h"
#include "store/store_database.h"
#include "store/test_record_store.h"

enum TestRecordProperty : std::uint16_t {
    kPropUser = 301,
    kPropTestName = 302,
    kPropTestDate = 303,
    kPropResultName = 304,
    kPropResultValue = 305,
    kPropResultUnit = 306,
    kPropComment = 307,
    kPropGoalValue = 308,
};

// A user's records are looked up by test, date and result.
inline constexpr StoreDatabase kTestRecords{kTestRecordsDatabase, kTestRecordsDatabaseType, kPropUser,
                                            LookupColumns{kPropTestName, kPropTestDate, kPropResultName}};

// A record's fields (as a 1024-unit buffer holds each text).
TestResult ResultOf(const PropertyRecord& record);
// The eight properties in their stored order; false for a date that is no date.
bool FillRecord(PropertyRecord& record, const TestResult& result);

// The user's records of one test: the test name, date and result name are a
// record's lookup fields.
FieldMatch TestMatch(std::u16string_view user, std::u16string_view test);
// Narrows `match` to the calendar day of `date`; false for a date that is no date.
bool OnDay(const SystemTime& date, FieldMatch& match);
