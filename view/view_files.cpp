#include "hornwall/view/view_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace hornwall {
namespace {

namespace fs = std::filesystem;

// An open file descriptor, closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

FileText failed(std::string_view verb, const std::string& path, std::string_view reason) {
  FileText result;
  result.failure = "cannot " + std::string(verb) + " '" + path + "': " + std::string(reason);
  return result;
}

// True when `a` and `b` name the same file: one existing file reached by both (through
// a link too), or the same place once both are made absolute and normal.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path a_place = fs::weakly_canonical(a, error);
  if (error) return a == b;
  const fs::path b_place = fs::weakly_canonical(b, error);
  if (error) return a == b;
  return a_place == b_place;
}

}  // namespace

FileText read_object_text(const std::string& path) {
  // Opening without waiting, so that a named pipe cannot hang the run before it is
  // refused; for a regular file the flag changes nothing.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.fd() < 0) return failed("open", path, std::strerror(errno));
  struct stat status {};
  if (::fstat(file.fd(), &status) != 0) return failed("read", path, std::strerror(errno));
  if (S_ISDIR(status.st_mode)) return failed("read", path, std::strerror(EISDIR));
  if (!S_ISREG(status.st_mode)) return failed("read", path, "not a regular file");

  FileText result;
  if (status.st_size > 0) result.text.reserve(static_cast<std::size_t>(status.st_size));
  std::vector<char> block(std::size_t{1} << 16);
  for (;;) {
    const ssize_t got = ::read(file.fd(), block.data(), block.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return failed("read", path, std::strerror(errno));
    }
    result.text.append(block.data(), static_cast<std::size_t>(got));
  }
  return result;
}

std::string output_clash(const ViewOptions& options) {
  const std::string in_quotes = "'" + options.file + "'";
  if (same_file(options.svg_path, options.file)) {
    return "the picture cannot overwrite the object file " + in_quotes;
  }
  if (options.table_path.empty() || options.table_path == "-") return {};
  if (same_file(options.table_path, options.file)) {
    return "the table cannot overwrite the object file " + in_quotes;
  }
  // A device such as /dev/null may take both; only a file would be written twice.
  std::error_code error;
  const fs::file_status table = fs::status(options.table_path, error);
  const bool device = fs::exists(table) && !fs::is_regular_file(table);
  if (!device && same_file(options.table_path, options.svg_path)) {
    return "the picture and the table cannot both go to '" + options.table_path + "'";
  }
  return {};
}

}  // namespace hornwall
