#pragma once

#include <optional>
#include <string>

// A file written beside the one it replaces: the piece that the object file of a generator
// and the outputs of the tools share. Inside hornwall_text only.
namespace hornwall {

// The file that `path` names through its symbolic links: `path` itself when it is no
// link, none when it is a link that leads nowhere (or into a loop).
std::optional<std::string> link_target(const std::string& path);

// A new, empty, hidden file in the folder of `target`, named ".NAME.XXXXXX" after it, open
// for writing (close-on-exec) with 0600: its descriptor and path; a descriptor of -1
// and no file when the folder takes none.
struct BesideFile {
  int fd = -1;
  std::string path;
};
BesideFile make_beside_file(const std::string& target);

}  // namespace hornwall
