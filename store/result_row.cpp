#include "store/result_row.h"

std::u16string FormatResultRow(std::u16string_view name, std::u16string_view value, std::u16string_view goal,
                               std::u16string_view unit) {
    std::u16string row;
    row.reserve(name.size() + value.size() + goal.size() + unit.size() + 12);
    row.append(name).append(u" [ ").append(value).append(u" vs ").append(goal).append(u" ] ").append(unit);
    return row;
}
