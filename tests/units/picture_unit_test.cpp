// A result's values recorded in several units, brought into the one unit of
// its latest value: what is converted, what is left out and counted, and how
// a converted value is said.

#include "units/picture_unit.h"

#include "platform/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Recorded {
    const char16_t* entered;
    double value;
    const char16_t* unit;
};

std::string Tallies(const std::vector<UnitTally>& tallies) {
    std::u16string text;
    for (const UnitTally& t : tallies) text += t.unit + u"=" + IntToText(t.count) + u";";
    return TextToUtf8(text);
}

TEST(PictureUnitTest, ValuesComeInTheLatestUnitOrAreCounted) {
    const struct {
        const char16_t* result;
        std::vector<Recorded> series;  // oldest first; the last gives the unit
        std::vector<std::optional<double>> shown;
        std::string converted, leftOut;
        const char16_t* analyte;
    } kCases[] = {
        // Glucose moved from mmol/L to mg/dL: the old values converted, to the digits entered.
        {u"Glucose", {{u"5.4", 5.4, u"mmol/L"}, {u"6.0", 6.0, u"MMOL/L"}, {u"95", 95, u"mg/dL (fasting)"}},
         {97, 108, 95}, "mmol/L=2;", "", u"Glucose"},
        // Spellings of one unit are one unit, of a result the table does not know too.
        {u"Zinc", {{u"80", 80, u"ug/dL"}, {u"90", 90, u"µg/dl"}, {u"95", 95, u"μg/dL"}}, {80, 90, 95}, "", "", u""},
        // A unit the analyte does not have is left out, counted per unit.
        {u"Glucose", {{u"1", 1, u"mEq/L"}, {u"5.4", 5.4, u"mmol/L"}, {u"2", 2, u"meq/l"}, {u"100", 100, u"mg/dL"}},
         {std::nullopt, 97, std::nullopt, 100}, "mmol/L=1;", "mEq/L=2;", u"Glucose"},
        // A result the table does not know converts nothing.
        {u"Sodium", {{u"140", 140, u"mEq/L"}, {u"141", 141, u"mEq/L"}, {u"139", 139, u"mmol/L"}},
         {std::nullopt, std::nullopt, 139}, "", "mEq/L=2;", u""},
        // An affine conversion: HbA1c in % now, mmol/mol before.
        {u"HbA1c", {{u"48", 48, u"mmol/mol"}, {u"7.0", 7.0, u"%"}}, {6.5, 7.0}, "mmol/mol=1;", "", u"HbA1c"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(TextToUtf8(c.result));
        PictureUnit picture(c.result, c.series.back().unit);
        for (std::size_t i = 0; i < c.series.size(); ++i) {
            const std::optional<double> shown = picture.Take(c.series[i].value, c.series[i].unit, c.series[i].entered);
            ASSERT_EQ(shown.has_value(), c.shown[i].has_value()) << i;
            if (shown) EXPECT_DOUBLE_EQ(*shown, *c.shown[i]) << i;
        }
        EXPECT_EQ(Tallies(picture.Converted()), c.converted);
        EXPECT_EQ(Tallies(picture.LeftOut()), c.leftOut);
        EXPECT_EQ(TextToUtf8(picture.Analyte()), TextToUtf8(c.analyte));
    }
}

TEST(PictureUnitTest, TextsSayWhatWasConvertedOrLeftOut) {
    EXPECT_EQ(TextToUtf8(LeftOutText({u"mmol/L", 3})), "3 values in mmol/L not shown");
    EXPECT_EQ(TextToUtf8(LeftOutText({u"mmol/L", 1})), "1 value in mmol/L not shown");
    EXPECT_EQ(TextToUtf8(ConvertedText({u"mmol/L", 2}, u"mg/dL (fasting)")), "2 values in mmol/L converted to mg/dL");
    EXPECT_EQ(TextToUtf8(EnteredAsText(u"97", u"mg/dL (fasting)", u"5.4", u"mmol/L ")),
              "97 mg/dL, entered as 5.4 mmol/L");

    // As precisely as entered: the last digit's share of the value carries over.
    for (const auto& [converted, entered, text, shown] :
         {std::tuple{97.29, 5.4, u"5.4", 97.0}, {108.1, 6.0, u"6.0", 108.0}, {5.5508, 100.0, u"100", 5.55},
          {47.54, 6.5, u"6,5", 47.5}, {88.4, 1.0, u"1.0", 88.0}, {90.08, 5.0, u"5", 90.0}, {0.0, 0.0, u"0", 0.0}})
        EXPECT_DOUBLE_EQ(RoundAsEntered(converted, entered, text), shown) << converted;
}

}  // namespace
