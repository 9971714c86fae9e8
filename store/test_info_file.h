#pragma once
// Reads the test information file one line at a time, streaming: only the
// current line is held. Accepts UTF-8 with or without a byte-order mark and
// UTF-16 LE or BE with one; lines end in LF, CRLF or a lone CR.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// The largest file the import reads, in bytes and in lines. Far above any real
// catalogue (the shipped one is 56 KB in 834 lines), yet small enough that a
// hostile or mistaken file cannot hold up the first run: every line stores a
// record, so lines bound the work. A block takes at least ten lines, which
// bounds the tests at 20,000.
inline constexpr std::uintmax_t kTestInfoMaxBytes = 8 * 1024 * 1024;
inline constexpr std::size_t kTestInfoMaxLines = 200'000;

class TestInfoFile {
public:
    enum class OpenResult {
        Opened,
        Unreadable,  // missing, not a regular file, or cannot be read
        TooLarge,    // beyond kTestInfoMaxBytes or kTestInfoMaxLines
    };

    TestInfoFile() = default;
    ~TestInfoFile();
    TestInfoFile(const TestInfoFile&) = delete;
    TestInfoFile& operator=(const TestInfoFile&) = delete;

    // Checks the whole file against the bounds before the first line is handed out.
    OpenResult Open(const std::filesystem::path& path);
    void Close();

    // The next line without its line end: invalid sequences become U+FFFD, NUL
    // characters are dropped, and a line longer than the bounded text length is
    // read whole and returned cut. False at the end of the file, after a read
    // error, or past the bounds.
    bool ReadLine(std::u16string& line);
    // True when reading stopped on an error rather than at the end of the file.
    bool Failed() const { return failed_; }
    // True when reading stopped at the bounds (the file grew since it was opened).
    bool TooLarge() const { return tooLarge_; }

private:
    enum class Encoding { Utf8, Utf16Le, Utf16Be };

    void ResetReading();
    // Back to the first line: reads the first chunk and its byte-order mark.
    bool Rewind();
    bool NextByte(unsigned char& byte);
    // One byte (UTF-8) or one code unit (UTF-16); false at the end.
    bool NextUnit(char16_t& unit);
    // Reads past the next line, keeping its units in raw_ when `keep`; false at the end.
    bool ScanLine(bool keep);
    std::u16string DecodeLine() const;

    std::FILE* file_ = nullptr;
    Encoding encoding_ = Encoding::Utf8;
    std::vector<unsigned char> buffer_;
    std::size_t position_ = 0;
    std::uintmax_t bytesRead_ = 0;
    std::size_t linesRead_ = 0;
    bool failed_ = false;
    bool tooLarge_ = false;
    bool skipLineFeed_ = false;  // the last line ended in CR: a following LF belongs to it
    std::u16string raw_;         // the current line's bytes or code units, capped
};
