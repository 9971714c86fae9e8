#pragma once
// What every store does with its database: open it (creating it when asked),
// find a record in the run of records that share a sort value, reach a record
// by its index, and pass over all records.

#include "platform/records/record_store.h"
#include "platform/text.h"

#include <cstdint>
#include <string_view>

struct StoreDatabase {
    std::u16string_view name;
    std::uint32_t type;
    std::uint16_t sortProperty;
    LookupColumns lookup{};  // the properties looked up by index: test, date and result
};

// Opens the database, first creating it with its case-insensitive sort order
// and lookup columns when it does not exist yet.
bool OpenOrCreate(PropertyDatabase& db, const StoreDatabase& database);

// A string property as texts are stored and looked up: at most kTextMax units.
inline Property TextProperty(std::u16string_view text, std::uint16_t id) { return Property(BoundedText(text), id); }

// The text of a string property, empty when the record lacks it.
std::u16string_view TextOf(const PropertyRecord& record, std::uint16_t id);
FileTime FileTimeOf(const PropertyRecord& record, std::uint16_t id);

// Opens `db` on `database` positioned on the first record, among those whose
// sort property equals `key` ignoring case, that `matches` accepts: an index
// descent and the run, where reaching a record by number counts all before it.
template <class Match>
bool SeekInRun(PropertyDatabase& db, std::u16string_view database, const Property& key, Match matches,
               PropertyRecord& record) {
    if (!db.Open(database)) return false;
    db.SeekFirst();
    // A record that cannot be read is passed over: a later one may be the one sought.
    for (bool found = db.SeekFirstEqual(key); found; found = db.SeekNextEqual(key))
        if (db.ReadCurrent(record) && matches(record)) return true;
    return false;
}

// The index of the record SeekInRun reaches; -1 when none does.
template <class Match>
int FindInRun(std::u16string_view database, const Property& key, Match matches) {
    PropertyDatabase db;
    PropertyRecord record;
    return SeekInRun(db, database, key, matches, record) ? db.CurrentIndex() : -1;
}

// Reads the record at `index` (found by FindInRun) through a new handle.
bool ReadRecordAt(std::u16string_view database, int index, PropertyRecord& record);

// Reads the record at `index`, lets `change` rewrite it and writes it back in place.
template <class Change>
bool ChangeRecordAt(std::u16string_view database, int index, Change change) {
    PropertyDatabase db;
    PropertyRecord record;
    if (index < 0 || !db.Open(database) || !db.SeekToIndex(index) || !db.ReadCurrent(record)) return false;
    change(record);
    return db.Write(record, 1);
}

// Visits every record in order on an open handle; `visit` returns false to stop.
// The handle's advance flag is restored afterwards.
template <class Visit>
void ForEachRecord(PropertyDatabase& db, Visit visit) {
    bool advance = db.AdvanceAfterRead();
    db.SetAdvanceAfterRead(true);
    db.SeekToIndex(0);
    PropertyRecord record;
    while (db.ReadCurrent(record) && visit(db, record)) {
    }
    db.SetAdvanceAfterRead(advance);
}

template <class Visit>
void ForEachRecord(std::u16string_view database, Visit visit) {
    PropertyDatabase db;
    if (db.Open(database)) ForEachRecord(db, visit);
}
