#pragma once
// The series of one result that the Results Graph draws: the test dates and
// values gathered over a period, the vertical range, the goal and the average.

#include "platform/datetime.h"

#include <array>
#include <string_view>

inline constexpr int kGraphCapacity = 60;

struct GraphSeries {
    int count = 0;
    // Oldest first.
    std::array<SystemTime, kGraphCapacity> dates{};
    std::array<double, kGraphCapacity> values{};
    // The range starts at these two numbers, not at the first value.
    double rangeLow = 1000;
    double rangeHigh = 0;
    double goalLow = 0;
    double goalHigh = 0;
    // Whether the goal came from a text at all (an empty goal reads as 0).
    bool goalGiven = false;
    // The unit the first gathered record gives.
    std::u16string unit;
    double average = 0;
};

// Gathers the result's records of the user's test within the period (a
// negative period: every date), the 60 most recent when more qualify. Values
// and goals are read as real numbers; the goal and unit of the oldest gathered
// record serve for the whole graph. An empty result name gathers nothing.
GraphSeries CollectGraphSeries(std::u16string_view user, std::u16string_view test,
                               std::u16string_view result, int period);
