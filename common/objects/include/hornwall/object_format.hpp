#pragma once

#include <string_view>

// The text form of an object file, shared by the writer that produces it and the reader
// of hornwall_view: the words that name its blocks and entries, the punctuation that
// frames them, and what may be a name. A block is a name, a kind word and a parenthesised
// body:
//
//   NAME  real_variable            NAME   circular_symmetric_horn_exterior
//   (                              (
//     value            : VALUE       snap_to_aperture : off,        (optional)
//   )                                length_unit      : UNIT,
//                                    coor_order       : z_rho,      (optional)
//                                    nodes             : table
//                                      (
//                                        Z   RHO                    (node rows)
//                                      )
//                                  )
//
// A VALUE, Z or RHO is a number or an expression in double quotes on one line. Blanks and
// line ends between tokens are free for the reader; the writer lays the blocks out as
// shown. A profile may be left open at the end of the file after a whole node row.
namespace hornwall::object_format {

inline constexpr std::string_view variable_kind = "real_variable";
inline constexpr std::string_view profile_kind = "circular_symmetric_horn_exterior";
inline constexpr std::string_view value_entry = "value";
inline constexpr std::string_view snap_entry = "snap_to_aperture";
inline constexpr std::string_view unit_entry = "length_unit";
inline constexpr std::string_view order_entry = "coor_order";
inline constexpr std::string_view nodes_entry = "nodes";
inline constexpr std::string_view table_word = "table";
inline constexpr std::string_view snap_off = "off";
inline constexpr std::string_view z_rho_order = "z_rho";

inline constexpr char open = '(';
inline constexpr char close = ')';
inline constexpr char colon = ':';
inline constexpr char comma = ',';
inline constexpr char quote = '"';

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

// True when `word` is a name: a letter or '_', then letters, digits and '_'.
constexpr bool is_name(std::string_view word) {
  if (word.empty() || !is_name_start(word.front())) return false;
  for (const char c : word) {
    if (!is_name_char(c)) return false;
  }
  return true;
}

}  // namespace hornwall::object_format
