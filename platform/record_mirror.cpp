#include "platform/record_mirror.h"

#include "platform/property_codec.h"
#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {
constexpr std::size_t kStoredBlockSize = 1 << 20;
}

std::u16string RecordMirror::KeyOf(std::u16string_view text) const {
    return (info_.sortFlags & kSortCaseInsensitive) ? FoldCase(text) : std::u16string(text);
}

std::uint64_t RecordMirror::NextVersion() {
    static std::uint64_t last = 0;
    return ++last;
}

RecordMirror::Key RecordMirror::Intern(std::u16string key) { return &*keys_.insert(std::move(key)).first; }

// A record without a string sort property sorts as the empty text.
RecordMirror::Key RecordMirror::KeyFor(const std::vector<Property>& properties) {
    std::u16string_view text;
    for (const Property& property : properties) {
        if (property.Id() == info_.sortProperty) {
            if (property.Kind() == PropertyKind::String) text = property.StringValue();
            break;
        }
    }
    return KeyForText(text);
}

// Records come in runs of one sort value, so the last text's key is usually the answer.
RecordMirror::Key RecordMirror::KeyForText(std::u16string_view text) {
    if (!lastKey_ || text != lastText_) {
        lastKey_ = Intern(KeyOf(text));
        lastText_ = text;
    }
    return lastKey_;
}

bool RecordMirror::Before(const Entry& a, const Entry& b) {
    if (a.key == b.key) return a.rowid < b.rowid;
    return CompareCodePoints(*a.key, *b.key) < 0;  // distinct keys are distinct texts
}

void RecordMirror::AppendStored(std::int64_t rowid, std::string_view bytes, const std::u16string& sortText) {
    if (bytes.size() > blockLeft_) {
        blockLeft_ = std::max(kStoredBlockSize, bytes.size());
        storedBlocks_.push_back(std::make_unique_for_overwrite<char[]>(blockLeft_));
        blockNext_ = storedBlocks_.back().get();
    }
    char* copy = blockNext_;
    std::memcpy(copy, bytes.data(), bytes.size());
    blockNext_ += bytes.size();
    blockLeft_ -= bytes.size();
    entries_.push_back(Entry{KeyForText(sortText), rowid, nullptr, copy, static_cast<std::uint32_t>(bytes.size())});
    ++undecoded_;
}

const SharedProperties& RecordMirror::RecordAt(std::size_t position) {
    Entry& entry = entries_[position];
    if (!entry.record && entry.stored) {
        auto properties = std::make_shared<std::vector<Property>>();
        // The bytes were found sound when they were loaded.
        DecodeProperties(std::string_view(entry.stored, entry.storedSize), *properties);
        entry.record = std::move(properties);
        Release(entry);
    }
    return entry.record;
}

void RecordMirror::Release(Entry& entry) {
    if (!entry.stored) return;
    entry.stored = nullptr;
    if (--undecoded_ == 0) {
        storedBlocks_.clear();
        blockNext_ = nullptr;
        blockLeft_ = 0;
    }
}

// The records came in row-id order: a stable counting sort on the ranks of
// the few distinct keys orders them with one comparison per key, not per record.
void RecordMirror::FinishLoading() {
    std::vector<Key> ordered;
    ordered.reserve(keys_.size());
    for (const std::u16string& key : keys_) ordered.push_back(&key);
    std::sort(ordered.begin(), ordered.end(), [](Key a, Key b) { return CompareCodePoints(*a, *b) < 0; });
    std::unordered_map<Key, std::size_t> rank;
    rank.reserve(ordered.size());
    for (std::size_t r = 0; r < ordered.size(); ++r) rank.emplace(ordered[r], r);
    std::vector<std::size_t> start(ordered.size() + 1, 0);
    std::vector<std::size_t> ranks(entries_.size());
    Key last = nullptr;
    std::size_t lastRank = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].key != last) {
            last = entries_[i].key;
            lastRank = rank.at(last);
        }
        ranks[i] = lastRank;
        ++start[lastRank + 1];
    }
    if (std::is_sorted(ranks.begin(), ranks.end())) return;
    for (std::size_t r = 0; r < ordered.size(); ++r) start[r + 1] += start[r];
    std::vector<Entry> sorted(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) sorted[start[ranks[i]]++] = std::move(entries_[i]);
    entries_ = std::move(sorted);
}

std::size_t RecordMirror::NextLive(std::size_t position) const {
    while (position < entries_.size() && !entries_[position].Live()) ++position;
    return std::min(position, entries_.size());
}

