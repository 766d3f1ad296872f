#pragma once

#include <cstdint>
#include <string>

// Fixed-width number fields, of the object file and of the console echo.
// Pure functions: they append to a buffer and use no stream state and no locale.
namespace hornwall {

// Appends `value` in scientific form, right-justified in 12 columns, with one digit
// before the point and `digits` (4 or 5) after it: "  2.5400E+01". The exact binary
// value is rounded to nearest, ties to even. Zero of either sign is "0.0000E+00";
// infinities and NaN are "Infinity", "-Infinity" and "NaN".
void append_sci(std::string& out, float value, int digits);

// The 12-column fields of the object file: sci12.4 and sci12.5.
std::string sci12_4(float value);
std::string sci12_5(float value);

// Appends `value` right-justified in `width` columns; a value that needs more columns
// is written in full, with as many columns as its digits and sign need.
void append_int(std::string& out, std::int64_t value, int width);
std::string int_field(std::int64_t value, int width);

// Echo of an integer answer: right-justified in 12 columns.
void append_echo_integer(std::string& out, std::int32_t value);

// Echo of a real answer, 15 columns: rounded to 7 significant digits (ties to even);
// a rounded magnitude in [0.1, 1e7) in fixed form right-justified in 11 columns and
// followed by 4 blanks ("   25.40000    "), any other, zero included, in exponent
// form right-justified in 15 columns (" 0.1000000E-01").
void append_echo_real(std::string& out, float value);

}  // namespace hornwall
