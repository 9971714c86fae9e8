#pragma once
// Text the tool prints for a person at a terminal. Stored names and fields
// may hold control codes (from an imported file) that would retitle the
// terminal, move its cursor or forge a line; they are shown escaped instead.

#include <cstddef>
#include <string>
#include <string_view>

// `utf8` with every control character (C0, DEL, C1), bidirectional control
// and byte that is no UTF-8 shown as a visible escape: "\x1b", "\u202e",
// "\xff". Everything else is kept as it is.
std::string TerminalText(std::string_view utf8);

// The columns `utf8` takes on a terminal: East Asian wide characters count
// two, combining marks and zero-width characters none, an invalid byte one.
std::size_t DisplayWidth(std::string_view utf8);

// `utf8` followed by blanks up to `columns` display columns.
std::string PadToWidth(std::string_view utf8, std::size_t columns);
