#pragma once
// The series of one result that the Results Graph draws: the test dates and
// values gathered over a period, the vertical range, the goal and the average.

#include "platform/datetime.h"
#include "platform/number_text.h"
#include "review/goal_reading.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int kGraphCapacity = 60;

struct GraphSeries {
    // The gathered values that are numbers, oldest first, each with its date and unit.
    int count = 0;
    std::array<SystemTime, kGraphCapacity> dates{};
    std::array<double, kGraphCapacity> values{};
    std::array<std::u16string, kGraphCapacity> units{};
    // Gathered values that are not numbers: left out of the picture and the average.
    int leftOut = 0;
    // The range starts at these two numbers, not at the first value.
    double rangeLow = 1000;
    double rangeHigh = 0;
    // The goal of the oldest gathered record, when it is one; its ends as
    // drawn (an open end at the range's end) in goalLow and goalHigh.
    std::optional<Goal> goal;
    double goalLow = 0;
    double goalHigh = 0;
    // The unit of the record the goal comes from.
    std::u16string unit;
    double average = 0;
    // How the texts were read, and how the graph writes numbers.
    NumberFormat numbers;
};

// Gathers the result's records of the user's test within the period (a
// negative period: every date), the 60 most recent when more qualify. Values
// and goals are read as `numbers` writes them (or in the plain form); the goal
// and unit of the oldest gathered record serve for the whole graph. An empty
// result name gathers nothing.
GraphSeries CollectGraphSeries(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                               int period, const NumberFormat& numbers);
