#include "hornwall/files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ios>
#include <memory>
#include <optional>
#include <streambuf>
#include <utility>

#include "beside.hpp"
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
  return open_failure_for(error_number) == Failure::permission_denied;
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

// Whether `path` still names the file of `status`.
bool still_named(const std::string& path, const struct stat& status) {
  struct stat named {};
  return ::stat(path.c_str(), &named) == 0 && named.st_dev == status.st_dev &&
         named.st_ino == status.st_ino;
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

// Where a run writes its object file: the object file itself, in place, or a new file
// beside it that takes its name only when the run ends well.
struct ObjectPlace {
  int fd = -1;            // the file the run writes
  int lock_fd = -1;       // the object file, locked for the run; fd itself when written in place
  std::string temporary;  // the new file's path; empty when written in place
  std::string target;     // the path the new file is renamed to (a link's target)
  bool created = false;   // this run created the object file: removed again on failure
};

class PosixObjectSink : public ObjectSink {
 public:
  PosixObjectSink(ObjectPlace place, std::string name)
      : place_(std::move(place)), name_(std::move(name)) {}
  // Without close, a file written beside the object file is removed, and the object file
  // is left as it was (one this run created goes too); a file written in place keeps
  // what was written.
  ~PosixObjectSink() override {
    if (beside() && !committed_) discard();
    if (place_.fd >= 0 && place_.fd != place_.lock_fd) ::close(place_.fd);
    if (place_.lock_fd >= 0) ::close(place_.lock_fd);
  }
  PosixObjectSink(const PosixObjectSink&) = delete;
  PosixObjectSink& operator=(const PosixObjectSink&) = delete;

  void write(std::string_view bytes) override {
    if (failed_) fail();
    if (!started_) {
      started_ = true;
      const struct stat status = file_status(place_.fd);
      regular_ = S_ISREG(status.st_mode);
      // An empty file needs no cut, and cutting it would make its close wait for the disk.
      if (regular_ && status.st_size > 0 && ::ftruncate(place_.fd, 0) != 0) fail_write();
    }
    while (!bytes.empty()) {
      const ssize_t count = ::write(place_.fd, bytes.data(), bytes.size());
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
    if (!beside()) {
      const int fd = std::exchange(place_.fd, -1);
      place_.lock_fd = -1;
      if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) fail();
      return;
    }
    if (committed_) return;
    if (failed_) fail();
    const int fd = std::exchange(place_.fd, -1);
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) fail();
    // A sink given no bytes leaves the object file as it was (a new one empty).
    if (!started_) {
      ::unlink(place_.temporary.c_str());
    } else {
      // A rename over a file makes the file system write the new one out at once, to
      // protect the old contents; the empty file that held a new name has none.
      remove_created();
      if (::rename(place_.temporary.c_str(), place_.target.c_str()) != 0) fail();
    }
    committed_ = true;
    ::close(std::exchange(place_.lock_fd, -1));
  }

 private:
  bool beside() const { return !place_.temporary.empty(); }

  // Removes the new file, and the object file when this run created it.
  void discard() const {
    ::unlink(place_.temporary.c_str());
    remove_created();
  }

  // Removes the object file when this run created it and nothing else has taken its name
  // or written it since. The lock is still held.
  void remove_created() const {
    const struct stat held = file_status(place_.lock_fd);
    if (place_.created && held.st_size == 0 && still_named(place_.target, held)) {
      ::unlink(place_.target.c_str());
    }
  }

  [[noreturn]] void fail() const {
    throw channel_error(Failure::write_error, object_file_unit, name_);
  }

  // A write that failed part-way may have left half a line, which a reader could take
  // for a whole, wrong value: a regular file written in place is cut back to the end of
  // the last whole line this run wrote (to empty when it wrote none), and nothing more
  // is written. A file written beside is removed whole.
  [[noreturn]] void fail_write() {
    failed_ = true;
    if (regular_ && !beside() && ::ftruncate(place_.fd, whole_lines_end_) == 0) {
      ::lseek(place_.fd, whole_lines_end_, SEEK_SET);
    }
    fail();
  }

  ObjectPlace place_;
  std::string name_;
  bool started_ = false;
  bool regular_ = false;
  bool failed_ = false;
  bool committed_ = false;
  off_t written_ = 0;          // bytes this run wrote
  off_t whole_lines_end_ = 0;  // the end of the last whole line this run wrote
};

