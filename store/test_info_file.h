#pragma once
// Reads the test information file one line at a time, streaming: only the
// current line is held. Accepts UTF-8 with or without a byte-order mark and
// UTF-16 LE or BE with one; lines end in LF, CRLF or a lone CR.

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

class TestInfoFile {
public:
    TestInfoFile() = default;
    ~TestInfoFile();
    TestInfoFile(const TestInfoFile&) = delete;
    TestInfoFile& operator=(const TestInfoFile&) = delete;

    // False when the path is not a regular file that can be read.
    bool Open(const std::filesystem::path& path);
    void Close();

    // The next line without its line end: invalid sequences become U+FFFD, NUL
    // characters are dropped, and a line longer than the bounded text length is
    // read whole and returned cut. False at the end of the file or after a read error.
    bool ReadLine(std::u16string& line);
    // True when reading stopped on an error rather than at the end of the file.
    bool Failed() const { return failed_; }

private:
    enum class Encoding { Utf8, Utf16Le, Utf16Be };

    bool NextByte(unsigned char& byte);
    // One byte (UTF-8) or one code unit (UTF-16); false at the end.
    bool NextUnit(char16_t& unit);
    std::u16string DecodeLine() const;

    std::FILE* file_ = nullptr;
    Encoding encoding_ = Encoding::Utf8;
    std::vector<unsigned char> buffer_;
    std::size_t position_ = 0;
    bool failed_ = false;
    bool skipLineFeed_ = false;  // the last line ended in CR: a following LF belongs to it
    std::u16string raw_;         // the current line's bytes or code units, capped
};
