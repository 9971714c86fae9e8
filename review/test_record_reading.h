#pragma once
// Reading test records straight from "Health Profiles List", for the report
// and the graph, which need the stored texts rather than the store's integers.

#include "platform/datetime.h"

#include <optional>
#include <string>
#include <string_view>

class PropertyRecord;

// A string property of a record; empty when the record lacks it.
std::u16string RecordText(const PropertyRecord& record, unsigned short id);
// The record's test date as a calendar record; all fields 0 when it has none.
SystemTime RecordDate(const PropertyRecord& record);

struct ResultTexts {
    std::u16string value;
    std::u16string goal;
    std::u16string unit;
};
// The value, goal and unit texts of one result's record; nothing when it is not stored.
std::optional<ResultTexts> ReadResultTexts(std::u16string_view user, std::u16string_view test,
                                           std::u16string_view result, const SystemTime& date);
