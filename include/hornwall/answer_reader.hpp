#pragma once

#include <cstdint>
#include <initializer_list>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "hornwall/run_error.hpp"

namespace hornwall {

// A variable that one value of an answer is read into.
using Target = std::variant<std::int32_t*, float*>;
using Targets = std::initializer_list<Target>;

// One channel that answers are read from: the console (unit 5, "stdin") or the
// input text file (unit 50, named by the user). Lines end in LF or CR LF.
class AnswerChannel {
 public:
  AnswerChannel(std::istream& in, int unit, std::string name);

  int unit() const { return unit_; }
  const std::string& name() const { return name_; }

  // Reads the next whole line, without its line end.
  // Raises end-of-file (24) when the input has no further line.
  std::string read_line();

  // Reads one answer into `targets`, in order. The answer starts on a new line; values
  // are separated by blanks, tabs, a comma or line ends (empty lines are skipped); the
  // rest of the line after the last value is dropped. A slash ends the answer, and an
  // empty value or k* leaves its target unchanged; k*v counts as k values v.
  // Raises end-of-file (24), syntax error (59) for text that is not a number of the
  // target's kind, and conversion error (64) for a number too large for its target.
  void read_values(std::span<const Target> targets);
  void read_values(Targets targets) {
    read_values(std::span<const Target>(targets.begin(), targets.size()));
  }

  // The failure `failure` of this channel, with its unit and name.
  RunError error(Failure failure) const { return channel_error(failure, unit_, name_); }

 private:
  void assign(const Target& target, std::string_view text) const;

  std::istream& in_;
  int unit_;
  std::string name_;
};

// A file name as typed: without its leading and trailing blanks.
std::string_view trim_blanks(std::string_view text);

}  // namespace hornwall
