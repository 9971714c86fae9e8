#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A blank, or the no-break spaces some languages group digits with.
bool IsSpaceLike(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u202F'; }

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && IsSpaceLike(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpaceLike(text.back())) text.remove_suffix(1);
    return text;
}

// The whole of `text` as one number with these separators (group 0: none).
// Where the group separator is a space, any space groups, as people type one.
std::optional<double> ReadWhole(std::u16string_view text, char16_t decimal, char16_t group) {
    const auto isGroup = [&](char16_t c) {
        return group != 0 && group != decimal && (c == group || (IsSpaceLike(group) && IsSpaceLike(c)));
    };
    std::string ascii;
    std::size_t pos = 0;
    const std::size_t end = text.size();
    if (pos < end && (text[pos] == u'+' || text[pos] == u'-' || text[pos] == u'\u2212')) {
        if (text[pos] != u'+') ascii += '-';
        ++pos;
    }
    std::size_t digits = 0;
    std::size_t run = 0;  // digits since the last group separator
    bool grouped = false;
    while (pos < end) {
        if (IsDigit(text[pos])) {
            ascii += static_cast<char>(text[pos++]);
            ++digits;
            ++run;
        } else if (isGroup(text[pos]) && run > 0 && (grouped ? run == 3 : run <= 3)) {
            grouped = true;
            run = 0;
            ++pos;
        } else {
            break;
        }
    }
    if (grouped && run != 3) return std::nullopt;
    if (pos < end && text[pos] == decimal) {
        ascii += '.';
        const std::size_t before = digits;
        for (++pos; pos < end && IsDigit(text[pos]); ++pos, ++digits) ascii += static_cast<char>(text[pos]);
        if (digits == before) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    if (pos < end && (text[pos] == u'e' || text[pos] == u'E')) {
        ascii += 'e';
        ++pos;
        if (pos < end && (text[pos] == u'+' || text[pos] == u'-')) {
            if (text[pos] == u'-') ascii += '-';
            ++pos;
        }
        const std::size_t before = ascii.size();
        for (; pos < end && IsDigit(text[pos]); ++pos) ascii += static_cast<char>(text[pos]);
        if (ascii.size() == before) return std::nullopt;
    }
    if (pos != end) return std::nullopt;
    double value = 0;
    const auto [stop, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || stop != ascii.data() + ascii.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::u16string WithDecimal(const char* ascii, const char* end, const NumberFormat& format) {
    std::u16string text;
    for (const char* c = ascii; c != end; ++c) text += *c == '.' ? format.decimal : static_cast<char16_t>(*c);
    return text;
}

}  // namespace

std::optional<double> ReadNumber(std::u16string_view text, const NumberFormat& format) {
    text = Trimmed(text);
    if (std::optional<double> value = ReadWhole(text, format.decimal, format.group)) return value;
    return ReadWhole(text, u'.', 0);
}

std::u16string FixedNumberText(double value, int decimals, const NumberFormat& format) {
    char ascii[400];  // the largest double with its decimals fits
    const auto result = std::to_chars(ascii, ascii + sizeof ascii, value, std::chars_format::fixed, decimals);
    return WithDecimal(ascii, result.ptr, format);
}

std::u16string ShortNumberText(double value, const NumberFormat& format) {
    char ascii[64];
    const auto result = std::to_chars(ascii, ascii + sizeof ascii, value, std::chars_format::general, 10);
    return WithDecimal(ascii, result.ptr, format);
}
