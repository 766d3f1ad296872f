#include "hornwall/view/expression.hpp"

#include <algorithm>
#include <charconv>
#include <optional>

#include "hornwall/number_text.hpp"
#include "hornwall/object_format.hpp"

namespace hornwall::view {
namespace {

using object_format::is_blank;
using object_format::is_digit;
using object_format::is_name_char;
using object_format::is_name_start;

constexpr int max_depth = 100;

// Thrown inside the parser only: the text does not parse.
struct SyntaxError {
  std::string reason;
};

// The length of the unsigned decimal number at the start of `text` (digits with an
// optional point and fraction, or a point and digits, then an optional exponent), or 0.
std::size_t number_length(std::string_view text) {
  std::size_t at = 0;
  std::size_t digits = 0;
  while (at < text.size() && is_digit(text[at])) ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && is_digit(text[at])) ++at, ++digits;
  }
  if (digits == 0) return 0;
  if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
    std::size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    if (exponent < text.size() && is_digit(text[exponent])) {
      while (exponent < text.size() && is_digit(text[exponent])) ++exponent;
      at = exponent;
    }
  }
  return at;
}

// True when the unsigned number `text`, which the library found out of range, lies beyond
// the largest double rather than below the smallest: its leading non-zero digit stands at
// a positive power of ten.
bool beyond_largest(std::string_view text) {
  const std::size_t exponent_at = text.find_first_of("eE");
  const std::string_view mantissa = text.substr(0, exponent_at);
  long long exponent = 0;
  if (exponent_at != std::string_view::npos) {
    std::string_view digits = text.substr(exponent_at + 1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
      digits.remove_prefix(1);
    constexpr long long limit = 1'000'000'000;  // far beyond any double
    for (const char c : digits) exponent = std::min(exponent * 10 + (c - '0'), limit);
    if (negative) exponent = -exponent;
  }
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  const auto position = static_cast<long long>(point) - static_cast<long long>(first);
  return exponent + (first < point ? position - 1 : position) > 0;
}

// The value of the unsigned decimal number `text` (of number_length's form) when it is
// found exactly by one rounding: at most 15 significant digits and a power of ten that is
// itself an exact double (Clinger's fast path), as every number the generators write is.
std::optional<double> quick_value(std::string_view text) {
  constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  std::uint64_t digits = 0;
  int significant = 0;
  int scale = 0;  // the power of ten of the last digit read
  bool point = false;
  std::size_t at = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '.') {
      point = true;
      continue;
    }
    if (!is_digit(c)) break;
    if (significant > 0 || c != '0') ++significant;
    if (significant > 15) return std::nullopt;
    digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    if (point) --scale;
  }
  if (at < text.size()) {
    ++at;  // the exponent's letter
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';
    if (text.size() - at > 3) return std::nullopt;
    int exponent = 0;
    for (; at < text.size(); ++at) exponent = exponent * 10 + (text[at] - '0');
    scale += negative ? -exponent : exponent;
  }
  if (scale < -22 || scale > 22) return std::nullopt;
  const double mantissa = static_cast<double>(digits);
  return scale < 0 ? mantissa / powers[-scale] : mantissa * powers[scale];
}

class Parser {
 public:
  Parser(std::string_view text, Names& names, std::vector<Instruction>& code)
      : text_(text), names_(names), code_(code) {}

  void whole() {
    sum();
    skip_blanks();
    if (at_ < text_.size()) fail("unexpected '" + std::string(1, text_[at_]) + "'");
  }

 private:
  void sum() {
    product();
    for (;;) {
      skip_blanks();
      if (take('+')) {
        product();
        emit(Op::add);
      } else if (take('-')) {
        product();
        emit(Op::subtract);
      } else {
        return;
      }
    }
  }

  void product() {
    unary();
    for (;;) {
      skip_blanks();
      if (take('*')) {
        unary();
        emit(Op::multiply);
      } else if (take('/')) {
        unary();
        emit(Op::divide);
      } else {
        return;
      }
    }
  }

  // Signs are counted in a loop, so that any number of them may stand before an
  // operand without nesting.
  void unary() {
    bool negative = false;
    for (;;) {
      skip_blanks();
      if (take('-')) {
        negative = !negative;
      } else if (!take('+')) {
        break;
      }
    }
    primary();
    if (negative) emit(Op::negate);
  }

  void primary() {
    skip_blanks();
    if (at_ >= text_.size()) fail("expected an operand");
    if (take('(')) {
      nested();
      return;
    }
    const std::size_t length = number_length(text_.substr(at_));
    if (length > 0) {
      number(length);
      return;
    }
    if (!is_name_start(text_[at_])) fail("expected an operand");
    const std::string_view word = name();
    if (word == "REF" || word == "ref") {
      open_call(word);
      skip_blanks();
      if (at_ >= text_.size() || !is_name_start(text_[at_])) fail("expected a variable name");
      const std::uint32_t symbol = names_.intern_next(name());
      expect_close();
      code_.push_back({Op::reference, symbol, 0.0});
    } else if (word == "COS" || word == "cos") {
      open_call(word);
      nested();
      emit(Op::cosine);
    } else if (word == "NaN") {
      push(std::numeric_limits<double>::quiet_NaN());
    } else if (word == "Infinity") {
      push(std::numeric_limits<double>::infinity());
    } else {
      at_ -= word.size();
      fail("unknown name '" + std::string(word) + "'");
    }
  }

  // A parenthesised sum, whose opening parenthesis was taken.
  void nested() {
    if (++depth_ > max_depth) fail("nested too deeply");
    sum();
    --depth_;
    expect_close();
  }

  void number(std::size_t length) {
    const std::string_view digits = text_.substr(at_, length);
    if (const std::optional<double> quick = quick_value(digits)) {
      at_ += length;
      push(*quick);
      return;
    }
    const NumberReading<double> read = read_double(digits);
    double value = read.value;
    if (read.status == NumberRead::out_of_range) {
      if (beyond_largest(digits)) fail("number out of range");
      value = 0.0;  // below the smallest double
    } else if (read.status != NumberRead::ok) {
      fail("number out of range");
    }
    at_ += length;
    push(value);
  }

  std::string_view name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && is_name_char(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }

  void open_call(std::string_view word) {
    skip_blanks();
    if (!take('(')) fail("expected '(' after " + std::string(word));
  }

  void expect_close() {
    skip_blanks();
    if (!take(')')) fail("expected ')'");
  }

  bool take(char wanted) {
    if (at_ < text_.size() && text_[at_] == wanted) {
      ++at_;
      return true;
    }
    return false;
  }

  void skip_blanks() {
    while (at_ < text_.size() && is_blank(text_[at_])) ++at_;
  }

  void push(double value) { code_.push_back({Op::number, 0, value}); }
  void emit(Op op) { code_.push_back({op, 0, 0.0}); }

  [[noreturn]] void fail(std::string reason) {
    if (at_ >= text_.size()) throw SyntaxError{reason + " at the end"};
    throw SyntaxError{reason + " at column " + std::to_string(at_ + 1)};
  }

  std::string_view text_;
  Names& names_;
  std::vector<Instruction>& code_;
  std::size_t at_ = 0;
  int depth_ = 0;
};

}  // namespace

std::string compile(std::string_view text, Names& names, std::vector<Instruction>& code) {
  const std::size_t start = code.size();
  try {
    Parser(text, names, code).whole();
  } catch (const SyntaxError& error) {
    code.resize(start);
    return error.reason;
  }
  return {};
}

bool is_plain_number(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text == "NaN" || text == "Infinity") return true;
  return !text.empty() && number_length(text) == text.size();
}

}  // namespace hornwall::view
