#include "hornwall/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <streambuf>
#include <utility>
#include <vector>

#include "beside.hpp"

namespace hornwall {
namespace {

Reason reason_of(int error) { return Reason{std::strerror(error)}; }

// The permission bits of a new file: 0666 less the umask.
mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

// Writes to a descriptor in blocks, keeping the first failure's errno.
class OutputFile::Buffer : public std::streambuf {
 public:
  // `truncate_first`: the descriptor is an existing file written in place, emptied only
  // when the first bytes go out (or at the close), so that a run that fails before it
  // writes leaves it as it was.
  Buffer(int fd, bool truncate_first)
      : fd_(fd), truncate_pending_(truncate_first), block_(std::size_t{1} << 16) {
    setp(block_.data(), block_.data() + block_.size());
  }
  ~Buffer() override {
    if (fd_ >= 0) ::close(fd_);
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  int fd() const { return fd_; }
  int failure() const { return failure_; }

  // Writes what is held and closes the descriptor; returns the first failure's errno or 0.
  int close() {
    sync();
    truncate_once();
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && failure_ == 0 && errno != EINTR) failure_ = errno;
    return failure_;
  }

  // Closes the descriptor without writing what is held or emptying the file.
  void abandon() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    setp(block_.data(), block_.data() + block_.size());
  }

 protected:
  int_type overflow(int_type c) override {
    if (!write_out()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return write_out() ? 0 : -1; }

 private:
  void truncate_once() {
    if (!truncate_pending_ || fd_ < 0) return;
    truncate_pending_ = false;
    if (failure_ == 0 && ::ftruncate(fd_, 0) != 0) failure_ = errno;
  }

  bool write_out() {
    const char* at = pbase();
    const char* const end = pptr();
    setp(block_.data(), block_.data() + block_.size());
    if (at < end) truncate_once();
    while (failure_ == 0 && at < end) {
      const ssize_t done = ::write(fd_, at, static_cast<std::size_t>(end - at));
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) {
        failure_ = done < 0 ? errno : EIO;
        break;
      }
      at += done;
    }
    return failure_ == 0;
  }

  int fd_;
  bool truncate_pending_;
  int failure_ = 0;
  std::vector<char> block_;
};

OutputFile::OutputFile() : std::ostream(nullptr) {}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard() noexcept {
  if (buffer_) buffer_->abandon();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

Result<void> OutputFile::open(const std::string& path) {
  // A link that leads nowhere is replaced by the new file, as before any link existed.
  path_ = link_target(path).value_or(path);
  struct stat existing {};
  const bool exists = ::stat(path_.c_str(), &existing) == 0;
  const bool regular = exists && S_ISREG(existing.st_mode);
  int fd = -1;
  if (!exists || regular) {
    BesideFile beside = make_beside_file(path_);
    const mode_t mode = exists ? existing.st_mode & 07777 : new_file_mode();
    if (beside.fd >= 0 && ::fchmod(beside.fd, mode) != 0) {
      ::close(beside.fd);
      ::unlink(beside.path.c_str());
      beside = {};
    }
    fd = beside.fd;
    temporary_ = std::move(beside.path);
  }
  if (fd < 0) {
    // No temporary: a device, a pipe, or a folder that takes no new file. An existing file
    // is emptied only when the new bytes go out.
    fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return reason_of(errno);
  }
  const bool in_place = temporary_.empty();
  buffer_ = std::make_unique<Buffer>(fd, in_place && regular);
  rdbuf(buffer_.get());
  clear();
  return Result<void>();
}

Result<void> OutputFile::finish() {
  if (finished_) return Result<void>();
  flush();
  const int error = buffer_ ? buffer_->close() : 0;
  if (error != 0) {
    discard();
    return reason_of(error);
  }
  finished_ = true;
  return Result<void>();
}

Result<void> OutputFile::commit() {
  if (const Result<void> finished = finish(); !finished.ok()) return finished;
  if (!temporary_.empty() && ::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int rename_error = errno;
    discard();
    return reason_of(rename_error);
  }
  temporary_.clear();
  return Result<void>();
}

}  // namespace hornwall
