#include "hornwall/output_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <streambuf>
#include <system_error>
#include <utility>
#include <vector>

#include "beside.hpp"
#include "hornwall/system_calls.hpp"

namespace hornwall {
namespace {

Reason reason_of(int error) { return Reason{std::strerror(error)}; }

// The extended attributes of an open file. WebAssembly's file systems keep none.
#if defined(__EMSCRIPTEN__)
ssize_t list_attributes(int, char*, std::size_t) { return errno = ENOTSUP, -1; }
ssize_t get_attribute(int, const char*, void*, std::size_t) { return errno = ENOTSUP, -1; }
int give_attribute(int, const char*, const void*, std::size_t) { return errno = ENOTSUP, -1; }
#else
ssize_t list_attributes(int fd, char* names, std::size_t size) {
  return ::flistxattr(fd, names, size);
}
ssize_t get_attribute(int fd, const char* name, void* value, std::size_t size) {
  return ::fgetxattr(fd, name, value, size);
}
int give_attribute(int fd, const char* name, const void* value, std::size_t size) {
  return ::fsetxattr(fd, name, value, size, 0);
}
#endif

// The permission bits of a new file: 0666 less the umask.
mode_t new_file_mode() {
#if defined(__EMSCRIPTEN__)
  return 0644;  // WebAssembly cannot see the process's umask: the usual 022
#else
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
#endif
}

void close_descriptor(int& fd) noexcept {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// The folder part of `path` ("" for none) and the name in it.
std::pair<std::string, std::string> split_path(const std::string& path) {
  const std::size_t folder_end = path.rfind('/') + 1;  // 0 when there is no folder
  return {path.substr(0, folder_end), path.substr(folder_end)};
}

// The place of the file that `path` leads to through its symbolic links, even one that
// does not exist yet (a link that leads nowhere gives the place its target would have).
// Sets errno and gives none for a loop of links.
std::optional<std::string> follow_links(std::string path) {
  constexpr int most_links = 40;
  for (int followed = 0; followed < most_links; ++followed) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    std::string target(4096, '\0');
    const ssize_t size = ::readlink(path.c_str(), target.data(), target.size());
    if (size < 0) return std::nullopt;
    if (static_cast<std::size_t>(size) == target.size()) {
      errno = ENAMETOOLONG;
      return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(size));
    path = target.starts_with('/') ? target : split_path(path).first + target;
  }
  errno = ELOOP;
  return std::nullopt;
}

// Opens the folder `folder` ("" for the current one) to make, rename and sync files in;
// a folder that may not be read but may be written is still found by its path.
int open_folder(const std::string& folder) {
  const std::string name = folder.empty() ? "." : folder;
  const int fd = open_descriptor(name, O_RDONLY | O_DIRECTORY);
  if (fd >= 0 || errno != EACCES) return fd;
  return open_descriptor(name, O_PATH | O_DIRECTORY);
}

// Six letters or digits that make a hidden name unique, different at each call.
std::string unique_suffix(unsigned attempt) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t mixed = static_cast<std::uint64_t>(now.tv_nsec) ^
                        (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                        (static_cast<std::uint64_t>(::getpid()) << 40) ^ attempt;
  mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9u;
  mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebu;
  mixed ^= mixed >> 31;
  constexpr std::string_view letters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix(6, ' ');
  for (char& letter : suffix) {
    letter = letters[mixed % letters.size()];
    mixed /= letters.size();
  }
  return suffix;
}

// Makes a new, empty, hidden file for `base` in `folder`, open for writing with 0600:
// ".BASE.XXXXXX", BASE cut short where the whole would pass the folder's longest name.
// Returns its descriptor and sets `name`, or -1 with errno set and `name` empty.
int make_hidden_file(int folder, const std::string& base, std::string& name) {
  long longest = ::fpathconf(folder, _PC_NAME_MAX);
  if (longest <= 0) longest = 255;
  constexpr std::size_t dots_and_suffix = 8;  // ".", "." and six letters
  std::string kept = base;
  if (kept.size() + dots_and_suffix > static_cast<std::size_t>(longest)) {
    kept.resize(static_cast<std::size_t>(longest) > dots_and_suffix
                    ? static_cast<std::size_t>(longest) - dots_and_suffix
                    : 0);
  }
  constexpr unsigned attempts = 100;
  for (unsigned attempt = 0; attempt < attempts; ++attempt) {
    name = "." + kept + "." + unique_suffix(attempt);
    int fd;
    do {
      fd = system_calls().open_in(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                  0600);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  name.clear();
  return -1;
}

// Gives the file `to` every extended attribute of `from` (POSIX ACLs are kept as such).
// Returns 0 or the errno of the first that cannot be read or given.
int copy_attributes(int from, int to) {
  ssize_t size = list_attributes(from, nullptr, 0);
  if (size < 0) return errno == ENOTSUP ? 0 : errno;
  std::vector<char> names(static_cast<std::size_t>(size));
  size = list_attributes(from, names.data(), names.size());
  if (size < 0) return errno;
  std::vector<char> value;
  for (std::size_t at = 0; at < static_cast<std::size_t>(size);) {
    const char* attribute = names.data() + at;
    at += std::strlen(attribute) + 1;
    const ssize_t length = get_attribute(from, attribute, nullptr, 0);
    if (length < 0) return errno;
    value.resize(static_cast<std::size_t>(length));
    const ssize_t read = get_attribute(from, attribute, value.data(), value.size());
    if (read < 0) return errno;
    if (system_calls().set_attribute(to, attribute, value.data(), static_cast<std::size_t>(read)) !=
        0) {
      return errno;
    }
  }
  return 0;
}

// Syncs `fd` to the disk; 0 or the errno of a failure. A file that cannot be synced (a
// pipe, a device, a folder opened by its path alone) has nothing to lose.
int sync_descriptor(int fd) {
  if (system_calls().sync(fd) == 0) return 0;
  const int error = errno;
  return error == EINVAL || error == EROFS || error == ENOTSUP || error == EBADF ? 0 : error;
}

// The output's name as opened: for writing, created when missing (with rules.lock), or
// for reading only when writing is denied (with rules.protected_fails_at_first_write).
struct Opened {
  int fd = -1;  // -1: the name holds no file yet (without rules.lock)
  bool writable = false;
  bool created = false;  // this open made the file
  MarkedFile mark;       // ... which an interruption removes while it is empty
};

// Opens `path` as `rules` say; 0, or the errno of the failure.
int open_name(const std::string& path, const OutputRules& rules, Opened& opened) {
  int fd;
  if (rules.lock) {
    // Created exclusively first, so that the run knows whether it made the file; a link
    // that leads nowhere makes its target.
    struct stat link {};
    const bool dangling = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
                          ::access(path.c_str(), F_OK) != 0;
    {
      const InterruptionsHeld held;
      fd = open_descriptor(path, O_WRONLY | O_CREAT | O_EXCL);
      if (fd >= 0) {
        const struct stat made = file_status(fd);
        opened = {fd, true, true, MarkedFile(AT_FDCWD, path, true, made.st_dev, made.st_ino)};
        return 0;
      }
    }
    fd = open_descriptor(path, O_WRONLY | O_CREAT);
    if (fd >= 0) {
      const struct stat made = file_status(fd);
      const bool created = dangling && made.st_size == 0;
      opened = {
          fd, true, created,
          created ? MarkedFile(AT_FDCWD, path, true, made.st_dev, made.st_ino) : MarkedFile()};
      return 0;
    }
  } else {
    fd = open_descriptor(path, O_WRONLY);
    if (fd >= 0 || errno == ENOENT) {
      opened = {fd, fd >= 0, false, {}};
      return 0;
    }
  }
  const int denied = errno;
  if (is_permission_failure(denied) && rules.protected_fails_at_first_write) {
    fd = open_descriptor(path, O_RDONLY);
    if (fd >= 0) {
      opened = {fd, false, false, {}};
      return 0;
    }
  }
  return denied;
}

// How often an open starts again when other runs keep replacing a locked output.
constexpr int max_open_attempts = 16;

}  // namespace

SystemCalls& system_calls() {
  static SystemCalls calls = {
      [](int folder, const char* name, int flags, mode_t mode) {
        return ::openat(folder, name, flags, mode);
      },
      [](int fd, const void* bytes, std::size_t count) { return ::write(fd, bytes, count); },
      [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
      [](int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); },
      [](int fd, const char* name, const void* value, std::size_t size) {
        return give_attribute(fd, name, value, size);
      },
      [](int fd) { return ::fsync(fd); },
      [](int folder, const char* from, const char* to) {
        return ::renameat(folder, from, folder, to);
      },
  };
  return calls;
}

std::optional<FileIdentity> standard_output_identity(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return std::nullopt;
  const bool mixes = S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode) ||
                     S_ISSOCK(status.st_mode) || ::isatty(fd) == 1;
  if (!mixes) return std::nullopt;
  return FileIdentity{status.st_dev, status.st_ino};
}

bool is_standard_output(const std::string& path) {
  const std::optional<FileIdentity> output = standard_output_identity();
  struct stat status {};
  return output && path.find('\0') == std::string::npos && ::stat(path.c_str(), &status) == 0 &&
         status.st_dev == output->device && status.st_ino == output->inode;
}

namespace {

namespace fs = std::filesystem;

// Where `path` leads: made absolute (a name that does not exist yet has no folder part
// to resolve from otherwise), its links followed as far as they exist, and normal.
fs::path place_of(const std::string& path, std::error_code& error) {
  const fs::path absolute = fs::absolute(path, error);
  if (error) return {};
  return fs::weakly_canonical(absolute, error).lexically_normal();
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path a_place = place_of(a, error);
  if (error) return a == b;
  const fs::path b_place = place_of(b, error);
  if (error) return a == b;
  return a_place == b_place;
}

bool is_device(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  return fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

std::string OutputRefusal::reason() const {
  switch (cause) {
    case Cause::system: return std::strerror(error);
    case Cause::forbidden: return "the file may not be written by this run";
    case Cause::held: return "another run is writing it";
  }
  return {};
}

// Where the output goes, and how far it has got.
struct OutputFile::Place {
  int fd = -1;           // the file written: the hidden one, or the named one in place
  int named_fd = -1;     // the named file, open since the open (and locked), when it existed
  int folder = -1;       // the folder of the named file, when written beside
  std::string hidden;    // the hidden file's name in the folder; empty when written in place
  std::string base;      // the named file's name in the folder
  bool created = false;  // the open made the named file: removed when no output
  FileIdentity created_identity;  // ... while it is still that file, and empty
  bool regular = false;           // the file written is a regular file
  bool written_in_place = false;  // the file written is the named one
  bool started = false;           // put() was called
  bool finished = false;
  bool committed = false;
  int failure = 0;            // the errno of the first failure
  off_t written = 0;          // bytes written
  off_t whole_lines_end = 0;  // the end of the last whole line written
  MarkedFile hidden_mark;
  MarkedFile created_mark;

  bool beside() const { return !hidden.empty(); }

  // A place left before its commit, by a failure or an exception, leaves nothing behind.
  ~Place() {
    close_descriptor(fd);
    if (!committed) remove_made();
    close_descriptor(named_fd);
    close_descriptor(folder);
  }

  // Writes `bytes` to the file; false (and failure set) when it cannot.
  bool write(std::string_view bytes) {
    if (failure != 0) return false;
    if (!started) {
      started = true;
      // An empty file needs no cut, and cutting it would make its close wait for the disk.
      if (written_in_place && regular && file_status(fd).st_size > 0 && ::ftruncate(fd, 0) != 0) {
        return fail(errno);
      }
    }
    while (!bytes.empty()) {
      const ssize_t count = system_calls().write(fd, bytes.data(), bytes.size());
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) return fail(count < 0 ? errno : EIO);
      const auto done = static_cast<std::size_t>(count);
      if (const auto line_end = bytes.substr(0, done).rfind('\n');
          line_end != std::string_view::npos) {
        whole_lines_end = written + static_cast<off_t>(line_end) + 1;
      }
      written += static_cast<off_t>(done);
      bytes.remove_prefix(done);
    }
    return true;
  }

  // A write that failed part-way may have left half a line, which a reader could take for
  // a whole, wrong value: a regular file written in place is cut back to the end of the
  // last whole line written (to empty when there was none), and nothing more is written.
  bool fail(int error) {
    failure = error;
    if (written_in_place && regular && ::ftruncate(fd, whole_lines_end) == 0) {
      ::lseek(fd, whole_lines_end, SEEK_SET);
    }
    return false;
  }

  // Removes the hidden file, and the named file when the open made it and it is still
  // that empty file.
  void remove_made() noexcept {
    if (beside()) ::unlinkat(folder, hidden.c_str(), 0);
    hidden.clear();
    hidden_mark.clear();
    if (created && folder >= 0) {
      struct stat status {};
      if (::fstatat(folder, base.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
          status.st_size == 0 && status.st_dev == created_identity.device &&
          status.st_ino == created_identity.inode) {
        ::unlinkat(folder, base.c_str(), 0);
      }
    }
    created = false;
    created_mark.clear();
  }
};

// Holds what the stream is given and writes it to the file in blocks.
class OutputFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(Place& place) : place_(place), block_(std::size_t{1} << 16) {
    setp(block_.data(), block_.data() + block_.size());
  }

  // Writes out what is held; false when the file has failed.
  bool write_out() {
    const std::string_view held(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(block_.data(), block_.data() + block_.size());
    return held.empty() ? place_.failure == 0 : place_.write(held);
  }

  // Forgets what is held.
  void drop() noexcept { setp(block_.data(), block_.data() + block_.size()); }

 protected:
  int_type overflow(int_type c) override {
    if (!write_out()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    if (count <= epptr() - pptr()) {
      std::memcpy(pptr(), bytes, static_cast<std::size_t>(count));
      pbump(static_cast<int>(count));
      return count;
    }
    if (!write_out()) return 0;
    if (static_cast<std::size_t>(count) >= block_.size()) {
      return place_.write({bytes, static_cast<std::size_t>(count)}) ? count : 0;
    }
    std::memcpy(pptr(), bytes, static_cast<std::size_t>(count));
    pbump(static_cast<int>(count));
    return count;
  }
  int sync() override { return write_out() ? 0 : -1; }

 private:
  Place& place_;
  std::vector<char> block_;
};

OutputFile::OutputFile() : std::ostream(nullptr) {}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard() noexcept {
  if (!place_) return;
  if (buffer_) buffer_->drop();
  close_descriptor(place_->fd);
  if (!place_->committed) place_->remove_made();
}

bool OutputFile::in_place() const { return place_ && place_->written_in_place; }

std::optional<OutputRefusal> OutputFile::open(const std::string& path, const OutputRules& rules) {
  discard();
  rdbuf(nullptr);
  buffer_.reset();
  place_.reset();
  auto place = std::make_unique<Place>();
  Opened opened;
  struct stat status {};
  for (int attempt = 1;; ++attempt) {
    if (const int error = open_name(path, rules, opened); error != 0) {
      return OutputRefusal{OutputRefusal::Cause::system, error, 0};
    }
    if (opened.fd < 0) break;
    status = file_status(opened.fd);
    for (std::size_t i = 0; i < rules.forbidden.size(); ++i) {
      if (status.st_dev == rules.forbidden[i].device && status.st_ino == rules.forbidden[i].inode) {
        ::close(opened.fd);
        return OutputRefusal{OutputRefusal::Cause::forbidden, 0, i};
      }
    }
    if (!rules.lock || !S_ISREG(status.st_mode)) break;
    // Two runs writing one file would leave neither run's output: a run that finds the
    // file locked by another leaves it to that run.
    if (::flock(opened.fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      ::close(opened.fd);
      return OutputRefusal{OutputRefusal::Cause::held, 0, 0};
    }
    // The lock holds the file that the name held at the open; when another run has since
    // given the name its new file, that file is the one to lock.
    if (still_named(path, status)) break;
    ::close(opened.fd);
    if (attempt == max_open_attempts) return OutputRefusal{OutputRefusal::Cause::held, 0, 0};
  }
  place->named_fd = opened.fd;
  const bool exists = opened.fd >= 0;
  place->regular = !exists || S_ISREG(status.st_mode);
  if (opened.created) {
    place->created = true;
    place->created_identity = {status.st_dev, status.st_ino};
    place->created_mark = std::move(opened.mark);
  }
  // A failure from here on leaves nothing behind: the file this open made goes too.
  const auto refused = [&place, &path](int error) {
    if (place->created && place->folder < 0) {
      const auto [folder, base] = split_path(follow_links(path).value_or(path));
      place->folder = open_folder(folder);
      place->base = base;
    }
    close_descriptor(place->fd);
    place->remove_made();
    return OutputRefusal{OutputRefusal::Cause::system, error, 0};
  };
  bool beside = !exists || (place->regular && status.st_nlink == 1 && opened.writable);
  std::optional<std::string> target;
  if (beside) {
    target = follow_links(path);
    if (!target) return refused(errno);
    // A name that leads elsewhere than the file opened (a file that has lost its name) has
    // no place beside it.
    beside = !exists || still_named(*target, status);
  }
  if (beside) {
    auto [folder, base] = split_path(*target);
    place->folder = open_folder(folder);
    if (place->folder < 0) return refused(errno);
    place->base = std::move(base);
    {
      const InterruptionsHeld held;
      place->fd = make_hidden_file(place->folder, place->base, place->hidden);
      if (place->fd >= 0) place->hidden_mark = MarkedFile(place->folder, place->hidden);
    }
    if (place->fd < 0) {
      // A folder that takes no new file leaves the named file to be written in place.
      const int error = errno;
      if (!exists || !is_permission_failure(error)) return refused(error);
      beside = false;
    }
  }
  if (beside && exists) {
    // The new file takes the old one's owner, group and attributes, or the old one is
    // written in place.
    const struct stat made = file_status(place->fd);
    const bool owned = (made.st_uid == status.st_uid && made.st_gid == status.st_gid) ||
                       system_calls().change_owner(place->fd, status.st_uid, status.st_gid) == 0;
    if (!owned || copy_attributes(opened.fd, place->fd) != 0) {
      close_descriptor(place->fd);
      ::unlinkat(place->folder, place->hidden.c_str(), 0);
      place->hidden.clear();
      place->hidden_mark.clear();
      beside = false;
    }
  }
  if (beside) {
    const mode_t mode = exists ? status.st_mode & 07777 : new_file_mode();
    if (system_calls().change_mode(place->fd, mode) != 0) return refused(errno);
    place->hidden_mark = MarkedFile(place->folder, place->hidden);
    if (place->created) {
      place->created_mark =
          MarkedFile(place->folder, place->base, true, status.st_dev, status.st_ino);
    }
  } else {
    close_descriptor(place->folder);
    place->created = false;
    place->written_in_place = true;
    place->fd = ::dup(opened.fd);
    if (place->fd < 0) return refused(errno);
  }
  place_ = std::move(place);
  buffer_ = std::make_unique<Buffer>(*place_);
  rdbuf(buffer_.get());
  clear();
  return std::nullopt;
}

bool OutputFile::put(std::string_view bytes) {
  if (!place_ || !buffer_->write_out()) return false;
  return place_->write(bytes);
}

Result<void> OutputFile::finish() {
  if (!place_) return Result<void>();
  if (place_->finished) {
    return place_->failure == 0 ? Result<void>() : reason_of(place_->failure);
  }
  place_->finished = true;
  buffer_->write_out();
  Place& place = *place_;
  if (place.failure == 0 && place.started && place.regular) {
    place.failure = sync_descriptor(place.fd);
  }
  const int fd = std::exchange(place.fd, -1);
  if (fd >= 0 && ::close(fd) != 0 && place.failure == 0 && errno != EINTR) place.failure = errno;
  if (place.failure != 0) {
    place.remove_made();
    return reason_of(place.failure);
  }
  if (!place.started && place.beside()) {
    // An output given no bytes leaves the name as it was (a new one empty).
    ::unlinkat(place.folder, place.hidden.c_str(), 0);
    place.hidden.clear();
    place.hidden_mark.clear();
  }
  return Result<void>();
}

Result<void> OutputFile::commit() {
  if (!place_) return Result<void>();
  if (Result<void> finished = finish(); !finished.ok()) return finished;
  Place& place = *place_;
  if (place.committed) return Result<void>();
  const bool renamed = place.beside();
  if (renamed &&
      system_calls().rename_in(place.folder, place.hidden.c_str(), place.base.c_str()) != 0) {
    const int error = errno;
    place.failure = error;
    place.remove_made();
    return reason_of(error);
  }
  place.hidden.clear();
  place.committed = true;
  place.hidden_mark.clear();
  place.created_mark.clear();
  place.created = false;
  // The rename itself is safe on the disk only once the folder is.
  const int error = renamed ? sync_descriptor(place.folder) : 0;
  close_descriptor(place.folder);
  close_descriptor(place.named_fd);
  if (error != 0) return reason_of(error);
  return Result<void>();
}

}  // namespace hornwall
