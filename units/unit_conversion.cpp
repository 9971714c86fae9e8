#include "units/unit_conversion.h"

#include "units/unit_identity.h"
#include "units/unit_table.h"

std::optional<UnitConversion> FindConversion(std::u16string_view resultName,
                                             std::u16string_view fromUnit,
                                             std::u16string_view toUnit) {
    const Analyte* analyte = ShippedUnitTable().FindAnalyte(resultName);
    const std::u16string_view name = analyte ? std::u16string_view(analyte->name) : u"";
    if (SameUnit(fromUnit, toUnit)) return UnitConversion{name, 1, 0};
    if (!analyte) return std::nullopt;
    const UnitScale* from = analyte->FindUnit(fromUnit);
    const UnitScale* to = analyte->FindUnit(toUnit);
    if (!from || !to) return std::nullopt;
    // reference = (value - from.offset) / from.factor; to = reference * to.factor + to.offset
    const double factor = to->factor / from->factor;
    return UnitConversion{name, factor, to->offset - from->offset * factor};
}

std::optional<double> ConvertValue(std::u16string_view resultName, double value,
                                   std::u16string_view fromUnit, std::u16string_view toUnit) {
    const std::optional<UnitConversion> conversion = FindConversion(resultName, fromUnit, toUnit);
    if (!conversion) return std::nullopt;
    return conversion->Apply(value);
}
