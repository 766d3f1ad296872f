#pragma once

#include <string>
#include <string_view>

// Numbers as text, both ways: the one place where a double or a float becomes digits and
// digits a number, so that every output writes a value alike. The forms are those of the C
// library's printf in the "C" locale and of std::to_chars / std::from_chars; where the C++
// library has no floating-point to_chars or from_chars (the WebAssembly toolchain's), the
// same texts come from snprintf and strtod, digit for digit.
namespace hornwall {

// Appends `value` in the shortest form that reads back to the same value: fixed or
// scientific, whichever is shorter, fixed when both are as long ("10", "9.5", "1e-07",
// "1.5e+300"); "inf", "-inf", "nan" and "-nan" for the values that are no number.
void append_shortest(std::string& out, double value);
void append_shortest(std::string& out, float value);

// Appends `value` with `decimals` decimals, rounded to nearest from its exact binary value,
// ties to even ("%.*f": 7.65, 10.0).
void append_fixed(std::string& out, double value, int decimals);

// Appends `value` in scientific form with `decimals` decimals ("%.*e": 7.6477e+00).
void append_scientific(std::string& out, double value, int decimals);

// Appends `value` with at most `digits` significant digits, without trailing zeros, fixed or
// scientific as printf's %g chooses ("%.*g": 7.6477, 1e+10).
void append_general(std::string& out, double value, int digits);

// `value` as append_shortest writes it: "10", "9.5", "1e-07".
std::string shortest_text(double value);

// `value` with `decimals` decimals, as append_fixed writes it: "7.65", "10.0".
std::string fixed_text(double value, int decimals);

// Adds ".0" to the number text `text` when it has neither a point nor an exponent and is a
// number ("60" becomes "60.0"; "7.5", "1e-07", "NaN" and "inf" stay): a length that shows it
// is a real.
void ensure_point(std::string& text);

// How a text read as a number ended.
enum class NumberRead {
  ok,
  not_a_number,  // the text is not one whole number
  out_of_range,  // a number beyond the type's range, or one that rounds to zero but is not
};

// The number that the whole of `text` writes, in the form that std::from_chars reads
// ("-12.5", ".5", "1e-7", "1E+3", "inf", "nan"; no sign "+", no blank), correctly rounded.
// `value` is set only when `status` is ok.
template <typename Number>
struct NumberReading {
  Number value{};
  NumberRead status = NumberRead::not_a_number;
};
NumberReading<double> read_double(std::string_view text);
NumberReading<float> read_float(std::string_view text);

// The same texts as the C library makes them, whatever the C++ library has: what the
// functions above fall back on, and what a test compares them with.
namespace c_library {
void append_shortest(std::string& out, double value);
void append_shortest(std::string& out, float value);
void append_fixed(std::string& out, double value, int decimals);
void append_scientific(std::string& out, double value, int decimals);
void append_general(std::string& out, double value, int digits);
NumberReading<double> read_double(std::string_view text);
NumberReading<float> read_float(std::string_view text);
}  // namespace c_library

}  // namespace hornwall
