#include "hornwall/options.hpp"

#include "hornwall/text.hpp"

namespace hornwall {

ArgumentReader::ArgumentReader(std::span<const std::string> arguments,
                               std::span<const OptionSpec> options, OptionRules rules)
    : arguments_(arguments), options_(options), rules_(rules) {}

std::optional<std::string_view> ArgumentReader::peek() const {
  if (next_ >= arguments_.size()) return std::nullopt;
  return arguments_[next_];
}

const OptionSpec* ArgumentReader::find(std::string_view name, OptionFault& fault) const {
  const OptionSpec* found = nullptr;
  std::size_t matches = 0;
  for (const OptionSpec& option : options_) {
    if (option.name == name) return &option;
    if (rules_.shortened && option.name.starts_with(name)) {
      found = &option;
      ++matches;
    }
  }
  if (matches == 1) return found;
  fault = matches == 0 ? OptionFault::unknown : OptionFault::ambiguous;
  return nullptr;
}

std::optional<Argument> ArgumentReader::next() {
  if (letter_ > 0) return letters(arguments_[next_ - 1]);
  if (next_ >= arguments_.size()) return std::nullopt;
  const std::string_view argument = arguments_[next_++];
  if (!ended_ && argument == "--") {
    ended_ = true;
    return next();
  }
  if (!ended_ && argument.starts_with("--")) return long_option(argument);
  if (!ended_ && rules_.letters && argument.size() >= 2 && argument[0] == '-') {
    letter_ = 1;
    return letters(argument);
  }
  if (!rules_.anywhere) ended_ = true;
  Argument operand;
  operand.text = argument;
  return operand;
}

std::optional<Argument> ArgumentReader::long_option(std::string_view argument) {
  Argument found;
  found.text = argument;
  const std::size_t equals = argument.find('=');
  found.spelled = argument.substr(0, equals);
  const OptionSpec* option = find(found.spelled.substr(2), found.fault);
  found.option = option;
  found.kind = Argument::Kind::fault;
  if (option == nullptr) return found;
  if (equals != std::string_view::npos) found.value = argument.substr(equals + 1);
  if (!option->takes_value) {
    if (found.value) {
      found.fault = OptionFault::takes_no_value;
      found.value.reset();
      return found;
    }
  } else {
    if (!found.value && next_ < arguments_.size()) found.value = arguments_[next_++];
    if (!found.value || (!rules_.empty_values && found.value->empty())) {
      found.fault = OptionFault::needs_value;
      return found;
    }
  }
  found.kind = Argument::Kind::option;
  return found;
}

std::optional<Argument> ArgumentReader::letters(std::string_view argument) {
  Argument found;
  found.text = argument;
  found.spelled = argument.substr(letter_, 1);
  const char letter = argument[letter_++];
  const bool last = letter_ >= argument.size();
  if (last) letter_ = 0;
  for (const OptionSpec& option : options_) {
    if (option.letter == 0 || option.letter != letter) continue;
    found.option = &option;
    if (option.takes_value) {
      // The rest of the group is the value, or else the next argument.
      if (!last) {
        found.value = argument.substr(letter_);
        letter_ = 0;
      } else if (next_ < arguments_.size() && (rules_.empty_values || !arguments_[next_].empty())) {
        found.value = arguments_[next_++];
      } else {
        found.kind = Argument::Kind::fault;
        found.fault = OptionFault::needs_value;
        return found;
      }
    }
    found.kind = Argument::Kind::option;
    return found;
  }
  found.kind = Argument::Kind::fault;
  found.fault = OptionFault::unknown;
  return found;
}

std::string option_fault_text(const Argument& argument) {
  const bool letter = !argument.text.starts_with("--");
  const std::string spelled = printable(argument.spelled);
  const std::string shown =
      letter ? "'-" + spelled + "'"
             : "'--" + std::string(argument.option ? argument.option->name : "") + "'";
  switch (argument.fault) {
    case OptionFault::unknown:
      return letter ? "unknown option " + shown : "unknown option '" + spelled + "'";
    case OptionFault::ambiguous: return "ambiguous option '" + spelled + "'";
    case OptionFault::takes_no_value: return "option " + shown + " takes no value";
    case OptionFault::needs_value: return "option " + shown + " needs a value";
  }
  return "unknown option '" + spelled + "'";
}

}  // namespace hornwall
