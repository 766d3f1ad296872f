#include "hornwall/number_text.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <vector>

#if defined(__has_include)
#if __has_include(<charconv>)
#include <charconv>
#endif
#endif

// The C++ library's floating-point to_chars and from_chars, where it has them and the build
// does not ask for the C library's texts.
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L && \
    !defined(HORNWALL_C_LIBRARY_NUMBERS)
#define HORNWALL_FLOAT_CHARCONV 1
#else
#define HORNWALL_FLOAT_CHARCONV 0
#endif

namespace hornwall {
namespace {

// Appends what snprintf makes of `format` and its arguments, however long.
template <typename... Arguments>
void append_printed(std::string& out, const char* format, Arguments... arguments) {
  char small[64];
  const int length = std::snprintf(small, sizeof small, format, arguments...);
  if (length < 0) return;
  if (static_cast<std::size_t>(length) < sizeof small) {
    out.append(small, static_cast<std::size_t>(length));
    return;
  }
  std::vector<char> large(static_cast<std::size_t>(length) + 1);
  std::snprintf(large.data(), large.size(), format, arguments...);
  out.append(large.data(), static_cast<std::size_t>(length));
}

// Whether `text` is one whole number in std::from_chars' general form.
bool is_number_text(std::string_view text) {
  std::size_t at = 0;
  if (at < text.size() && text[at] == '-') ++at;
  const std::string_view rest = text.substr(at);
  const auto named = [&](std::string_view name) {
    if (rest.size() < name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
      const char c = rest[i];
      if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != name[i]) return false;
    }
    return true;
  };
  if (named("infinity")) return rest.size() == 8;
  if (named("inf")) return rest.size() == 3;
  if (named("nan")) {
    if (rest.size() == 3) return true;
    if (rest[3] != '(' || rest.back() != ')') return false;
    for (std::size_t i = 4; i + 1 < rest.size(); ++i) {
      const char c = rest[i];
      const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      if (!alnum && c != '_') return false;
    }
    return true;
  }
  std::size_t digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++digits;
  }
  if (digits == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    std::size_t exponent_digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return at == text.size();
}

// Whether the digits of a number text (before its exponent) are all zeros.
bool all_zero_digits(std::string_view text) {
  for (const char c : text) {
    if (c == 'e' || c == 'E') break;
    if (c >= '1' && c <= '9') return false;
  }
  return true;
}

template <typename Number>
NumberReading<Number> read_with_c_library(std::string_view text) {
  if (!is_number_text(text)) return {};
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  Number value;
  if constexpr (std::is_same_v<Number, float>) {
    value = std::strtof(copy.c_str(), &end);
  } else {
    value = std::strtod(copy.c_str(), &end);
  }
  if (end != copy.c_str() + copy.size()) return {};
  // Out of range as std::from_chars says it: beyond the largest value, or a number whose
  // digits are not all zero that rounds to zero.
  if (std::isinf(value) && copy.find_first_of("iI") == std::string::npos) {
    return {Number{}, NumberRead::out_of_range};
  }
  if (value == 0 && !all_zero_digits(copy)) return {Number{}, NumberRead::out_of_range};
  return {value, NumberRead::ok};
}

// The shortest form of `value` as std::to_chars writes it without a format: the fewest
// digits that read back to the value (of them, the nearest to it), then fixed or
// scientific, whichever is shorter, fixed on a tie.
template <typename Number>
void shortest_with_c_library(std::string& out, Number value) {
  if (std::isnan(value)) {
    out += std::signbit(value) ? "-nan" : "nan";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  if (value == 0) {
    out += std::signbit(value) ? "-0" : "0";
    return;
  }
  constexpr int most_digits = std::numeric_limits<Number>::max_digits10;
  const auto reads_back = [&](const std::string& text) {
    return read_with_c_library<Number>(text).value == value;
  };
  const double exact = static_cast<double>(value);
  std::string mantissa;  // the digits, without a point
  int exponent = 0;      // of the first digit
  for (int digits = 1; digits <= most_digits && mantissa.empty(); ++digits) {
    std::string printed;
    append_printed(printed, "%.*e", digits - 1, exact);
    // The nearest text of these digits, and its neighbours one unit of the last digit away,
    // which can lie inside the value's interval where the nearest does not.
    const std::size_t e = printed.find('e');
    std::string digits_text;
    for (std::size_t i = 0; i < e; ++i) {
      if (printed[i] >= '0' && printed[i] <= '9') digits_text += printed[i];
    }
    const int printed_exponent = std::atoi(printed.c_str() + e + 1);
    long double best_distance = std::numeric_limits<long double>::infinity();
    for (const int step : {0, 1, -1}) {
      std::string candidate = digits_text;
      int candidate_exponent = printed_exponent;
      if (step != 0) {
        // One unit of the last digit up or down, carrying.
        int i = static_cast<int>(candidate.size()) - 1;
        for (; i >= 0; --i) {
          char& c = candidate[static_cast<std::size_t>(i)];
          if (step > 0 && c != '9') {
            ++c;
            break;
          }
          if (step < 0 && c != '0') {
            --c;
            break;
          }
          c = step > 0 ? '0' : '9';
        }
        if (i < 0) {
          if (step < 0) continue;
          candidate.insert(candidate.begin(), '1');
          candidate.pop_back();
          ++candidate_exponent;
        }
        if (candidate[0] == '0') continue;
      }
      std::string text;
      if (value < 0) text += '-';
      text += candidate[0];
      if (candidate.size() > 1) {
        text += '.';
        text.append(candidate, 1);
      }
      text += 'e';
      text += std::to_string(candidate_exponent);
      if (!reads_back(text)) continue;
      const long double distance =
          std::fabs(std::strtold(text.c_str(), nullptr) - static_cast<long double>(exact));
      if (distance < best_distance) {
        best_distance = distance;
        mantissa = candidate;
        exponent = candidate_exponent;
      }
    }
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  std::string scientific(1, mantissa[0]);
  if (mantissa.size() > 1) {
    scientific += '.';
    scientific.append(mantissa, 1);
  }
  scientific += exponent < 0 ? "e-" : "e+";
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) scientific += '0';
  scientific += std::to_string(magnitude);
  // The fixed form: a whole number is written with all its digits, as printf's %.0f writes
  // it, which may differ from the shortest digits followed by zeros.
  std::string fixed;
  const int count = static_cast<int>(mantissa.size());
  if (exponent >= 0 && count <= exponent + 1) {
    append_printed(fixed, "%.0f", std::fabs(exact));
  } else if (exponent >= 0) {
    fixed.append(mantissa, 0, static_cast<std::size_t>(exponent + 1));
    fixed += '.';
    fixed.append(mantissa, static_cast<std::size_t>(exponent + 1));
  } else {
    fixed = "0.";
    fixed.append(static_cast<std::size_t>(-exponent - 1), '0');
    fixed += mantissa;
  }
  if (value < 0) out += '-';
  out += fixed.size() <= scientific.size() ? fixed : scientific;
}

#if HORNWALL_FLOAT_CHARCONV
template <typename... Format>
void append_to_chars(std::string& out, double value, Format... format) {
  char small[64];
  auto written = std::to_chars(small, small + sizeof small, value, format...);
  if (written.ec == std::errc()) {
    out.append(small, written.ptr);
    return;
  }
  std::vector<char> large(1100);
  written = std::to_chars(large.data(), large.data() + large.size(), value, format...);
  out.append(large.data(), written.ptr);
}

template <typename Number>
NumberReading<Number> read_with_from_chars(std::string_view text) {
  Number value{};
  const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
  if (read.ec == std::errc::result_out_of_range) return {Number{}, NumberRead::out_of_range};
  if (read.ec != std::errc() || read.ptr != text.data() + text.size()) return {};
  return {value, NumberRead::ok};
}
#endif

}  // namespace

std::string shortest_text(double value) {
  std::string text;
  append_shortest(text, value);
  return text;
}

std::string fixed_text(double value, int decimals) {
  std::string text;
  append_fixed(text, value, decimals);
  return text;
}

void ensure_point(std::string& text) {
  if (text.find_first_of(".eEiInN") == std::string::npos) text += ".0";
}

namespace c_library {

void append_shortest(std::string& out, double value) { shortest_with_c_library(out, value); }
void append_shortest(std::string& out, float value) { shortest_with_c_library(out, value); }
void append_fixed(std::string& out, double value, int decimals) {
  append_printed(out, "%.*f", decimals, value);
}
void append_scientific(std::string& out, double value, int decimals) {
  append_printed(out, "%.*e", decimals, value);
}
void append_general(std::string& out, double value, int digits) {
  append_printed(out, "%.*g", digits, value);
}
NumberReading<double> read_double(std::string_view text) {
  return read_with_c_library<double>(text);
}
NumberReading<float> read_float(std::string_view text) { return read_with_c_library<float>(text); }

}  // namespace c_library

#if HORNWALL_FLOAT_CHARCONV
void append_shortest(std::string& out, double value) { append_to_chars(out, value); }
void append_shortest(std::string& out, float value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  out.append(text, written.ptr);
}
void append_fixed(std::string& out, double value, int decimals) {
  append_to_chars(out, value, std::chars_format::fixed, decimals);
}
void append_scientific(std::string& out, double value, int decimals) {
  append_to_chars(out, value, std::chars_format::scientific, decimals);
}
void append_general(std::string& out, double value, int digits) {
  append_to_chars(out, value, std::chars_format::general, digits);
}
NumberReading<double> read_double(std::string_view text) {
  return read_with_from_chars<double>(text);
}
NumberReading<float> read_float(std::string_view text) { return read_with_from_chars<float>(text); }
#else
void append_shortest(std::string& out, double value) { c_library::append_shortest(out, value); }
void append_shortest(std::string& out, float value) { c_library::append_shortest(out, value); }
void append_fixed(std::string& out, double value, int decimals) {
  c_library::append_fixed(out, value, decimals);
}
void append_scientific(std::string& out, double value, int decimals) {
  c_library::append_scientific(out, value, decimals);
}
void append_general(std::string& out, double value, int digits) {
  c_library::append_general(out, value, digits);
}
NumberReading<double> read_double(std::string_view text) { return c_library::read_double(text); }
NumberReading<float> read_float(std::string_view text) { return c_library::read_float(text); }
#endif

}  // namespace hornwall
