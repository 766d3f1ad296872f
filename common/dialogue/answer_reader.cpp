#include "hornwall/answer_reader.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <system_error>
#include <vector>

#include "hornwall/number_text.hpp"

namespace hornwall {
namespace {

// The input is read in pieces of this size: no line is ever held whole.
constexpr std::size_t piece_bytes = 8192;
// A value longer than this is not kept: it is scanned as it streams past, keeping only
// what decides its meaning.
constexpr std::size_t kept_value_bytes = 4096;
// The significant digits of a long number that are kept: far more than the correctly
// rounded single-precision value can depend on. Beyond them only whether some dropped
// digit is non-zero matters.
constexpr std::size_t kept_digits = 800;
// Exponents are saturated here: far beyond any value a long number can reach.
constexpr std::int64_t exponent_bound = 1'000'000'000'000'000;
constexpr std::int64_t written_exponent_bound = 10'000'000;

constexpr int end_of_line = -1;

bool is_blank(int c) { return c == ' ' || c == '\t'; }
bool ends_value(int c) { return is_blank(c) || c == ',' || c == '/'; }
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

// A number too long to keep, read one character at a time: its form so far, and the
// significant digits that can matter. It ends as a short text of the same meaning.
class NumberScan {
 public:
  void feed(char c) {
    empty_ = false;
    switch (state_) {
      case State::start:
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          state_ = State::sign;
          return;
        }
        [[fallthrough]];
      case State::sign:
        if (is_digit(c)) {
          state_ = State::integer;
          mantissa_digit(c);
        } else {
          state_ = c == '.' ? State::fraction : State::dead;
        }
        return;
      case State::integer:
      case State::fraction:
        if (is_digit(c)) {
          mantissa_digit(c);
          if (state_ == State::fraction) ++fraction_digits_;
        } else if (c == '.' && state_ == State::integer) {
          state_ = State::fraction;
        } else {
          state_ = is_exponent_letter(c) && any_digit_ ? State::exponent_letter : State::dead;
        }
        return;
      case State::exponent_letter:
        if (c == '+' || c == '-') {
          exponent_negative_ = c == '-';
          state_ = State::exponent_sign;
          return;
        }
        [[fallthrough]];
      case State::exponent_sign:
      case State::exponent:
        if (is_digit(c)) {
          state_ = State::exponent;
          exponent_ = std::min(exponent_ * 10 + (c - '0'), exponent_bound);
        } else {
          state_ = State::dead;
        }
        return;
      case State::dead: return;
    }
  }

  bool empty() const { return empty_; }
  // No continuation can make the text a number of the kind.
  bool dead_for_integer() const {
    return state_ != State::start && state_ != State::sign && state_ != State::integer;
  }
  bool dead_for_real() const { return state_ == State::dead; }

  // The same integer, short: more than ten significant digits stay too many.
  std::string integer_text() const {
    if (state_ != State::integer) return "?";
    std::string text = negative_ ? "-" : "";
    if (digits_.empty()) return text + "0";
    return text + (digits_.size() > 11 ? std::string(11, '9') : digits_);
  }

  // The same real, short: the kept digits, a last non-zero digit standing for the
  // dropped ones when any of them is not zero, and the exponent that places them.
  std::string real_text() const {
    const bool valid = any_digit_ && (state_ == State::integer || state_ == State::fraction ||
                                      state_ == State::exponent);
    if (!valid) return "?";
    std::string text = negative_ ? "-" : "";
    if (digits_.empty()) return text + "0";
    std::int64_t exponent =
        (exponent_negative_ ? -exponent_ : exponent_) - fraction_digits_ + dropped_;
    text += digits_;
    if (sticky_) {
      text += '1';
      --exponent;
    }
    exponent = std::clamp(exponent, -written_exponent_bound, written_exponent_bound);
    return text + "e" + std::to_string(exponent);
  }

 private:
  enum class State {
    start,
    sign,
    integer,
    fraction,
    exponent_letter,
    exponent_sign,
    exponent,
    dead
  };

  void mantissa_digit(char c) {
    any_digit_ = true;
    if (digits_.empty() && c == '0') return;  // a leading zero
    if (digits_.size() < kept_digits) {
      digits_ += c;
      return;
    }
    ++dropped_;
    if (c != '0') sticky_ = true;
  }

