#pragma once
// Results as CSV (RFC 4180): UTF-8 after a byte-order mark, so spreadsheets
// read it as UTF-8; one header row, one row per stored result.

#include "store/test_record_store.h"

#include <string>

// "2004-01-05".
std::string IsoDate(const SystemTime& date);
// The byte-order mark and the header row; lines end in CRLF.
std::string CsvHead();
// One record's row. `forTerminal` shows the fields' control characters
// escaped, for a person reading the rows on a terminal.
std::string CsvLine(const TestResult& result, bool forTerminal = false);
