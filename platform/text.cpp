#include "platform/text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <locale.h>
#include <wctype.h>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The blanks the platform's number readings skip.
bool IsBlank(char16_t unit) { return unit == u' ' || (unit >= u'\t' && unit <= u'\r'); }
bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// One code point from `text` at `pos`, advancing `pos`; a lone surrogate is
// returned as itself so that folding leaves it alone.
char32_t NextCodePoint(std::u16string_view text, std::size_t& pos) {
    char16_t unit = text[pos++];
    if (IsHighSurrogate(unit) && pos < text.size() && IsLowSurrogate(text[pos])) {
        char16_t low = text[pos++];
        return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
    }
    return unit;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(char16_t(cp));
    } else {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    }
}

// glibc's C.UTF-8 carries the full Unicode case tables whatever the process locale is.
locale_t UnicodeLocale() {
    static locale_t locale = [] {
        locale_t l = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(0));
        return l ? l : newlocale(LC_ALL_MASK, "C", locale_t(0));
    }();
    return locale;
}

char32_t FoldCodePoint(char32_t cp) {
    if (cp < 0x80) return (cp >= U'A' && cp <= U'Z') ? cp + 32 : cp;
    if (cp >= 0xD800 && cp <= 0xDFFF) return cp;
    locale_t locale = UnicodeLocale();
    return char32_t(towlower_l(towupper_l(wint_t(cp), locale), locale));
}

bool IsAscii(std::u16string_view text) {
    for (char16_t unit : text)
        if (unit >= 0x80) return false;
    return true;
}

char16_t FoldAscii(char16_t unit) { return (unit >= u'A' && unit <= u'Z') ? unit + 32 : unit; }

int Sign(long long value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

}  // namespace

std::size_t CutPoint(std::u16string_view text, std::size_t length) {
    if (text.size() <= length) return text.size();
    if (length > 0 && IsHighSurrogate(text[length - 1])) --length;
    return length;
}

std::u16string BoundedText(std::u16string_view text) {
    return std::u16string(text.substr(0, CutPoint(text, kTextMax)));
}

int TextToInt(std::u16string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) negative = text[pos++] == u'-';
    // Accumulated as a negative number so INT_MIN is reachable without overflow.
    long long value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        value = value * 10 - (text[pos] - u'0');
        if (value < -static_cast<long long>(INT_MAX) - 1) return negative ? INT_MIN : INT_MAX;
    }
    if (negative) return static_cast<int>(value);
    return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

std::u16string IntToText(long long value) {
    std::u16string digits;
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        digits.insert(digits.begin(), char16_t(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits.insert(digits.begin(), u'-');
    return digits;
}

std::u16string Utf8ToText(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++pos;
            continue;
        }
        int extra = 0;
        char32_t cp = 0, minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            out.push_back(char16_t(kReplacement));
            ++pos;
            continue;
        }
        std::size_t next = pos + 1;
        bool valid = true;
        for (int i = 0; i < extra; ++i, ++next) {
            if (next >= utf8.size() || (static_cast<unsigned char>(utf8[next]) & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[next]) & 0x3F);
        }
        if (!valid || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(char16_t(kReplacement));
            pos = valid ? next : pos + 1;
            continue;
        }
        AppendCodePoint(out, cp);
        pos = next;
    }
    return out;
}

std::string TextToUtf8(std::u16string_view text) {
    std::string out;
    // Most texts are ASCII, unit for byte: the export writes millions of them.
    if (IsAscii(text)) {
        out.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(text[i]);
        return out;
    }
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = NextCodePoint(text, pos);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = kReplacement;
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    if (IsAscii(text)) {
        for (char16_t unit : text) out.push_back(FoldAscii(unit));
        return out;
    }
    std::size_t pos = 0;
    while (pos < text.size()) AppendCodePoint(out, FoldCodePoint(NextCodePoint(text, pos)));
    return out;
}

int CompareCodePoints(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // Equal units are equal code points unless they begin a pair.
        if (a[i] == b[j] && !IsHighSurrogate(a[i])) {
            ++i, ++j;
            continue;
        }
        std::size_t ia = i, jb = j;
        char32_t x = NextCodePoint(a, ia), y = NextCodePoint(b, jb);
        if (x != y) return x < y ? -1 : 1;
        i = ia, j = jb;
    }
    return Sign(static_cast<long long>(a.size() - i) - static_cast<long long>(b.size() - j));
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j] && !IsHighSurrogate(a[i])) {
            ++i, ++j;
            continue;
        }
        char32_t x, y;
        if (a[i] < 0x80 && b[j] < 0x80) {
            x = FoldAscii(a[i++]);
            y = FoldAscii(b[j++]);
        } else {
            x = FoldCodePoint(NextCodePoint(a, i));
            y = FoldCodePoint(NextCodePoint(b, j));
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return Sign(static_cast<long long>(a.size() - i) - static_cast<long long>(b.size() - j));
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) { return CompareNoCase(a, b) == 0; }

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    std::size_t i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        if (FoldCodePoint(NextCodePoint(text, i)) != FoldCodePoint(NextCodePoint(prefix, j))) return false;
    }
    return true;
}

std::u16string LineBreaksToBlanks(std::u16string_view text) {
    std::u16string joined;
    joined.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        joined += text[i] == u'\r' || text[i] == u'\n' ? u' ' : text[i];
    }
    return joined;
}

std::u16string OneLine(std::u16string_view text) {
    return BoundedText(LineBreaksToBlanks(text));
}