// How often an open starts again when other runs keep replacing the object file.
constexpr int max_open_attempts = 16;

// The object file as opened: for writing, created when missing, or for reading only when
// writing is denied (so that the first write fails).
struct ObjectOpen {
  int fd;
  bool writable;
  bool created;  // the name held no file before this open
};

ObjectOpen open_object_file(const std::string& name) {
  // Created exclusively first, so that the run knows whether it made the file.
  int fd = open_descriptor(name, O_WRONLY | O_CREAT | O_EXCL);
  if (fd >= 0) return {fd, true, true};
  fd = open_descriptor(name, O_WRONLY | O_CREAT);
  if (fd >= 0) return {fd, true, false};
  if (is_permission_failure(errno)) {
    const int denied = errno;
    fd = open_descriptor(name, O_RDONLY);
    if (fd >= 0) return {fd, false, false};
    errno = denied;
  }
  throw channel_error(open_failure_for(errno), object_file_unit, name);
}

// Whether `name` is a symbolic link that leads to no file, or into a loop.
bool is_dangling_link(const std::string& name) {
  struct stat link {};
  struct stat target {};
  return ::lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
         ::stat(name.c_str(), &target) != 0;
}

// Makes the new file that a run writes beside the object file `name` (of `status`) and
// sets `place` to it: in the folder of the file the name leads to, hidden, with the
// object file's owner, group and permission bits. Leaves `place` as it was, having made
// nothing, where that cannot be done: a folder the run may not write in, a name too long
// for the suffix, an owner or group that cannot be given.
void make_beside(const std::string& name, const struct stat& status, ObjectPlace& place) {
  std::optional<std::string> target = link_target(name);
  if (!target || (*target != name && !still_named(*target, status))) return;
  BesideFile made = make_beside_file(*target);
  if (made.fd < 0) return;
  const struct stat made_status = file_status(made.fd);
  const bool owned = (made_status.st_uid == status.st_uid && made_status.st_gid == status.st_gid) ||
                     ::fchown(made.fd, status.st_uid, status.st_gid) == 0;
  if (!owned || ::fchmod(made.fd, status.st_mode & 07777) != 0) {
    ::close(made.fd);
    ::unlink(made.path.c_str());
    return;
  }
  place.fd = made.fd;
  place.temporary = std::move(made.path);
  place.target = std::move(*target);
}

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
  for (int attempt = 1;; ++attempt) {
    const bool dangling = is_dangling_link(name);
    const ObjectOpen opened = open_object_file(name);
    const int fd = opened.fd;
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
    const bool regular = S_ISREG(status.st_mode);
    const bool locked_by_another =
        regular && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (is_input || is_console_input || locked_by_another) {
      ::close(fd);
      throw channel_error(Failure::open_failure, object_file_unit, name);
    }
    // The lock holds the file that the name held at the open; when another run has since
    // given the name its new file, that file is the one to lock.
    if (regular && !still_named(name, status)) {
      ::close(fd);
      if (attempt < max_open_attempts) continue;
      throw channel_error(Failure::open_failure, object_file_unit, name);
    }
    ObjectPlace place;
    place.fd = fd;
    place.lock_fd = fd;
    place.created = opened.created;
    // Where no new file can stand beside it, the object file is written in place, as it
    // always was: a file the run may not write, a device or a pipe, a file that other
    // links share (they would keep the old objects), a dangling link.
    if (opened.writable && !dangling && regular && status.st_nlink == 1) {
      make_beside(name, status, place);
    }
    return std::make_unique<PosixObjectSink>(std::move(place), name);
  }
}

}  // namespace hornwall
