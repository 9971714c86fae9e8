#include "platform/memory_listing.h"

#include "platform/text.h"

#include <algorithm>

int MemoryListing::AddItem(std::u16string_view text) {
    auto at = items_.end();
    if (sorted_) {
        at = std::upper_bound(items_.begin(), items_.end(), text, [](std::u16string_view a, const std::u16string& b) {
            return CompareNoCase(a, b) < 0;
        });
    }
    auto inserted = items_.insert(at, std::u16string(text));
    return static_cast<int>(inserted - items_.begin());
}

int MemoryListing::FindExact(std::u16string_view text) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (EqualsNoCase(items_[i], text)) return static_cast<int>(i);
    return -1;
}

int MemoryListing::FindPrefix(std::u16string_view prefix) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (StartsWithNoCase(items_[i], prefix)) return static_cast<int>(i);
    return -1;
}
