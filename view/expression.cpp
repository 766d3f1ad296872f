#include "hornwall/view/expression.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "hornwall/view/characters.hpp"

namespace hornwall {
namespace {

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

class Parser {
 public:
  Parser(std::string_view text, VariableValues& values, Evaluation& result)
      : text_(text), values_(values), result_(result) {}

  double whole() {
    const double value = sum();
    skip_blanks();
    if (at_ < text_.size()) fail("unexpected '" + std::string(1, text_[at_]) + "'");
    return value;
  }

 private:
  double sum() {
    double value = product();
    for (;;) {
      skip_blanks();
      if (take('+')) {
        value = value + product();
      } else if (take('-')) {
        value = value - product();
      } else {
        return value;
      }
    }
  }

  double product() {
    double value = unary();
    for (;;) {
      skip_blanks();
      if (take('*')) {
        value = value * unary();
      } else if (take('/')) {
        value = value / unary();
      } else {
        return value;
      }
    }
  }

  // Signs are counted in a loop, so that any number of them may stand before an
  // operand without nesting.
  double unary() {
    bool negative = false;
    for (;;) {
      skip_blanks();
      if (take('-')) {
        negative = !negative;
      } else if (!take('+')) {
        break;
      }
    }
    const double value = primary();
    return negative ? -value : value;
  }

  double primary() {
    skip_blanks();
    if (at_ >= text_.size()) fail("expected an operand");
    if (take('(')) {
      const double value = nested([this] { return sum(); });
      expect_close();
      return value;
    }
    const std::size_t length = number_length(text_.substr(at_));
    if (length > 0) return number(length);
    if (!is_name_start(text_[at_])) fail("expected an operand");
    const std::string_view word = name();
    if (word == "NaN") return std::numeric_limits<double>::quiet_NaN();
    if (word == "Infinity") return std::numeric_limits<double>::infinity();
    if (word == "COS" || word == "cos") {
      open_call(word);
      const double value = nested([this] { return sum(); });
      expect_close();
      return std::cos(value);
    }
    if (word == "REF" || word == "ref") {
      open_call(word);
      skip_blanks();
      if (at_ >= text_.size() || !is_name_start(text_[at_])) fail("expected a variable name");
      const std::string_view referenced = name();
      expect_close();
      return reference(referenced);
    }
    at_ -= word.size();
    fail("unknown name '" + std::string(word) + "'");
  }

  double number(std::size_t length) {
    double value = 0.0;
    const char* first = text_.data() + at_;
    const auto read = std::from_chars(first, first + length, value);
    if (read.ec != std::errc() || read.ptr != first + length) fail("number out of range");
    at_ += length;
    return value;
  }

  double reference(std::string_view referenced) {
    const VariableValue found = values_.lookup(referenced);
    if (!found.defined) {
      bool listed = false;
      for (const std::string_view name : result_.undefined) listed = listed || name == referenced;
      if (!listed) result_.undefined.push_back(referenced);
      return std::numeric_limits<double>::quiet_NaN();
    }
    if (!found.usable) {
      result_.uses_failed = true;
      return std::numeric_limits<double>::quiet_NaN();
    }
    return found.value;
  }

  template <typename Step>
  double nested(Step step) {
    if (++depth_ > max_depth) fail("nested too deeply");
    const double value = step();
    --depth_;
    return value;
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

  [[noreturn]] void fail(std::string reason) {
    if (at_ >= text_.size()) throw SyntaxError{reason + " at the end"};
    throw SyntaxError{reason + " at column " + std::to_string(at_ + 1)};
  }

  std::string_view text_;
  VariableValues& values_;
  Evaluation& result_;
  std::size_t at_ = 0;
  int depth_ = 0;
};

}  // namespace

Evaluation evaluate_expression(std::string_view text, VariableValues& values) {
  Evaluation result;
  try {
    Parser parser(text, values, result);
    result.value = parser.whole();
  } catch (const SyntaxError& error) {
    result.syntax_error = error.reason;
    result.value = std::numeric_limits<double>::quiet_NaN();
  }
  return result;
}

bool is_plain_number(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text == "NaN" || text == "Infinity") return true;
  return !text.empty() && number_length(text) == text.size();
}

}  // namespace hornwall
