#include "units/picture_unit.h"

#include "platform/text.h"
#include "units/unit_identity.h"

#include <algorithm>
#include <cmath>

namespace {

void Count(std::vector<UnitTally>& tallies, std::u16string_view unit) {
    const std::u16string key = UnitKey(unit);
    const auto same = std::find_if(tallies.begin(), tallies.end(),
                                   [&key](const UnitTally& t) { return UnitKey(t.unit) == key; });
    if (same != tallies.end()) {
        ++same->count;
    } else {
        tallies.push_back({UnitShown(unit), 1});
    }
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

PictureUnit::PictureUnit(std::u16string_view resultName, std::u16string_view unit)
    : result_(resultName), unit_(UnitShown(unit)), key_(UnitKey(unit)) {}

std::optional<UnitConversion> PictureUnit::From(std::u16string_view unit) const {
    return FindConversion(result_, unit, unit_);
}

std::optional<double> PictureUnit::Take(double value, std::u16string_view unit, std::u16string_view entered) {
    if (UnitKey(unit) == key_) return value;
    const std::optional<UnitConversion> conversion = From(unit);
    if (!conversion) {
        Count(leftOut_, unit);
        return std::nullopt;
    }
    Count(converted_, unit);
    analyte_ = conversion->analyte;
    return RoundAsEntered(conversion->Apply(value), value, entered);
}

std::u16string ValuesInUnit(const UnitTally& tally) {
    return IntToText(tally.count) + (tally.count == 1 ? u" value in " : u" values in ") + tally.unit;
}

std::u16string LeftOutText(const UnitTally& tally) { return ValuesInUnit(tally) + u" not shown"; }

std::u16string ConvertedText(const UnitTally& tally, std::u16string_view toUnit) {
    return ValuesInUnit(tally) + u" converted to " + UnitShown(toUnit);
}

double RoundAsEntered(double converted, double entered, std::u16string_view enteredText) {
    int digits = 0;
    for (const char16_t c : enteredText.substr(0, enteredText.find_first_of(u"eE"))) {
        if (IsDigit(c) && (digits > 0 || c != u'0')) ++digits;
    }
    digits = std::clamp(digits, 2, 10);
    if (converted == 0 || entered == 0 || !std::isfinite(converted) || !std::isfinite(entered)) return converted;
    // The entered value's last digit, relative to it, carried over to the converted one.
    const double lastDigit = std::pow(10.0, std::floor(std::log10(std::fabs(entered))) - digits + 1);
    const double step = std::pow(10.0, std::floor(std::log10(std::fabs(converted) * lastDigit / std::fabs(entered))));
    return step >= 1 ? std::round(converted / step) * step : std::round(converted / step) / (1 / step);
}

std::u16string EnteredAsText(std::u16string_view shown, std::u16string_view unit,
                             std::u16string_view entered, std::u16string_view enteredUnit) {
    return std::u16string(shown) + u" " + UnitShown(unit) + u", entered as " + std::u16string(entered) + u" " +
           UnitShown(enteredUnit);
}
