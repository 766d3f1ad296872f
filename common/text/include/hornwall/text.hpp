#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "hornwall/number_text.hpp"

// Text as the programs show it to a person: quoted, cut to a readable length, and with
// every byte that a terminal could take for a control sequence written as \xNN.
namespace hornwall {

// The longest part of a name or a token that a message shows; a longer one is cut there
// and "..." follows.
inline constexpr std::size_t shown_bytes = 40;

// Appends `text` with every byte outside printable ASCII (below 0x20, 0x7f and above)
// written as \x and two lower-case hexadecimal digits.
void append_printable(std::string& out, std::string_view text);

// `text` as append_printable writes it.
std::string printable(std::string_view text);

// True when `a` and `b` are the same text but for the case of ASCII letters.
bool equal_ignoring_case(std::string_view a, std::string_view b);

// `text` without the blanks (spaces, not tabs) before and after it: a file name as typed.
std::string_view trim_blanks(std::string_view text);

// `text` in single quotes: 'RC1'.
std::string single_quoted(std::string_view text);

// `text` as printable writes it, in single quotes: a file name or an argument as a
// message shows it ('horn\x1b.zul').
std::string quoted_printable(std::string_view text);

// `text` in double quotes: "RC1".
std::string double_quoted(std::string_view text);

// The first shown_bytes bytes of `text`, followed by "..." when there are more.
std::string cut_to_shown(std::string_view text);

// A name as a message shows it: cut to shown_bytes, in single quotes: 'horn_exterior'.
std::string shown_name(std::string_view name);

}  // namespace hornwall
