#include "hornwall/design/command_line.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <type_traits>
#include <vector>

#include "hornwall/number_text.hpp"
#include "hornwall/options.hpp"
#include "hornwall/output_file.hpp"
#include "hornwall/text.hpp"
#include "wall_rules.hpp"

namespace hornwall::design {
namespace {

constexpr std::array<OptionSpec, 20> design_options = {{
    {"band", 0, true},
    {"aperture-radius", 0, true},
    {"final-radius", 0, true},
    {"wall-thickness", 0, true},
    {"length", 0, true},
    {"unit", 0, true},
    {"margin", 0, true},
    {"taper"},
    {"one-set"},
    {"per-wavelength", 0, true},
    {"slot-ratio", 0, true},
    {"min-thickness", 0, true},
    {"first", 0, true},
    {"variable", 0, true},
    {"points", 0, true},
    {"output", 'o', true},
    {"min-coverage", 0, true},
    {"json", 0, true},
    {"help", 'h'},
    {"version"},
}};

// A number for `option`, which `valid` accepts; else the reason, naming what is wanted.
template <typename Number, typename Valid>
Result<Number> number_for(std::string_view option, std::string_view value, Valid valid,
                          std::string_view wanted) {
  Number read{};
  bool whole = false;
  if constexpr (std::is_floating_point_v<Number>) {
    const NumberReading<double> number = read_double(value);
    read = number.value;
    whole = number.status == NumberRead::ok;
  } else {
    const auto end = std::from_chars(value.data(), value.data() + value.size(), read);
    whole = end.ec == std::errc() && end.ptr == value.data() + value.size();
  }
  if (!whole || !valid(read)) {
    return Reason{"invalid value " + quoted_printable(value) + " for option '--" +
                  std::string(option) + "': " + std::string(wanted)};
  }
  return read;
}

bool positive(double value) { return std::isfinite(value) && value > 0.0; }

// The options that not every wall takes.
constexpr std::array<std::string_view, 7> wall_options = {
    "final-radius", "wall-thickness", "taper", "variable", "slot-ratio", "min-thickness", "points"};

// The names of the designable walls for which `belongs` holds, for a message: "corr,
// sinecorr and thickcorr", with `last` before the last.
template <typename Belongs>
std::string wall_names(Belongs belongs, std::string_view last) {
  std::vector<std::string_view> names;
  for (const WallRule* wall : designable_walls()) {
    if (belongs(*wall)) names.push_back(wall->name);
  }
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i + 1 == names.size() && i > 0) {
      text.append(" ").append(last).append(" ");
    } else if (i > 0) {
      text.append(", ");
    }
    text.append(names[i]);
  }
  return text;
}

