// The shipped conversion table against published pairs, which unit texts are
// one unit, and what is left unconverted.

#include "units/unit_conversion.h"
#include "units/unit_identity.h"
#include "units/unit_table.h"

#include "platform/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using ::testing::IsEmpty;

std::string Show(std::u16string_view text) { return TextToUtf8(text); }

TEST(UnitConversionTest, ShippedTableReadsWhole) {
    EXPECT_THAT(ShippedUnitTable().problems, IsEmpty());
}

// Each pair as a guideline or reference table prints it, to its printed
// precision: diabetes thresholds as the ADA and the WHO print them, lipids as
// NCEP ATP III and the ESC, vitamin D as the IOM, the rest from laboratory
// reference tables. Result names and units as the catalogue and people write them.
struct PublishedPair {
    const char16_t* name;
    double value;
    const char16_t* from;
    const char16_t* to;
    double expected;
    double precision;  // half the printed last digit
};

constexpr PublishedPair kPublishedPairs[] = {
    {u"Glucose", 100, u"mg/dL", u"mmol/L", 5.55, 0.005},
    {u"Fasting Blood Sugar", 1.26, u"g/L", u"mmol/L", 7.0, 0.05},  // as French laboratories write it
    {u"HbA1c", 6.5, u"%", u"mmol/mol", 48, 0.5},
    {u"HbA1c", 4.0, u"%", u"mmol/mol", 20, 0.5},  // two points of an affine conversion
    {u"A1c", 7.0, u"% (diabetes goal often below 7)", u"mmol/mol", 53, 0.5},
    {u"Total cholesterol", 200, u"mg/dL", u"mmol/L", 5.17, 0.005},
    {u"Cholesterol", 2.4, u"g/L", u"mmol/L", 6.21, 0.005},
    {u"LDL", 100, u"mg/dL", u"mmol/L", 2.59, 0.005},
    {u"HDL cholesterol", 40, u"mg/dL", u"mmol/L", 1.03, 0.005},
    {u"Non-HDL cholesterol", 130, u"mg/dL", u"mmol/L", 3.4, 0.05},
    {u"Triglycerides", 150, u"mg/dL (fasting)", u"mmol/L", 1.7, 0.05},
    {u"Creatinine", 1.0, u"mg/dL", u"µmol/L", 88.4, 0.05},
    {u"Creatinine", 0.09, u"mmol/L", u"umol/L", 90, 0.5},  // through mg/dL
    {u"BUN", 20, u"mg/dL", u"mmol/L", 7.1, 0.05},
    {u"Uric acid", 6.0, u"mg/dL", u"µmol/L", 357, 0.5},
    {u"Calcium", 8.5, u"mg/dL", u"mmol/L", 2.12, 0.005},
    {u"Calcium", 5.0, u"mEq/L", u"mmol/L", 2.5, 0.005},
    {u"Bilirubin, total", 1.2, u"mg/dL", u"µmol/L", 20.5, 0.05},
    {u"Hemoglobin", 13.0, u"g/dL", u"g/L", 130, 0.5},
    {u"Hemoglobin", 13.0, u"g/dL", u"mmol/L", 8.1, 0.05},
    {u"Hb", 130, u"g/L", u"mmol/L", 8.1, 0.05},  // through g/dL
    {u"25-OH vitamin D", 20, u"ng/mL", u"nmol/L", 50, 0.5},
    {u"Albumin", 3.5, u"g/dL", u"g/L", 35, 0.5},
    {u"Protein, total", 6.0, u"g/dL", u"g/L", 60, 0.5},
    {u"Magnesium", 1.7, u"mg/dL", u"mmol/L", 0.70, 0.005},
    {u"Magnesium", 1.7, u"mg/dL", u"mEq/L", 1.4, 0.05},
    {u"Phosphorus", 2.5, u"mg/dL", u"mmol/L", 0.81, 0.005},
    {u"Iron", 60, u"mcg/dL", u"µmol/L", 10.7, 0.05},
    {u"TIBC", 250, u"mcg/dL", u"µmol/L", 44.8, 0.05},
    {u"Vitamin B12", 200, u"pg/mL", u"pmol/L", 148, 0.5},
    {u"Folate", 3.0, u"ng/mL", u"nmol/L", 6.8, 0.05},
    {u"Cortisol", 5, u"mcg/dL (8 a.m. sample)", u"nmol/L", 138, 0.5},
    {u"Testosterone", 300, u"ng/dL", u"nmol/L", 10.4, 0.05},
    {u"Free T4", 1.0, u"ng/dL", u"pmol/L", 12.9, 0.05},
    {u"hs-CRP", 3, u"mg/L", u"mg/dL", 0.3, 0.005},
    {u"Ferritin", 30, u"ng/mL", u"µg/L", 30, 0.5},
};

