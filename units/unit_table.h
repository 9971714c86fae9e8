#pragma once
// The conversion table the program carries: for each analyte, the result
// names that mean it and its units, each a linear function of one reference
// unit. Read from res/unit_conversions.txt, which the build compiles in.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct UnitScale {
    std::u16string key;  // UnitKey of the unit
    // A value in this unit is the value in the reference unit * factor + offset;
    // the factor is above 0, so the order of values (a goal's ends) is kept.
    double factor = 1;
    double offset = 0;
};

struct Analyte {
    std::u16string name;
    std::vector<UnitScale> units;  // the reference unit first
    // The unit that is the same unit as `unit`; nullptr when the analyte has none.
    const UnitScale* FindUnit(std::u16string_view unit) const;
};

struct UnitTable {
    std::vector<Analyte> analytes;
    std::unordered_map<std::u16string, std::size_t> byName;  // ResultNameKey -> analytes
    // One line ("line N: why") for each line or entry that was left out.
    std::vector<std::string> problems;
    // The analyte a result name means; nullptr when the table does not know it.
    const Analyte* FindAnalyte(std::u16string_view resultName) const;
};

// Reads a table in the format res/unit_conversions.txt describes at its top.
UnitTable ReadUnitTable(std::string_view text);

// The table of res/unit_conversions.txt, read on first use.
const UnitTable& ShippedUnitTable();
