#include "beside.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace hornwall {

std::optional<std::string> link_target(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                             &std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

BesideFile make_beside_file(const std::string& target) {
  const std::size_t folder_end = target.rfind('/') + 1;  // 0 when there is no folder
  BesideFile made;
  made.path = target.substr(0, folder_end) + "." + target.substr(folder_end) + ".XXXXXX";
  made.fd = ::mkostemp(made.path.data(), O_CLOEXEC);
  if (made.fd < 0) made.path.clear();
  return made;
}

}  // namespace hornwall
