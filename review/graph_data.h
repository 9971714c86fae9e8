#pragma once
// The series of one result that the Results Graph draws: the test dates and
// values gathered over a period, the vertical range, the goal and the average.

#include "platform/datetime.h"
#include "platform/number_text.h"
#include "review/goal_reading.h"
#include "units/picture_unit.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kGraphCapacity = 60;

struct GraphSeries {
    // The gathered values that are numbers in the graph's unit (or converted
    // to it), oldest first, each with its date.
    int count = 0;
    std::array<SystemTime, kGraphCapacity> dates{};
    std::array<double, kGraphCapacity> values{};
    // Gathered values that are not numbers: left out of the picture and the average.
    int leftOut = 0;
    // The graph's one unit, the latest value's, without its note; values in
    // other units converted to it or left out, per unit.
    std::u16string unit;
    std::vector<UnitTally> convertedUnits;
    std::vector<UnitTally> leftOutUnits;
    std::u16string analyte;  // whose conversion was used
    // The range starts at these two numbers, not at the first value.
    double rangeLow = 1000;
    double rangeHigh = 0;
    // The goal of the oldest value shown, when it is one, in the graph's
    // unit; its ends as drawn (an open end at the range's end) in goalLow and goalHigh.
    std::optional<Goal> goal;
    double goalLow = 0;
    double goalHigh = 0;
    double average = 0;
    // How the texts were read, and how the graph writes numbers.
    NumberFormat numbers;
};

// Gathers the result's records of the user's test within the period (a
// negative period: every date), the 60 most recent when more qualify. Values
// and goals are read as `numbers` writes them (or in the plain form). The
// graph shows one unit, the latest value's; the goal of the oldest value
// shown serves for the whole graph. An empty result name gathers nothing.
GraphSeries CollectGraphSeries(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                               int period, const NumberFormat& numbers);
