#include "hornwall/view/view.hpp"

#include <optional>

#include "hornwall/text.hpp"
#include "hornwall/view/command_line.hpp"
#include "hornwall/view/node_table.hpp"
#include "hornwall/view/object_file.hpp"
#include "hornwall/view/output_file.hpp"
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
  return "cannot write " + single_quoted(printable(path)) + ": " + reason;
}

// Writes `text` to the console; false when it cannot.
bool print(std::ostream& out, std::string_view text) {
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

// The outputs of one run: the picture and, when asked for, the table in a file.
struct Outputs {
  OutputFile picture;
  std::optional<OutputFile> table;
};

}  // namespace

Examined examine(ByteSource& source, CheckSettings settings) {
  Examined examined;
  ObjectFile file = read_object_file(source, examined.diagnostics);
  examined.wall = evaluate_wall(std::move(file), source, examined.diagnostics);
  settings.tolerance = geometry_tolerance(examined.wall);
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
  Outputs outputs;
  if (const Result<void> opened = outputs.picture.open(options.svg_path); !opened.ok()) {
    return trouble(console.err, cannot_write(options.svg_path, opened.reason()));
  }
  const bool table_to_console = options.table_path == "-";
  if (!options.table_path.empty() && !table_to_console) {
    if (const Result<void> opened = outputs.table.emplace().open(options.table_path);
        !opened.ok()) {
      return trouble(console.err, cannot_write(options.table_path, opened.reason()));
    }
  }

  std::optional<Examined> examined;
  try {
    examined.emplace(examine(source, {0.0, options.mirror}));
  } catch (const ReadFailure& failure) {
    return trouble(console.err,
                   "cannot read " + single_quoted(printable(options.file)) + ": " + failure.what());
  }
  write_diagnostics(examined->diagnostics, options.file, console.err);
  write_svg(examined->wall, {options.file, options.mirror}, outputs.picture);
  if (outputs.table) write_node_table(examined->wall, *outputs.table);
  if (table_to_console) write_node_table(examined->wall, console.out);

  if (const Result<void> done = outputs.picture.commit(); !done.ok()) {
    return trouble(console.err, cannot_write(options.svg_path, done.reason()));
  }
  if (outputs.table) {
    if (const Result<void> done = outputs.table->commit(); !done.ok()) {
      return trouble(console.err, cannot_write(options.table_path, done.reason()));
    }
  }
  std::ostream& summary = table_to_console ? console.err : console.out;
  if (!options.quiet) {
    write_summary(examined->wall, examined->diagnostics, summary);
    summary << "picture: " << printable(options.svg_path) << '\n';
    if (outputs.table) summary << "table: " << printable(options.table_path) << '\n';
    if (table_to_console) summary << "table: standard output\n";
  }
  console.out.flush();
  if (!console.out) return trouble(console.err, "cannot write to standard output");
  return examined->diagnostics.error_count() == 0 ? 0 : 1;
}

}  // namespace hornwall::view
