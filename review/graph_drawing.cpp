#include "review/graph_drawing.h"

#include "platform/datetime.h"
#include "platform/number_text.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>

namespace {

constexpr int kLeft = 15;      // x of the oldest day, and of the vertical axis
constexpr int kToday = 225;    // x of age 0
constexpr int kTimeSpan = 210; // kToday - kLeft
constexpr int kTop = 40;       // y of the range high
constexpr int kBottom = 190;   // y of the range low
constexpr int kScaleHeight = 150;
constexpr int kAxisY = 200;
constexpr int kAxisRight = 238;
constexpr int kMarker = 5;

// The menu's periods get a tick per day; longer spans at most one per 7 pixels.
constexpr int kDailyTicksUpTo = 365;
constexpr int kMaxTicks = kTimeSpan / 7;

constexpr Color kRed{255, 0, 0};
constexpr Color kGreen{0, 255, 0};
constexpr Color kBlue{0, 0, 255};
constexpr Color kCyan{0, 255, 255};

int ToPixel(double y) {
    if (std::isnan(y)) return kTop;
    return static_cast<int>(std::lround(std::clamp(y, -100000.0, 100000.0)));
}

int DayX(int age, int span) {
    if (span == 0) return kToday;
    return static_cast<int>(kLeft + (static_cast<std::int64_t>(span) - age) * kTimeSpan / span);
}

std::vector<int> DayTicks(int period, int span) {
    if (span <= 0) return {kToday};
    const bool daily = period > 0 && period <= kDailyTicksUpTo;
    const int step = daily ? 1 : (span + kMaxTicks - 1) / kMaxTicks;
    std::vector<int> ticks;
    for (std::int64_t j = step; j <= span; j += step) {
        ticks.push_back(static_cast<int>(kLeft + kTimeSpan * j / span));
    }
    return ticks;
}

int BarWidth(int period, int span) {
    if (period == 0 || period == 7) return 7;
    if (period > 0 && period % 31 != 0) return (kTimeSpan / (period % 31)) / 2;
    // Multiples of 31 and every-date spans: bars that fit the days, but never
    // so narrow that the last one (a pixel narrower) is all outline, no colour.
    if (span <= 0) return 7;
    return std::clamp((kTimeSpan / span) / 2, 4, 7);
}

// "Average Value:" and the average with two decimals, as the graph shows it.
std::u16string AverageText(const GraphSeries& series) {
    return u"Average Value:" + FixedNumberText(series.average, 2, series.numbers);
}

// Orders dates (and times of day) as they come in the calendar.
std::tuple<int, int, int, int, int, int> DateKey(const SystemTime& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

std::u16string ValuesText(int count) { return IntToText(count) + (count == 1 ? u" value" : u" values"); }

int Sum(const std::vector<UnitTally>& tallies) {
    int sum = 0;
    for (const UnitTally& t : tallies) sum += t.count;
    return sum;
}

std::u16string Joined(const std::vector<std::u16string>& parts) {
    std::u16string text;
    for (const std::u16string& part : parts) text += (text.empty() ? u"" : u", ") + part;
    return text;
}

// What the picture does not show as stored, in at most four short lines:
// values converted from other units, then those left out.
std::vector<std::u16string> NoteLines(const GraphSeries& series) {
    std::vector<std::u16string> lines;
    if (!series.convertedUnits.empty()) {
        std::vector<std::u16string> units;
        for (const UnitTally& t : series.convertedUnits) units.push_back(t.unit);
        lines.push_back(ValuesInUnit({Joined(units), Sum(series.convertedUnits)}));
        lines.push_back(u"converted to " + series.unit);
    }
    const int notShown = series.leftOut + Sum(series.leftOutUnits);
    if (series.leftOutUnits.empty() && series.leftOut > 0) {
        lines.push_back(u"Left out: " + ValuesText(series.leftOut));
        lines.push_back(u"not read as numbers");
    } else if (series.leftOutUnits.size() == 1 && series.leftOut == 0) {
        lines.push_back(ValuesInUnit(series.leftOutUnits.front()));
        lines.push_back(u"not shown");
    } else if (notShown > 0) {
        std::vector<std::u16string> why;
        for (const UnitTally& t : series.leftOutUnits) why.push_back(u"in " + t.unit);
        if (series.leftOut > 0) why.push_back(u"not numbers");
        lines.push_back(u"Not shown: " + ValuesText(notShown));
        lines.push_back(Joined(why));
    }
    return lines;
}

PaintRect Box(int left, int top, int right, int bottom) {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

void Square(PaintSurface& dc, Color color, int left, int top) {
    dc.SelectSolidBrush(color);
    dc.Rectangle({left, top, left + kMarker, top + kMarker});
}

void DrawLineChart(PaintSurface& dc, const GraphLayout& layout, bool goal) {
    dc.SelectSolidBrush(kGreen);
    if (!goal) {
        // No goal to show.
    } else if (layout.goalLowY == layout.goalHighY) {
        dc.Rectangle(Box(kLeft, layout.goalLowY, kAxisRight, layout.goalLowY + 5));
    } else {
        dc.Rectangle(Box(kLeft, layout.goalLowY, kAxisRight, layout.goalHighY));
    }
    dc.SelectSolidBrush(kRed);
    for (const GraphPoint& p : layout.points) dc.Rectangle({p.x, p.y, p.x + kMarker, p.y + kMarker});

    Square(dc, kRed, 15, 220);
    dc.TextOut(25, 215, u"Actual value");
    Square(dc, kGreen, 15, 235);
    dc.TextOut(25, 230, u"Goal range");
    dc.SelectDefaultBrush();

    std::vector<PaintPoint> line;
    for (const GraphPoint& p : layout.points) line.push_back({p.x, p.y});
    dc.Polyline(line.data(), static_cast<int>(line.size()));
}

void DrawBarChart(PaintSurface& dc, const GraphLayout& layout, bool goal) {
    int w = layout.barWidth;
    for (std::size_t i = 0; i < layout.points.size(); ++i) {
        const GraphPoint& p = layout.points[i];
        if (i + 1 == layout.points.size()) --w;  // the last column is one pixel narrower
        dc.SelectSolidBrush(kGreen);
        dc.Rectangle(Box(p.x, p.y, p.x + w, kAxisY));
        if (!goal) continue;
        dc.SelectSolidBrush(kCyan);
        dc.Rectangle(Box(p.x + w, layout.goalHighY, p.x + 2 * w, kAxisY));
        dc.SelectSolidBrush(kRed);
        dc.Rectangle(Box(p.x + w, layout.goalLowY, p.x + 2 * w, kAxisY));
    }
    Square(dc, kGreen, 15, 220);
    dc.TextOut(25, 215, u"Actual value");
    Square(dc, kCyan, 15, 230);
    dc.TextOut(25, 225, u"Goal range");
    Square(dc, kRed, 15, 240);
    dc.TextOut(25, 237, u"Minimum Goal");
    dc.SelectDefaultBrush();
}

}  // namespace

GraphLayout LayoutGraphPoints(const GraphSeries& series, int period) {
    GraphLayout layout;
    std::vector<int> ages;
    for (int i = 0; i < series.count; ++i) ages.push_back(DaysSince(series.dates[i]));

    layout.spanDays = period;
    if (period < 0) {
        layout.spanDays = 0;
        for (const int age : ages) layout.spanDays = std::max(layout.spanDays, age);
    }

    const double high = series.rangeHigh;
    const double low = series.rangeLow;
    const bool flat = high == low;
    const double scale = flat ? 0 : kScaleHeight / (high - low);
    for (int i = 0; i < series.count; ++i) {
        const int y = flat ? kTop : ToPixel((high - series.values[i]) * scale + kTop);
        layout.points.push_back({DayX(ages[i], layout.spanDays), y});
    }
    std::stable_sort(layout.points.begin(), layout.points.end(),
                     [](const GraphPoint& a, const GraphPoint& b) { return a.x < b.x; });

    const auto goalY = [&](double g) {
        if (flat) return 0;
        if (g == low) return kBottom;
        if (g == high) return kTop;
        return ToPixel((high - g) * scale + kTop);
    };
    layout.goalLowY = goalY(series.goalLow);
    layout.goalHighY = goalY(series.goalHigh);
    layout.dayTicks = DayTicks(period, layout.spanDays);
    layout.barWidth = BarWidth(period, layout.spanDays);
    return layout;
}

namespace {

void StartGraph(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SelectFont(&kGraphTextFont);
    dc.SetTextColor(kBlack);
}

void DrawChart(PaintSurface& dc, std::u16string_view resultName, const GraphSeries& series, int period,
               std::u16string_view type) {
    if (series.count == 0 && series.leftOut == 0) {
        dc.SetTextColor(kRed);
        dc.TextOut(25, 60, u"No results for graphing");
        return;
    }
    if (series.count == 0) {
        dc.SetTextColor(kBlue);
        dc.TextOut(20, 60, u"No numerical results for graphing");
        return;
    }
    const GraphLayout layout = LayoutGraphPoints(series, period);

    dc.Line(kLeft, 20, kLeft, kAxisY);
    dc.Line(kLeft, kAxisY, kAxisRight, kAxisY);
    for (const int x : layout.dayTicks) dc.Line(x, 198, x, 202);

    const SystemTime now = GetLocalTime();
    const std::u16string today = IntToText(now.day) + u"/" + IntToText(now.month);

    dc.Line(13, kTop, 17, kTop);
    dc.SelectFont(&kGraphLabelFont);
    dc.TextOut(10, 15, resultName);
    dc.TextOut(10, 25, series.unit);  // the vertical axis's unit, above its top value
    dc.TextOut(2, 35, ShortNumberText(series.rangeHigh, series.numbers));
    dc.TextOut(220, 205, today);
    if (series.rangeHigh != series.rangeLow) {
        dc.Line(13, kBottom, 17, kBottom);
        dc.TextOut(2, 185, ShortNumberText(series.rangeLow, series.numbers));
    }
    dc.SelectFont(&kGraphTextFont);

    if (type == u"Line") {
        DrawLineChart(dc, layout, series.goal.has_value());
    } else {
        DrawBarChart(dc, layout, series.goal.has_value());
    }
    // Beside the legend, so that nothing of the graph moves.
    dc.SelectFont(&kGraphLabelFont);
    int y = 214;
    for (const std::u16string& line : NoteLines(series)) {
        dc.TextOut(125, y, line);
        y += 10;
    }
    dc.SelectFont(&kGraphTextFont);
    dc.TextOut(15, 250, AverageText(series));
}

}  // namespace

void DrawResultsGraph(PaintSurface& dc, std::u16string_view resultName, const GraphSeries& series,
                      int period, std::u16string_view type) {
    StartGraph(dc);
    dc.TextOut(40, 2, u"Choose Result");
    DrawChart(dc, resultName, series, period, type);
}

void DrawResultsChart(PaintSurface& dc, std::u16string_view resultName, const GraphSeries& series,
                      int period, std::u16string_view type) {
    StartGraph(dc);
    DrawChart(dc, resultName, series, period, type);
}

std::u16string DescribeGraph(std::u16string_view resultName, const GraphSeries& series, int period) {
    std::u16string text(resultName);
    if (period < 0) text += u", every date";
    else if (period == 0) text += u", today";
    else text += u", the last " + IntToText(period) + u" days";
    if (series.count == 0 && series.leftOut == 0) return text + u": no values";
    if (series.count == 0) return text + u": " + ValuesText(series.leftOut) + u", none of them a number";
    text += u": " + ValuesText(series.count);
    if (series.leftOut > 0) text += u" (" + ValuesText(series.leftOut) + u" left out, not numbers)";
    for (const UnitTally& t : series.convertedUnits)
        text += u"; " + ConvertedText(t, series.unit) + u" as " + series.analyte;
    for (const UnitTally& t : series.leftOutUnits) text += u"; " + LeftOutText(t);

    const NumberFormat& numbers = series.numbers;
    const auto number = [&numbers](double v) { return ShortNumberText(v, numbers); };
    const std::u16string unit = series.unit.empty() ? u"" : u" " + series.unit;
    int latest = 0;
    for (int i = 1; i < series.count; ++i) {
        if (DateKey(series.dates[i]) > DateKey(series.dates[latest])) latest = i;
    }
    // The latest value is in the graph's unit, as it was entered.
    text += u"; latest " + number(series.values[latest]) + unit + u" on " + DateText(series.dates[latest]);
    if (!series.goal) {
        text += u"; no goal";
    } else {
        const Goal& g = *series.goal;
        if (std::isinf(g.low)) text += (g.highIncluded ? u"; goal at most " : u"; goal below ") + number(g.high);
        else if (std::isinf(g.high)) text += (g.lowIncluded ? u"; goal at least " : u"; goal above ") + number(g.low);
        else if (g.low == g.high) text += u"; goal " + number(g.low);
        else text += u"; goal " + number(g.low) + u" to " + number(g.high);
        text += unit;
    }
    return text + u"; average " + FixedNumberText(series.average, 2, numbers) + unit;
}
