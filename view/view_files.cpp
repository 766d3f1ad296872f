#include "hornwall/view/view_files.hpp"

#include <filesystem>
#include <iterator>
#include <system_error>
#include <utility>

#include "hornwall/output_file.hpp"
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
  const std::string object_file = quoted_printable(options.file);
  for (std::size_t i = 0; i < output_kinds; ++i) {
    const OutputSpec& row = output_table[i];
    const std::string& path = options.paths[i];
    const std::string what = "the " + std::string(row.name);
    if (path.empty() || path == "-") continue;
    if (same_file(path, options.file))
      return what + " cannot overwrite the object file " + object_file;
    if (is_standard_output(path)) {
      std::string text =
          what + " cannot go to " + quoted_printable(path) + ", which is standard output";
      if (row.console) text += ": give --" + std::string(row.option.name) + " -";
      return text;
    }
    if (is_device(path)) continue;
    for (std::size_t j = 0; j < i; ++j) {
      const std::string& other = options.paths[j];
      if (!other.empty() && other != "-" && same_file(path, other)) {
        return "the " + std::string(output_table[j].name) + " and " + what + " cannot both go to " +
               quoted_printable(path);
      }
    }
  }
  return {};
}

}  // namespace hornwall::view
