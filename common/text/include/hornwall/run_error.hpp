#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace hornwall {

// Unit numbers: every channel is known by one, and every error message names it.
inline constexpr int console_input_unit = 5;
inline constexpr int console_output_unit = 6;
inline constexpr int object_file_unit = 43;
inline constexpr int input_file_unit = 50;

// The run-time error catalogue: the number is part of the error line.
enum class Failure {
  end_of_file = 24,
  syntax_error = 59,
  file_not_found = 29,
  permission_denied = 9,
  no_such_device = 42,
  bad_file_name = 43,
  open_failure = 30,
  write_error = 38,
  read_error = 39,
  out_of_memory = 41,
  conversion_error = 64,
  unit_code_out_of_table = 66,
};

// A failure that ends the run. Raised by the channels, the file layer and the unit
// lookup, and caught once, in the program frame, which reports it as
// "severe (N): MESSAGE", followed by the line that says where, when there is one.
class RunError : public std::exception {
 public:
  RunError(Failure failure, std::string message, int unit = 0);
  int number() const { return number_; }
  // The unit of the channel that failed; 0 for a failure of no channel.
  int unit() const { return unit_; }
  // The whole message, the file name with every byte outside printable ASCII written as
  // \xNN (a NUL byte too), so that a name cannot send the terminal control sequences.
  const std::string& message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

  // The second error line, in the compilers' form "FILE:LINE: error: ...", without its
  // line end; empty when the failure has no place in an answers file.
  const std::string& where() const { return where_; }
  void set_where(std::string where) { where_ = std::move(where); }

 private:
  int number_;
  int unit_;
  std::string message_;
  std::string where_;
};

// The failure of one channel: the catalogue text for `failure` with the unit
// number and the file name filled in ("end-of-file during read, unit 50, file a.txt"),
// the name as printable writes it.
RunError channel_error(Failure failure, int unit, std::string_view file);

// An answer that selects no entry of a length-unit table of `table_size` entries.
RunError unit_code_error(long long code, int table_size, int unit, std::string_view file);

// The error line of a failed allocation, which names no unit. A constant, so that it
// can be written when no memory is left.
std::string_view out_of_memory_line();

// The catalogue line that reports `error` on standard error, line end included.
std::string error_line(const RunError& error);

}  // namespace hornwall