bool has(std::span<const std::string_view> names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Takes one option with its value into `invocation`.
Result<void> take(std::string_view name, std::string_view value, Invocation& invocation,
                  std::vector<std::string_view>& given) {
  Request& request = invocation.request;
  given.push_back(name);
  const auto length = [&](double& target) -> Result<void> {
    const Result<double> read = number_for<double>(name, value, positive, "a length above zero");
    if (!read.ok()) return Reason{read.reason()};
    // The answers file gives the length as it is, and the generators read no larger one.
    if (read.value() > largest_readable) {
      return Reason{"invalid value " + quoted_printable(value) + " for option '--" +
                    std::string(name) + "': a length of at most " +
                    shortest_text(largest_readable) + ", the largest the generators read"};
    }
    target = read.value();
    return {};
  };
  if (name == "band") {
    return add_band(request.bands, value);
  } else if (name == "aperture-radius") {
    return length(request.aperture_radius);
  } else if (name == "final-radius") {
    return length(request.final_radius);
  } else if (name == "wall-thickness") {
    // T1, or T1:T2: the second thickness the same as the first unless given.
    const std::string_view whole = value;
    const std::size_t colon = whole.find(':');
    value = whole.substr(0, colon);
    if (const Result<void> first = length(request.wall_thickness); !first.ok()) return first;
    request.last_wall_thickness = request.wall_thickness;
    if (colon == std::string_view::npos) return {};
    value = whole.substr(colon + 1);
    return length(request.last_wall_thickness);
  } else if (name == "length") {
    return length(request.length);
  } else if (name == "unit") {
    if (!metres_per_unit(value)) {
      return Reason{"invalid unit " + quoted_printable(value) +
                    " for option '--unit': mm, cm, m, in or ft"};
    }
    request.unit = value;
  } else if (name == "margin") {
    const Result<double> read = number_for<double>(
        name, value, [](double m) { return m > 0.0 && m < 0.5; }, "a part above 0 and below 0.5");
    if (!read.ok()) return Reason{read.reason()};
    request.margin = read.value();
  } else if (name == "per-wavelength") {
    const Result<double> read = number_for<double>(
        name, value, [](double n) { return std::isfinite(n) && n >= fewest_per_wavelength; },
        "at least 5 (the band check warns below 5)");
    if (!read.ok()) return Reason{read.reason()};
    request.per_wavelength = read.value();
  } else if (name == "slot-ratio") {
    const Result<double> read = number_for<double>(
        name, value, [](double r) { return r > 0.0 && r < 1.0; }, "a part above 0 and below 1");
    if (!read.ok()) return Reason{read.reason()};
    request.slot_ratio = read.value();
  } else if (name == "min-thickness") {
    double thickness = 0.0;
    if (const Result<void> read = length(thickness); !read.ok()) return read;
    request.min_thickness = thickness;
  } else if (name == "first") {
    double first = 0.0;
    if (const Result<void> read = length(first); !read.ok()) return read;
    request.first = first;
  } else if (name == "variable") {
    // At most as many as the wall's generator gives variables of their own, once the wall
    // is known.
    const Result<int> read = number_for<int>(
        name, value, [](int) { return true; }, "a whole number");
    if (!read.ok()) return Reason{read.reason()};
    request.variable = read.value();
  } else if (name == "points") {
    const Result<int> read = number_for<int>(
        name, value, [](int n) { return n >= 4 && n <= 99 && n % 2 == 0; },
        "an even number from 4 to 98, so that a point stands on every crest");
    if (!read.ok()) return Reason{read.reason()};
    request.points = read.value();
  } else if (name == "taper") {
    request.taper = true;
  } else if (name == "one-set") {
    request.one_set = true;
  } else if (name == "output") {
    request.output = value;
  } else if (name == "min-coverage") {
    const Result<double> percent = parse_min_coverage(value);
    if (!percent.ok()) return Reason{percent.reason()};
    request.min_coverage = percent.value();
  } else if (name == "json") {
    request.json = value;
  } else if (name == "help") {
    invocation.help = true;
  } else if (name == "version") {
    invocation.version = true;
  }
  return {};
}

bool was_given(const std::vector<std::string_view>& given, std::string_view name) {
  return std::find(given.begin(), given.end(), name) != given.end();
}

// The object file that the answers ask for: the answers file's name with .zul for its
// ending, or horn.zul.
std::string object_file_for(const std::string& output) {
  if (output.empty() || output == "-") return "horn.zul";
  std::string name = output.substr(output.rfind('/') + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
    name.erase(dot);
  }
  return name.empty() ? "horn.zul" : name + ".zul";
}

// What the whole command line must hold together, for its wall.
Result<void> check_together(const Invocation& invocation,
                            const std::vector<std::string_view>& given) {
  const Request& request = invocation.request;
  const WallRule& wall = *request.wall;
  const AnswersSchema& schema = *wall.program->answers;
  if (request.bands.empty()) return Reason{"no band given: --band F1:F2 (GHz), once or twice"};
  for (const std::string_view needed : {"aperture-radius", "length"}) {
    if (!was_given(given, needed)) {
      return Reason{"option '--" + std::string(needed) + "' is needed"};
    }
  }
  for (const std::string_view needed : wall.needs) {
    if (!was_given(given, needed)) {
      return Reason{"option '--" + std::string(needed) + "' is needed for " +
                    std::string(wall.name)};
    }
  }
  for (const std::string_view option : wall_options) {
    if (!was_given(given, option) || has(wall.options, option)) continue;
    return Reason{"option '--" + std::string(option) + "' is for " +
                  wall_names([&](const WallRule& w) { return has(w.options, option); }, "and") +
                  " only"};
  }
  if (!unit_code_of(schema.units, request.unit)) {
    return Reason{std::string(wall.program->name) + " has no unit " + single_quoted(request.unit) +
                  ": its units are " + unit_names_text(schema.units)};
  }
  if (request.bands.size() == 2 && !request.one_set && !has_dual_band(schema)) {
    return Reason{std::string(wall.program->name) +
                  " has no dual band: give one band, or two that one set of corrugations "
                  "serves with --one-set"};
  }
  if (request.taper && request.bands.size() == 2) {
    return Reason{"option '--taper' goes with one band"};
  }
  if (request.one_set && request.bands.size() != 2) {
    return Reason{"option '--one-set' goes with two bands"};
  }
  if (was_given(given, "variable") &&
      (request.variable < 1 || request.variable > schema.named_passes)) {
    return Reason{"invalid value '" + std::to_string(request.variable) +
                  "' for option '--variable': from 1 to " + std::to_string(schema.named_passes)};
  }
  if (was_given(given, "variable") && request.bands.size() == 2 && !request.one_set &&
      request.variable % 2 != 0) {
    return Reason{
        "option '--variable' must be even with two bands, so that the corrugations "
        "keep alternating"};
  }
  const std::string object_file = object_file_for(request.output);
  if (object_file.find_first_of("\n\r") != std::string::npos) {
    return Reason{"the answers would name the object file " + quoted_printable(object_file) +
                  ", and a name in an answers file ends at the line's end: give -o a name "
                  "without a line end"};
  }
  if (object_file.front() == ' ') {
    return Reason{"the answers would name the object file " + quoted_printable(object_file) +
                  ", and the generators read a name without the blanks that begin it: give -o "
                  "a name that begins with no blank"};
  }
  return {};
}

}  // namespace

