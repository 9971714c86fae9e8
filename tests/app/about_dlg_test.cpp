// The About box paints its lines, each with exactly its own text.

#include "app/about_dlg.h"
#include "platform/ui/test_driver.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(AboutDlgTest, PaintsItsLinesInNavyAtTheirPositions) {
    DialogDriver driver;
    RecordingSurface paint;
    driver.Expect<CAboutDlg>(IDD_ABOUT, [&](CAboutDlg& d) {
        paint = RecordPaint(d);
        d.SendCommand(IDOK);
    });
    CAboutDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(driver.Failures().empty());

    struct Line {
        int x, y;
        std::u16string text;
    };
    const std::vector<Line> expected = {
        {60, 20, u"Vantrel"},
        {60, 40, u"Version 2.0"},
        {20, 60, u"Copyright 2026 The Vantrel developers"},
        {40, 75, u"www.vantrel.org"},
        {40, 90, u"support@vantrel.org"},
        {5, 120, u"Brennic Software disclaims any liability"},
        {5, 135, u"arising from the use or interpretation"},
        {5, 150, u"of the information provided in Vantrel."},
        {5, 165, u"The information is provided as a guideline"},
        {5, 180, u"and is not intended to replace medical help"},
        {5, 210, u"Test information was mainly collected from"},
        {5, 225, u"MedlinePlus: medlineplus.gov/lab-tests"},
    };
    ASSERT_EQ(paint.texts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const DrawnText& t = paint.texts[i];
        EXPECT_EQ(t.text, expected[i].text) << "line " << i + 1;
        EXPECT_EQ(t.x, expected[i].x) << "line " << i + 1;
        EXPECT_EQ(t.y, expected[i].y) << "line " << i + 1;
        EXPECT_EQ(t.color, kNavy) << "line " << i + 1;
        EXPECT_FALSE(t.font.has_value()) << "line " << i + 1;
    }
    ASSERT_FALSE(paint.fills.empty());
    EXPECT_EQ(paint.fills.front().color, kWhite);
}

}  // namespace
