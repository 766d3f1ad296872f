#pragma once

#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace hornwall {

// The object file as the writer sees it: a sink of bytes, which close() keeps as the
// object file and destruction without close() discards.
class ObjectSink {
 public:
  // Without close(), the run's bytes are discarded where the file system can: the object
  // file stays as it was before the run. A file that had to be written in place keeps
  // what was written.
  virtual ~ObjectSink() = default;
  // Appends `bytes`. The first call, even with no bytes, ends the file's old contents
  // first. Raises error during write (38) for unit 43.
  virtual void write(std::string_view bytes) = 0;
  // Closes the file and makes what was written the object file (a sink given no bytes
  // leaves it as it was). Raises error during write (38), which leaves the sink as if
  // close() had not been called.
  virtual void close() = 0;
};

// The descriptor of standard input, which console answers are read from.
inline constexpr int standard_input = 0;

// Where the input text file and the object file live. Names are given without
// their leading and trailing blanks.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing input text file for reading only (unit 50).
  // Raises file not found (29), permission denied (9), no such device (42), a name
  // that is no valid file name (43) or open failure (30).
  virtual std::unique_ptr<std::istream> open_input(const std::string& name) = 0;
  // Opens the object file (unit 43), creating it when missing. The name keeps its old
  // file (or none) until the sink's close, and a sink destroyed without close leaves it
  // so, unless the file has to be written in place (see PosixFileSystem). Raises the same
  // failures as `open_input`, and open failure (30) when the name is the input text file
  // itself, the regular file that console input reads, or a file that another run holds.
  virtual std::unique_ptr<ObjectSink> open_object(const std::string& name) = 0;
};

// The real file system, through POSIX calls. An input text file reports a read error
// as its stream's badbit.
//
// An object file appears whole or not at all. The run writes a new file beside it, in
// the same folder ("out.zul" gets ".out.zul.XXXXXX", XXXXXX made unique), with the old
// file's owner, group and permission bits (a new file's are 0666 less the umask), and
// the sink's close renames it over the name; a sink destroyed without close removes it,
// so that the name keeps its old file byte for byte. A symbolic link is followed: the
// file it leads to is replaced and the link stays. The new file is not forced to the disk
// before the rename, just as a file written in place never was.
//
// Where no such new file can be made, the object file is written in place, as it always
// was: an existing file without write permission (opened for reading, it fails at its
// first write with error 38), a device or a pipe, a file with several links (the others
// would keep the old objects), a dangling link, a folder without write permission, a name
// too long for the suffix, an owner or group that the new file cannot be given. A file
// written in place loses its old contents at the first write, and a write that fails
// cuts it back to the end of the last whole line the run wrote.
//
// One run per object file: the run holds an exclusive flock on the object file itself
// from the open to the end of the run, and a second run that finds it locked stops with
// open failure (30). A name that held no file is created empty for the run to lock (and
// removed again when the run fails), so that two runs on a new name meet there too. A
// run that locks a file which another run's rename has taken the name from meanwhile
// lets it go and opens the new one, so that it never writes to a file no name leads to.
class PosixFileSystem : public FileSystem {
 public:
  // `console_input_fd` is the descriptor that console answers are read from.
  explicit PosixFileSystem(int console_input_fd = standard_input)
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
