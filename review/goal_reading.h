#pragma once
// How a result's value and goal texts are read as numbers and compared: one
// rule for the report, the graph, the summary and the import. A text that is
// not wholly a number (or a goal) gets no verdict.

#include "platform/number_text.h"

#include <optional>
#include <string>
#include <string_view>

// How one user's texts are read: the numbers of their desktop, and which half
// of a goal "A[B]" is theirs (B for a user stored as "Female").
struct ValueReading {
    NumberFormat numbers;
    bool female = false;
};
ValueReading ReadingFor(std::u16string_view user, const NumberFormat& numbers);

// A goal: one number, a range "3.5-5.0", or an open end "<100", "<=100",
// ">40", ">=40" (the open side infinite).
struct Goal {
    double low = 0, high = 0;
    bool lowIncluded = true, highIncluded = true;
    bool operator==(const Goal&) const = default;
};
// None unless the whole text is one of those forms, or "A[B]" whose half for
// the user is; a range's ends in order.
std::optional<Goal> ReadGoal(std::u16string_view goal, const ValueReading& reading);

enum class Verdict { Below, Within, Above, None };
Verdict Judge(double value, const Goal& goal);
// None when the value is not a number or the goal not a goal.
Verdict Judge(std::u16string_view value, std::u16string_view goal, const ValueReading& reading);

// A goal in the plain form (as the catalogue writes its goals) written as
// `numbers` writes numbers: "3.5-5.0" becomes "3,5-5,0" where the decimal
// separator is a comma. A text that is no goal in the plain form is kept.
std::u16string GoalInFormat(std::u16string_view plainGoal, const NumberFormat& numbers);
