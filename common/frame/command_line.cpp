#include "hornwall/command_line.hpp"

#include <algorithm>
#include <array>
#include <span>

#include "hornwall/options.hpp"
#include "hornwall/text.hpp"

namespace hornwall {
namespace {

bool has_bands(const Program& program) {
  return std::holds_alternative<BandedGenerator>(program.generator);
}

// An argument in a message: quoted, with every byte outside printable ASCII as \xNN.

// The band named by `value`, if it names one.
std::optional<Band> band_named(std::string_view value) {
  if (value == "single") return Band::single;
  if (value == "dual") return Band::dual;
  return std::nullopt;
}

constexpr OptionSpec help_option{"help"};
constexpr OptionSpec version_option{"version"};
constexpr OptionSpec answers_option{"answers", 0, true};
constexpr OptionSpec band_template_option{"template", 0, true};
constexpr OptionSpec plain_template_option{"template"};
constexpr OptionSpec quiet_option{"quiet", 'q'};
constexpr OptionSpec set_option{"set", 0, true};
constexpr OptionSpec close_option{"close"};
constexpr OptionSpec parametric_heights_option{"parametric-heights"};

// The options that a program takes, held without allocating: a run that memory fails
// still reads its command line.
class ProgramOptions {
 public:
  explicit ProgramOptions(const Program& program) {
    add(help_option);
    add(version_option);
    add(answers_option);
    add(has_bands(program) ? band_template_option : plain_template_option);
    add(quiet_option);
    add(set_option);
    if (program.leaves_profile_open) add(close_option);
    if (program.numeric_heights) add(parametric_heights_option);
  }
  std::span<const OptionSpec> all() const { return {specs_.data(), count_}; }

 private:
  void add(const OptionSpec& option) { specs_[count_++] = option; }

  std::array<OptionSpec, 8> specs_{};
  std::size_t count_ = 0;
};

// Reads the options one after the other; the first fault is kept while the rest are
// still read, so that a later --help or --version can win.
class OptionReader {
 public:
  OptionReader(const Program& program, std::span<const std::string> arguments)
      : program_(program),
        options_(program),
        reader_(arguments, options_.all(), {.anywhere = true, .letters = true}) {}

  Result<RunOptions> read() {
    bool template_given = false;
    while (const std::optional<Argument> argument = reader_.next()) {
      if (argument->kind == Argument::Kind::operand) {
        run_.names.emplace_back(argument->text);
      } else if (argument->kind == Argument::Kind::fault) {
        read_fault(*argument);
      } else if (argument->option->name == "answers") {
        read_answers_file(*argument->value);
      } else if (argument->option->name == "template") {
        template_given = true;
        read_template(argument->value);
      } else if (argument->option->name == "set") {
        read_setting(*argument->value);
      } else if (argument->option->name == "quiet") {
        run_.quiet = true;
      } else if (argument->option->name == "close") {
        run_.close = true;
      } else if (argument->option->name == "parametric-heights") {
        run_.parametric_heights = true;
      } else if (!wins_) {
        wins_ = argument->option->name == "help" ? Action::help : Action::version;
      }
    }
    if (wins_) {
      run_.action = *wins_;
      return run_;
    }
    if (!run_.settings.empty() && !run_.answers_file) {
      fault("option '--set' requires '--answers'");
    }
    if (template_given && !error_) {
      run_.action = Action::print_template;
      if (run_.answers_file) {
        fault("options '--template' and '--answers' do not go together");
      } else if (!run_.names.empty()) {
        fault("option '--template' takes no file names");
      }
    }
    if (error_) return *error_;
    return run_;
  }

 private:
  void fault(std::string what) {
    if (!error_) error_ = Reason{std::move(what)};
  }

  void read_fault(const Argument& argument) {
    switch (argument.fault) {
      case OptionFault::unknown:
      case OptionFault::ambiguous:
        if (argument.text.starts_with("--")) {
          fault("unrecognized option " + quoted_printable(argument.text));
        } else {
          std::string letter(1, '-');
          letter += argument.spelled;
          fault("unrecognized option " + quoted_printable(letter) +
                " (a name that begins with '-' follows '--')");
        }
        return;
      case OptionFault::takes_no_value:
        // A band given to a wall without bands.
        if (argument.option->name == "template") {
          fault("option '--template' takes no band");
        } else {
          fault("option " + quoted_printable(argument.spelled) + " takes no value");
        }
        return;
      case OptionFault::needs_value:
        if (argument.option->name == "answers") {
          fault("option '--answers' requires a file name");
        } else if (argument.option->name == "set") {
          fault("option '--set' requires NAME=VALUE");
        } else {
          fault("option '--template' requires a band: single or dual");
        }
        return;
    }
  }

