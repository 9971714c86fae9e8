#pragma once
// One unit for a picture of a result's values (a graph, its average, a trend):
// values recorded in another unit are converted to it when the table knows
// how, and otherwise left out and counted, so that numbers in two units are
// never drawn on one axis or averaged together.

#include "units/unit_conversion.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Values of one unit (as first met, without its note) that a picture
// converted or left out.
struct UnitTally {
    std::u16string unit;
    int count = 0;
};

class PictureUnit {
public:
    // The picture shows `resultName`'s values in `unit`: the unit of its
    // latest value.
    PictureUnit(std::u16string_view resultName, std::u16string_view unit);

    // The unit without its note ("mg/dL (fasting)" shows as mg/dL).
    const std::u16string& Unit() const { return unit_; }

    // From `unit` to the picture's unit; none when the table knows no way.
    std::optional<UnitConversion> From(std::u16string_view unit) const;

    // `value`, recorded in `unit` as `entered`, in the picture's unit (a
    // converted value rounded as RoundAsEntered does); none when it cannot be
    // converted. Either way it is counted, under its unit, as converted or left out.
    std::optional<double> Take(double value, std::u16string_view unit, std::u16string_view entered);

    // Per unit other than the picture's, in the order first met.
    const std::vector<UnitTally>& Converted() const { return converted_; }
    const std::vector<UnitTally>& LeftOut() const { return leftOut_; }
    // The analyte whose conversions were used ("Glucose"); empty when none was.
    std::u16string_view Analyte() const { return analyte_; }

private:
    std::u16string result_;
    std::u16string unit_;
    std::u16string key_;
    std::vector<UnitTally> converted_;
    std::vector<UnitTally> leftOut_;
    std::u16string_view analyte_;
};

// "3 values in mmol/L"; "1 value in mmol/L".
std::u16string ValuesInUnit(const UnitTally& tally);
// "3 values in mmol/L not shown".
std::u16string LeftOutText(const UnitTally& tally);
// "2 values in mmol/L converted to mg/dL".
std::u16string ConvertedText(const UnitTally& tally, std::u16string_view toUnit);

// A converted value rounded as precisely as `entered` was given: its last
// digit (of at least two significant ones in `enteredText`), relative to it,
// is the converted value's. 5.4 mmol/L of glucose shows as 97 mg/dL, not 97.29;
// 100 mg/dL as 5.55 mmol/L.
double RoundAsEntered(double converted, double entered, std::u16string_view enteredText);

// "97 mg/dL, entered as 5.4 mmol/L": a converted value, with the value and
// unit it was stored with. `shown` is the converted number as the picture writes it.
std::u16string EnteredAsText(std::u16string_view shown, std::u16string_view unit,
                             std::u16string_view entered, std::u16string_view enteredUnit);
