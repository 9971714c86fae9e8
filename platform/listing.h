#pragma once
// What a store's listing operation needs of the control it fills. The Qt
// controls implement it; tests use MemoryListing.

#include <string_view>

class ListingTarget {
public:
    virtual ~ListingTarget() = default;
    // Adds an item: a sorted box inserts it at its place, any other list appends it.
    // Returns the index where it landed.
    virtual int AddItem(std::u16string_view text) = 0;
    // The control's exact-string search over the whole list, ignoring case; -1 when none.
    virtual int FindExact(std::u16string_view text) const = 0;
    // The control's prefix search from the top: the first item beginning with
    // `prefix`, ignoring case; -1 when none.
    virtual int FindPrefix(std::u16string_view prefix) const = 0;
};
