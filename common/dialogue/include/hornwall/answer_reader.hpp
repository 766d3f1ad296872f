#pragma once

#include <cstdint>
#include <initializer_list>
#include <istream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "hornwall/run_error.hpp"
#include "hornwall/text.hpp"

namespace hornwall {

// A variable that one value of an answer is read into.
using Target = std::variant<std::int32_t*, float*>;
using Targets = std::initializer_list<Target>;

// The longest name line kept: the system's longest path. A longer line is read as its
// first max_name_bytes bytes followed by "...", which names no file.
inline constexpr std::size_t max_name_bytes = 4096;

// Where in the input a read failed: the physical line (1-based) and the value's text as
// written (at most a few kilobytes of it; empty for the end of the input).
struct InputPlace {
  std::int64_t line = 0;
  std::string text;
};

// One channel that answers are read from: the console (unit 5, "stdin") or the
// input text file (unit 50, named by the user). Lines end in LF or CR LF. The input is
// read in pieces of a few kilobytes, so that no line, however long, is held whole.
class AnswerChannel {
 public:
  AnswerChannel(std::istream& in, int unit, std::string name);
  ~AnswerChannel();
  AnswerChannel(const AnswerChannel&) = delete;
  AnswerChannel& operator=(const AnswerChannel&) = delete;

  int unit() const { return unit_; }
  const std::string& name() const { return name_; }

  // Reads the next whole line, without its line end; a line longer than max_name_bytes
  // comes back as its first max_name_bytes bytes followed by "...", and its rest is
  // dropped by the next read. Raises end-of-file (24), and error during read (39) when the
  // stream reports a read error (badbit).
  std::string read_line();

  // Reads one answer into `targets`, in order. The answer starts on a new line; values
  // are separated by blanks, tabs, a comma or line ends (empty lines are skipped); the
  // rest of the line after the last value is dropped. A slash ends the answer, and an
  // empty value or k* leaves its target unchanged; k*v counts as k values v. A number of
  // any length reads as its correctly rounded value.
  // Raises end-of-file (24), syntax error (59) for text that is not a number of the
  // target's kind, conversion error (64) for a number too large for its target, and
  // error during read (39).
  void read_values(std::span<const Target> targets);
  void read_values(Targets targets) {
    read_values(std::span<const Target>(targets.begin(), targets.size()));
  }

  // Where the last failure of read_values or read_line lies: for 59 and 64 the line and
  // text of the value, for 24 the line after the last one.
  const InputPlace& failure_place() const { return failure_; }
  // The line on which the last answer ended.
  std::int64_t answer_line() const { return answer_line_; }

  // The failure `failure` of this channel, with its unit and name.
  RunError error(Failure failure) const { return channel_error(failure, unit_, name_); }

 private:
  class LineSource;
  class Token;

  bool start_line();
  [[noreturn]] void fail_at_end();
  [[noreturn]] void fail_at_token(Failure failure);
  void read_token(bool integer_target);
  void take_token(std::span<const Target> targets, std::size_t& filled);

  std::istream& in_;
  std::unique_ptr<LineSource> lines_;  // made at the first read, as is token_
  std::unique_ptr<Token> token_;
  int unit_;
  std::string name_;
  InputPlace failure_;
  std::int64_t answer_line_ = 0;
};

}  // namespace hornwall
