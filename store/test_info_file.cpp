#include "store/test_info_file.h"

#include "platform/text.h"

#include <algorithm>
#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kChunkSize = 8192;
constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Unpaired surrogates become U+FFFD; pairs are kept.
std::u16string RepairSurrogates(const std::u16string& units) {
    std::u16string text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            text.push_back(unit);
            text.push_back(units[++i]);
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            text.push_back(kReplacement);
        } else {
            text.push_back(unit);
        }
    }
    return text;
}

}  // namespace

TestInfoFile::~TestInfoFile() { Close(); }

TestInfoFile::OpenResult TestInfoFile::Open(const std::filesystem::path& path) {
    Close();
    // Without blocking, so a pipe planted at the path cannot hang the start.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return OpenResult::Unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (file_ = ::fdopen(fd, "rb")) == nullptr) {
        ::close(fd);
        return OpenResult::Unreadable;
    }
    OpenResult result = OpenResult::Opened;
    if (static_cast<std::uintmax_t>(info.st_size) > kTestInfoMaxBytes) {
        result = OpenResult::TooLarge;
    } else if (!Rewind()) {
        result = OpenResult::Unreadable;
    } else {
        // Counting first refuses a file of too many lines before anything is stored.
        while (ScanLine(false)) {
        }
        if (tooLarge_) result = OpenResult::TooLarge;
        else if (failed_ || !Rewind()) result = OpenResult::Unreadable;
    }
    if (result != OpenResult::Opened) Close();
    return result;
}

void TestInfoFile::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    ResetReading();
}

void TestInfoFile::ResetReading() {
    encoding_ = Encoding::Utf8;
    buffer_.clear();
    position_ = 0;
    bytesRead_ = 0;
    linesRead_ = 0;
    failed_ = false;
    tooLarge_ = false;
    skipLineFeed_ = false;
    raw_.clear();
}

bool TestInfoFile::Rewind() {
    if (std::fseek(file_, 0, SEEK_SET) != 0) return false;
    ResetReading();
    unsigned char first = 0;
    if (!NextByte(first)) return !failed_;
    position_ = 0;
    const auto starts = [this](std::initializer_list<unsigned char> mark) {
        return buffer_.size() >= mark.size() && std::equal(mark.begin(), mark.end(), buffer_.begin());
    };
    if (starts({0xEF, 0xBB, 0xBF})) {
        position_ = 3;
    } else if (starts({0xFF, 0xFE})) {
        encoding_ = Encoding::Utf16Le;
        position_ = 2;
    } else if (starts({0xFE, 0xFF})) {
        encoding_ = Encoding::Utf16Be;
        position_ = 2;
    }
    return true;
}

bool TestInfoFile::NextByte(unsigned char& byte) {
    if (position_ == buffer_.size()) {
        if (!file_ || std::feof(file_) || failed_ || tooLarge_) return false;
        // One byte past the bound tells that the file is too large.
        const auto wanted = static_cast<std::size_t>(
            std::min<std::uintmax_t>(kChunkSize, kTestInfoMaxBytes + 1 - bytesRead_));
        buffer_.resize(wanted);
        buffer_.resize(std::fread(buffer_.data(), 1, wanted, file_));
        position_ = 0;
        bytesRead_ += buffer_.size();
        if (std::ferror(file_)) failed_ = true;
        if (bytesRead_ > kTestInfoMaxBytes) {
            tooLarge_ = true;
            buffer_.clear();
        }
        if (buffer_.empty()) return false;
    }
    byte = buffer_[position_++];
    return true;
}

bool TestInfoFile::NextUnit(char16_t& unit) {
    unsigned char first = 0, second = 0;
    if (!NextByte(first)) return false;
    if (encoding_ == Encoding::Utf8) {
        unit = first;
        return true;
    }
    if (!NextByte(second)) {
        unit = kReplacement;  // a lone last byte of a UTF-16 file
        return true;
    }
    unit = encoding_ == Encoding::Utf16Le ? static_cast<char16_t>(first | second << 8)
                                          : static_cast<char16_t>(first << 8 | second);
    return true;
}

bool TestInfoFile::ScanLine(bool keep) {
    if (!file_ || failed_ || tooLarge_) return false;
    // Enough raw units for one unit past the bound, so the cut is made on text.
    const std::size_t cap = encoding_ == Encoding::Utf8 ? 4 * (kTextMax + 1) : kTextMax + 1;
    raw_.clear();
    bool ended = false, started = false;
    char16_t unit = 0;
    while (!ended && NextUnit(unit)) {
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (unit == u'\n') continue;
        }
        if (unit == u'\n' || unit == u'\r') {
            skipLineFeed_ = unit == u'\r';
            ended = true;
        } else {
            started = true;
            if (keep && unit != 0 && raw_.size() < cap) raw_.push_back(unit);
        }
    }
    if (!ended && (failed_ || tooLarge_ || !started)) return false;
    if (++linesRead_ > kTestInfoMaxLines) {
        tooLarge_ = true;
        return false;
    }
    return true;
}

bool TestInfoFile::ReadLine(std::u16string& line) {
    if (!ScanLine(true)) return false;
    line = DecodeLine();
    return true;
}

std::u16string TestInfoFile::DecodeLine() const {
    std::u16string text;
    if (encoding_ == Encoding::Utf8) {
        std::string bytes;
        bytes.reserve(raw_.size());
        for (const char16_t unit : raw_) bytes.push_back(static_cast<char>(unit));
        text = Utf8ToText(bytes);
    } else {
        text = RepairSurrogates(raw_);
    }
    std::erase(text, u'\0');
    return BoundedText(text);
}
