#include "review/goal_reading.h"

#include "platform/text.h"

double ReadResultValue(std::u16string_view value) { return TextToReal(value); }

GoalReading ReadGoal(std::u16string_view goal) {
    std::size_t used = 0;
    GoalReading reading;
    reading.low = TextToReal(goal, &used);
    // The separator is whatever follows the number, normally '-'.
    const std::size_t rest = used + 1;
    if (rest < goal.size()) {
        reading.range = true;
        reading.high = TextToReal(goal.substr(rest));
    } else {
        reading.high = reading.low;
    }
    return reading;
}
