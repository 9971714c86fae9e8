#pragma once
// Test results stored and read back through the store's own operations.

#include "store/test_changes.h"

#include <string>
#include <vector>

// Stores one result of a day (none when `result` is empty) as the windows
// would, joining the others of that day.
inline bool StoreResult(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
                        const SystemTime& date, std::u16string_view result, std::u16string_view value,
                        std::u16string_view goal, std::u16string_view unit) {
    TakenTest taken{std::u16string(user), std::u16string(test), date, std::u16string(comment), {}};
    if (!result.empty() || !value.empty() || !goal.empty() || !unit.empty())
        taken.results.push_back(
            {std::u16string(result), std::u16string(value), std::u16string(goal), std::u16string(unit)});
    return StoreTakenTest(taken, true) == TestSaved::Stored;
}

// The user's days of the test as the windows write them, newest first.
inline std::vector<std::u16string> StoredDates(std::u16string_view user, std::u16string_view test) {
    std::vector<std::u16string> texts;
    for (const SystemTime& date : TestDates(user, test)) texts.push_back(DateText(date));
    return texts;
}

// Every stored result of every user, in store order.
inline std::vector<TestResult> AllResults() {
    std::vector<TestResult> all;
    ForEachTestResult(nullptr, [&all](const TestResult& r) { all.push_back(r); });
    return all;
}
