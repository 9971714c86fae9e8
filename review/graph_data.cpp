#include "review/graph_data.h"

#include "review/goal_reading.h"
#include "store/test_record_store.h"

#include <string>

namespace {

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

    const std::vector<TestResult> values = ResultValues(user, test, result, period, kGraphCapacity);
    series.count = static_cast<int>(values.size());
    if (series.count == 0) return series;

    double sum = 0;
    for (int i = 0; i < series.count; ++i) {
        const double v = ReadResultValue(values[static_cast<std::size_t>(i)].value);
        series.dates[static_cast<std::size_t>(i)] = values[static_cast<std::size_t>(i)].date;
        series.values[static_cast<std::size_t>(i)] = v;
        sum += v;
        Widen(series, v);
    }
    // The oldest gathered record's goal and unit serve for the whole graph.
    const GoalReading goal = ReadGoal(values.front().goal);
    series.unit = values.front().unit;
    series.goalLow = goal.low;
    series.goalHigh = goal.high;
    series.goalGiven = !values.front().goal.empty();
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
