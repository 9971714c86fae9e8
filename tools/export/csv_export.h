#pragma once
// Results as CSV (RFC 4180): UTF-8, one header row, one row per stored result.

#include "store/test_record_store.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// "2004-01-05".
std::string IsoDate(const SystemTime& date);
// The header row, then one row per record; lines end in CRLF.
void WriteCsvHeader(std::ostream& out);
void WriteCsvRow(const TestResult& result, std::ostream& out);
