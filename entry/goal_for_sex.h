#pragma once
// A catalogued "resultvalue" text is one value for everyone, or A[B]: A for
// users who are not "Female", B for "Female" users.

#include <string>
#include <string_view>

struct GoalChoices {
    std::u16string general;  // A: for every user who is not "Female"
    std::u16string female;   // B
};

// B runs from the first '[' to the first ']' after it, or to the end without one.
GoalChoices SplitGoalChoices(std::u16string_view resultValue);

// The choice that fits the stored sex of `user`; a user without a patient
// record counts as not "Female".
std::u16string GoalForUser(std::u16string_view user, const GoalChoices& choices);
