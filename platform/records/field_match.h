#pragma once
// A lookup among the records of one exact sort text, on the lookup columns
// the database keeps (LookupColumns): each field given narrows it.

#include "platform/datetime.h"

#include <optional>
#include <string>
#include <utility>

struct FieldMatch {
    std::u16string exact;
    std::optional<std::u16string> test;                 // the test is this text
    std::optional<std::pair<FileTime, FileTime>> date;  // the date is a time within [from, to]
    std::optional<std::u16string> result;               // the result is this text
};
