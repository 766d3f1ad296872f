#pragma once

#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace hornwall {

// The object file as the writer sees it: a sink of bytes.
class ObjectSink {
 public:
  virtual ~ObjectSink() = default;
  // Appends `bytes`. The first call, even with no bytes, ends the file's old contents
  // first. Raises error during write (38) for unit 43.
  virtual void write(std::string_view bytes) = 0;
  // Closes the file, keeping what was written. Raises error during write (38).
  virtual void close() = 0;
};

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
  // and open failure (30) when the name is the input text file itself.
  virtual std::unique_ptr<ObjectSink> open_object(const std::string& name) = 0;
};

// The real file system, through POSIX calls.
class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<std::istream> open_input(const std::string& name) override;
  std::unique_ptr<ObjectSink> open_object(const std::string& name) override;

 private:
  bool have_input_ = false;
  unsigned long long input_device_ = 0;
  unsigned long long input_inode_ = 0;
};

}  // namespace hornwall
