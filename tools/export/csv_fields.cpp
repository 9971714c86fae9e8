#include "tools/export/csv_fields.h"

#include "platform/text.h"

std::string CsvField(std::u16string_view text) {
    std::string utf8 = TextToUtf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

char CsvSeparator(std::string_view text) {
    std::string_view header = text.substr(0, text.find_first_of("\r\n"));
    return header.find(';') != std::string_view::npos && header.find(',') == std::string_view::npos ? ';' : ',';
}

bool CsvReader::AtLineEnd() const { return at_ < text_.size() && (text_[at_] == '\n' || text_[at_] == '\r'); }

void CsvReader::SkipLineEnd() {
    if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n') ++at_;
    ++at_;
    ++line_;
}

bool CsvReader::Next(CsvRow& row, std::string& problem) {
    while (AtLineEnd()) SkipLineEnd();
    if (at_ >= text_.size()) return false;
    row.line = line_;
    row.fields.clear();
    for (;;) {
        std::string field;
        if (at_ < text_.size() && text_[at_] == '"') {
            ++at_;
            for (;;) {
                if (at_ >= text_.size()) {
                    problem = "a quoted field is never closed";
                    return false;
                }
                if (text_[at_] == '"') {
                    ++at_;
                    if (at_ >= text_.size() || text_[at_] != '"') break;
                    field += '"';
                    ++at_;
                } else if (AtLineEnd()) {
                    const std::size_t from = at_;
                    SkipLineEnd();  // counts the line
                    field.append(text_.substr(from, at_ - from));
                } else {
                    field += text_[at_++];
                }
            }
            if (at_ < text_.size() && text_[at_] != separator_ && !AtLineEnd()) {
                problem = "text after the closing quote of a field";
                return false;
            }
        } else {
            while (at_ < text_.size() && text_[at_] != separator_ && !AtLineEnd()) field += text_[at_++];
        }
        row.fields.push_back(std::move(field));
        if (at_ >= text_.size()) return true;
        if (AtLineEnd()) {
            SkipLineEnd();
            return true;
        }
        ++at_;  // the separator
    }
}