std::string_view design_usage() {
  return "usage: hornwall_design WALL --band F1:F2 [--band F3:F4] --aperture-radius R1 "
         "--length L [--final-radius R2 | --wall-thickness T1[:T2]] [OPTIONS] [-o OUT.answers]\n";
}

std::string_view design_help() {
  return "usage: hornwall_design WALL --band F1:F2 [--band F3:F4] --aperture-radius R1\n"
         "                       --length L [--final-radius R2 | --wall-thickness T1[:T2]]\n"
         "                       [OPTIONS] [-o OUT.answers]\n"
         "Designs the corrugations of a horn's outer wall for one frequency band, or two\n"
         "interleaved, by the quarter-wave rule that hornwall_view --band checks, and writes\n"
         "a commented answers file for the wall's generator and a short report. WALL is\n"
         "corr, sinecorr, thickcorr or spline (or hornwall_corr, ...).\n"
         "\n"
         "  --band F1:F2          the band, in GHz or with Hz, kHz, MHz, GHz; twice for a\n"
         "                        dual band (odd corrugations the lower, even the upper)\n"
         "  --aperture-radius R1  the wall's radius at the aperture plane (RW1; thickcorr:\n"
         "                        the horn's aperture radius RA)\n"
         "  --length L            how far behind the aperture the corrugations may reach\n"
         "                        (thickcorr, spline: where the wall ends)\n"
         "  --final-radius R2     corr, sinecorr, spline: the radius at the end (RW2)\n"
         "  --wall-thickness T1[:T2]\n"
         "                        thickcorr: the wall's thickness under the first\n"
         "                        corrugation and behind the last (WT1, WT2; T2 = T1)\n"
         "  --unit U              mm (the default), cm (sinecorr, spline), m, in or ft\n"
         "  --margin M            a corrugation's quarter wave lies this part below the\n"
         "                        band's bottom: h = c / (4 fmin (1 - M)); default 0.02\n"
         "  --taper               one band wider than a window: heights taper from the\n"
         "                        bottom's quarter wave (at the aperture) to the top's\n"
         "  --one-set             two bands that fit one window: one set of corrugations\n"
         "  --per-wavelength N    corrugations per wavelength at the top frequency; at\n"
         "                        least 5, default 8\n"
         "  --slot-ratio R        corr, thickcorr: the slot's part of the pitch; default 0.8\n"
         "  --min-thickness T     corr, thickcorr: the thinnest corrugation; default 0.5 mm\n"
         "  --first D             the aperture plane to the first corrugation; default a\n"
         "                        pitch\n"
         "  --variable N          corr, sinecorr: variable corrugations, 1 to 7 (even for\n"
         "                        two bands without --one-set); default 2\n"
         "  --points N            sinecorr, spline: points per corrugation or ripple\n"
         "                        period, even; default 12\n"
         "  --min-coverage P      refuse a wall as written on which fewer than P percent\n"
         "                        of the corrugations are capacitive at a frequency of a\n"
         "                        band, as hornwall_view --strict would; default 25\n"
         "  -o, --output FILE     write the answers file to FILE (whole or not at all) and\n"
         "                        the report to standard output; without it the answers go\n"
         "                        to standard output and the report to standard error\n"
         "  --json FILE           write the design, its rule, its answers and each band's\n"
         "                        figures as JSON to FILE (- for standard output, with -o)\n"
         "  -h, --help            show this help and exit\n"
         "      --version         show the version and exit\n"
         "\n"
         "Exit status: 0 designed, 1 the request is impossible (said in one line), 2 a\n"
         "usage error or an answers file that cannot be written.\n"
         "See man hornwall_design.\n";
}

