#pragma once
// An in-memory list or box for the stores' listing operations, used by tests
// and tools: a sorted box or an unsorted list with the controls' searches.

#include "platform/listing.h"

#include <string>
#include <vector>

class MemoryListing : public ListingTarget {
public:
    explicit MemoryListing(bool sorted = false) : sorted_(sorted) {}

    int AddItem(std::u16string_view text) override;
    int FindExact(std::u16string_view text) const override;
    int FindPrefix(std::u16string_view prefix) const override;

    bool Sorted() const { return sorted_; }
    const std::vector<std::u16string>& Items() const { return items_; }

private:
    bool sorted_;
    std::vector<std::u16string> items_;
};
