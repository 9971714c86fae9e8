#pragma once
// The reference catalogues: TestCatalog ("Lab Tests List", entries per test)
// and ResultCatalog ("Lab Tests Results List", result names per test).

#include "platform/listing.h"
#include "store/result_row.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class PropertyDatabase;

inline constexpr std::u16string_view kTestCatalogDatabase = u"Lab Tests List";
inline constexpr unsigned kTestCatalogDatabaseType = 12347;
inline constexpr std::u16string_view kResultCatalogDatabase = u"Lab Tests Results List";
inline constexpr unsigned kResultCatalogDatabaseType = 12399;

// Creates the TestCatalog and opens `handle` on it; false when either fails.
bool CreateTestCatalog(PropertyDatabase& handle);

bool WriteTestEntry(PropertyDatabase& handle, std::u16string_view test, std::u16string_view key,
                    std::u16string_view text);
bool SetTestEntry(std::u16string_view test, std::u16string_view key, std::u16string_view text);
// Leaves `text` unchanged when the entry does not exist.
bool GetTestEntry(std::u16string_view test, std::u16string_view key, std::u16string& text);
bool AddResultName(std::u16string_view test, std::u16string_view name);
// Whether the result catalogue knows the test (ignoring case) and, when `name`
// is not empty, that result name of it (ignoring case).
bool KnowsResult(std::u16string_view test, std::u16string_view name);
// The result names the catalogue knows for the test (matched ignoring case),
// case-folded; nothing when it does not know the test.
std::optional<std::unordered_set<std::u16string>> KnownResultNames(std::u16string_view test);
// Numbers a new result name after the test's known ones, with the goal and
// unit it came with as its normal result, so that Add Test Result can prefill
// them later (never the measured value: it would come back as the next goal). The count,
// the numbered entries and the result catalogue record are written together or
// not at all. A name the test already has is left as it is: a second number
// for it would shift the entries Add Test Result reads by their place. Before
// the first run's import only the name is kept, in the result catalogue.
bool TeachResultName(std::u16string_view test, std::u16string_view name, std::u16string_view goal,
                     std::u16string_view unit);
// TeachResultName for each row in turn, all or none, the test's entries read
// once: each row's name is one the test does not have, and no two are equal
// ignoring case. A row's value is not kept.
bool TeachResultNames(std::u16string_view test, const std::vector<ResultRow>& rows);
void ListResultTests(ListingTarget& box);
int ListResultNames(std::u16string_view test, ListingTarget& box);
