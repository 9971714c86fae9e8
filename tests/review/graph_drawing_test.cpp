#include "review/graph_drawing.h"

#include "platform/recording_surface.h"
#include "platform/text.h"
#include "review_fixture.h"

#include <algorithm>
#include <string>

namespace {

constexpr Color kRed{255, 0, 0};
constexpr Color kGreen{0, 255, 0};
constexpr Color kBlue{0, 0, 255};

class GraphDrawingTest : public ReviewTest {
protected:
    // Values 5 (3 days old) and 6 (5 days old) without goal, in the week graph.
    static GraphSeries FiveAndSix() {
        Store(u"Ann", u"T", DaysAgo(3), u"R", u"5", u"");
        Store(u"Ann", u"T", DaysAgo(5), u"R", u"6", u"");
        return CollectGraphSeries(u"Ann", u"T", u"R", 7);
    }
    static RecordingSurface Draw(const GraphSeries& s, std::u16string_view type, int period = 7) {
        RecordingSurface dc;
        DrawResultsGraph(dc, u"R", s, period, type);
        return dc;
    }
    static bool HasRect(const RecordingSurface& dc, PaintRect rect, Color brush) {
        return std::any_of(dc.rects.begin(), dc.rects.end(),
                           [&](const DrawnRect& r) { return r.rect == rect && r.brush == brush; });
    }
    static bool HasLine(const RecordingSurface& dc, int x1, int y1, int x2, int y2) {
        return std::any_of(dc.lines.begin(), dc.lines.end(), [&](const DrawnLine& l) {
            return l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2;
        });
    }
    static void ExpectText(const RecordingSurface& dc, std::u16string_view text, int x, int y,
                           Color color = kBlack) {
        const DrawnText* t = dc.FindText(text);
        ASSERT_NE(t, nullptr) << TextToUtf8(text);
        EXPECT_EQ(t->x, x) << TextToUtf8(text);
        EXPECT_EQ(t->y, y) << TextToUtf8(text);
        EXPECT_EQ(t->color, color) << TextToUtf8(text);
    }
};

// Only "Line", in that letter case, draws a line chart; anything else draws bars.
TEST_F(GraphDrawingTest, EveryTypeButLineDrawsBars) {
    const GraphSeries s = FiveAndSix();
    for (const std::u16string_view type : {u"Bar", u"", u"line"}) {
        EXPECT_TRUE(HasRect(Draw(s, type), {75, 40, 82, 200}, kGreen)) << TextToUtf8(type);
    }
    const RecordingSurface line = Draw(s, u"Line");
    EXPECT_FALSE(HasRect(line, {75, 40, 82, 200}, kGreen));
    EXPECT_TRUE(HasLine(line, 75, 40, 135, 65));  // the polyline joins the markers' corners
}

// No results at all is the graph dialog's case of a user without a record.
TEST_F(GraphDrawingTest, AMessageWhenNoResultIsANumber) {
    Store(u"Ann", u"T", DaysAgo(1), u"Z", u"none", u"");
    const RecordingSurface zero = Draw(CollectGraphSeries(u"Ann", u"T", u"Z", 7), u"Line");
    ExpectText(zero, u"No numerical results for graphing", 20, 60, kBlue);
    EXPECT_TRUE(zero.lines.empty());
    EXPECT_TRUE(zero.rects.empty());
}

TEST_F(GraphDrawingTest, FlatRangeDrawsNoLowerTick) {
    Store(u"Ann", u"T", DaysAgo(1), u"F", u"5", u"5");
    const RecordingSurface dc = Draw(CollectGraphSeries(u"Ann", u"T", u"F", 7), u"Line");
    ExpectText(dc, u"5", 2, 35);
    EXPECT_FALSE(HasLine(dc, 13, 190, 17, 190));
    EXPECT_TRUE(HasRect(dc, {15, 0, 238, 5}, kGreen));
    EXPECT_TRUE(HasRect(dc, {195, 40, 200, 45}, kRed));
}

TEST_F(GraphDrawingTest, RealLabelsAndHugeAverages) {
    Store(u"Ann", u"T", DaysAgo(1), u"G", u"5.5", u"4.25-6.75");
    RecordingSurface dc = Draw(CollectGraphSeries(u"Ann", u"T", u"G", 7), u"Bar");
    ExpectText(dc, u"6.75", 2, 35);
    ExpectText(dc, u"4.25", 2, 185);
    ExpectText(dc, u"Average Value:5.50", 15, 250);

    GraphSeries huge;
    huge.count = 1;
    huge.dates[0] = DaysAgo(1);
    huge.values[0] = huge.rangeHigh = huge.average = 1e300;
    huge.rangeLow = 0;
    dc = Draw(huge, u"Bar");
    const auto average = std::find_if(dc.texts.begin(), dc.texts.end(), [](const DrawnText& t) {
        return t.text.starts_with(u"Average Value:1");
    });
    ASSERT_NE(average, dc.texts.end());
    EXPECT_TRUE(average->text.ends_with(u".00"));
}

}  // namespace
