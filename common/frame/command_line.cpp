#include "hornwall/command_line.hpp"

#include "hornwall/text.hpp"

namespace hornwall {
namespace {

bool has_bands(const Program& program) {
  return std::holds_alternative<BandedGenerator>(program.generator);
}

// An argument in a message: quoted, with every byte outside printable ASCII as \xNN.
std::string quoted(std::string_view text) { return single_quoted(printable(text)); }

// The band named by `value`, if it names one.
std::optional<Band> band_named(std::string_view value) {
  if (value == "single") return Band::single;
  if (value == "dual") return Band::dual;
  return std::nullopt;
}

// Reads the options one after the other; the first fault is kept while the rest are
// still read, so that a later --help or --version can win.
class OptionReader {
 public:
  OptionReader(const Program& program, std::span<const std::string> arguments)
      : program_(program), arguments_(arguments) {}

  std::variant<RunOptions, UsageError> read() {
    bool template_given = false;
    while (next_ < arguments_.size() && arguments_[next_].starts_with("--")) {
      const std::string_view argument = arguments_[next_++];
      if (argument == "--") break;
      const auto equals = argument.find('=');
      const std::string_view name = argument.substr(0, equals);
      std::optional<std::string_view> value;
      if (equals != std::string_view::npos) value = argument.substr(equals + 1);

      if (name == "--help" || name == "--version") {
        if (value) {
          fault("option " + quoted(name) + " takes no value");
        } else if (!wins_) {
          wins_ = name == "--help" ? Action::help : Action::version;
        }
      } else if (name == "--answers") {
        read_answers_file(value);
      } else if (name == "--template") {
        template_given = true;
        read_template(value);
      } else {
        fault("unrecognized option " + quoted(argument));
      }
    }
    options_.names.assign(arguments_.begin() + static_cast<std::ptrdiff_t>(next_),
                          arguments_.end());
    if (wins_) {
      options_.action = *wins_;
      return options_;
    }
    if (template_given && !error_) {
      options_.action = Action::print_template;
      if (options_.answers_file) {
        fault("options '--template' and '--answers' do not go together");
      } else if (!options_.names.empty()) {
        fault("option '--template' takes no file names");
      }
    }
    if (error_) return *error_;
    return options_;
  }

 private:
  void fault(std::string what) {
    if (!error_) error_ = UsageError{std::move(what)};
  }

  // The value after "=", else the next argument, whatever it looks like.
  std::optional<std::string_view> value_or_next(std::optional<std::string_view> value) {
    if (value) return value;
    if (next_ < arguments_.size()) return arguments_[next_++];
    return std::nullopt;
  }

  void read_answers_file(std::optional<std::string_view> value) {
    value = value_or_next(value);
    // A blank name would make the program ask for one on the console.
    if (!value || trim_blanks(*value).empty()) {
      fault("option '--answers' requires a file name");
      return;
    }
    options_.answers_file = std::string(*value);
  }

  void read_template(std::optional<std::string_view> value) {
    if (!has_bands(program_)) {
      const bool band_follows =
          !value && next_ < arguments_.size() && band_named(arguments_[next_]).has_value();
      if (value || band_follows) fault("option '--template' takes no band");
      return;
    }
    value = value_or_next(value);
    if (!value || value->empty()) {
      fault("option '--template' requires a band: single or dual");
      return;
    }
    options_.template_band = band_named(*value);
    if (!options_.template_band) {
      fault("invalid band " + quoted(*value) + " for option '--template': single or dual");
    }
  }

  const Program& program_;
  std::span<const std::string> arguments_;
  std::size_t next_ = 0;
  RunOptions options_;
  std::optional<Action> wins_;
  std::optional<UsageError> error_;
};

}  // namespace

std::variant<RunOptions, UsageError> parse_run_options(const Program& program,
                                                       std::span<const std::string> arguments) {
  return OptionReader(program, arguments).read();
}

std::string synopsis(const Program& program) {
  const std::string_view band = has_bands(program) ? " single|dual" : "";
  return std::string(program.name) + " [--answers FILE] [--template" + std::string(band) +
         "] [--] [NAME...]";
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
      "  --help           print this help and exit\n"
      "  --version        print the version and exit\n"
      "  --               end the options: a NAME that begins with \"--\" must follow it\n"
      "\n"
      "Each NAME stands in for a blank file-name answer (the answers file's, the object\n"
      "file's), in order.\n"
      "See man " +
      name + " for the questions, the answers-file format and every error.\n";
  return text;
}

std::string version_line(const Program& program) {
  return std::string(program.name) + " (hornwall) " HORNWALL_VERSION "\n";
}

}  // namespace hornwall
