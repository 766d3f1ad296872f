#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The arguments of a command line, read as GNU tools read theirs, for every program of the
// family: "--name=value" or "--name value", "--" ending the options, and, where a program
// takes them, letters ("-q", "-oOUT", "-qo OUT") and shortened long names ("--tab" for
// "--table"). Each program words its own messages from what this reader finds.
namespace hornwall {

// One option a program takes.
struct OptionSpec {
  std::string_view name;  // the long name, without "--"
  char letter = 0;        // the one-letter name, or 0
  bool takes_value = false;
};

// How a program reads its options.
struct OptionRules {
  bool anywhere = false;     // options may follow operands (else the first operand ends them)
  bool shortened = false;    // a long name may be shortened to an unambiguous prefix
  bool letters = false;      // one-letter options, grouped or not
  bool empty_values = true;  // an empty value ("--table=") is a value (else: needs_value)
};

// What was wrong with an argument.
enum class OptionFault {
  unknown,         // no such option
  ambiguous,       // a shortened name that begins more than one option
  needs_value,     // an option that takes a value was given none
  takes_no_value,  // an option that takes none was given one ("--help=x")
};

// One thing the command line holds.
struct Argument {
  enum class Kind { option, operand, fault };
  Kind kind = Kind::operand;
  const OptionSpec* option = nullptr;     // the option found (also for a value fault)
  std::optional<std::string_view> value;  // its value, when it takes one and got one
  // An operand; for an option or a fault, the argument as written ("--frob=1", "-x") and,
  // for a fault, `spelled`: the name as written without its value ("--frob", "-x").
  std::string_view text;
  std::string_view spelled;
  OptionFault fault = OptionFault::unknown;
};

// What was wrong with the fault `argument`, as the tools say it: "unknown option '--frob'",
// "ambiguous option '--o'", "option '-o' needs a value", "option '--quiet' takes no
// value"; bytes outside printable ASCII shown as \xNN.
std::string option_fault_text(const Argument& argument);

// Reads `arguments` (without the program's name) one by one against `options`, which
// must outlive it.
class ArgumentReader {
 public:
  ArgumentReader(std::span<const std::string> arguments, std::span<const OptionSpec> options,
                 OptionRules rules);

  // The next option, operand or fault; none after the last argument. A value is the rest
  // of its argument after "=" (or after a letter), else the next argument, whatever it
  // looks like. After a fault the reader goes on with the next argument.
  std::optional<Argument> next();
  // The argument that next() reads next, if any, without reading it.
  std::optional<std::string_view> peek() const;
  // Whether "--" or, when options stand only first, the first operand has ended them.
  bool options_ended() const { return ended_; }

 private:
  std::optional<Argument> long_option(std::string_view argument);
  std::optional<Argument> letters(std::string_view argument);
  const OptionSpec* find(std::string_view name, OptionFault& fault) const;

  std::span<const std::string> arguments_;
  std::span<const OptionSpec> options_;
  OptionRules rules_;
  std::size_t next_ = 0;
  bool ended_ = false;
  std::size_t letter_ = 0;  // inside a group of letters: the next letter's place, else 0
};

}  // namespace hornwall
