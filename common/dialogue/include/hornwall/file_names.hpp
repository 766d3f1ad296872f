#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace hornwall {

// The command-line arguments that stand in for blank file-name answers: each blank name
// takes the next argument that no earlier blank name has used, in order from the first.
class NameArguments {
 public:
  explicit NameArguments(std::span<const std::string> arguments) : arguments_(arguments) {}

  // The next unused argument without its leading and trailing blanks, or "" when none is
  // left. A blank argument counts as used: the next blank name takes the one after it.
  std::string take_next();
  // How many arguments blank names have taken.
  std::size_t taken() const { return next_; }

 private:
  std::span<const std::string> arguments_;
  std::size_t next_ = 0;
};

}  // namespace hornwall
