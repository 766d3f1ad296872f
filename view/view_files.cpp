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
  if (same_file(options.svg_path, options.file)) {
    return "the picture cannot overwrite the object file " + object_file;
  }
  // The files besides the picture, and what each is called in a message.
  const std::pair<std::string_view, const std::string*> outputs[] = {
      {"the picture", &options.svg_path},
      {"the table", &options.table_path},
      {"the corrugations", &options.corrugations_path}};
  if (is_standard_output(options.svg_path)) {
    return "the picture cannot go to " + quoted_printable(options.svg_path) +
           ", which is standard output";
  }
  for (std::size_t i = 1; i < std::size(outputs); ++i) {
    const auto& [what, path] = outputs[i];
    if (path->empty() || *path == "-") continue;
    if (is_standard_output(*path)) {
      return std::string(what) + " cannot go to " + quoted_printable(*path) +
             ", which is standard output: give " + (i == 1 ? "--table" : "--corrugations") + " -";
    }
    if (same_file(*path, options.file)) {
      return std::string(what) + " cannot overwrite the object file " + object_file;
    }
    if (is_device(*path)) continue;
    for (std::size_t j = 0; j < i; ++j) {
      const auto& [other, other_path] = outputs[j];
      if (!other_path->empty() && *other_path != "-" && same_file(*path, *other_path)) {
        return std::string(other) + " and " + std::string(what) + " cannot both go to " +
               quoted_printable(*path);
      }
    }
  }
  return {};
}

}  // namespace hornwall::view
