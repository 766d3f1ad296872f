#include "hornwall/file_names.hpp"

#include "hornwall/text.hpp"

namespace hornwall {

std::string NameArguments::take_next() {
  if (next_ >= arguments_.size()) return {};
  return std::string(trim_blanks(arguments_[next_++]));
}

}  // namespace hornwall
