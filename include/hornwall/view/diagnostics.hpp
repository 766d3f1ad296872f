#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The errors and warnings found in one object file, each tied to a line.
namespace hornwall {

enum class Severity { error, warning };

// One finding: the 1-based line it concerns, its severity and its text (without the
// "FILE:LINE: error: " prefix).
struct Diagnostic {
  std::size_t line = 0;
  Severity severity = Severity::error;
  std::string text;
};

// Collects the findings of one run in the order they are found.
class Diagnostics {
 public:
  // Records an error or a warning at `line`.
  void error(std::size_t line, std::string text);
  void warning(std::size_t line, std::string text);

  // The counts of each severity recorded so far.
  std::size_t error_count() const { return errors_; }
  std::size_t warning_count() const { return warnings_; }

  // The findings, stably sorted by line, so that they read top to bottom.
  std::vector<Diagnostic> sorted() const;

 private:
  std::vector<Diagnostic> found_;
  std::size_t errors_ = 0;
  std::size_t warnings_ = 0;
};

// Writes every finding of `diagnostics`, sorted by line, one per line, as compilers
// write them: "FILE:LINE: error: TEXT" or "FILE:LINE: warning: TEXT". Every byte of
// TEXT outside printable ASCII (a control character, a byte of UTF-8) is written as
// \xNN, so that the text of a file cannot reach the terminal as control sequences.
void write_diagnostics(const Diagnostics& diagnostics, std::string_view file_name,
                       std::ostream& out);

// A number for a message or the summary: at most `digits` significant digits, the
// shortest form ("100", "-51.5", "1.5321e-14"); "NaN", "Infinity" and "-Infinity" as
// the object files write them.
std::string short_number(double value, int digits = 6);

// The name of an object in a message: the name in single quotes, 'RC1'.
std::string quoted(std::string_view name);

}  // namespace hornwall
