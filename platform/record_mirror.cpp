#include "platform/record_mirror.h"

#include "platform/text.h"

#include <algorithm>

std::u16string RecordMirror::KeyOf(std::u16string_view text) const {
    return (info_.sortFlags & kSortCaseInsensitive) ? FoldCase(text) : std::u16string(text);
}

// A record without a string sort property sorts as the empty text.
std::u16string RecordMirror::KeyOf(const std::vector<Property>& properties) const {
    for (const Property& property : properties)
        if (property.Id() == info_.sortProperty)
            return property.Kind() == PropertyKind::String ? KeyOf(property.StringValue()) : std::u16string();
    return {};
}

void RecordMirror::Append(std::int64_t rowid, SharedProperties properties) {
    std::u16string key = KeyOf(*properties);
    entries_.push_back(std::make_unique<Entry>(Entry{std::move(key), rowid, std::move(properties)}));
}

void RecordMirror::FinishLoading() {
    std::stable_sort(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
        return CompareCodePoints(a->key, b->key) < 0;
    });
}

std::size_t RecordMirror::NextLive(std::size_t position) const {
    while (position < entries_.size() && !entries_[position]->record) ++position;
    return std::min(position, entries_.size());
}

std::size_t RecordMirror::LowerBound(std::u16string_view key) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, [](const auto& entry, std::u16string_view k) {
        return CompareCodePoints(entry->key, k) < 0;
    });
    return static_cast<std::size_t>(it - entries_.begin());
}

std::size_t RecordMirror::PositionFor(std::u16string_view key, std::int64_t rowid) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, [rowid](const auto& entry, std::u16string_view k) {
        int order = CompareCodePoints(entry->key, k);
        return order < 0 || (order == 0 && entry->rowid < rowid);
    });
    return static_cast<std::size_t>(it - entries_.begin());
}

// Cursors keep pointing at the record they pointed at.
void RecordMirror::ShiftForInsert(std::size_t at) {
    for (MirrorCursor* cursor : cursors_) {
        if (cursor->position >= at) ++cursor->position;
        if (cursor->current != MirrorCursor::kNone && cursor->current >= at) ++cursor->current;
    }
}

void RecordMirror::Insert(std::int64_t rowid, SharedProperties properties) {
    std::u16string key = KeyOf(*properties);
    std::size_t at = PositionFor(key, rowid);
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at),
                    std::make_unique<Entry>(Entry{std::move(key), rowid, std::move(properties)}));
    ShiftForInsert(at);
}

void RecordMirror::Replace(std::size_t position, SharedProperties properties) {
    std::u16string key = KeyOf(*properties);
    Entry& entry = *entries_[position];
    entry.record = std::move(properties);
    if (key == entry.key) return;
    // A changed sort value moves the record; cursors on it follow it.
    std::unique_ptr<Entry> moved = std::move(entries_[position]);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    moved->key = std::move(key);
    std::size_t to = PositionFor(moved->key, moved->rowid);
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
    entries_[position]->record.reset();
    ++tombstones_;
}

void RecordMirror::Compact() {
    if (tombstones_ == 0) return;
    // newIndex[p]: the number of live records before physical position p.
    std::vector<std::size_t> newIndex(entries_.size() + 1);
    std::size_t live = 0;
    for (std::size_t p = 0; p < entries_.size(); ++p) {
        newIndex[p] = live;
        if (entries_[p]->record) ++live;
    }
    newIndex[entries_.size()] = live;
    for (MirrorCursor* cursor : cursors_) {
        std::size_t position = std::min(cursor->position, entries_.size());
        std::size_t current = cursor->current;
        cursor->position = newIndex[position];
        cursor->current = (current != MirrorCursor::kNone && IsLive(current)) ? newIndex[current] : MirrorCursor::kNone;
    }
    std::erase_if(entries_, [](const auto& entry) { return !entry->record; });
    tombstones_ = 0;
}

void RecordMirror::Detach(MirrorCursor* cursor) { std::erase(cursors_, cursor); }
