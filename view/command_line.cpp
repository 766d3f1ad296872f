#include "hornwall/view/command_line.hpp"

#include <array>
#include <vector>

#include "hornwall/options.hpp"
#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

// The options, each known by its long name.
constexpr std::array<OptionSpec, 9> view_options = {{
    {"output", 'o', true},
    {"table", 0, true},
    {"corrugations", 0, true},
    {"band", 0, true},
    {"strict"},
    {"mirror"},
    {"quiet", 'q'},
    {"help", 'h'},
    {"version"},
}};

// Takes the option `name` with its `value` into `options`; returns what is wrong with it.
Result<void> apply(std::string_view name, std::string_view value, ViewOptions& options) {
  if (name == "band") return add_band(options.bands, value);
  if (name == "strict") options.strict = true;
  if (name == "corrugations") options.corrugations_path = value;
  if (name == "output") options.svg_path = value;
  if (name == "table") options.table_path = value;
  if (name == "mirror") options.mirror = true;
  if (name == "quiet") options.quiet = true;
  if (name == "help") options.help = true;
  if (name == "version") options.version = true;
  return {};
}

// True when `path` ends in ".svg", in any case.
bool is_svg_name(std::string_view path) {
  constexpr std::string_view suffix = ".svg";
  return path.size() >= suffix.size() &&
         equal_ignoring_case(path.substr(path.size() - suffix.size()), suffix);
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
  if (result.svg_path.empty()) result.svg_path = result.file + ".svg";
  if (result.svg_path == "-") return Reason{"the picture cannot go to standard output"};
  if (!is_svg_name(result.svg_path)) {
    return Reason{"the picture's name must end in '.svg': " + quoted_printable(result.svg_path)};
  }
  if (result.table_path == "-" && result.corrugations_path == "-") {
    return Reason{"the table and the corrugations cannot both go to standard output"};
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
         "      --corrugations OUT.csv\n"
         "                        write the corrugations as CSV (profile,index,z_near,\n"
         "                        z_far,height,thickness,gap,pitch; with --band also\n"
         "                        q_GHz and the part of each band each is capacitive\n"
         "                        over); '-' as for --table\n"
         "      --band F1:F2      check the corrugations against a band, in GHz or with\n"
         "                        Hz, kHz, MHz, GHz (9.5GHz:10.5GHz); twice for a dual\n"
         "                        band. A corrugation h high is capacitive where\n"
         "                        4 f h / c, modulo 2, lies between 1 and 2\n"
         "      --strict          count warnings as errors in the exit status\n"
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