TEST(UnitConversionTest, PublishedPairsHoldBothWays) {
    for (const PublishedPair& pair : kPublishedPairs) {
        SCOPED_TRACE(Show(pair.name) + " " + Show(pair.from) + " -> " + Show(pair.to));
        const std::optional<double> converted = ConvertValue(pair.name, pair.value, pair.from, pair.to);
        ASSERT_TRUE(converted.has_value());
        EXPECT_NEAR(*converted, pair.expected, pair.precision);
        // And back again to the value that went in.
        const std::optional<double> back = ConvertValue(pair.name, *converted, pair.to, pair.from);
        ASSERT_TRUE(back.has_value());
        EXPECT_NEAR(*back, pair.value, 1e-9 * pair.value);
    }
}

// A result name finds its analyte whatever its case and blanks, and one that
// only shares letters with an analyte finds none, nor does any pair of units
// the analyte lacks.
TEST(UnitConversionTest, ResultNamesFindTheirAnalyteAndUnknownPairsStayUnconverted) {
    for (const auto& [name, analyte] : std::vector<std::pair<const char16_t*, const char16_t*>>{
             {u"Glucose", u"Glucose"}, {u"FASTING BLOOD SUGAR", u"Glucose"}, {u"Glucose (fasting)", u"Glucose"},
             {u"2-hour glucose", u"Glucose"}, {u"Estimated avg glucose", u"Glucose"}, {u"Nüchternglukose", u"Glucose"},
             {u"Hb A1c", u"HbA1c"}, {u"Hemoglobin A1c", u"HbA1c"}, {u"LDL Cholesterol", u"LDL cholesterol"},
             {u"LDL-C", u"LDL cholesterol"}, {u"Bilirubin, direct", u"Bilirubin"}, {u"25(OH)D", u"Vitamin D (25-OH)"},
             {u"Haemoglobin", u"Haemoglobin"}, {u"  urea   nitrogen ", u"Urea nitrogen"},
             {u"Mean cell Hgb", u""}, {u"Protein", u""}, {u"Sodium", u""}}) {
        const std::optional<UnitConversion> same = FindConversion(name, u"", u"");
        ASSERT_TRUE(same.has_value()) << Show(name);
        EXPECT_EQ(Show(same->analyte), Show(analyte));
    }
    for (const auto& [name, from, to] : std::vector<std::tuple<const char16_t*, const char16_t*, const char16_t*>>{
             {u"Glucose", u"mg/dL", u"mEq/L"}, {u"Glucose", u"mg/dL", u""}, {u"HbA1c", u"%", u"mmol/L"},
             {u"Creatinine", u"mg/dL", u"mg/L"}, {u"Sodium", u"mEq/L", u"mmol/L"}, {u"Mean cell Hgb", u"g/dL", u"g/L"},
             {u"", u"mg/dL", u"mmol/L"}}) {
        SCOPED_TRACE(Show(name) + " " + Show(from) + " -> " + Show(to));
        EXPECT_FALSE(FindConversion(name, from, to).has_value());
        EXPECT_FALSE(ConvertValue(name, 1, from, to).has_value());
    }
}

