#include "review/graph_data.h"

#include "store/test_record_store.h"

#include <cmath>
#include <string>

namespace {

void Widen(GraphSeries& series, double v) {
    if (v < series.rangeLow) series.rangeLow = v;
    if (v > series.rangeHigh) series.rangeHigh = v;
}

}  // namespace

GraphSeries CollectGraphSeries(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                               int period, const NumberFormat& numbers) {
    GraphSeries series;
    series.numbers = numbers;
    // An empty name would match the records of tests taken without results.
    if (result.empty()) return series;

    const std::vector<TestResult> gathered = ResultValues(user, test, result, period, kGraphCapacity);
    if (gathered.empty()) return series;
    const ValueReading reading = ReadingFor(user, numbers);
    double sum = 0;
    for (const TestResult& record : gathered) {
        const std::optional<double> v = ReadNumber(record.value, numbers);
        if (!v) {
            ++series.leftOut;
            continue;
        }
        const auto i = static_cast<std::size_t>(series.count++);
        series.dates[i] = record.date;
        series.values[i] = *v;
        series.units[i] = record.unit;
        sum += *v;
        Widen(series, *v);
    }
    if (series.count > 0) series.average = sum / series.count;

    // The oldest gathered record's goal and unit serve for the whole graph.
    series.unit = gathered.front().unit;
    series.goal = ReadGoal(gathered.front().goal, reading);
    if (!series.goal) return series;
    // Goal low first, then goal high; a goal above the range never also lowers it.
    for (const double g : {series.goal->low, series.goal->high}) {
        if (std::isinf(g)) continue;
        if (g > series.rangeHigh) {
            series.rangeHigh = g;
        } else if (g < series.rangeLow) {
            series.rangeLow = g;
        }
    }
    series.goalLow = std::isinf(series.goal->low) ? series.rangeLow : series.goal->low;
    series.goalHigh = std::isinf(series.goal->high) ? series.rangeHigh : series.goal->high;
    return series;
}
