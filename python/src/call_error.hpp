#pragma once

#include <exception>
#include <string>
#include <utility>

// The one failure of a call of the module, which a script sees as hornwall.Error.
namespace hornwall::python {

// What a call of the module could not do, as the program that does the same work says it:
// the lines it prints on its error output and the exit status it gives.
class CallError : public std::exception {
 public:
  CallError(std::string lines, int status) : lines_(std::move(lines)), status_(status) {
    while (!lines_.empty() && lines_.back() == '\n') lines_.pop_back();
  }
  // The lines, without the line end of the last.
  const std::string& lines() const { return lines_; }
  int status() const { return status_; }
  const char* what() const noexcept override { return lines_.c_str(); }

 private:
  std::string lines_;
  int status_;
};

}  // namespace hornwall::python
