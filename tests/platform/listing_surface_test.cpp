// The in-memory listing and the recording surface that the tests of every
// other part rely on.

#include "platform/memory_listing.h"
#include "platform/recording_surface.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryListingTest, SortsOrAppendsAndSearchesIgnoringCase) {
    MemoryListing sorted(true);
    EXPECT_EQ(sorted.AddItem(u"pear"), 0);
    EXPECT_EQ(sorted.AddItem(u"Apple"), 0);
    EXPECT_EQ(sorted.AddItem(u"banana"), 1);
    EXPECT_EQ(sorted.AddItem(u"Zucchini"), 3);
    EXPECT_EQ(sorted.Items(), (std::vector<std::u16string>{u"Apple", u"banana", u"pear", u"Zucchini"}));
    EXPECT_EQ(sorted.FindExact(u"BANANA"), 1);
    EXPECT_EQ(sorted.FindExact(u"banan"), -1);
    EXPECT_EQ(sorted.FindPrefix(u"ZUC"), 3);
    EXPECT_EQ(sorted.FindPrefix(u"x"), -1);

    MemoryListing list;
    EXPECT_FALSE(list.Sorted());
    list.AddItem(u"ABC Panel");
    EXPECT_EQ(list.AddItem(u"ABC"), 1);
    EXPECT_EQ(list.FindPrefix(u"abc"), 0);
    EXPECT_EQ(list.FindExact(u"abc"), 1);
    EXPECT_EQ(list.FindExact(u"Ä"), -1);
    list.AddItem(u"ä");
    EXPECT_EQ(list.FindExact(u"Ä"), 2);
}

TEST(RecordingSurfaceTest, RecordsWhatIsDrawnAndPassesItOn) {
    RecordingSurface inner(nullptr, 100, 50);
    RecordingSurface surface(&inner);
    EXPECT_EQ(surface.Width(), 100);
    EXPECT_EQ(RecordingSurface().Width(), 240);
    EXPECT_EQ(RecordingSurface().Height(), 320);

    surface.FillRect({0, 0, 10, 10}, kWhite);
    surface.TextOut(1, 2, u"default");
    surface.SetTextColor(kNavy);
    FontSpec verdana{u"Verdana", -12, 700};
    surface.SelectFont(&verdana);
    surface.TextOut(3, 4, u"bold");
    surface.SelectFont(nullptr);
    surface.TextOut(5, 6, u"back");
    PaintPoint points[] = {{0, 0}, {10, 0}, {10, 5}};
    surface.Polyline(points, 3);
    surface.Line(1, 1, 2, 2);
    surface.Rectangle({0, 0, 5, 5});
    surface.SelectSolidBrush(Color{255, 0, 0});
    surface.Rectangle({1, 1, 4, 4});
    surface.SelectDefaultBrush();
    surface.Rectangle({2, 2, 3, 3});

    ASSERT_EQ(surface.texts.size(), 3u);
    EXPECT_EQ(surface.texts[0].color, kBlack);
    EXPECT_FALSE(surface.texts[0].font.has_value());
    EXPECT_EQ(surface.texts[1].color, kNavy);
    EXPECT_EQ(surface.texts[1].font, verdana);
    EXPECT_FALSE(surface.texts[2].font.has_value());
    ASSERT_NE(surface.FindText(u"bold"), nullptr);
    EXPECT_EQ(surface.FindText(u"bold")->x, 3);
    EXPECT_EQ(surface.FindText(u"missing"), nullptr);
    ASSERT_EQ(surface.lines.size(), 3u);
    EXPECT_EQ(surface.lines[1].x1, 10);
    EXPECT_EQ(surface.lines[1].y2, 5);
    ASSERT_EQ(surface.rects.size(), 3u);
    EXPECT_EQ(surface.rects[0].brush, kWhite);
    EXPECT_EQ(surface.rects[1].brush, (Color{255, 0, 0}));
    EXPECT_EQ(surface.rects[2].brush, kWhite);
    EXPECT_EQ(surface.fills.size(), 1u);

    // The inner surface saw the same drawing.
    EXPECT_EQ(inner.texts.size(), 3u);
    EXPECT_EQ(inner.lines.size(), 3u);
    EXPECT_EQ(inner.rects[1].brush, (Color{255, 0, 0}));
    EXPECT_EQ(inner.texts[1].font, verdana);
}

}  // namespace