Result<Invocation> parse_design_command_line(std::span<const std::string> arguments) {
  Invocation invocation;
  std::vector<std::string_view> given;
  std::vector<std::string_view> walls;
  ArgumentReader reader(
      arguments, design_options,
      {.anywhere = true, .shortened = true, .letters = true, .empty_values = false});
  while (const std::optional<Argument> argument = reader.next()) {
    if (argument->kind == Argument::Kind::fault) return Reason{option_fault_text(*argument)};
    if (argument->kind == Argument::Kind::operand) {
      walls.push_back(argument->text);
      continue;
    }
    const Result<void> taken =
        take(argument->option->name, argument->value.value_or(""), invocation, given);
    if (!taken.ok()) return Reason{taken.reason()};
  }
  if (invocation.help || invocation.version) return invocation;
  const auto any = [](const WallRule&) { return true; };
  if (walls.empty()) return Reason{"no wall given: " + wall_names(any, "or")};
  if (walls.size() > 1) {
    return Reason{"more than one wall given: " + quoted_printable(walls[0]) + " and " +
                  quoted_printable(walls[1])};
  }
  for (const WallRule* wall : designable_walls()) {
    if (walls[0] == wall->name || walls[0] == wall->program->name) invocation.request.wall = wall;
  }
  if (!invocation.request.wall) {
    return Reason{"unknown wall " + quoted_printable(walls[0]) + ": " + wall_names(any, "or")};
  }
  if (const Result<void> together = check_together(invocation, given); !together.ok()) {
    return Reason{together.reason()};
  }
  return invocation;
}

