#pragma once
// A result's four fields and the row "%s [ %s vs %s ] %s" that shows them.

#include <string>
#include <string_view>

struct ResultRow {
    std::u16string name, value, goal, unit;
    bool operator==(const ResultRow&) const = default;
};

std::u16string FormatResultRow(std::u16string_view name, std::u16string_view value,
                               std::u16string_view goal, std::u16string_view unit);
