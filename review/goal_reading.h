#pragma once
// How result values and goals are read as numbers, by the report's icons and
// the graph alike.

#include <string_view>

// A value text read as a real number: its leading number, 0 when there is none.
double ReadResultValue(std::u16string_view value);

// A goal text: its leading number is the low end; exactly one character after
// that number is skipped, and when any text remains the goal is a range whose
// high end is the leading number of that rest. Otherwise high equals low.
struct GoalReading {
    double low = 0;
    double high = 0;
    bool range = false;
};
GoalReading ReadGoal(std::u16string_view goal);