int run_design(std::span<const std::string> arguments, DesignConsole console) {
  const Result<Invocation> read = parse_design_command_line(arguments);
  if (!read.ok()) {
    console.err << design_usage() << "hornwall_design: " << read.reason() << '\n';
    return 2;
  }
  const Invocation& invocation = read.value();
  if (invocation.help) {
    console.out << design_help() << std::flush;
    return console.out ? 0 : 2;
  }
  if (invocation.version) {
    console.out << "hornwall_design (hornwall) " HORNWALL_VERSION "\n" << std::flush;
    return console.out ? 0 : 2;
  }
  const Request& request = invocation.request;
  const std::string& output = request.output;
  const std::string& json = request.json;
  const bool answers_to_console = output.empty() || output == "-";
  const bool json_to_file = !json.empty() && json != "-";
  const auto trouble = [&](const std::string& what) {
    console.err << "hornwall_design: " << what << '\n';
    return 2;
  };
  const auto cannot_write = [&](const std::string& path, const std::string& reason) {
    return trouble("cannot write " + quoted_printable(path) + ": " + reason);
  };
  if (json == "-" && answers_to_console) {
    return trouble(
        "the answers file and the JSON report cannot both go to standard output: give -o FILE");
  }
  if (json_to_file && is_standard_output(json)) {
    return trouble("the JSON report cannot go to " + quoted_printable(json) +
                   ", which is standard output: give --json -");
  }
  if (json_to_file && !answers_to_console && !is_device(json) && same_file(json, output)) {
    return trouble("the answers file and the JSON report cannot both go to " +
                   quoted_printable(json));
  }

  Result<Design> laid = lay_out_wall(request);
  std::string refusal;
  if (!laid.ok()) {
    refusal = laid.reason();
  } else if (const Result<void> judged = judge_wall(laid.value()); !judged.ok()) {
    refusal = judged.reason();
  }
  RunAccount account{
      &request, laid.ok() ? &laid.value() : nullptr, refusal, object_file_for(output), "", json};
  if (!refusal.empty()) {
    // A refused request still gives its report, which says why and, for a wall that was
    // laid out, what its figures are.
    console.err << "hornwall_design: " << refusal << '\n';
    if (json == "-") console.out << json_report(account) << std::flush;
    if (!console.out) return trouble("cannot write to standard output");
    if (!json_to_file) return 1;
    OutputFile file;
    if (const auto cannot = file.open(json)) return cannot_write(json, cannot->reason());
    file << json_report(account);
    if (const Result<void> done = file.commit(); !done.ok()) {
      return cannot_write(json, done.reason());
    }
    return 1;
  }
  const Design& design = laid.value();
  if (output != "-" && is_standard_output(output)) {
    return trouble("the answers cannot go to " + quoted_printable(output) +
                   ", which is standard output: give -o -");
  }
  const Result<std::string> written = answers_text(design, account.object_file);
  if (!written.ok()) {
    console.err << "hornwall_design: " << written.reason() << '\n';
    return 1;
  }
  const std::string& answers = written.value();
  account.answers = answers_to_console ? "-" : output;
  std::string report = report_text(design);
  if (!answers_to_console) report += "answers: " + printable(output) + '\n';
  if (!json.empty())
    report += "report: " + (json_to_file ? printable(json) : "standard output") + '\n';

  // The files are written whole and take their names only once the console has taken
  // what it is given, so that a console that cannot take it leaves the old files as they
  // were.
  OutputFile answers_file;
  OutputFile json_file;
  if (!answers_to_console) {
    if (const auto cannot = answers_file.open(output))
      return cannot_write(output, cannot->reason());
    answers_file << answers;
  }
  if (json_to_file) {
    if (const auto cannot = json_file.open(json)) return cannot_write(json, cannot->reason());
    json_file << json_report(account);
  }
  if (!answers_to_console) {
    if (const Result<void> done = answers_file.finish(); !done.ok()) {
      return cannot_write(output, done.reason());
    }
  }
  if (json_to_file) {
    if (const Result<void> done = json_file.finish(); !done.ok()) {
      return cannot_write(json, done.reason());
    }
  }
  if (answers_to_console) console.out << answers;
  if (json == "-") console.out << json_report(account);
  std::ostream& report_to = answers_to_console || json == "-" ? console.err : console.out;
  report_to << report << std::flush;
  console.out.flush();
  if (!console.out) return trouble("cannot write to standard output");
  if (!answers_to_console) {
    if (const Result<void> done = answers_file.commit(); !done.ok()) {
      return cannot_write(output, done.reason());
    }
  }
  if (json_to_file) {
    if (const Result<void> done = json_file.commit(); !done.ok()) {
      return cannot_write(json, done.reason());
    }
  }
  return 0;
}

}  // namespace hornwall::design
