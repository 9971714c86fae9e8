#pragma once
// CSV fields (RFC 4180) as the tool writes and reads them: a field is quoted
// when it holds the separator, a quote or a line break, and a quote inside a
// quoted field is doubled.

#include <string>
#include <string_view>
#include <vector>

// One field for a comma-separated file, in UTF-8.
std::string CsvField(std::u16string_view text);

// The separator a file's header line uses: a semicolon when it has one and no
// comma (as spreadsheets save where the comma is the decimal mark), else a comma.
char CsvSeparator(std::string_view text);

struct CsvRow {
    int line = 0;  // where the row starts, counting from 1
    std::vector<std::string> fields;
};

// Reads the rows of a file's text one by one; lines end in LF, CR LF or CR,
// also inside quoted fields, whose breaks are kept as they are. Blank lines are
// no rows.
class CsvReader {
public:
    CsvReader(std::string_view text, char separator) : text_(text), separator_(separator) {}
    // False at the end, or on a row that is no CSV (then `problem` says why and
    // row.line is where that row starts).
    bool Next(CsvRow& row, std::string& problem);

private:
    bool AtLineEnd() const;
    void SkipLineEnd();

    std::string_view text_;
    char separator_;
    std::size_t at_ = 0;
    int line_ = 1;
};
