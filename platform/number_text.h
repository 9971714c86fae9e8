#pragma once
// Numbers as a person writes them: in the language of their desktop (its
// decimal and group separators) or in the plain form "5.4". A text is a
// number only when the whole of it is one; "12 (repeat)" is none.

#include <optional>
#include <string>
#include <string_view>

struct NumberFormat {
    char16_t decimal = u'.';
    char16_t group = u'\0';  // none
    bool operator==(const NumberFormat&) const = default;
};

// "5.4", without group separators: what every desktop also reads.
inline constexpr NumberFormat kPlainNumbers{};

// `text` read as one finite number, blanks around it allowed: first as `format`
// writes numbers (groups of three digits between its group separators), and
// when that fails in the plain form. None when neither reads all of it.
std::optional<double> ReadNumber(std::u16string_view text, const NumberFormat& format);

// `value` with exactly `decimals` decimals, as `format` writes it (no group separators).
std::u16string FixedNumberText(double value, int decimals, const NumberFormat& format);
// `value` with up to ten significant digits and no trailing zeros ("5.5", "1e+308").
std::u16string ShortNumberText(double value, const NumberFormat& format);
