#pragma once
// CSV fields (RFC 4180) as the tool writes and reads them: a field is quoted
// when it holds the separator, a quote or a line break, and a quote inside a
// quoted field is doubled.
//
// A field that a spreadsheet would take for a formula (it starts with "=",
// "+", "-", "@", a tab or a carriage return and is not simply a signed
// number such as -0.5) is written after an apostrophe, which spreadsheets
// show as text; so is one that starts with apostrophes before such a text.
// Reading drops exactly that one apostrophe, so every text comes back as it
// was stored.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One field for a comma-separated file, in UTF-8.
std::string CsvField(std::u16string_view text);
// The text of a field as read from a file: the guarding apostrophe dropped.
std::string_view UnguardedField(std::string_view field);

// The separator a file's header line uses: a semicolon when it has one and no
// comma (as spreadsheets save where the comma is the decimal mark), else a comma.
char CsvSeparator(std::string_view text);

struct CsvRow {
    int line = 0;                     // where the row starts, counting from 1
    std::vector<std::string> fields;  // the first CsvBounds::fields of them
    std::size_t count = 0;            // how many the row has
    std::size_t longField = SIZE_MAX; // the field that passed CsvBounds::fieldBytes
};

struct CsvBounds {
    std::uint64_t fileBytes;
    std::size_t fieldBytes;
    std::size_t fields;  // kept of each row; the rest are only counted
};

// Reads the rows of an open file one by one, a block at a time, so memory
// stays the same whatever the file's size. Lines end in LF, CR LF or CR, also
// inside quoted fields, whose breaks are kept as they are. Blank lines are no
// rows.
class CsvReader {
public:
    CsvReader(int fd, const CsvBounds& bounds) : fd_(fd), bounds_(bounds) {}
    // The file's first line as far as it is read yet, before any row is taken.
    std::string_view Opening();
    // Passes over the first `bytes` of the file (a byte-order mark).
    void SkipOpening(std::size_t bytes) { at_ += bytes; }
    void SetSeparator(char separator) { separator_ = separator; }

    // False at the end, when reading failed (see Failed()), or on a row that is
    // no CSV (then `problem` says why and row.line is where that row starts).
    bool Next(CsvRow& row, std::string& problem);
    // The file could not be read (the system's error number), or it is longer
    // than the bound (EFBIG); 0 while neither.
    int Failed() const { return failed_; }

private:
    bool Fill();
    int Peek() { return at_ < size_ || Fill() ? static_cast<unsigned char>(block_[at_]) : -1; }
    bool AtLineEnd() { const int c = Peek(); return c == '\n' || c == '\r'; }
    void SkipLineEnd();
    bool ReadField(std::string& field, std::string& problem);

    int fd_;
    CsvBounds bounds_;
    char separator_ = ',';
    std::string block_;
    std::size_t at_ = 0, size_ = 0;
    std::uint64_t read_ = 0;
    bool ended_ = false;
    int failed_ = 0;
    int line_ = 1;
};