  State state_ = State::start;
  bool empty_ = true;
  bool negative_ = false;
  bool any_digit_ = false;
  std::string digits_;                // significant digits, from the first non-zero one
  bool sticky_ = false;               // a dropped digit is not zero
  std::int64_t dropped_ = 0;          // significant digits dropped after the kept ones
  std::int64_t fraction_digits_ = 0;  // digits after the decimal point
  bool exponent_negative_ = false;
  std::int64_t exponent_ = 0;
};

// Sets `target` to the value that `text` writes; the failure when it writes none.
std::optional<Failure> assign(const Target& target, std::string_view text) {
  if (auto* integer = std::get_if<std::int32_t*>(&target)) {
    const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() == sign || count_digits(text, sign) != text.size() - sign) {
      return Failure::syntax_error;
    }
    const std::string_view digits = text[0] == '+' ? text.substr(1) : text;
    std::int32_t value = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc{}) {
      return Failure::conversion_error;
    }
    **integer = value;
    return std::nullopt;
  }
  const RealText real = split_real(text);
  if (!real.valid) return Failure::syntax_error;
  std::string normal = real.negative ? "-" : "";
  normal.append(real.integer_digits);
  normal += '.';
  normal.append(real.fraction_digits);
  normal += real.exponent_negative ? "e-" : "e";
  normal.append(real.exponent_digits.empty() ? std::string_view("0") : real.exponent_digits);
  const NumberReading<float> result = read_float(normal);
  float value = result.value;
  if (result.status == NumberRead::out_of_range) {
    if (decimal_order(real) > 0) return Failure::conversion_error;
    value = real.negative ? -0.0f : 0.0f;  // below the smallest subnormal
  } else if (result.status != NumberRead::ok) {
    return Failure::syntax_error;
  }
  *std::get<float*>(target) = value;
  return std::nullopt;
}

}  // namespace

// The lines of the input, read piece by piece with at most piece_bytes held. A line
// ends with LF, CR LF, or the end of the input, with or without a CR before it.
class AnswerChannel::LineSource {
 public:
  LineSource(std::istream& in, const AnswerChannel& owner)
      : in_(in), owner_(owner), piece_(piece_bytes) {}

  // Drops the rest of the current line and starts the next; false at the end of input.
  bool next_line() {
    while (more_) fill();
    const bool any = fill();
    if (any) ++line_;
    return any;
  }

  // The next character of the current line, or end_of_line.
  int peek() {
    while (begin_ == end_) {
      if (!more_) return end_of_line;
      fill();
    }
    return static_cast<unsigned char>(piece_[begin_]);
  }
  void advance() { ++begin_; }
  // Takes the characters of the current piece up to the end of a value (or the piece).
  std::string_view take_value_run() {
    std::size_t end = begin_;
    while (end < end_ && !ends_value(piece_[end])) ++end;
    const std::string_view run(piece_.data() + begin_, end - begin_);
    begin_ = end;
    return run;
  }
  std::int64_t line() const { return line_; }

 private:
  // Reads the next piece of a line; false when the input had nothing more.
  bool fill() {
    const std::size_t carry = held_cr_ ? 1 : 0;
    if (held_cr_) piece_[0] = '\r';
    in_.getline(piece_.data() + carry, static_cast<std::streamsize>(piece_.size() - carry));
    if (in_.bad()) throw owner_.error(Failure::read_error);
    auto count = static_cast<std::size_t>(in_.gcount());
    const bool any = count > 0;
    more_ = in_.fail() && !in_.eof();  // the piece is full and the line goes on
    if (more_) {
      in_.clear();
    } else if (!in_.eof()) {
      --count;  // the line end, read but not stored
    }
    std::size_t size = carry + count;
    // A CR is the line end's only when the line ends right after it: hold back a CR at
    // the end of a piece until the next piece shows what follows.
    held_cr_ = size > 0 && piece_[size - 1] == '\r';
    if (held_cr_) --size;
    if (!more_) held_cr_ = false;
    begin_ = 0;
    end_ = size;
    return any;
  }

  std::istream& in_;
  const AnswerChannel& owner_;
  std::vector<char> piece_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool more_ = false;     // the current line goes on after this piece
  bool held_cr_ = false;  // a CR that ended the last piece, not yet placed
  std::int64_t line_ = 0;
};

// One value as written, from its first character to the blank, comma, slash or line end
// after it: kept whole up to kept_value_bytes, scanned beyond.
class AnswerChannel::Token {
 public:
  // The value's parts: an optional repeat count before a star, and the value itself as
  // the text an integer or a real target reads.
  struct Parts {
    bool star = false;
    std::string_view count;
    bool value_empty = false;
    std::string_view integer_text;
    std::string_view real_text;
  };

  void clear() {
    text_.clear();
    long_ = false;
  }

  void append(std::string_view run) {
    if (!long_ && text_.size() + run.size() <= kept_value_bytes) {
      text_.append(run);
      return;
    }
    for (const char c : run) push(c);
  }

  void push(char c) {
    if (!long_) {
      if (text_.size() < kept_value_bytes) {
        text_ += c;
        return;
      }
      start_scan();
    }
    scan(c);
  }

  // A long value that no continuation can make valid for a target of this kind.
  bool dead_for(bool integer_target) const {
    if (!long_) return false;
    const bool count_valid = count_digits_only_ && count_seen_;
    if (star_) return !count_valid || number_dead(integer_target);
    return !count_digits_only_ && number_dead(integer_target);
  }

  // The value as written, up to kept_value_bytes.
  const std::string& text() const { return text_; }