std::size_t RecordMirror::LowerBound(std::u16string_view key) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, [](const Entry& entry, std::u16string_view k) {
        return CompareCodePoints(*entry.key, k) < 0;
    });
    return static_cast<std::size_t>(it - entries_.begin());
}

// Where a record goes: after every record with a smaller key, or the same key and a smaller row id.
std::size_t RecordMirror::PositionFor(const Entry& entry) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), entry, Before);
    return static_cast<std::size_t>(it - entries_.begin());
}

void RecordMirror::Insert(std::int64_t rowid, SharedProperties properties) {
    Key key = KeyFor(*properties);
    pending_.push_back(Entry{key, rowid, std::move(properties)});
    version_ = NextVersion();
}

// The merged order is the one adding the records one by one would give, and
// each cursor keeps pointing at the record (or the end) it pointed at.
void RecordMirror::Settle() {
    if (pending_.empty()) return;
    std::sort(pending_.begin(), pending_.end(), Before);
    // Where each added record lands among the old ones: before the first greater one.
    std::vector<std::size_t> landing(pending_.size());
    for (std::size_t j = 0; j < pending_.size(); ++j) {
        const bool atEnd = entries_.empty() || Before(entries_.back(), pending_[j]);
        landing[j] = atEnd ? entries_.size() : PositionFor(pending_[j]);
    }
    auto moved = [&landing](std::size_t p) {
        return p + static_cast<std::size_t>(std::upper_bound(landing.begin(), landing.end(), p) - landing.begin());
    };
    for (MirrorCursor* cursor : cursors_) {
        cursor->position = moved(cursor->position);
        if (cursor->current != MirrorCursor::kNone) cursor->current = moved(cursor->current);
    }
    // Merge from the back: only the records after the first landing place move.
    std::size_t old = entries_.size();
    std::size_t j = pending_.size();
    entries_.resize(old + pending_.size());
    for (std::size_t k = entries_.size(); j > 0;) {
        if (old > 0 && Before(pending_[j - 1], entries_[old - 1])) {
            entries_[--k] = std::move(entries_[--old]);
        } else {
            entries_[--k] = std::move(pending_[--j]);
        }
    }
    pending_.clear();
    // Cursors attached meanwhile were given positions in the order just made.
    cursors_.insert(cursors_.end(), newCursors_.begin(), newCursors_.end());
    newCursors_.clear();
}

void RecordMirror::Replace(std::size_t position, SharedProperties properties) {
    Key key = KeyFor(*properties);
    Entry& entry = entries_[position];
    entry.record = std::move(properties);
    Release(entry);
    version_ = NextVersion();
    if (key == entry.key) return;
    // A changed sort value moves the record; cursors on it follow it.
    Entry moved = std::move(entries_[position]);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    moved.key = key;
    std::size_t to = PositionFor(moved);
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    auto remap = [position, to](std::size_t p) {
        if (p == position) return to;
        if (p > position) --p;
        if (p >= to) ++p;
        return p;
    };
    for (MirrorCursor* cursor : cursors_) {
        cursor->position = remap(cursor->position);
        if (cursor->current != MirrorCursor::kNone) cursor->current = remap(cursor->current);
    }
}

void RecordMirror::Remove(std::size_t position) {
    if (!IsLive(position)) return;
    entries_[position].record.reset();
    Release(entries_[position]);
    ++tombstones_;
    version_ = NextVersion();
}

void RecordMirror::Compact() {
    if (tombstones_ == 0) return;
    // newIndex[p]: the number of live records before physical position p.
    std::vector<std::size_t> newIndex(entries_.size() + 1);
    std::size_t live = 0;
    for (std::size_t p = 0; p < entries_.size(); ++p) {
        newIndex[p] = live;
        if (entries_[p].Live()) ++live;
    }
    newIndex[entries_.size()] = live;
    for (MirrorCursor* cursor : cursors_) {
        std::size_t position = std::min(cursor->position, entries_.size());
        std::size_t current = cursor->current;
        cursor->position = newIndex[position];
        cursor->current = (current != MirrorCursor::kNone && IsLive(current)) ? newIndex[current] : MirrorCursor::kNone;
    }
    std::erase_if(entries_, [](const Entry& entry) { return !entry.Live(); });
    tombstones_ = 0;
}

// A new cursor starts at the first record of the order with every addition in
// place, so it is not moved with the records that were there before them.
void RecordMirror::Attach(MirrorCursor* cursor) { (pending_.empty() ? cursors_ : newCursors_).push_back(cursor); }

void RecordMirror::Detach(MirrorCursor* cursor) {
    std::erase(cursors_, cursor);
    std::erase(newCursors_, cursor);
}
