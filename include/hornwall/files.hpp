#pragma once

#include <unistd.h>

#include <istream>
#include <memory>
#include <string>
#include <string_view>

#include "hornwall/object_writer.hpp"

namespace hornwall {

// Where the input text file and the object file live. Names are given without
// their leading and trailing blanks.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing input text file for reading only (unit 50).
  // Raises file not found (29), permission denied (9), no such device (42), a name
  // that is no valid file name (43) or open failure (30).
  virtual std::unique_ptr<std::istream> open_input(const std::string& name) = 0;
  // Opens the object file (unit 43), creating it when missing; an existing file keeps
  // its contents until the first write. Raises the same failures as `open_input`,
  // and open failure (30) when the name is the input text file itself, the regular file
  // that console input reads, or a file that another run holds.
  virtual std::unique_ptr<ObjectSink> open_object(const std::string& name) = 0;
};

// The real file system, through POSIX calls. An input text file reports a read error
// as its stream's badbit. A regular object file is locked (flock) for the run; a write
// to it that fails cuts it back to the end of the last whole line the run wrote, and
// raises error during write (38).
class PosixFileSystem : public FileSystem {
 public:
  // `console_input_fd` is the descriptor that console answers are read from.
  explicit PosixFileSystem(int console_input_fd = STDIN_FILENO)
      : console_input_fd_(console_input_fd) {}
  std::unique_ptr<std::istream> open_input(const std::string& name) override;
  std::unique_ptr<ObjectSink> open_object(const std::string& name) override;

 private:
  int console_input_fd_;
  bool have_input_ = false;
  unsigned long long input_device_ = 0;
  unsigned long long input_inode_ = 0;
};

}  // namespace hornwall
