#pragma once
// The Results Graph's picture: laying a series out in pixels and drawing the
// bar or line chart with its axes, goal, legend and average.

#include "platform/paint_surface.h"
#include "review/graph_data.h"

#include <string>
#include <string_view>
#include <vector>

inline const FontSpec kGraphLabelFont{u"Verdana", -8, 700};
inline const FontSpec kGraphTextFont{u"Verdana", -10, 400};

struct GraphPoint {
    int x = 0, y = 0;
    bool operator==(const GraphPoint&) const = default;
};

struct GraphLayout {
    // One per gathered test, ordered by x; equal x keep the gathering order.
    std::vector<GraphPoint> points;
    int goalLowY = 0;
    int goalHighY = 0;
    // Days the horizontal axis covers: the period, or for a negative period
    // (every date) the age of the oldest gathered test.
    int spanDays = 0;
    // x positions of the day ticks on the horizontal axis.
    std::vector<int> dayTicks;
    int barWidth = 7;
};

// Age 0 lies at x = 225 and age spanDays at x = 15; the range high lies at
// y = 40 and the range low at y = 190. Reads the device clock for the ages.
GraphLayout LayoutGraphPoints(const GraphSeries& series, int period);

// The whole paint of the graph for the result `resultName`; `type` "Line"
// draws the line chart, any other text the bar chart.
void DrawResultsGraph(PaintSurface& dc, std::u16string_view resultName, const GraphSeries& series,
                      int period, std::u16string_view type);
// The same picture without the window's "Choose Result" label, for printing.
void DrawResultsChart(PaintSurface& dc, std::u16string_view resultName, const GraphSeries& series,
                      int period, std::u16string_view type);

// What a screen reader says of the graph: the result, the period, how many
// values it shows, the latest one with its date, the goal and the average,
// each with the unit.
std::u16string DescribeGraph(std::u16string_view resultName, const GraphSeries& series, int period);
