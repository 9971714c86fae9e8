#include "review/graph_data.h"
#include "review/graph_drawing.h"

#include "platform/text.h"
#include "review_fixture.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

class GraphLayoutTest : public ReviewTest {
protected:
    // One record of result "R" of test "T" for Ann, `daysAgo` days back.
    static void Value(int daysAgo, std::u16string_view value, std::u16string_view goal = u"") {
        Store(u"Ann", u"T", DaysAgo(daysAgo), u"R", value, goal);
    }
    static GraphSeries Series(int period) { return CollectGraphSeries(u"Ann", u"T", u"R", period); }
};

TEST_F(GraphLayoutTest, SeriesRangeGoalAndAverage) {
    Value(1, u"5");
    Value(2, u"6");
    GraphSeries s = Series(7);
    ASSERT_EQ(s.count, 2);
    EXPECT_DOUBLE_EQ(s.rangeLow, 0);  // widened by the empty goal
    EXPECT_DOUBLE_EQ(s.rangeHigh, 6);
    EXPECT_DOUBLE_EQ(s.goalLow, 0);
    EXPECT_DOUBLE_EQ(s.goalHigh, 0);
    EXPECT_DOUBLE_EQ(s.average, 5.5);

    // The range starts at 1000, not at the first value.
    Store(u"Ann", u"T", DaysAgo(1), u"Big", u"1500", u"1200-2500");
    Store(u"Ann", u"T", DaysAgo(2), u"Big", u"2000", u"1-2");
    s = CollectGraphSeries(u"Ann", u"T", u"Big", 7);
    EXPECT_DOUBLE_EQ(s.rangeLow, 1000);
    EXPECT_DOUBLE_EQ(s.rangeHigh, 2500);
    EXPECT_DOUBLE_EQ(s.goalLow, 1200);  // the goal of the first gathered record only

    // Outside the period, of another user, or an empty result name: nothing.
    EXPECT_EQ(Series(0).count, 0);
    EXPECT_EQ(CollectGraphSeries(u"ann", u"T", u"R", 7).count, 0);
    Store(u"Ann", u"T", DaysAgo(1), u"", u"", u"");
    EXPECT_EQ(CollectGraphSeries(u"Ann", u"T", u"", 7).count, 0);
}

TEST_F(GraphLayoutTest, AFlatRangeDividesByNothing) {
    Value(3, u"5");
    Value(5, u"6");
    GraphSeries flat = Series(7);
    flat.rangeLow = flat.rangeHigh = flat.goalLow = flat.goalHigh = 5;
    const GraphLayout f = LayoutGraphPoints(flat, 7);
    EXPECT_EQ(f.points[0].y, 40);
    EXPECT_EQ(f.goalLowY, 0);
    EXPECT_EQ(f.goalHighY, 0);
}

// Values are real numbers, drawn to the scale of their range: 40 at the top,
// 190 at the bottom.
TEST_F(GraphLayoutTest, ValuesAreRealNumbersDrawnToScale) {
    Value(1, u"5.7", u"0-15");
    Value(2, u"12.5 mg", u"0-15");
    const GraphSeries s = Series(7);
    EXPECT_DOUBLE_EQ(s.values[0], 5.7);
    EXPECT_DOUBLE_EQ(s.average, (5.7 + 12.5) / 2);
    const GraphLayout layout = LayoutGraphPoints(s, 7);
    EXPECT_EQ(layout.points[1].y, 133);  // 5.7, not 5
    EXPECT_EQ(layout.points[0].y, 65);
    EXPECT_EQ(layout.goalLowY, 190);
    EXPECT_EQ(layout.goalHighY, 40);

    Store(u"Ann", u"T", DaysAgo(1), u"Wide", u"120", u"0-240");
    EXPECT_EQ(LayoutGraphPoints(CollectGraphSeries(u"Ann", u"T", u"Wide", 7), 7).points[0].y, 115);
}

TEST_F(GraphLayoutTest, EveryDateSpansOldestTestToToday) {
    Value(100, u"1");
    Value(10, u"2");
    Value(0, u"3");
    for (const int period : {-2, -1}) {
        const GraphSeries s = Series(period);
        ASSERT_EQ(s.count, 3) << period;
        const GraphLayout layout = LayoutGraphPoints(s, period);
        EXPECT_EQ(layout.spanDays, 100);
        std::vector<int> xs;
        for (const GraphPoint& p : layout.points) xs.push_back(p.x);
        EXPECT_EQ(xs, (std::vector<int>{15, 15 + 90 * 210 / 100, 225}));
        // A bounded number of ticks, at least 7 pixels apart, the last one today.
        ASSERT_FALSE(layout.dayTicks.empty());
        EXPECT_LE(layout.dayTicks.size(), 30u);
        EXPECT_LE(layout.dayTicks.back(), 225);
        for (std::size_t i = 1; i < layout.dayTicks.size(); ++i) {
            EXPECT_GE(layout.dayTicks[i] - layout.dayTicks[i - 1], 7);
        }
        EXPECT_EQ(layout.barWidth, 3);  // wide enough to show its colour
    }
}

TEST_F(GraphLayoutTest, EveryDateOfTodayOnlyAndOddPeriodsDoNotDivideByZero) {
    Value(0, u"3");
    const GraphLayout today = LayoutGraphPoints(Series(-2), -2);
    EXPECT_EQ(today.spanDays, 0);
    EXPECT_EQ(today.points[0].x, 225);
    EXPECT_EQ(today.dayTicks, std::vector<int>{225});
    EXPECT_EQ(today.barWidth, 7);

    Value(20, u"4");
    for (const int period : {31, 62, 93, 310}) {
        const GraphLayout layout = LayoutGraphPoints(Series(period), period);
        EXPECT_EQ(layout.barWidth, 3) << period;
        EXPECT_EQ(layout.points.back().x, 225);
    }
}

TEST_F(GraphLayoutTest, KeepsTheSixtyMostRecentTests) {
    for (int age = 0; age < 65; ++age) Value(age, IntToText(age));
    const GraphSeries s = Series(-2);
    ASSERT_EQ(s.count, 60);
    std::set<double> values(s.values.begin(), s.values.end());
    EXPECT_EQ(values.size(), 60u);
    EXPECT_DOUBLE_EQ(*values.begin(), 0);
    EXPECT_DOUBLE_EQ(*values.rbegin(), 59);
    const GraphLayout layout = LayoutGraphPoints(s, -2);
    EXPECT_EQ(layout.spanDays, 59);
    EXPECT_EQ(layout.points.size(), 60u);
    EXPECT_TRUE(std::is_sorted(layout.points.begin(), layout.points.end(),
                               [](const GraphPoint& a, const GraphPoint& b) { return a.x < b.x; }));
}

}  // namespace
