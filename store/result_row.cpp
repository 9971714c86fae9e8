#include "store/result_row.h"

#include "platform/text.h"

std::u16string FormatResultRow(std::u16string_view name, std::u16string_view value, std::u16string_view goal,
                               std::u16string_view unit) {
    std::u16string row;
    row.reserve(name.size() + value.size() + goal.size() + unit.size() + 12);
    row.append(name).append(u" [ ").append(value).append(u" vs ").append(goal).append(u" ] ").append(unit);
    return row;
}

namespace {

// The text from `start` up to `end`, without the one character in front of `end`;
// empty when nothing is left.
std::u16string_view Before(std::u16string_view row, std::size_t start, std::size_t end) {
    if (end == std::u16string_view::npos) return row.substr(start);
    return end > start ? row.substr(start, end - 1 - start) : std::u16string_view();
}

}  // namespace

// A row that lacks a part gives the rest of the row to the field being read
// and leaves the later fields empty.
ResultRow SplitResultRow(std::u16string_view row) {
    ResultRow result;
    std::size_t open = row.find(u'[');
    if (open == std::u16string_view::npos) {
        result.name = BoundedText(row);
        return result;
    }
    result.name = BoundedText(open > 0 ? row.substr(0, open - 1) : std::u16string_view());
    std::size_t valueStart = std::min(open + 2, row.size());
    std::size_t versus = row.find(u"vs", valueStart);
    result.value = BoundedText(Before(row, valueStart, versus));
    if (versus == std::u16string_view::npos) return result;
    std::size_t goalStart = std::min(versus + 3, row.size());
    std::size_t close = row.find(u']', goalStart);
    result.goal = BoundedText(Before(row, goalStart, close));
    if (close == std::u16string_view::npos) return result;
    result.unit = BoundedText(row.substr(std::min(close + 2, row.size())));
    return result;
}
