#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Fixed-width number fields, of the object file and of the console echo.
// Pure functions: they append to a buffer and use no stream state and no locale.
namespace hornwall {

// Appends `value` in the 12-column scientific field with 4 (sci12.4) or 5 (sci12.5)
// digits after the point, one before it, right-justified: "  2.5400E+01". The exact
// binary value is rounded to nearest, ties to even. Zero of either sign is
// "0.0000E+00"; infinities and NaN are "Infinity", "-Infinity" and "NaN".
void append_sci12_4(std::string& out, float value);
void append_sci12_5(std::string& out, float value);

// The same fields as strings.
std::string sci12_4(float value);
std::string sci12_5(float value);

// The columns of a sci field.
inline constexpr std::size_t sci_width = 12;

// Writes the sci12.4 (sci12.5) field of `value`, exactly as append_sci12_4
// (append_sci12_5) appends it, into the sci_width characters at `dest`; returns
// dest + sci_width. Allocates nothing.
char* write_sci12_4(char* dest, float value);
char* write_sci12_5(char* dest, float value);

// The widths of the integer fields inside names and expressions.
enum class IntWidth { one = 1, two = 2, three = 3 };

// Appends `value` right-justified in `width` columns; a value that needs more columns
// is written in full, with as many columns as its digits and sign need.
void append_int(std::string& out, std::int64_t value, IntWidth width);
std::string int_field(std::int64_t value, IntWidth width);

// The most columns an integer field can take: the digits and sign of any 64-bit value.
inline constexpr std::size_t int_max_width = 20;

// Writes the integer field of `value`, exactly as append_int appends it, at `dest`, which
// must have room for int_max_width characters; returns the end of what it wrote.
char* write_int(char* dest, std::int64_t value, IntWidth width);

// Echo of an integer answer: right-justified in 12 columns.
void append_echo_integer(std::string& out, std::int32_t value);

// Echo of a real answer, 15 columns: rounded to 7 significant digits (ties to even);
// a rounded magnitude in [0.1, 1e7) in fixed form right-justified in 11 columns and
// followed by 4 blanks ("   25.40000    "), any other, zero included, in exponent
// form right-justified in 15 columns (" 0.1000000E-01").
void append_echo_real(std::string& out, float value);

}  // namespace hornwall
