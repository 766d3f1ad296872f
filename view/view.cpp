#include "hornwall/view/view.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hornwall/output_file.hpp"
#include "hornwall/text.hpp"
#include "hornwall/view/command_line.hpp"
#include "hornwall/view/corrugation_table.hpp"
#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/node_table.hpp"
#include "hornwall/view/object_file.hpp"
#include "hornwall/view/summary.hpp"
#include "hornwall/view/svg_drawing.hpp"
#include "hornwall/view/view_files.hpp"

namespace hornwall::view {
namespace {

constexpr int usage_status = 2;

int trouble(std::ostream& err, const std::string& what) {
  err << "hornwall_view: " << what << '\n';
  return usage_status;
}

std::string cannot_write(const std::string& path, const std::string& reason) {
  return "cannot write " + quoted_printable(path) + ": " + reason;
}

// Writes `text` to the console; false when it cannot.
bool print(std::ostream& out, std::string_view text) {
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

// A table that a run writes when asked: to a file, or to standard output for "-".
struct TableOutput {
  std::string_view what;  // as the summary names it: "table", "corrugations"
  const std::string& path;
  void (*write)(const Examined& examined, const ViewOptions& options, std::ostream& out);
  std::optional<OutputFile> file;

  bool wanted() const { return !path.empty(); }
  bool to_console() const { return path == "-"; }
};

void write_nodes(const Examined& examined, const ViewOptions&, std::ostream& out) {
  write_node_table(examined.wall, out);
}

void write_corrugations(const Examined& examined, const ViewOptions& options, std::ostream& out) {
  write_corrugation_table(examined.wall, options.bands, out);
}

}  // namespace

Examined examine(ByteSource& source, CheckSettings settings) {
  Examined examined;
  ObjectFile file = read_object_file(source, examined.diagnostics);
  examined.wall = evaluate_wall(std::move(file), source, examined.diagnostics);
  examined.wall.tolerance = geometry_tolerance(examined.wall);
  settings.tolerance = examined.wall.tolerance;
  for (Profile& profile : examined.wall.profiles) find_corrugations(profile, settings.tolerance);
  measure_bands(examined.wall, settings.bands);
  check_wall(examined.wall, settings, examined.diagnostics);
  return examined;
}

int run_view(std::span<const std::string> arguments, ViewConsole console) {
  const Result<ViewOptions> command_line = parse_command_line(arguments);
  if (!command_line.ok()) {
    console.err << usage_line() << "hornwall_view: " << command_line.reason() << '\n';
    return usage_status;
  }
  const ViewOptions& options = command_line.value();
  if (options.help) return print(console.out, help_text()) ? 0 : usage_status;
  if (options.version) return print(console.out, version_line()) ? 0 : usage_status;

  FileSource source;
  if (const Result<void> opened = source.open(options.file); !opened.ok()) {
    return trouble(console.err, opened.reason());
  }
  if (const std::string clash = output_clash(options); !clash.empty()) {
    return trouble(console.err, clash);
  }
  OutputFile picture;
  if (const auto refusal = picture.open(options.svg_path)) {
    return trouble(console.err, cannot_write(options.svg_path, refusal->reason()));
  }
  std::array<TableOutput, 2> tables = {
      {{"table", options.table_path, write_nodes, {}},
       {"corrugations", options.corrugations_path, write_corrugations, {}}}};
  for (TableOutput& table : tables) {
    if (!table.wanted() || table.to_console()) continue;
    if (const auto refusal = table.file.emplace().open(table.path)) {
      return trouble(console.err, cannot_write(table.path, refusal->reason()));
    }
  }

  std::optional<Examined> examined;
  try {
    examined.emplace(examine(source, {0.0, options.mirror, options.bands}));
  } catch (const ReadFailure& failure) {
    return trouble(console.err,
                   "cannot read " + quoted_printable(options.file) + ": " + failure.what());
  }
  write_diagnostics(examined->diagnostics, options.file, console.err);
  write_svg(examined->wall, {options.file, options.mirror, options.bands}, picture);
  for (TableOutput& table : tables) {
    if (table.file) table.write(*examined, options, *table.file);
    if (table.to_console()) table.write(*examined, options, console.out);
  }

  // Only when every output is complete, and the console has taken what it is given, does
  // any output take its name: a failure before leaves every file as it was.
  std::vector<std::pair<OutputFile*, const std::string*>> outputs = {{&picture, &options.svg_path}};
  for (TableOutput& table : tables) {
    if (table.file) outputs.emplace_back(&*table.file, &table.path);
  }
  for (const auto& [file, path] : outputs) {
    if (const Result<void> done = file->finish(); !done.ok()) {
      return trouble(console.err, cannot_write(*path, done.reason()));
    }
  }
  const bool console_taken = std::any_of(tables.begin(), tables.end(),
                                         [](const TableOutput& t) { return t.to_console(); });
  std::ostream& summary = console_taken ? console.err : console.out;
  if (!options.quiet) {
    write_summary(examined->wall, examined->diagnostics, summary, options.bands);
    summary << "picture: " << printable(options.svg_path) << '\n';
    for (const TableOutput& table : tables) {
      if (!table.wanted()) continue;
      summary << table.what << ": "
              << (table.to_console() ? "standard output" : printable(table.path)) << '\n';
    }
  }
  console.out.flush();
  if (!console.out) return trouble(console.err, "cannot write to standard output");
  for (const auto& [file, path] : outputs) {
    if (const Result<void> done = file->commit(); !done.ok()) {
      return trouble(console.err, cannot_write(*path, done.reason()));
    }
  }
  const Diagnostics& found = examined->diagnostics;
  const bool failed = found.error_count() > 0 || (options.strict && found.warning_count() > 0);
  return failed ? 1 : 0;
}

}  // namespace hornwall::view
