#include "hornwall/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <streambuf>

#include "hornwall/run_error.hpp"

namespace hornwall {
namespace {

Failure open_failure_for(int error_number) {
  switch (error_number) {
    case ENOENT:
    case ENOTDIR: return Failure::file_not_found;
    case EACCES:
    case EPERM:
    case EROFS: return Failure::permission_denied;
    case ENODEV:
    case ENXIO: return Failure::no_such_device;
    case ENAMETOOLONG: return Failure::bad_file_name;
    default: return Failure::open_failure;
  }
}

bool is_permission_failure(int error_number) {
  return error_number == EACCES || error_number == EPERM || error_number == EROFS;
}

// Opens `name` with `flags`; returns the descriptor, or -1 with errno set.
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
  ::fstat(fd, &status);
  return status;
}

// An input stream over a file descriptor that it owns. A read failure reads as
// the end of the file.
class FileReadBuffer : public std::streambuf {
 public:
  explicit FileReadBuffer(int fd) : fd_(fd) {}
  ~FileReadBuffer() override { ::close(fd_); }
  FileReadBuffer(const FileReadBuffer&) = delete;
  FileReadBuffer& operator=(const FileReadBuffer&) = delete;

 protected:
  int_type underflow() override {
    ssize_t count;
    do {
      count = ::read(fd_, buffer_, sizeof buffer_);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + count);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  int fd_;
  char buffer_[1 << 16];
};

class InputFile : public std::istream {
 public:
  explicit InputFile(int fd) : std::istream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

 private:
  FileReadBuffer buffer_;
};

class PosixObjectSink : public ObjectSink {
 public:
  PosixObjectSink(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  ~PosixObjectSink() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixObjectSink(const PosixObjectSink&) = delete;
  PosixObjectSink& operator=(const PosixObjectSink&) = delete;

  void write(std::string_view bytes) override {
    if (!started_) {
      started_ = true;
      if (S_ISREG(file_status(fd_).st_mode) && ::ftruncate(fd_, 0) != 0) fail();
    }
    while (!bytes.empty()) {
      const ssize_t count = ::write(fd_, bytes.data(), bytes.size());
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) fail();
      bytes.remove_prefix(static_cast<std::size_t>(count));
    }
  }

  void close() override {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) fail();
  }

 private:
  [[noreturn]] void fail() const {
    throw channel_error(Failure::write_error, object_file_unit, name_);
  }

  int fd_;
  std::string name_;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<std::istream> PosixFileSystem::open_input(const std::string& name) {
  const int fd = open_descriptor(name, O_RDONLY);
  if (fd < 0) throw channel_error(open_failure_for(errno), input_file_unit, name);
  const struct stat status = file_status(fd);
  if (S_ISDIR(status.st_mode)) {
    ::close(fd);
    throw channel_error(Failure::open_failure, input_file_unit, name);
  }
  have_input_ = true;
  input_device_ = status.st_dev;
  input_inode_ = status.st_ino;
  return std::make_unique<InputFile>(fd);
}

std::unique_ptr<ObjectSink> PosixFileSystem::open_object(const std::string& name) {
  int fd = open_descriptor(name, O_WRONLY | O_CREAT);
  if (fd < 0 && is_permission_failure(errno)) {
    // Denied write access: the file is opened for reading only, and its first
    // write fails.
    const int denied = errno;
    fd = open_descriptor(name, O_RDONLY);
    if (fd < 0) errno = denied;
  }
  if (fd < 0) throw channel_error(open_failure_for(errno), object_file_unit, name);
  const struct stat status = file_status(fd);
  if (have_input_ && status.st_dev == input_device_ && status.st_ino == input_inode_) {
    ::close(fd);
    throw channel_error(Failure::open_failure, object_file_unit, name);
  }
  return std::make_unique<PosixObjectSink>(fd, name);
}

}  // namespace hornwall
