#pragma once

// The character classes of the object files, shared by the block reader and the
// expression parser so that both split and name text the same way.
namespace hornwall {

// True for the blanks that may stand between tokens: space, tab, carriage return, line
// feed and form feed.
constexpr bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// True for a decimal digit, 0 to 9.
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// True for a character that may start a name: an ASCII letter or '_'.
constexpr bool is_name_start(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// True for a character that may stand inside a name: a letter, '_' or a digit.
constexpr bool is_name_char(char c) { return is_name_start(c) || is_digit(c); }

}  // namespace hornwall
