#include "tools/export/csv_fields.h"

#include "platform/text.h"

#include <cerrno>
#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 1 << 16;

// "-0.5", "+3", "12,5": a spreadsheet reads these as the numbers they are.
bool IsSignedNumber(std::string_view s) {
    std::size_t at = s.find_first_not_of("+-") == 1 ? 1 : 0;
    const std::size_t whole = s.find_first_not_of("0123456789", at);
    if (whole == at) return false;
    if (whole == std::string_view::npos) return true;
    if (s[whole] != '.' && s[whole] != ',') return false;
    at = whole + 1;
    return at < s.size() && s.find_first_not_of("0123456789", at) == std::string_view::npos;
}

// Whether a spreadsheet would run `s` (after any apostrophes) as a formula.
bool NeedsGuard(std::string_view s) {
    const std::size_t first = s.find_first_not_of('\'');
    if (first == std::string_view::npos) return false;
    const std::string_view rest = s.substr(first);
    return std::string_view("=+-@\t\r").find(rest[0]) != std::string_view::npos && !IsSignedNumber(rest);
}

}  // namespace

std::string CsvField(std::u16string_view text) {
    std::string utf8 = TextToUtf8(text);
    if (NeedsGuard(utf8)) utf8.insert(0, 1, '\'');
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string_view UnguardedField(std::string_view field) {
    return field.starts_with('\'') && NeedsGuard(field.substr(1)) ? field.substr(1) : field;
}

char CsvSeparator(std::string_view text) {
    std::string_view header = text.substr(0, text.find_first_of("\r\n"));
    return header.find(';') != std::string_view::npos && header.find(',') == std::string_view::npos ? ';' : ',';
}

bool CsvReader::Fill() {
    if (at_ < size_) return true;
    while (!ended_ && failed_ == 0) {
        if (block_.empty()) block_.resize(kBlock);
        const ssize_t got = ::read(fd_, block_.data(), block_.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            failed_ = errno;
        } else if (got == 0) {
            ended_ = true;
        } else {
            read_ += static_cast<std::uint64_t>(got);
            if (read_ > bounds_.fileBytes) {
                failed_ = EFBIG;
                break;
            }
            at_ = 0;
            size_ = static_cast<std::size_t>(got);
            return true;
        }
    }
    return false;
}

std::string_view CsvReader::Opening() {
    Fill();
    const std::string_view read(block_.data() + at_, size_ - at_);
    return read.substr(0, read.find_first_of("\r\n"));
}

void CsvReader::SkipLineEnd() {
    if (Peek() == '\r') {
        ++at_;
        if (Peek() == '\n') ++at_;
    } else {
        ++at_;
    }
    ++line_;
}

bool CsvReader::ReadField(std::string& field, std::string& problem) {
    field.clear();
    auto append = [&](char c) {
        field += c;
        if (field.size() <= bounds_.fieldBytes) return true;
        problem = "a field is longer than " + std::to_string(bounds_.fieldBytes) + " bytes";
        return false;
    };
    if (Peek() != '"') {
        for (int c; (c = Peek()) >= 0 && c != separator_ && c != '\n' && c != '\r'; ++at_)
            if (!append(static_cast<char>(c))) return false;
        return true;
    }
    ++at_;
    for (;;) {
        int c = Peek();
        if (c < 0) {
            if (failed_ == 0) problem = "a quoted field is never closed";
            return false;
        }
        ++at_;
        if (c == '"') {
            if (Peek() != '"') break;
            ++at_;  // a doubled quote is one
        } else if (c == '\r' && Peek() == '\n') {
            if (!append('\r')) return false;
            ++at_;
            c = '\n';
            ++line_;
        } else if (c == '\r' || c == '\n') {
            ++line_;
        }
        if (!append(static_cast<char>(c))) return false;
    }
    const int after = Peek();
    if (after >= 0 && after != separator_ && after != '\n' && after != '\r') {
        problem = "text after the closing quote of a field";
        return false;
    }
    return failed_ == 0;
}

bool CsvReader::Next(CsvRow& row, std::string& problem) {
    while (AtLineEnd()) SkipLineEnd();
    if (Peek() < 0) return false;
    row.line = line_;
    row.fields.clear();
    row.count = 0;
    row.longField = SIZE_MAX;
    std::string field;
    for (;;) {
        if (!ReadField(field, problem)) {
            if (field.size() > bounds_.fieldBytes) row.longField = row.count;
            return false;
        }
        if (row.fields.size() < bounds_.fields) row.fields.push_back(field);
        ++row.count;
        if (Peek() < 0) return failed_ == 0;
        if (AtLineEnd()) {
            SkipLineEnd();
            return true;
        }
        ++at_;  // the separator
    }
}
