#pragma once
// A handle's passes, held open between reads so that a pass reads each row
// once and its statements share one read of the file: over the database's
// sort texts in order, and over the records of one sort text in order. Each
// holds only within one epoch of the store: after any write it starts again
// where it was.

#include "platform/records/connection.h"
#include "platform/records/record_rows.h"

#include <cstdint>
#include <optional>
#include <vector>

class SortTextStream {
public:
    // The first sort text of `database` at or (`after`) past the sort text of
    // `place` in order; none when there is none or the store cannot be read.
    std::optional<SortText> From(const DatabaseInfo& database, const Place& place, bool after);
    void Reset();

private:
    bool Step();
    ObjectStore::Query query_;
    std::uint64_t epoch_ = 0;
    // No sort text lies after floor_ (fold, id) and before current_ (none: the end).
    std::string floorFold_;
    std::int64_t floorId_ = 0;
    bool floorIncluded_ = false;  // floor_ itself is not passed either
    std::optional<SortText> current_;
};

class RecordStream {
public:
    // Whether the first record of `sortText` numbered `from` or later is known
    // without a query: then `id` is that record (or none, when the text has no more).
    bool Knows(const SortText& sortText, std::int64_t from, std::optional<std::int64_t>& id) const;
    // Starts at the first record numbered `from` or later; false on a read failure.
    bool Start(const SortText& sortText, std::int64_t from);
    // The record the stream is on: decodes it and moves on (past an undecodable one too).
    RowRead Take(const DatabaseInfo& database, std::vector<Property>& properties);
    // The sort text the stream passes over.
    const SortText& Text() const { return text_; }
    bool Current() const;
    void Reset();

private:
    bool Step();
    ObjectStore::Query query_;
    SortText text_;
    std::u16string decoded_;  // the text of text_.exact
    std::uint64_t epoch_ = 0;
    std::int64_t floor_ = 0;  // no record between floor_ (excluded) and the current one
    bool hasRow_ = false;
    std::int64_t row_ = 0;
};
