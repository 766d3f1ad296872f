#include "hornwall/view/command_line.hpp"

#include <array>
#include <vector>

#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

enum class OptionId { output, table, mirror, quiet, help, version };

struct LongOption {
  std::string_view name;
  OptionId id;
  bool takes_value;
};

constexpr std::array<LongOption, 6> long_options = {{
    {"output", OptionId::output, true},
    {"table", OptionId::table, true},
    {"mirror", OptionId::mirror, false},
    {"quiet", OptionId::quiet, false},
    {"help", OptionId::help, false},
    {"version", OptionId::version, false},
}};

void apply(OptionId id, std::string value, ViewOptions& options) {
  switch (id) {
    case OptionId::output: options.svg_path = std::move(value); break;
    case OptionId::table: options.table_path = std::move(value); break;
    case OptionId::mirror: options.mirror = true; break;
    case OptionId::quiet: options.quiet = true; break;
    case OptionId::help: options.help = true; break;
    case OptionId::version: options.version = true; break;
  }
}

// Finds the long option `name` names, exactly or as an unambiguous prefix.
const LongOption* find_long(std::string_view name, std::string& error) {
  const LongOption* found = nullptr;
  std::size_t matches = 0;
  for (const LongOption& option : long_options) {
    if (option.name == name) return &option;
    if (option.name.starts_with(name)) {
      found = &option;
      ++matches;
    }
  }
  if (matches == 1) return found;
  error = (matches == 0 ? "unknown option '--" : "ambiguous option '--") + printable(name) + "'";
  return nullptr;
}

// True when `path` ends in ".svg", in any case.
bool is_svg_name(std::string_view path) {
  constexpr std::string_view suffix = ".svg";
  if (path.size() < suffix.size()) return false;
  const std::string_view end = path.substr(path.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
    if (c != suffix[i]) return false;
  }
  return true;
}

}  // namespace

CommandLine parse_command_line(std::span<const std::string> arguments) {
  CommandLine result;
  ViewOptions& options = result.options;
  std::vector<std::string> files;
  bool options_ended = false;
  for (std::size_t at = 0; at < arguments.size() && result.usage_error.empty(); ++at) {
    const std::string& argument = arguments[at];
    const bool has_next = at + 1 < arguments.size();
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      files.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument.starts_with("--")) {
      const std::size_t equals = argument.find('=');
      const std::string name =
          argument.substr(2, equals == std::string::npos ? equals : equals - 2);
      const LongOption* option = find_long(name, result.usage_error);
      if (option == nullptr) break;
      const std::string shown = "'--" + std::string(option->name) + "'";
      if (!option->takes_value && equals != std::string::npos) {
        result.usage_error = "option " + shown + " takes no value";
      } else if (!option->takes_value) {
        apply(option->id, std::string(), options);
      } else if (equals == std::string::npos && !has_next) {
        result.usage_error = "option " + shown + " needs a value";
      } else {
        std::string value =
            equals != std::string::npos ? argument.substr(equals + 1) : arguments[++at];
        // An empty path ("--table=", "--output ''") names no file: it is refused.
        if (value.empty()) result.usage_error = "option " + shown + " needs a value";
        apply(option->id, std::move(value), options);
      }
    } else {
      for (std::size_t letter = 1; letter < argument.size(); ++letter) {
        const char c = argument[letter];
        if (c == 'q') {
          options.quiet = true;
        } else if (c == 'h') {
          options.help = true;
        } else if (c == 'o') {
          if (letter + 1 < argument.size()) {
            options.svg_path = argument.substr(letter + 1);
          } else if (has_next && !arguments[at + 1].empty()) {
            options.svg_path = arguments[++at];
          } else {
            result.usage_error = "option '-o' needs a value";
          }
          break;
        } else {
          result.usage_error = "unknown option '-" + printable(std::string_view(&c, 1)) + "'";
          break;
        }
      }
    }
  }
  if (!result.usage_error.empty() || options.help || options.version) return result;
  if (files.empty()) {
    result.usage_error = "no object file given";
  } else if (files.size() > 1) {
    result.usage_error = "more than one object file given: '" + printable(files[0]) + "' and '" +
                         printable(files[1]) + "'";
  } else {
    options.file = files[0];
    if (options.svg_path.empty()) options.svg_path = options.file + ".svg";
    if (options.svg_path == "-") {
      result.usage_error = "the picture cannot go to standard output";
    } else if (!is_svg_name(options.svg_path)) {
      result.usage_error =
          "the picture's name must end in '.svg': '" + printable(options.svg_path) + "'";
    }
  }
  return result;
}

std::string_view usage_line() { return "usage: hornwall_view [OPTIONS] FILE\n"; }

std::string_view help_text() {
  return "usage: hornwall_view [OPTIONS] FILE\n"
         "Evaluates the object file FILE, checks the wall it describes, draws it as an SVG\n"
         "picture and can export its nodes.\n"
         "\n"
         "  -o, --output OUT.svg  write the picture to OUT.svg (default: FILE.svg); its\n"
         "                        name must end in .svg\n"
         "      --mirror          draw the mirror image below the axis as well\n"
         "      --table OUT.csv   write the evaluated nodes as CSV (profile,index,z,rho);\n"
         "                        '-' writes them to standard output, and the summary\n"
         "                        then goes to standard error\n"
         "  -q, --quiet           print no summary, only errors and warnings\n"
         "  -h, --help            show this help and exit\n"
         "      --version         show the version and exit\n"
         "\n"
         "Every output is written whole or not at all: an existing file is replaced only\n"
         "once its successor is complete.\n"
         "Exit status: 0 when the file is sound (warnings allowed), 1 when it has errors,\n"
         "2 for a usage error or a file that cannot be read or written.\n";
}

std::string version_line() {
  return std::string("hornwall_view (hornwall) ") + HORNWALL_VERSION + "\n";
}

}  // namespace hornwall::view