  Parts parts() {
    Parts parts;
    if (!long_) {
      const std::string_view text = text_;
      std::string_view value = text;
      if (const auto star = text.find('*'); star != std::string_view::npos) {
        parts.star = true;
        parts.count = text.substr(0, star);
        value = text.substr(star + 1);
      }
      parts.value_empty = value.empty();
      parts.integer_text = value;
      parts.real_text = value;
      return parts;
    }
    parts.star = star_;
    if (star_) {
      count_text_ = !count_digits_only_ || !count_seen_ ? "?" : count_.empty() ? "0" : count_;
      parts.count = count_text_;
    }
    parts.value_empty = number_.empty();
    integer_text_ = number_.integer_text();
    real_text_ = number_.real_text();
    parts.integer_text = integer_text_;
    parts.real_text = real_text_;
    return parts;
  }

 private:
  void start_scan() {
    long_ = true;
    star_ = false;
    count_digits_only_ = true;
    count_seen_ = false;
    count_.clear();
    number_ = NumberScan();
    for (char c : text_) scan(c);
  }

  void scan(char c) {
    if (star_) {
      number_.feed(c);
      return;
    }
    if (c == '*') {
      star_ = true;
      number_ = NumberScan();
      return;
    }
    number_.feed(c);
    count_seen_ = true;
    if (!is_digit(c)) {
      count_digits_only_ = false;
    } else if (!(count_.empty() && c == '0') && count_.size() <= 20) {
      count_ += c;  // more than 20 digits stay more than any count can be
    }
  }

  bool number_dead(bool integer_target) const {
    return integer_target ? number_.dead_for_integer() : number_.dead_for_real();
  }

  std::string text_;
  bool long_ = false;
  bool star_ = false;
  bool count_digits_only_ = true;
  bool count_seen_ = false;  // something stands before the star
  std::string count_;        // the significant digits before the star
  NumberScan number_;
  std::string count_text_;
  std::string integer_text_;
  std::string real_text_;
};

// Nothing is allocated before the first read: a channel can be set up in any state.
AnswerChannel::AnswerChannel(std::istream& in, int unit, std::string name)
    : in_(in), unit_(unit), name_(std::move(name)) {}

AnswerChannel::~AnswerChannel() = default;

bool AnswerChannel::start_line() {
  if (!lines_) {
    lines_ = std::make_unique<LineSource>(in_, *this);
    token_ = std::make_unique<Token>();
  }
  return lines_->next_line();
}

void AnswerChannel::fail_at_end() {
  failure_ = {lines_->line() + 1, {}};
  throw error(Failure::end_of_file);
}

void AnswerChannel::fail_at_token(Failure failure) {
  failure_ = {lines_->line(), token_->text()};
  throw error(failure);
}

std::string AnswerChannel::read_line() {
  if (!start_line()) fail_at_end();
  std::string line;
  for (int c; (c = lines_->peek()) != end_of_line; lines_->advance()) {
    if (line.size() == max_name_bytes) {
      line += "...";
      break;
    }
    line += static_cast<char>(c);
  }
  return line;
}

void AnswerChannel::read_token(bool integer_target) {
  token_->clear();
  for (int c; (c = lines_->peek()) != end_of_line && !ends_value(c);) {
    token_->append(lines_->take_value_run());
    // A value past any use is refused as soon as nothing can mend it, not at its end.
    if (token_->dead_for(integer_target)) fail_at_token(Failure::syntax_error);
  }
}

void AnswerChannel::take_token(std::span<const Target> targets, std::size_t& filled) {
  const Token::Parts parts = token_->parts();
  std::uint64_t repeat = 1;
  if (parts.star) {
    const std::string_view count = parts.count;
    if (count.empty() || count_digits(count, 0) != count.size())
      fail_at_token(Failure::syntax_error);
    if (std::from_chars(count.data(), count.data() + count.size(), repeat).ec != std::errc{}) {
      repeat = UINT64_MAX;  // more than any answer needs
    }
    if (repeat == 0) fail_at_token(Failure::syntax_error);
  }
  const bool null_value = parts.star && parts.value_empty;
  for (; repeat > 0 && filled < targets.size(); --repeat, ++filled) {
    if (null_value) continue;
    const Target& target = targets[filled];
    const bool integer = std::holds_alternative<std::int32_t*>(target);
    const std::optional<Failure> failure =
        assign(target, integer ? parts.integer_text : parts.real_text);
    if (failure) fail_at_token(*failure);
  }
}

void AnswerChannel::read_values(std::span<const Target> targets) {
  if (!start_line()) fail_at_end();
  std::size_t filled = 0;
  bool separator_due = false;  // a value was read and its comma may still follow
  while (filled < targets.size()) {
    const int c = lines_->peek();
    if (is_blank(c)) {
      lines_->advance();
      continue;
    }
    if (c == end_of_line) {
      if (!start_line()) fail_at_end();
      continue;
    }
    if (c == '/') break;
    if (c == ',') {
      lines_->advance();
      if (separator_due) {
        separator_due = false;
      } else {
        ++filled;  // nothing between two commas: the target keeps its value
      }
      continue;
    }
    read_token(std::holds_alternative<std::int32_t*>(targets[filled]));
    separator_due = true;
    take_token(targets, filled);
  }
  answer_line_ = lines_->line();
}

}  // namespace hornwall
