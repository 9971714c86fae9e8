#pragma once
// The result row "%s [ %s vs %s ] %s" (name, value, goal, unit) and its splitting back.

#include <string>
#include <string_view>

struct ResultRow {
    std::u16string name, value, goal, unit;
    bool operator==(const ResultRow&) const = default;
};

std::u16string FormatResultRow(std::u16string_view name, std::u16string_view value,
                               std::u16string_view goal, std::u16string_view unit);
// Name before the first '[' less the blank before it; value after "[ " up to the
// first "vs" less the character before it; goal after "vs " up to the first ']'
// less the character before it; unit after "] " to the end.
ResultRow SplitResultRow(std::u16string_view row);
