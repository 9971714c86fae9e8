#pragma once
// A change made of several store operations, kept whole or not at all.

#include <functional>

// Runs `change`; the store operations it makes are all kept when it returns
// true and they reach the disk together, else none is. True when kept.
bool AsOneChange(const std::function<bool()>& change);
