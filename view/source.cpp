#include "hornwall/view/source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "hornwall/text.hpp"

namespace hornwall::view {

std::size_t TextSource::read(std::uint64_t offset, char* buffer, std::size_t count) {
  if (offset >= text_.size()) return 0;
  const auto taken =
      static_cast<std::size_t>(std::min<std::uint64_t>(count, text_.size() - offset));
  std::memcpy(buffer, text_.data() + offset, taken);
  return taken;
}

Result<void> FileSource::open(const std::string& path) {
  const auto failed = [&](std::string_view verb, std::string_view reason) {
    return Reason{"cannot " + std::string(verb) + " " + quoted_printable(path) + ": " +
                  std::string(reason)};
  };
  // Opened without waiting, so that a named pipe cannot hang the run before it is
  // refused; for a regular file the flag changes nothing.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return failed("open", std::strerror(errno));
  struct stat status {};
  std::optional<Reason> failure;
  if (::fstat(fd, &status) != 0) {
    failure = failed("read", std::strerror(errno));
  } else if (S_ISDIR(status.st_mode)) {
    failure = failed("read", std::strerror(EISDIR));
  } else if (!S_ISREG(status.st_mode)) {
    failure = failed("read", "not a regular file");
  }
  if (failure) {
    ::close(fd);
    return *failure;
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(status.st_size);
  return Result<void>();
}

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t FileSource::read(std::uint64_t offset, char* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count && offset + done < size_) {
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(count - done, size_ - offset - done));
    const ssize_t got = ::pread(fd_, buffer + done, wanted, static_cast<off_t>(offset + done));
    if (got == 0) break;  // the file was cut short since it was opened
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ReadFailure(std::strerror(errno));
    }
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace hornwall::view
