#include "hornwall/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ios>
#include <memory>
#include <optional>
#include <streambuf>
#include <utility>
#include <vector>

#include "beside.hpp"
#include "hornwall/output_file.hpp"
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

// The object file as the writer sees it: an output that a whole run commits.
class PosixObjectSink : public ObjectSink {
 public:
  PosixObjectSink(std::unique_ptr<OutputFile> file, std::string name)
      : file_(std::move(file)), name_(std::move(name)) {}

  void write(std::string_view bytes) override {
    if (!file_->put(bytes)) fail();
  }

  void close() override {
    if (!file_->commit().ok()) fail();
  }

 private:
  [[noreturn]] void fail() const {
    throw channel_error(Failure::write_error, object_file_unit, name_);
  }

  std::unique_ptr<OutputFile> file_;
  std::string name_;
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
  // The object file may not be the answers: not the input text file, not a regular file
  // that console answers are read from, and not the file that the transcript goes to.
  std::vector<FileIdentity> forbidden;
  if (have_input_) forbidden.push_back({input_device_, input_inode_});
  const struct stat console = file_status(console_input_fd_);
  if (S_ISREG(console.st_mode)) forbidden.push_back({console.st_dev, console.st_ino});
  if (const auto transcript = standard_output_identity(console_output_fd_)) {
    forbidden.push_back(*transcript);
  }
  auto file = std::make_unique<OutputFile>();
  const OutputRules rules{
      .lock = true, .protected_fails_at_first_write = true, .forbidden = forbidden};
  if (const auto refusal = file->open(name, rules)) {
    const Failure failure = refusal->cause == OutputRefusal::Cause::system
                                ? open_failure_for(refusal->error)
                                : Failure::open_failure;
    throw channel_error(failure, object_file_unit, name);
  }
  return std::make_unique<PosixObjectSink>(std::move(file), name);
}

}  // namespace hornwall
