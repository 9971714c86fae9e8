#include "review/graph_data.h"

#include "review/goal_reading.h"
#include "review/test_record_reading.h"
#include "store/test_record_store.h"

#include <string>

namespace {

// A record that cannot be found again counts as -1, as the store's own reading does.
constexpr double kMissingValue = -1;

void Widen(GraphSeries& series, double v) {
    if (v < series.rangeLow) series.rangeLow = v;
    if (v > series.rangeHigh) series.rangeHigh = v;
}

}  // namespace

GraphSeries CollectGraphSeries(std::u16string_view user, std::u16string_view test,
                               std::u16string_view result, int period) {
    GraphSeries series;
    // An empty name would match the records of tests taken without results.
    if (result.empty()) return series;

    series.count = CollectResultDates(user, test, result, period, series.dates.data(), kGraphCapacity);
    if (series.count == 0) return series;

    double sum = 0;
    std::u16string goalText;  // the first gathered record's goal and unit serve for the whole graph
    for (int i = 0; i < series.count; ++i) {
        const auto texts = ReadResultTexts(user, test, result, series.dates[i]);
        const double v = texts ? ReadResultValue(texts->value) : kMissingValue;
        if (i == 0 && texts) {
            goalText = texts->goal;
            series.unit = texts->unit;
        }
        series.values[i] = v;
        sum += v;
        Widen(series, v);
    }
    const GoalReading goal = ReadGoal(goalText);
    series.goalLow = goal.low;
    series.goalHigh = goal.high;
    series.goalGiven = !goalText.empty();
    series.average = sum / series.count;

    // Goal low first, then goal high; a goal above the range never also lowers it.
    for (const double g : {series.goalLow, series.goalHigh}) {
        if (g > series.rangeHigh) {
            series.rangeHigh = g;
        } else if (g < series.rangeLow) {
            series.rangeLow = g;
        }
    }
    return series;
}
