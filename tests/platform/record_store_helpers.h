#pragma once
// Small records for the record store tests: property 1 is the sort key,
// property 2 a tag that tells the records apart.

#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/store_test_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline constexpr std::uint16_t kKey = 1;
inline constexpr std::uint16_t kTag = 2;

inline std::uint32_t CreateTestDatabase(std::u16string_view name) {
    return PropertyDatabase::Create(name, 7, 1, SortOrder{kKey, kSortCaseInsensitive});
}

inline PropertyRecord MakeRecord(std::u16string_view key, std::u16string_view tag) {
    PropertyRecord record;
    Property properties[] = {Property(key, kKey), Property(tag, kTag)};
    record.AddProperties(properties, 2);
    return record;
}

inline bool AddRecord(PropertyDatabase& db, std::u16string_view key, std::u16string_view tag) {
    return db.Write(MakeRecord(key, tag), 0);
}

// Adds through a handle of its own, as a store operation does.
inline bool AddTo(std::u16string_view database, std::u16string_view key, std::u16string_view tag) {
    PropertyDatabase db;
    return db.Open(database) && AddRecord(db, key, tag);
}

inline std::u16string TagOf(const PropertyRecord& record) {
    const Property* tag = record.GetProperty(kTag);
    return tag ? tag->StringValue() : u"?";
}

// The tag of the record the handle is on, read as any read goes.
inline std::u16string TagAt(PropertyDatabase& db) {
    PropertyRecord record;
    return db.ReadCurrent(record) ? TagOf(record) : u"(none)";
}

// The tags of every record in index order, read by an advancing pass.
inline std::vector<std::u16string> AllTags(PropertyDatabase& db) {
    std::vector<std::u16string> tags;
    bool advance = db.AdvanceAfterRead();
    db.SetAdvanceAfterRead(true);
    db.SeekToIndex(0);
    PropertyRecord record;
    while (db.ReadCurrent(record)) tags.push_back(TagOf(record));
    db.SetAdvanceAfterRead(advance);
    return tags;
}

inline std::vector<std::u16string> AllTags(std::u16string_view name) {
    PropertyDatabase db;
    if (!db.Open(name)) return {};
    return AllTags(db);
}