TEST(UnitConversionTest, SpellingsOfOneUnit) {
    for (const auto& [a, b, same] : std::vector<std::tuple<const char16_t*, const char16_t*, bool>>{
             {u"mg/dl", u"mg/dL", true}, {u"MG/DL", u"mg/dL", true}, {u" mg / dL ", u"mg/dL", true},
             {u"mg/dL (fasting)", u"mg/dL", true},
             {u"µmol/L", u"μmol/L", true},  // micro sign U+00B5 and Greek mu U+03BC
             {u"umol/L", u"µmol/L", true}, {u"mcmol/L", u"µmol/L", true}, {u"UMOL/L", u"μmol/l", true},
             {u"mcg/dL", u"ug/dL", true}, {u"x10^3/uL", u"x10^3/µL", true}, {u"mmol/L\u00A0", u"mmol/L", true},
             {u"(fasting)", u"", true}, {u"mg/dL", u"mg/L", false}, {u"mmol/L", u"µmol/L", false},
             {u"mmol/L", u"mol/L", false}, {u"U/L", u"mU/L", false}, {u"IU/L", u"U/L", false},
             {u"units", u"µnits", false}, {u"", u"mg/dL", false}})
        EXPECT_EQ(SameUnit(a, b), same) << Show(a) << " / " << Show(b);
    // One unit converts as itself, for a result the table does not know too.
    EXPECT_EQ(ConvertValue(u"Zinc", 95, u"ug/dL", u"µg/dL"), std::optional<double>(95));

    // The note a unit text carries in parentheses, which the report lists apart;
    // without a closing parenthesis the note runs to the end.
    for (const auto& [text, unit, note] : std::vector<std::tuple<const char16_t*, const char16_t*, const char16_t*>>{
             {u"mg/dL (fasting)", u"mg/dL ", u"fasting"}, {u"(fasting) x", u"", u"fasting"},
             {u"mg/dL", u"mg/dL", u""}, {u"mg (after meal", u"mg ", u"after meal"}}) {
        EXPECT_EQ(SplitUnit(text).unit, unit) << Show(text);
        EXPECT_EQ(SplitUnit(text).note, note) << Show(text);
    }
}

// A mistake in the table file leaves out the line or entry and says where.
TEST(UnitConversionTest, FaultsInTheTableAreReported) {
    constexpr std::string_view kWhole =
        "analyte: Glucose\nname: Glucose\nunit: mg/dL\nunit: mmol/L = mg/dL * 0.05551\nsource: S\n";
    const std::string kBadFormula = "line 4: not \"unit = reference unit * factor [+|- offset]\"";
    const std::string kNotWhole = "line 1: an analyte without a name, two units and a source";
    const struct {
        std::string text;
        std::vector<std::string> problems;
        bool glucoseKnown;
    } kTables[] = {
        {std::string(kWhole), {}, true},
        {"name: Glucose\n" + std::string(kWhole), {"line 1: a line before the first analyte"}, true},
        // A unit left out leaves the entry with one unit, so it goes too.
        {"analyte: Glucose\nname: Glucose\nunit: mg/dL\nunit: mmol/L = mg/L * 0.05\nsource: S\n",
         {kBadFormula, kNotWhole}, false},
        {"analyte: Glucose\nname: Glucose\nunit: mg/dL\nunit: mmol/L = mg/dL * -1\nsource: S\n",
         {kBadFormula, kNotWhole}, false},
        {"analyte: Glucose\nname: Glucose\nunit: mg/dL\nunit: mmol/L = mg/dL * 0.05551\n",
         {kNotWhole}, false},
        {std::string(kWhole) + "unit: MMOL/L = mg/dL * 0.05551\n", {"line 6: a unit named twice"}, true},
        {std::string(kWhole) + "analyte: Sugar\nname: GLUCOSE\nunit: a\nunit: b = a * 2\nsource: S\n",
         {"line 7: a name given twice"}, true},
        {std::string(kWhole) + "factor: 3\n", {"line 6: an unknown key"}, true},
    };
    for (const auto& table : kTables) {
        SCOPED_TRACE(table.text);
        const UnitTable read = ReadUnitTable(table.text);
        EXPECT_EQ(read.problems, table.problems);
        EXPECT_EQ(read.FindAnalyte(u"Glucose") != nullptr, table.glucoseKnown);
    }
}

}  // namespace
