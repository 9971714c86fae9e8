#pragma once
// Files made with the program's own texts and drawing: a test report as PDF
// and a results graph as PNG or PDF.

#include "platform/datetime.h"

#include <filesystem>
#include <string>
#include <string_view>

// The report of `user`'s test on `day` as the Test Report screen lists it.
// Empty on success, else why not.
std::string WriteReportPdf(std::u16string_view user, std::u16string_view test, const SystemTime& day,
                           const std::filesystem::path& file);

// The Results Graph of one result over `period` days (negative: every date),
// as a bar or line chart; a ".pdf" file gets the picture on a page, any other
// name a PNG image. Empty on success, else why not.
std::string WriteGraphFile(std::u16string_view user, std::u16string_view test, std::u16string_view result,
                           int period, std::u16string_view type, const std::filesystem::path& file);
