#pragma once
// The in-memory ordered copy of one database's records, from which reads are
// served. Records are ordered by their sort key, then by their row id (the
// order in which they were added). A deleted record stays as a tombstone until
// an index is next needed, so deleting during a pass costs no shifting.
// Added records wait aside until positions are next needed, so a run of
// additions (an import) is ordered in one merge rather than shifted one by one.
// Loaded records keep their stored bytes until first read: loading copies
// bytes, and only the records a reader reaches are decoded.

#include "platform/record_store.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

struct DatabaseInfo {
    std::uint32_t id = 0;
    std::u16string name;
    std::uint32_t type = 0;
    std::uint16_t sortProperty = 0;
    std::uint32_t sortFlags = kSortCaseInsensitive;
};

using SharedProperties = std::shared_ptr<std::vector<Property>>;

// A handle's place in a mirror, in physical positions (tombstones included).
struct MirrorCursor {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t position = 0;    // where the next read looks
    std::size_t current = kNone; // the record last reached by a seek or a read
};

class RecordMirror {
public:
    explicit RecordMirror(DatabaseInfo info) : info_(std::move(info)) {}
    RecordMirror(const RecordMirror&) = delete;
    RecordMirror& operator=(const RecordMirror&) = delete;

    const DatabaseInfo& Info() const { return info_; }
    // False once the store was reloaded or moved; handles on it then fail.
    bool Valid() const { return valid_; }
    void Invalidate() { valid_ = false; }
    // Changes with every addition, change and deletion, and no two mirrors
    // share one (records read afresh get a new one): while it stays the same,
    // every record keeps its index.
    std::uint64_t Version() const { return version_; }

    // The key a text sorts under in this database.
    std::u16string KeyOf(std::u16string_view text) const;

    // Loading: records given in row-id order as stored bytes (already found
    // sound by ScanProperties, which gave their sort text), then ordered once.
    void AppendStored(std::int64_t rowid, std::string_view bytes, const std::u16string& sortText);
    void FinishLoading();

    // Adds a record; its position exists once Settle has run.
    void Insert(std::int64_t rowid, SharedProperties properties);
    // Places the added records and moves the cursors with the records they
    // point at. Everything below that takes or gives a position needs it first.
    void Settle();

    std::size_t LiveCount() const { return entries_.size() + pending_.size() - tombstones_; }

    std::size_t Size() const { return entries_.size(); }  // tombstones included
    bool IsLive(std::size_t position) const { return position < entries_.size() && entries_[position].Live(); }
    std::size_t NextLive(std::size_t position) const;
    // The first position whose key is not less than `key`.
    std::size_t LowerBound(std::u16string_view key) const;
    const std::u16string& KeyAt(std::size_t position) const { return *entries_[position].key; }
    std::int64_t RowIdAt(std::size_t position) const { return entries_[position].rowid; }
    // Decodes the record on its first read.
    const SharedProperties& RecordAt(std::size_t position);

    void Replace(std::size_t position, SharedProperties properties);
    void Remove(std::size_t position);
    // Drops the tombstones so physical positions are indexes again.
    void Compact();

    void Attach(MirrorCursor* cursor);
    void Detach(MirrorCursor* cursor);

private:
    // Keys are kept once per distinct value: the records of one user share one.
    using Key = const std::u16string*;
    struct Entry {
        Key key;
        std::int64_t rowid;
        SharedProperties record;      // null until decoded, and for a tombstone
        const char* stored = nullptr;  // the stored bytes until decoded
        std::uint32_t storedSize = 0;
        bool Live() const { return record || stored; }
    };

    Key KeyFor(const std::vector<Property>& properties);
    Key KeyForText(std::u16string_view text);
    // The stored bytes of an entry are no longer needed.
    void Release(Entry& entry);
    Key Intern(std::u16string key);
    static bool Before(const Entry& a, const Entry& b);
    static std::uint64_t NextVersion();
    std::size_t PositionFor(const Entry& entry) const;

    DatabaseInfo info_;
    bool valid_ = true;
    std::uint64_t version_ = NextVersion();
    std::unordered_set<std::u16string> keys_;
    std::u16string lastText_;  // the sort text last folded, and its key
    Key lastKey_ = nullptr;
    std::vector<Entry> entries_;
    std::vector<Entry> pending_;  // added, not yet placed
    std::size_t tombstones_ = 0;
    // The stored bytes of the loaded records, freed once none waits to be decoded.
    std::vector<std::unique_ptr<char[]>> storedBlocks_;
    char* blockNext_ = nullptr;
    std::size_t blockLeft_ = 0;
    std::size_t undecoded_ = 0;
    std::vector<MirrorCursor*> cursors_;
    std::vector<MirrorCursor*> newCursors_;  // attached while additions waited
};
