#include "hornwall/view/view_files.hpp"

#include "hornwall/output_file.hpp"
#include "hornwall/text.hpp"

namespace hornwall::view {

std::string output_clash(const ViewOptions& options) {
  const std::string object_file = quoted_printable(options.file);
  for (std::size_t i = 0; i < output_kinds; ++i) {
    const OutputRow& row = output_table[i];
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
