#pragma once
// Small checks the store tests share.

#include "platform/memory_listing.h"
#include "platform/records/record_store.h"

#include <string>
#include <vector>

// The number of records in a database; -1 when it cannot be opened.
inline int RecordCountOf(std::u16string_view database) {
    PropertyDatabase db;
    return db.Open(database) ? db.RecordCount() : -1;
}

inline std::vector<std::u16string> Items(std::initializer_list<const char16_t*> items) {
    return std::vector<std::u16string>(items.begin(), items.end());
}
