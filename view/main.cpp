#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "hornwall/view/command_line.hpp"
#include "hornwall/view/view.hpp"

namespace {

std::string reason() { return errno != 0 ? std::strerror(errno) : "input/output error"; }

// The whole file at `path`, or nothing when it cannot be read (errno tells why).
std::optional<std::string> read_whole_file(const std::string& path) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size > 0) {
    in.seekg(0, std::ios::beg);
    text.resize(static_cast<std::size_t>(size));
    in.read(text.data(), size);
    if (in.gcount() != size) return std::nullopt;
  } else {
    in.clear();
    in.seekg(0, std::ios::beg);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (in.bad()) return std::nullopt;
  return text;
}

int trouble(std::string_view what, const std::string& path) {
  std::cerr << "hornwall_view: cannot " << what << " '" << path << "': " << reason() << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
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

  const std::optional<std::string> text = read_whole_file(options.file);
  if (!text) return trouble("open", options.file);
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

  const int status = hornwall::view_object_file(*text, options, {summary, std::cerr, svg, table});
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
