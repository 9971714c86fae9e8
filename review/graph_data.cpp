#include "review/graph_data.h"

#include "store/test_record_store.h"

#include <algorithm>
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
    std::vector<std::optional<double>> read;
    for (const TestResult& record : gathered) read.push_back(ReadNumber(record.value, numbers));
    // The latest number's unit is the graph's: what the person sees now.
    std::size_t latest = read.size();
    while (latest > 0 && !read[latest - 1]) --latest;
    series.leftOut = static_cast<int>(std::count(read.begin(), read.end(), std::nullopt));
    if (latest == 0) return series;
    PictureUnit picture(result, gathered[latest - 1].unit);

    const TestResult* oldestShown = nullptr;
    double sum = 0;
    for (std::size_t r = 0; r < gathered.size(); ++r) {
        if (!read[r]) continue;
        const std::optional<double> v = picture.Take(*read[r], gathered[r].unit, gathered[r].value);
        if (!v) continue;
        if (!oldestShown) oldestShown = &gathered[r];
        const auto i = static_cast<std::size_t>(series.count++);
        series.dates[i] = gathered[r].date;
        series.values[i] = *v;
        sum += *v;
        Widen(series, *v);
    }
    series.average = sum / series.count;
    series.unit = picture.Unit();
    series.convertedUnits = picture.Converted();
    series.leftOutUnits = picture.LeftOut();
    series.analyte = picture.Analyte();

    // The oldest shown value's goal serves for the whole graph, converted with it.
    series.goal = ReadGoal(oldestShown->goal, ReadingFor(user, numbers));
    if (!series.goal) return series;
    const std::optional<UnitConversion> conversion = picture.From(oldestShown->unit);
    for (double* end : {&series.goal->low, &series.goal->high})
        *end = RoundAsEntered(conversion->Apply(*end), *end, ShortNumberText(*end, kPlainNumbers));
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
