#include "hornwall/files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ios>
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

// The status of `fd`; all zero (no regular file) when it has none.
struct stat file_status(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) status = {};
  return status;
}

// An input stream over a file descriptor that it owns. A read failure is raised out of
// the buffer, which the stream that reads through it turns into its badbit.
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
    if (count < 0) throw std::ios_base::failure("read error");
    if (count == 0) return traits_type::eof();
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
    if (failed_) fail();
    if (!started_) {
      started_ = true;
      const struct stat status = file_status(fd_);
      regular_ = S_ISREG(status.st_mode);
      // An empty file needs no cut, and cutting it would make its close wait for the disk.
      if (regular_ && status.st_size > 0 && ::ftruncate(fd_, 0) != 0) fail_write();
    }
    while (!bytes.empty()) {
      const ssize_t count = ::write(fd_, bytes.data(), bytes.size());
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) fail_write();
      const auto done = static_cast<std::size_t>(count);
      if (const auto line_end = bytes.substr(0, done).rfind('\n');
          line_end != std::string_view::npos) {
        whole_lines_end_ = written_ + static_cast<off_t>(line_end) + 1;
      }
      written_ += static_cast<off_t>(done);
      bytes.remove_prefix(done);
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

  // A write that failed part-way may have left half a line, which a reader could take
  // for a whole, wrong value: a regular file is cut back to the end of the last whole
  // line this run wrote (to empty when it wrote none), and nothing more is written.
  [[noreturn]] void fail_write() {
    failed_ = true;
    if (regular_ && ::ftruncate(fd_, whole_lines_end_) == 0) {
      ::lseek(fd_, whole_lines_end_, SEEK_SET);
    }
    fail();
  }

  int fd_;
  std::string name_;
  bool started_ = false;
  bool regular_ = false;
  bool failed_ = false;
  off_t written_ = 0;          // bytes this run wrote
  off_t whole_lines_end_ = 0;  // the end of the last whole line this run wrote
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
  const bool is_input =
      have_input_ && status.st_dev == input_device_ && status.st_ino == input_inode_;
  // Answers typed through a redirect from a regular file are as much the answers as the
  // input text file.
  const struct stat console = file_status(console_input_fd_);
  const bool is_console_input = S_ISREG(console.st_mode) && status.st_dev == console.st_dev &&
                                status.st_ino == console.st_ino;
  // Two runs writing one file would leave neither run's objects: a run that finds the
  // file locked by another leaves it to that run. Devices are shared freely.
  const bool locked_by_another =
      S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  if (is_input || is_console_input || locked_by_another) {
    ::close(fd);
    throw channel_error(Failure::open_failure, object_file_unit, name);
  }
  return std::make_unique<PosixObjectSink>(fd, name);
}

}  // namespace hornwall
