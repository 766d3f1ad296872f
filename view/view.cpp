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
#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/object_file.hpp"
#include "hornwall/view/outputs.hpp"
#include "hornwall/view/summary.hpp"
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

}  // namespace

Examined examine(ByteSource& source, CheckSettings settings) {
  Examined examined;
  ObjectFile file = read_object_file(source, examined.diagnostics);
  examined.wall = evaluate_wall(std::move(file), source, examined.diagnostics);
  examined.wall.tolerance = geometry_tolerance(examined.wall);
  settings.tolerance = examined.wall.tolerance;
  for (Profile& profile : examined.wall.profiles) find_corrugations(profile, settings.tolerance);
  measure_bands(examined.wall, settings.bands, settings.min_coverage);
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
  // The outputs going to files, opened before the file is read, so that an output that
  // cannot be written ends the run before any work; the one going to standard output.
  std::array<std::optional<OutputFile>, output_kinds> files;
  const OutputRow* to_console = nullptr;
  for (std::size_t k = 0; k < output_kinds; ++k) {
    const std::string& path = options.paths[k];
    if (path == "-") to_console = &output_table[k];
    if (path.empty() || path == "-") continue;
    if (const auto refusal = files[k].emplace().open(path)) {
      return trouble(console.err, cannot_write(path, refusal->reason()));
    }
  }

  std::optional<Examined> examined;
  try {
    examined.emplace(examine(source, {0.0, options.mirror, options.bands, options.min_coverage,
                                      !options.path(Output::drawing).empty()}));
  } catch (const ReadFailure& failure) {
    return trouble(console.err,
                   "cannot read " + quoted_printable(options.file) + ": " + failure.what());
  }
  write_diagnostics(examined->diagnostics, options.file, console.err);
  for (std::size_t k = 0; k < output_kinds; ++k) {
    if (files[k]) output_table[k].write(*examined, options, *files[k]);
  }
  if (to_console != nullptr) to_console->write(*examined, options, console.out);

  // Only when every output is complete, and the console has taken what it is given, does
  // any output take its name: a failure before leaves every file as it was.
  for (std::size_t k = 0; k < output_kinds; ++k) {
    if (!files[k]) continue;
    if (const Result<void> done = files[k]->finish(); !done.ok()) {
      return trouble(console.err, cannot_write(options.paths[k], done.reason()));
    }
  }
  std::ostream& summary = to_console != nullptr ? console.err : console.out;
  if (!options.quiet) {
    write_summary(examined->wall, examined->diagnostics, summary, options.bands);
    for (std::size_t k = 0; k < output_kinds; ++k) {
      const std::string& path = options.paths[k];
      if (path.empty()) continue;
      summary << output_table[k].name << ": " << (path == "-" ? "standard output" : printable(path))
              << '\n';
    }
  }
  console.out.flush();
  if (!console.out) return trouble(console.err, "cannot write to standard output");
  for (std::size_t k = 0; k < output_kinds; ++k) {
    if (!files[k]) continue;
    if (const Result<void> done = files[k]->commit(); !done.ok()) {
      return trouble(console.err, cannot_write(options.paths[k], done.reason()));
    }
  }
  return fails(examined->diagnostics, options.strict) ? 1 : 0;
}

}  // namespace hornwall::view
