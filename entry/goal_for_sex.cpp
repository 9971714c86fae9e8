#include "entry/goal_for_sex.h"

#include "store/patient_store.h"

GoalChoices SplitGoalChoices(std::u16string_view resultValue) {
    const std::size_t open = resultValue.find(u'[');
    if (open == std::u16string_view::npos) {
        return {std::u16string(resultValue), std::u16string(resultValue)};
    }
    const std::u16string_view rest = resultValue.substr(open + 1);
    return {std::u16string(resultValue.substr(0, open)), std::u16string(rest.substr(0, rest.find(u']')))};
}

std::u16string GoalForUser(std::u16string_view user, const GoalChoices& choices) {
    std::u16string sex;
    GetPatientSex(user, sex);
    // Exact and case-sensitive: any other stored text takes the general goal.
    return sex == u"Female" ? choices.female : choices.general;
}
