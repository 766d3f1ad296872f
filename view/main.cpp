#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "hornwall/view/command_line.hpp"
#include "hornwall/view/view.hpp"
#include "hornwall/view/view_files.hpp"

namespace {

std::string reason() { return errno != 0 ? std::strerror(errno) : "input/output error"; }

int trouble(std::string_view what, const std::string& path) {
  std::cerr << "hornwall_view: cannot " << what << " '" << path << "': " << reason() << '\n';
  return 2;
}

int run(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const hornwall::CommandLine command_line = hornwall::parse_command_line(arguments);
  if (!command_line.usage_error.empty()) {
    std::cerr << hornwall::usage_line() << "hornwall_view: " << command_line.usage_error << '\n';
    return 2;
  }
  const hornwall::ViewOptions& options = command_line.options;
  if (options.help) {
    std::cout << hornwall::help_text() << std::flush;
    return std::cout ? 0 : 2;
  }
  if (options.version) {
    std::cout << hornwall::version_line() << std::flush;
    return std::cout ? 0 : 2;
  }

  const hornwall::FileText input = hornwall::read_object_text(options.file);
  if (!input.failure.empty()) {
    std::cerr << "hornwall_view: " << input.failure << '\n';
    return 2;
  }
  const std::string clash = hornwall::output_clash(options);
  if (!clash.empty()) {
    std::cerr << "hornwall_view: " << clash << '\n';
    return 2;
  }
  errno = 0;
  std::ofstream svg(options.svg_path, std::ios::binary);
  if (!svg) return trouble("write", options.svg_path);
  std::ofstream table_file;
  std::ostream* table = nullptr;
  if (options.table_path == "-") {
    table = &std::cout;
  } else if (!options.table_path.empty()) {
    errno = 0;
    table_file.open(options.table_path, std::ios::binary);
    if (!table_file) return trouble("write", options.table_path);
    table = &table_file;
  }
  std::ostream& summary = options.table_path == "-" ? std::cerr : std::cout;

  const int status =
      hornwall::view_object_file(input.text, options, {summary, std::cerr, svg, table});
  errno = 0;
  svg.close();
  if (!svg) return trouble("write", options.svg_path);
  if (table_file.is_open()) {
    table_file.close();
    if (!table_file) return trouble("write", options.table_path);
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "hornwall_view: cannot write to standard output\n";
    return 2;
  }
  return status;
}

}  // namespace

// Anything that escapes a run (memory running out on a huge file, above all) ends it
// with one line and status 2, after the open files have been closed.
int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "hornwall_view: out of memory\n";
  } catch (const std::exception& error) {
    std::cerr << "hornwall_view: " << error.what() << '\n';
  }
  return 2;
}
