#pragma once
// Converting a result's value (or a goal's ends) from one unit to another,
// when the shipped table knows both units for the analyte the result's name
// means. Stored values are never changed: this is for showing and comparing.

#include <optional>
#include <string_view>

struct UnitConversion {
    // The table's name for the analyte ("Glucose", "HbA1c"), to name the
    // conversion to the person; empty for the same unit of a result the table
    // does not know. It points into the table, which lasts as long as the program.
    std::u16string_view analyte;
    // to = from * factor + offset. The factor is above 0, so a goal's low and
    // high ends stay in order; HbA1c between % and mmol/mol has an offset.
    double factor = 1;
    double offset = 0;

    double Apply(double value) const { return value * factor + offset; }
};

// The conversion of `resultName`'s values from `fromUnit` to `toUnit`: the
// identity when they are the same unit (SameUnit), whatever the result;
// otherwise the table's, through the analyte's reference unit, when the name
// means an analyte that has both units; none otherwise.
std::optional<UnitConversion> FindConversion(std::u16string_view resultName,
                                             std::u16string_view fromUnit,
                                             std::u16string_view toUnit);

// `value` in `toUnit`, or none when FindConversion finds no conversion.
std::optional<double> ConvertValue(std::u16string_view resultName, double value,
                                   std::u16string_view fromUnit, std::u16string_view toUnit);
