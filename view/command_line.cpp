#include "hornwall/view/command_line.hpp"

#include <array>
#include <vector>

#include "hornwall/options.hpp"
#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

// The options that name no output.
constexpr std::array<OptionSpec, 7> other_options = {{
    {"band", 0, true},
    {"min-coverage", 0, true},
    {"strict"},
    {"mirror"},
    {"quiet", 'q'},
    {"help", 'h'},
    {"version"},
}};

// Every option, each known by its long name: the outputs' first.
constexpr auto view_options = [] {
  std::array<OptionSpec, output_kinds + other_options.size()> all{};
  for (std::size_t k = 0; k < output_kinds; ++k) all[k] = output_table[k].option;
  for (std::size_t i = 0; i < other_options.size(); ++i) all[output_kinds + i] = other_options[i];
  return all;
}();

// Takes the option `name` with its `value` into `options`; returns what is wrong with it.
Result<void> apply(std::string_view name, std::string_view value, ViewOptions& options) {
  for (std::size_t k = 0; k < output_kinds; ++k) {
    if (name == output_table[k].option.name) options.paths[k] = value;
  }
  if (name == "band") return add_band(options.bands, value);
  if (name == "min-coverage") {
    const Result<double> percent = parse_min_coverage(value);
    if (!percent.ok()) return Reason{percent.reason()};
    options.min_coverage = percent.value();
  }
  if (name == "strict") options.strict = true;
  if (name == "mirror") options.mirror = true;
  if (name == "quiet") options.quiet = true;
  if (name == "help") options.help = true;
  if (name == "version") options.version = true;
  return {};
}

// True when `path` ends in `suffix`, in any case.
bool ends_with_suffix(std::string_view path, std::string_view suffix) {
  return path.size() >= suffix.size() &&
         equal_ignoring_case(path.substr(path.size() - suffix.size()), suffix);
}

// The help's lines of the output `row`: its option and operand, then its text, indented.
std::string output_help(const OutputRow& row) {
  constexpr std::size_t text_column = 24;
  std::string spelled = "  ";
  spelled += row.option.letter != 0 ? std::string{'-', row.option.letter, ',', ' '} : "    ";
  spelled += "--";
  spelled += row.option.name;
  spelled += ' ';
  spelled += row.operand;
  std::string text = spelled;
  if (spelled.size() + 2 > text_column) {
    text += '\n';
    text.append(text_column, ' ');
  } else {
    text.append(text_column - spelled.size(), ' ');
  }
  for (const char c : row.help) {
    text += c;
    if (c == '\n') text.append(text_column, ' ');
  }
  text += '\n';
  return text;
}

}  // namespace

Result<ViewOptions> parse_command_line(std::span<const std::string> arguments) {
  ViewOptions result;
  std::vector<std::string> files;
  ArgumentReader reader(
      arguments, view_options,
      {.anywhere = true, .shortened = true, .letters = true, .empty_values = false});
  while (const std::optional<Argument> argument = reader.next()) {
    if (argument->kind == Argument::Kind::fault) return Reason{option_fault_text(*argument)};
    if (argument->kind == Argument::Kind::operand) {
      files.emplace_back(argument->text);
      continue;
    }
    const Result<void> taken = apply(argument->option->name, argument->value.value_or(""), result);
    if (!taken.ok()) return Reason{taken.reason()};
  }
  if (result.help || result.version) return result;
  if (files.empty()) return Reason{"no object file given"};
  if (files.size() > 1) {
    return Reason{"more than one object file given: " + quoted_printable(files[0]) + " and " +
                  quoted_printable(files[1])};
  }
  result.file = files[0];
  const OutputRow* to_console = nullptr;
  for (std::size_t k = 0; k < output_kinds; ++k) {
    const OutputRow& row = output_table[k];
    std::string& path = result.paths[k];
    if (path.empty() && row.always) path = result.file + std::string(row.suffix);
    if (path.empty()) continue;
    if (path == "-" && !row.console) {
      return Reason{"the " + std::string(row.name) + " cannot go to standard output"};
    }
    if (path == "-") {
      if (to_console != nullptr) {
        return Reason{"the " + std::string(to_console->name) + " and the " + std::string(row.name) +
                      " cannot both go to standard output"};
      }
      to_console = &row;
      continue;
    }
    if (!ends_with_suffix(path, row.suffix)) {
      return Reason{"the " + std::string(row.name) + "'s name must end in " +
                    single_quoted(row.suffix) + ": " + quoted_printable(path)};
    }
  }
  return result;
}

std::string_view usage_line() { return "usage: hornwall_view [OPTIONS] FILE\n"; }

std::string help_text() {
  std::string text =
      "usage: hornwall_view [OPTIONS] FILE\n"
      "Evaluates the object file FILE, checks the wall it describes, draws it as an SVG\n"
      "picture and can export its nodes and a DXF drawing of its profiles.\n"
      "\n";
  for (const OutputRow& row : output_table) text += output_help(row);
  text +=
      "      --mirror          draw the mirror image below the axis as well, in the\n"
      "                        picture and in the drawing\n"
      "      --band F1:F2      check the corrugations against a band, in GHz or with\n"
      "                        Hz, kHz, MHz, GHz (9.5GHz:10.5GHz); twice for a dual\n"
      "                        band. A corrugation h high is capacitive where\n"
      "                        4 f h / c, modulo 2, lies between 1 and 2\n"
      "      --min-coverage P  warn of band frequencies at which fewer than P percent\n"
      "                        of a profile's corrugations are capacitive (default\n"
      "                        25); the summary's margin keeps to it too\n"
      "      --strict          count warnings as errors in the exit status\n"
      "  -q, --quiet           print no summary, only errors and warnings\n"
      "  -h, --help            show this help and exit\n"
      "      --version         show the version and exit\n"
      "\n"
      "Every output is written whole or not at all: an existing file is replaced only\n"
      "once its successor is complete.\n"
      "Exit status: 0 when the file is sound (warnings allowed), 1 when it has errors,\n"
      "2 for a usage error or a file that cannot be read or written.\n";
  return text;
}
std::string version_line() {
  return std::string("hornwall_view (hornwall) ") + HORNWALL_VERSION + "\n";
}

}  // namespace hornwall::view
