#pragma once
// Text rules shared by every window and store: UTF-16 texts, bounded copies,
// the number readings and Unicode case-insensitive matching.

#include <cstddef>
#include <string>
#include <string_view>

// Texts that pass between windows and stores hold at most this many code units.
inline constexpr std::size_t kTextMax = 1023;

// Where to cut `text` to at most `length` code units without splitting a surrogate pair.
std::size_t CutPoint(std::u16string_view text, std::size_t length);
// A copy cut to kTextMax code units; never ends in the first half of a surrogate pair.
std::u16string BoundedText(std::u16string_view text);

// Decimal integer reading: leading blanks, an optional sign, then the digits up
// to the first other character; 0 when there are none. Saturates at the int range.
int TextToInt(std::u16string_view text);

std::u16string IntToText(long long value);

// UTF-8 <-> UTF-16. Invalid input becomes U+FFFD, never a crash.
std::u16string Utf8ToText(std::string_view utf8);
std::string TextToUtf8(std::u16string_view text);

// Case folding of every Unicode letter (Ä and ä match), independent of the process locale.
std::u16string FoldCase(std::u16string_view text);
// Orders by folded code points; 0 when equal ignoring case.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
// Orders by code points (not code units); texts already folded with FoldCase then
// order exactly as CompareNoCase orders the originals.
int CompareCodePoints(std::u16string_view a, std::u16string_view b);

// The text with each line break (LF, CR, or a CR LF pair) made one blank, as
// pasted text reads in a one-line field. Not bounded.
std::u16string LineBreaksToBlanks(std::u16string_view text);
// The text as a one-line field holds it: line breaks made blanks, bounded.
std::u16string OneLine(std::u16string_view text);
