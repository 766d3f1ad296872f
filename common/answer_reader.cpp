#include "hornwall/answer_reader.hpp"

#include <charconv>
#include <system_error>

namespace hornwall {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_exponent_letter(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
}

std::size_t count_digits(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && is_digit(text[end])) ++end;
  return end - from;
}

// The decimal text of a real, split into its parts; `valid` is false when the text
// is not of the form [sign] digits [. digits] [E|D|Q [sign] digits].
struct RealText {
  bool valid = false;
  bool negative = false;
  std::string_view integer_digits;
  std::string_view fraction_digits;
  bool exponent_negative = false;
  std::string_view exponent_digits;
};

RealText split_real(std::string_view text) {
  RealText real;
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) real.negative = text[at++] == '-';
  real.integer_digits = text.substr(at, count_digits(text, at));
  at += real.integer_digits.size();
  if (at < text.size() && text[at] == '.') {
    ++at;
    real.fraction_digits = text.substr(at, count_digits(text, at));
    at += real.fraction_digits.size();
  }
  if (real.integer_digits.empty() && real.fraction_digits.empty()) return real;
  if (at < text.size() && is_exponent_letter(text[at])) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
      real.exponent_negative = text[at++] == '-';
    real.exponent_digits = text.substr(at, count_digits(text, at));
    at += real.exponent_digits.size();
    if (real.exponent_digits.empty()) return real;
  }
  real.valid = at == text.size();
  return real;
}

// The power of ten of the leading non-zero digit, saturated far beyond the float range;
// only its sign matters, to tell a number too large from one too small.
long long decimal_order(const RealText& real) {
  constexpr long long limit = 1'000'000'000;
  long long exponent = 0;
  for (char c : real.exponent_digits) {
    exponent = exponent * 10 + (c - '0');
    if (exponent > limit) exponent = limit;
  }
  if (real.exponent_negative) exponent = -exponent;
  const auto first = real.integer_digits.find_first_not_of('0');
  if (first != std::string_view::npos) {
    return exponent + static_cast<long long>(real.integer_digits.size() - first) - 1;
  }
  const auto leading_zeros = real.fraction_digits.find_first_not_of('0');
  return exponent - static_cast<long long>(leading_zeros) - 1;
}

}  // namespace

std::string_view trim_blanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

AnswerChannel::AnswerChannel(std::istream& in, int unit, std::string name)
    : in_(in), unit_(unit), name_(std::move(name)) {}

std::string AnswerChannel::read_line() {
  std::string line;
  if (!std::getline(in_, line)) throw error(Failure::end_of_file);
  // A line ends with LF, CR LF, or the end of the input, with or without a CR before it.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void AnswerChannel::assign(const Target& target, std::string_view text) const {
  if (auto* integer = std::get_if<std::int32_t*>(&target)) {
    const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() == sign || count_digits(text, sign) != text.size() - sign) {
      throw error(Failure::syntax_error);
    }
    const std::string_view digits = text[0] == '+' ? text.substr(1) : text;
    std::int32_t value = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc{}) {
      throw error(Failure::conversion_error);
    }
    **integer = value;
    return;
  }
  const RealText real = split_real(text);
  if (!real.valid) throw error(Failure::syntax_error);
  std::string normal = real.negative ? "-" : "";
  normal.append(real.integer_digits);
  normal += '.';
  normal.append(real.fraction_digits);
  normal += real.exponent_negative ? "e-" : "e";
  normal.append(real.exponent_digits.empty() ? std::string_view("0") : real.exponent_digits);
  float value = 0.0f;
  const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (decimal_order(real) > 0) throw error(Failure::conversion_error);
    value = real.negative ? -0.0f : 0.0f;  // below the smallest subnormal
  } else if (result.ec != std::errc{} || result.ptr != normal.data() + normal.size()) {
    throw error(Failure::syntax_error);
  }
  *std::get<float*>(target) = value;
}

void AnswerChannel::read_values(std::span<const Target> targets) {
  std::string line = read_line();
  std::size_t at = 0;
  std::size_t filled = 0;
  bool separator_due = false;  // a value was read and its comma may still follow
  while (filled < targets.size()) {
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) {
      line = read_line();
      at = 0;
      continue;
    }
    if (line[at] == '/') return;
    if (line[at] == ',') {
      ++at;
      if (separator_due) {
        separator_due = false;
      } else {
        ++filled;  // nothing between two commas: the target keeps its value
      }
      continue;
    }
    std::size_t end = at;
    while (end < line.size() && !ends_value(line[end])) ++end;
    std::string_view value(line.data() + at, end - at);
    at = end;
    separator_due = true;

    std::uint64_t repeat = 1;
    bool null_value = false;
    if (const auto star = value.find('*'); star != std::string_view::npos) {
      const std::string_view count = value.substr(0, star);
      if (count.empty() || count_digits(count, 0) != count.size())
        throw error(Failure::syntax_error);
      if (std::from_chars(count.data(), count.data() + count.size(), repeat).ec != std::errc{}) {
        repeat = UINT64_MAX;  // more than any answer needs
      }
      if (repeat == 0) throw error(Failure::syntax_error);
      value.remove_prefix(star + 1);
      null_value = value.empty();
    }
    for (; repeat > 0 && filled < targets.size(); --repeat, ++filled) {
      if (!null_value) assign(targets[filled], value);
    }
  }
}

}  // namespace hornwall
