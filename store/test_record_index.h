#pragma once
// Finding one of a user's test records by test, result and moment without
// reading the user's whole run at every lookup: one pass builds an index of
// the run, kept while "Health Profiles List" stays unchanged.

#include "platform/datetime.h"
#include "platform/record_store.h"
#include "store/store_database.h"
#include "store/test_record_store.h"

#include <optional>
#include <string_view>

// Every record of the run sorted under `user` (bounded), in record order:
// the user's records and those of users equal to it ignoring case.
// `visit(db, record)` returns false to stop.
template <class Visit>
void ForEachInUserRun(PropertyDatabase& db, std::u16string_view user, Visit visit) {
    const Property key = TextProperty(user, kPropUser);
    PropertyRecord record;
    for (bool found = db.SeekFirstEqual(key); found && db.ReadCurrent(record); found = db.SeekNextEqual(key)) {
        if (!visit(db, record)) return;
    }
}

// Every record whose user is exactly `user` (bounded), in record order. They
// all lie in the user's run, so only the run is read.
template <class Visit>
void ForEachUserRecord(PropertyDatabase& db, std::u16string_view user, Visit visit) {
    const std::u16string exact = BoundedText(user);
    ForEachInUserRun(db, user, [&](PropertyDatabase& handle, const PropertyRecord& record) {
        return TextOf(record, kPropUser) != exact || visit(handle, record);
    });
}

// The calendar date of a stored test time, as every comparison of dates reads it.
SystemTime TestDateAt(FileTime time);

// Whether a stored test time is the moment `date` is (equal variant day counts);
// a time that is no date is no moment.
bool IsSameMoment(FileTime time, const SystemTime& date);

// The index of the first record, in record order, of the user's test on the
// moment of `date` and, when `result` is given, with that result name; -1 when none.
int FindIndexedRecord(std::u16string_view user, std::u16string_view test,
                      std::optional<std::u16string_view> result, const SystemTime& date);

// The version of the test records (0 when they cannot be read). A writer
// reads it just before adding a record and, right after the write with its
// handle still open, hands it to NoteAddedRecord: the index then takes the
// record in without reading the run again.
std::uint64_t TestRecordsVersion();
void NoteAddedRecord(std::uint64_t before, const PropertyRecord& record);
