#pragma once
// A summary of one user's results to take to a doctor: for every test its
// latest results against their goals, the result before, and a year's trend.

#include <string>
#include <string_view>

class QIODevice;

// The summary as a PDF into `out`. Empty on success, else why not.
std::string WriteSummaryPdf(std::u16string_view user, QIODevice& out);
