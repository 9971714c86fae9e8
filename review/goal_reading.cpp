#include "review/goal_reading.h"

#include "store/patient_store.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kOpen = std::numeric_limits<double>::infinity();

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

struct OpenEnd {
    std::u16string_view sign;
    bool below, included;
};
// Longer signs first, so that "<=" is not read as "<" before "=100".
constexpr OpenEnd kOpenEnds[] = {{u"<=", true, true}, {u">=", false, true}, {u"\u2264", true, true},
                                 {u"\u2265", false, true}, {u"<", true, false}, {u">", false, false}};

bool IsDash(char16_t c) { return c == u'-' || c == u'\u2013'; }

// One goal without brackets.
std::optional<Goal> ReadPlainGoal(std::u16string_view text, const NumberFormat& numbers) {
    text = Trimmed(text);
    if (text.empty()) return std::nullopt;
    for (const OpenEnd& end : kOpenEnds) {
        if (!text.starts_with(end.sign)) continue;
        const std::optional<double> bound = ReadNumber(text.substr(end.sign.size()), numbers);
        if (!bound) return std::nullopt;
        return end.below ? Goal{-kOpen, *bound, true, end.included} : Goal{*bound, kOpen, end.included, true};
    }
    if (const std::optional<double> single = ReadNumber(text, numbers)) return Goal{*single, *single};
    // A dash past the first character parts the ends; the first may be a minus sign.
    for (std::size_t dash = 1; dash + 1 < text.size(); ++dash) {
        if (!IsDash(text[dash])) continue;
        const std::optional<double> low = ReadNumber(text.substr(0, dash), numbers);
        const std::optional<double> high = ReadNumber(text.substr(dash + 1), numbers);
        if (low && high && *low <= *high) return Goal{*low, *high};
    }
    return std::nullopt;
}

}  // namespace

ValueReading ReadingFor(std::u16string_view user, const NumberFormat& numbers) {
    std::u16string sex;
    GetPatientSex(user, sex);
    return {numbers, sex == u"Female"};
}

std::optional<Goal> ReadGoal(std::u16string_view goal, const ValueReading& reading) {
    const std::size_t open = goal.find(u'[');
    if (open == std::u16string_view::npos) return ReadPlainGoal(goal, reading.numbers);
    const std::size_t close = goal.find(u']', open);
    if (close == std::u16string_view::npos || !Trimmed(goal.substr(close + 1)).empty()) return std::nullopt;
    const std::u16string_view half = reading.female ? goal.substr(open + 1, close - open - 1) : goal.substr(0, open);
    if (half.find_first_of(u"[]") != std::u16string_view::npos) return std::nullopt;
    return ReadPlainGoal(half, reading.numbers);
}

Verdict Judge(double value, const Goal& goal) {
    if (value < goal.low || (value == goal.low && !goal.lowIncluded)) return Verdict::Below;
    if (value > goal.high || (value == goal.high && !goal.highIncluded)) return Verdict::Above;
    return Verdict::Within;
}

Verdict Judge(std::u16string_view value, std::u16string_view goal, const ValueReading& reading) {
    const std::optional<double> number = ReadNumber(value, reading.numbers);
    const std::optional<Goal> range = ReadGoal(goal, reading);
    return number && range ? Judge(*number, *range) : Verdict::None;
}

std::u16string GoalInFormat(std::u16string_view plainGoal, const NumberFormat& numbers) {
    std::u16string text(plainGoal);
    if (numbers.decimal == u'.' || !ReadPlainGoal(text, kPlainNumbers)) return text;
    for (char16_t& c : text)
        if (c == u'.') c = numbers.decimal;
    return text;
}
