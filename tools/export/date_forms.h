#pragma once
// The date forms the tool reads, on its command line and in imported files.

#include "platform/datetime.h"

#include <optional>
#include <string_view>

// Named in help texts and in every complaint about a date.
inline constexpr const char* kDateForms = "YYYY-MM-DD or M/D/YYYY";

// "2024-03-01" or "3/1/2024"; empty when the text is neither or names no day
// the program can store.
std::optional<SystemTime> ReadDateForm(std::string_view text);
