#pragma once
// When two unit texts name the same unit, and two result names the same
// result, for the conversion table.

#include <string>
#include <string_view>

// A unit text "mg/dL (fasting)": the part before the first '(' (with any
// blank before it) and the note after it up to the first ')' that follows (to
// the end when none follows).
struct UnitParts {
    std::u16string unit;
    std::u16string note;
};
UnitParts SplitUnit(std::u16string_view unit);

// The unit part without blanks at its ends, as a picture names its unit.
std::u16string UnitShown(std::u16string_view unit);

// The unit as compared: the text before a note in parentheses ("mg/dL
// (fasting)" is mg/dL), case-folded, without blanks, with the micro prefix in
// one spelling (µ, μ, u and mc alike). Equal keys are the same unit; an empty
// unit is a unit of its own.
std::u16string UnitKey(std::u16string_view unit);
bool SameUnit(std::u16string_view a, std::u16string_view b);

// A result name as the table looks it up: case-folded, without blanks and
// ASCII punctuation, and without a note in parentheses after a blank
// ("Glucose (fasting)" is Glucose, while "25(OH)D" keeps its letters).
std::u16string ResultNameKey(std::u16string_view name);
