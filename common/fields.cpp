#include "hornwall/fields.hpp"

#include <charconv>
#include <cmath>
#include <string_view>

namespace hornwall {
namespace {

void append_right_justified(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out.append(text);
}

// Writes |value| as "d.ddd...e±XX" with `digits` digits after the point and returns
// the length; the decimal exponent is stored in `exponent`.
std::size_t scientific_magnitude(char* buffer, std::size_t size, float value, int digits,
                                 int& exponent) {
  const double magnitude = std::fabs(static_cast<double>(value));
  const auto result =
      std::to_chars(buffer, buffer + size, magnitude, std::chars_format::scientific, digits);
  const auto length = static_cast<std::size_t>(result.ptr - buffer);
  const std::size_t e_position = static_cast<std::size_t>(digits) + 2;
  std::from_chars(buffer + e_position + 1 + (buffer[e_position + 1] == '+' ? 1 : 0),
                  buffer + length, exponent);
  return length;
}

bool append_non_finite(std::string& out, float value, std::size_t width) {
  if (std::isnan(value)) {
    append_right_justified(out, "NaN", width);
    return true;
  }
  if (std::isinf(value)) {
    append_right_justified(out, value < 0 ? "-Infinity" : "Infinity", width);
    return true;
  }
  return false;
}

void append_two_digit_exponent(std::string& text, int exponent) {
  text += exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  text += static_cast<char>('0' + magnitude / 10);
  text += static_cast<char>('0' + magnitude % 10);
}

// The sci field with `digits` (4 or 5) digits after the point.
void append_sci(std::string& out, float value, int digits) {
  constexpr std::size_t width = 12;
  if (append_non_finite(out, value, width)) return;
  std::string text;
  if (value == 0.0f) {
    text = "0." + std::string(static_cast<std::size_t>(digits), '0') + "E+00";
  } else {
    char buffer[32];
    int exponent = 0;
    scientific_magnitude(buffer, sizeof buffer, value, digits, exponent);
    if (value < 0) text += '-';
    text.append(buffer, static_cast<std::size_t>(digits) + 2);
    text += 'E';
    append_two_digit_exponent(text, exponent);
  }
  append_right_justified(out, text, width);
}

}  // namespace

void append_sci12_4(std::string& out, float value) { append_sci(out, value, 4); }

void append_sci12_5(std::string& out, float value) { append_sci(out, value, 5); }

std::string sci12_4(float value) {
  std::string field;
  append_sci12_4(field, value);
  return field;
}

std::string sci12_5(float value) {
  std::string field;
  append_sci12_5(field, value);
  return field;
}

void append_int(std::string& out, std::int64_t value, IntWidth width) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  append_right_justified(out,
                         std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)),
                         static_cast<std::size_t>(width));
}

std::string int_field(std::int64_t value, IntWidth width) {
  std::string field;
  append_int(field, value, width);
  return field;
}

void append_echo_integer(std::string& out, std::int32_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  append_right_justified(
      out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), 12);
}

void append_echo_real(std::string& out, float value) {
  constexpr std::size_t width = 15;
  if (append_non_finite(out, value, width)) return;
  if (value == 0.0f) {
    append_right_justified(out, "0.0000000E+00", width);
    return;
  }
  char buffer[32];
  int exponent = 0;
  scientific_magnitude(buffer, sizeof buffer, value, 6, exponent);
  const std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 6);
  std::string text = value < 0 ? "-" : "";
  if (exponent >= -1 && exponent <= 6) {
    if (exponent == -1) {
      text += "0." + digits;
    } else {
      const auto point = static_cast<std::size_t>(exponent) + 1;
      text += digits.substr(0, point) + "." + digits.substr(point);
    }
    append_right_justified(out, text, width - 4);
    out.append(4, ' ');
  } else {
    text += "0." + digits + "E";
    append_two_digit_exponent(text, exponent + 1);
    append_right_justified(out, text, width);
  }
}

}  // namespace hornwall
