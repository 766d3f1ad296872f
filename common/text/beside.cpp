#include "beside.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace hornwall {

int open_descriptor(const std::string& name, int flags) {
  if (name.find('\0') != std::string::npos) {
    errno = ENAMETOOLONG;  // a name with a NUL byte cannot name any file
    return -1;
  }
  int fd;
  do {
    fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

struct stat file_status(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) status = {};
  return status;
}

bool still_named(const std::string& path, const struct stat& status) {
  struct stat named {};
  return ::stat(path.c_str(), &named) == 0 && named.st_dev == status.st_dev &&
         named.st_ino == status.st_ino;
}

bool is_permission_failure(int error_number) {
  return error_number == EACCES || error_number == EPERM || error_number == EROFS;
}

}  // namespace hornwall
