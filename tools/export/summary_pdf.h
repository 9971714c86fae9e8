#pragma once
// A summary of one user's results to take to a doctor: for every test its
// latest results against their goals, the result before, and a year's trend.

#include <filesystem>
#include <string>
#include <string_view>

// Empty on success, else why not.
std::string WriteSummaryPdf(std::u16string_view user, const std::filesystem::path& file);
