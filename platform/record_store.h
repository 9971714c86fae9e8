#pragma once
// The record store service: named property databases kept in the device's
// object store. Records are numbered in sort order (case-insensitive on the
// database's sort property, then exact); records with equal sort texts keep
// the order in which they were added. Every Write or DeleteCurrent that
// returns true is on disk before it returns. Nothing is read in advance: each
// operation reads the records it reaches, through SQLite's indexes.

#include "platform/datetime.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::uint32_t kSortCaseInsensitive = 2;

struct SortOrder {
    std::uint16_t propertyId = 0;
    std::uint32_t flags = kSortCaseInsensitive;
};

enum class PropertyKind { String, FileTime };

class Property {
public:
    Property(std::u16string_view text, std::uint16_t id);
    Property(FileTime time, std::uint16_t id);

    std::uint16_t Id() const { return id_; }
    PropertyKind Kind() const { return kind_; }
    // The empty text for a file-time property, 0 for a string property.
    const std::u16string& StringValue() const { return text_; }
    FileTime FileTimeValue() const { return time_; }

private:
    std::uint16_t id_;
    PropertyKind kind_;
    std::u16string text_;
    FileTime time_ = 0;
};

class PropertyRecord {
public:
    // nullptr when the record has no property of that id.
    const Property* GetProperty(std::uint16_t id) const;
    void AddProperties(const Property* properties, std::size_t count);
    void AddProperty(const Property& property);
    void RemoveProperty(std::uint16_t id);
    void RemoveAllProperties();
    const std::vector<Property>& Properties() const;

private:
    // Ids are unique: adding an id replaces it.
    std::vector<Property> properties_;
};

// Lookups the service serves from its indexes, among the records whose sort
// text is exactly `exact`: the three properties whose ids follow the sort
// property's are kept as indexed fields.
struct FieldMatch {
    std::u16string exact;
    std::optional<std::u16string> first;                   // field 1 is this text
    std::optional<std::pair<FileTime, FileTime>> second;   // field 2 a time within [from, to]
    std::optional<std::u16string> third;                   // field 3 is this text
};

// One handle on one database. A store operation may hold a handle while an
// operation it calls opens a second one on the same database.
class PropertyDatabase {
public:
    PropertyDatabase();
    ~PropertyDatabase();
    PropertyDatabase(const PropertyDatabase&) = delete;
    PropertyDatabase& operator=(const PropertyDatabase&) = delete;

    static bool Exists(std::u16string_view name);
    // The identifier of a new empty database, 0 on failure (also when the name exists).
    static std::uint32_t Create(std::u16string_view name, std::uint32_t type, int sortOrderCount,
                                const SortOrder& order);

    bool OpenById(std::uint32_t id);
    bool Open(std::u16string_view name);
    void Close();
    bool IsOpen() const;

    bool SeekFirst();
    // Positioned on the first record whose sort property equals the value under the sort flags.
    bool SeekFirstEqual(const Property& value);
    // The next such record after the current one.
    bool SeekNextEqual(const Property& value);
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
    // Deletes the record last reached by a seek or returned by a read; an advancing
    // pass then goes on with the record that followed it.
    bool DeleteCurrent();

    int RecordCount() const;

    // Positions on each match in record order and reads it; `visit` returns
    // false to stop. DeleteCurrent and CurrentIndex work on the match visited.
    void ForEachMatch(const FieldMatch& match, const std::function<bool(const PropertyRecord&)>& visit);
    // The times of field 2 of the matches, in record order or newest first
    // (ties in record order), each with a number that grows in record order;
    // `visit` returns false to stop.
    void ForEachMatchTime(const FieldMatch& match, bool newestFirst,
                          const std::function<bool(FileTime, std::int64_t)>& visit);
    // The distinct texts of field 1 among the records of `exact`, in the order of their first record.
    std::vector<std::u16string> FirstFieldTexts(std::u16string_view exact);
    // The distinct sort texts of the records, in order.
    std::vector<std::u16string> SortTexts();
    int CountMatches(const FieldMatch& match);
    // Deletes every record whose sort text is exactly `exact`, in one step.
    bool DeleteAllOf(std::u16string_view exact);
    // Deletes the matches whose stored bytes cannot be decoded, which every
    // read passes over: a deletion the person asked for takes them with the rest.
    bool DeleteUndecodable(const FieldMatch& match);

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

// For a reader of a device the program may be using at the same time: while
// on, the object store is opened read-only and every write fails.
void SetObjectStoreReadOnly(bool on);

// Why `file` is not a sound object store (not a Vantrel data file, damaged,
// unreadable); empty when it is. Opens it read-only.
std::u16string ObjectStoreFileProblem(const std::filesystem::path& file);

// A record whose stored bytes cannot be decoded. Every read passes over it
// and leaves it as it is; the other records stay in use.
struct UnreadableRecord {
    std::filesystem::path file;
    std::u16string database;
    std::int64_t id = 0;  // its row in the file
};
// `met` is called when a read first meets such a record in a database (once
// per database and file in a process), from inside the read: it may not use
// the store, nor show a window there.
void OnUnreadableRecord(std::function<void(const UnreadableRecord&)> met);
// The message that tells a user of it.
std::u16string UnreadableRecordProblem(const UnreadableRecord& record);
// Looks at the bytes of every record, so that each database's unreadable
// record is met even where the reads made so far did not reach it.
void ReadEveryRecord();
// Names the first record of the store file `file` whose bytes cannot be
// decoded; empty when all can, or when the file is not a sound store (which
// ObjectStoreFileProblem tells).
std::u16string UndecodableRecordProblem(const std::filesystem::path& file);

// Runs the full check of the object store's file now (it runs by itself only
// after a program using the file ended without closing it); false when the
// file is damaged, which ObjectStoreProblem then tells.
bool CheckObjectStore();