  void read_answers_file(std::string_view value) {
    // A blank name would make the program ask for one on the console.
    if (trim_blanks(value).empty()) {
      fault("option '--answers' requires a file name");
      return;
    }
    run_.answers_file = std::string(value);
  }

  // NAME=VALUE: NAME one of the symbols of the program's questions, in any case.
  void read_setting(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      fault("option '--set' requires NAME=VALUE, not " + quoted_printable(text));
      return;
    }
    const std::string_view name = text.substr(0, equals);
    const std::vector<std::string> symbols =
        program_.answers ? settable_symbols(*program_.answers) : std::vector<std::string>();
    const auto known = std::find_if(symbols.begin(), symbols.end(), [&](const std::string& s) {
      return equal_ignoring_case(s, name);
    });
    if (known == symbols.end()) {
      std::string list;
      for (const std::string& symbol : symbols) list += (list.empty() ? "" : ", ") + symbol;
      fault("unknown symbol " + quoted_printable(name) +
            " for option '--set': " + std::string(program_.name) + " has " + list);
      return;
    }
    const std::string value(text.substr(equals + 1));
    for (Setting& setting : run_.settings) {
      if (setting.symbol == *known) {
        setting.value = value;
        return;
      }
    }
    run_.settings.push_back({*known, value});
  }

  void read_template(std::optional<std::string_view> value) {
    if (!has_bands(program_)) {
      const std::optional<std::string_view> following = reader_.peek();
      if (!reader_.options_ended() && following && band_named(*following)) {
        fault("option '--template' takes no band");
      }
      return;
    }
    if (value->empty()) {
      fault("option '--template' requires a band: single or dual");
      return;
    }
    run_.template_band = band_named(*value);
    if (!run_.template_band) {
      fault("invalid band " + quoted_printable(*value) +
            " for option '--template': single or dual");
    }
  }

  const Program& program_;
  const ProgramOptions options_;
  ArgumentReader reader_;
  RunOptions run_;
  std::optional<Action> wins_;
  std::optional<Reason> error_;
};

}  // namespace

Result<RunOptions> parse_run_options(const Program& program,
                                     std::span<const std::string> arguments) {
  return OptionReader(program, arguments).read();
}

std::string synopsis(const Program& program) {
  const std::string_view band = has_bands(program) ? " single|dual" : "";
  return std::string(program.name) + " [--answers FILE [--set NAME=VALUE]...] [--quiet]" +
         (program.leaves_profile_open ? " [--close]" : "") +
         (program.numeric_heights ? " [--parametric-heights]" : "") + " [--template" +
         std::string(band) + "] [--] [NAME...]";
}

std::string help_text(const Program& program) {
  const std::string name(program.name);
  std::string text = "Usage: " + synopsis(program) + "\n";
  text.append(program.description);
  text +=
      "It asks its questions on the console, or reads the answers from a file, and writes\n"
      "one object file.\n"
      "\n"
      "Options:\n"
      "  --answers FILE   take the answers from FILE, as if the console had answered 1 and FILE\n";
  text += has_bands(program)
              ? "  --template single|dual\n"
                "                   print a commented answers file of a realistic horn of that "
                "band\n"
              : "  --template       print a commented answers file of a realistic horn\n";
  text +=
      "  --set NAME=VALUE with --answers: answer the question of the symbol NAME (RW1, CD1,\n"
      "                   ...) with VALUE instead of the file's answer; repeatable\n"
      "  -q, --quiet      write no questions or answers to the console, only errors\n";
  if (program.leaves_profile_open) {
    text += "  --close          close the profile at the end of the file, ready for ZEPRA\n";
  }
  if (program.numeric_heights) {
    text +=
        "  --parametric-heights\n"
        "                   write the remaining corrugations' heights as expressions over\n"
        "                   their taper's variables (CD1, CD2, ...), not as numbers\n";
  }
  text +=
      "  --help           print this help and exit\n"
      "  --version        print the version and exit\n"
      "  --               end the options: a NAME that begins with \"-\" must follow it\n"
      "\n"
      "Each NAME stands in for a blank file-name answer (the answers file's, the object\n"
      "file's), in order.\n"
      "See man " +
      name +
      " for its questions, and man hornwall for the answers-file format and every\n"
      "error.\n";
  return text;
}

std::string version_line(const Program& program) {
  return std::string(program.name) + " (hornwall) " HORNWALL_VERSION "\n";
}

}  // namespace hornwall
