#pragma once
// The record store service: named property databases kept in the device's
// object store. Records are numbered in sort order: case-insensitive on the
// database's sort property, then exactly; records with the same sort text
// keep the order in which they were added. Every Write or DeleteCurrent that
// returns true is on disk before it returns. Nothing is read in advance and
// nothing is kept between operations: each reads the records it reaches,
// through SQLite's indexes (see platform/records/schema.h).

#include "platform/records/field_match.h"
#include "platform/records/property.h"
#include "platform/records/unreadable_records.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One handle on one database. A store operation may hold a handle while an
// operation it calls opens a second one on the same database.
class PropertyDatabase {
public:
    PropertyDatabase();
    ~PropertyDatabase();
    PropertyDatabase(const PropertyDatabase&) = delete;
    PropertyDatabase& operator=(const PropertyDatabase&) = delete;

    static bool Exists(std::u16string_view name);
    // The identifier of a new empty database, 0 on failure (also when the name
    // exists). `lookup` names the properties kept as lookup columns, which
    // FieldMatch seeks on; by default none.
    static std::uint32_t Create(std::u16string_view name, std::uint32_t type, int sortOrderCount,
                                const SortOrder& order, const LookupColumns& lookup = {});

    bool OpenById(std::uint32_t id);
    bool Open(std::u16string_view name);
    void Close();
    bool IsOpen() const;

    bool SeekFirst();
    // Positioned on the first record whose sort property equals the value under the sort flags.
    bool SeekFirstEqual(const Property& value);
    // The next such record after the current one.
    bool SeekNextEqual(const Property& value);
    // Numbers cost a count of the records before: reaching a record through a
    // seek or a match is an index descent, reaching it by number is not.
    bool SeekToIndex(int index);
    int CurrentIndex() const;

    // False past the last record. With AdvanceAfterRead on, each read moves to the next record.
    // A record whose bytes cannot be decoded is passed over by an advancing
    // read; any other read of it returns false (see UnreadableRecord).
    bool ReadCurrent(PropertyRecord& out);
    void SetAdvanceAfterRead(bool on);
    bool AdvanceAfterRead() const;

    // replace 0 adds the record; replace 1 makes the current record's properties exactly these.
    bool Write(const PropertyRecord& record, int replace);
    // Adds every record, in order, all or none: as many Writes that add, but
    // records of one sort text in a row are numbered after one lookup.
    bool Add(const std::vector<PropertyRecord>& records);
    // Deletes the record last reached by a seek or returned by a read; an advancing
    // pass then goes on with the record that followed it.
    bool DeleteCurrent();

    int RecordCount() const;

    // Positions on each match in record order and reads it; `visit` returns
    // false to stop. DeleteCurrent, Write and CurrentIndex work on the match visited.
    void ForEachMatch(const FieldMatch& match, const std::function<bool(const PropertyRecord&)>& visit);
    // Reads every record whose sort text is exactly `exact`, in record order,
    // in one walk of their range; `visit` returns false to stop. A read-only
    // pass: `visit` may not write (ForEachMatch's visit may).
    void ForEachOf(std::u16string_view exact, const std::function<bool(const PropertyRecord&)>& visit);
    // The dates of the matches, in record order or newest first (ties in
    // record order), each with a number that grows in record order; `visit`
    // returns false to stop.
    void ForEachMatchTime(const FieldMatch& match, bool newestFirst,
                          const std::function<bool(FileTime, std::int64_t)>& visit);
    // The distinct tests among the records of `exact`, in the order of their first record.
    std::vector<std::u16string> TestTexts(std::u16string_view exact);
    // The distinct sort texts of the records, in order.
    std::vector<std::u16string> SortTexts();
    // Those equal to `text` under the sort flags (ignoring case, when the
    // database does): an index descent.
    std::vector<std::u16string> SortTextsEqualTo(std::u16string_view text);
    // Whether any record matches, found without counting them.
    bool HasMatch(const FieldMatch& match);
    // Deletes every record whose sort text is exactly `exact`, in one step.
    bool DeleteAllOf(std::u16string_view exact);
    // Deletes the matches whose stored bytes cannot be decoded, which every
    // read passes over: a deletion the person asked for takes them with the rest.
    bool DeleteUndecodable(const FieldMatch& match);

    // The records grouped by sort text, test and date, counted in one walk of
    // an index that reads no record: the sort texts in the order they were
    // first stored, and within one by test and date. `visit` gets the sort
    // text, the test's stored bytes (equal texts give equal bytes), the date
    // when it is a time, and how many of the group's records name a result.
    struct LookupGroup {
        std::u16string_view sortText;
        std::string_view test;
        std::optional<FileTime> date;
        std::int64_t withResult = 0;
    };
    void ForEachLookupGroup(const std::function<void(const LookupGroup&)>& visit);

    struct State;

private:
    State* state_;
};

// Makes the writes between construction and Commit one atomic unit: after a
// crash either all of them are on disk or none. Units nest; the outermost
// commits. Destroyed without Commit, it undoes its writes.
class StoreTransaction {
public:
    StoreTransaction();
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;
    // True when the writes are on disk (for a nested unit: when the outer one may go on).
    bool Commit();

private:
    bool active_ = false;
};

// Why the object store cannot be used, with the file's path; empty when it can.
// The program asks this once at start-up to tell the user in one message.
std::u16string ObjectStoreProblem();
// `found` is called once when a use of the store finds it cannot go on (a
// damaged page read, a failing disk), with the problem, from inside the store
// operation: it may not use the store, nor show a window there.
void OnObjectStoreProblem(std::function<void(const std::u16string&)> found);

// For a reader of a device the program may be using at the same time: while
// on, the object store is opened read-only and every write fails.
void SetObjectStoreReadOnly(bool on);
// Closes the object store; the next use opens it again.
void CloseObjectStore();

// Why `file` is not a sound object store (not a Vantrel data file, damaged,
// unreadable, not what this version wrote); empty when it is. Opens it
// read-only and reads all of it: SQLite's full check and the store's own.
std::u16string ObjectStoreFileProblem(const std::filesystem::path& file);

// Runs the full check of the object store's file now (it runs by itself only
// after a program using the file ended without closing it); false when the
// file is damaged, which ObjectStoreProblem then tells.
bool CheckObjectStore();
