#include "hornwall/view/view_files.hpp"

#include <filesystem>
#include <system_error>

#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

namespace fs = std::filesystem;

// Where `path` leads: made absolute (a name that does not exist yet has no folder part
// to resolve from otherwise), its links followed as far as they exist, and normal.
fs::path place_of(const std::string& path, std::error_code& error) {
  const fs::path absolute = fs::absolute(path, error);
  if (error) return {};
  return fs::weakly_canonical(absolute, error).lexically_normal();
}

// True when `a` and `b` name the same file: one existing file reached by both (through
// a link too), or the same place once both are made absolute and normal.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path a_place = place_of(a, error);
  if (error) return a == b;
  const fs::path b_place = place_of(b, error);
  if (error) return a == b;
  return a_place == b_place;
}

// True for an existing file that is not a regular file: a device may take both outputs.
bool is_device(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  return fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

}  // namespace

std::string output_clash(const ViewOptions& options) {
  const std::string object_file = single_quoted(printable(options.file));
  if (same_file(options.svg_path, options.file)) {
    return "the picture cannot overwrite the object file " + object_file;
  }
  if (options.table_path.empty() || options.table_path == "-") return {};
  if (same_file(options.table_path, options.file)) {
    return "the table cannot overwrite the object file " + object_file;
  }
  if (!is_device(options.table_path) && same_file(options.table_path, options.svg_path)) {
    return "the picture and the table cannot both go to " +
           single_quoted(printable(options.table_path));
  }
  return {};
}

}  // namespace hornwall::view
