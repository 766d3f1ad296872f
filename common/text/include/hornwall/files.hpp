#pragma once

#include <sys/types.h>

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
  // failures as `open_input` for the name and for the file made beside it, and open
  // failure (30) when the name is the input text file itself, the regular file that
  // console input reads, the file that the console output writes to, or a file that
  // another run holds.
  virtual std::unique_ptr<ObjectSink> open_object(const std::string& name) = 0;
};

// The real file system, through POSIX calls. An input text file reports a read error
// as its stream's badbit.
//
// The object file is an OutputFile (see output_file.hpp): written beside its name and
// renamed over it by the sink's close, so that a run that fails, or that a signal ends,
// leaves the old file byte for byte; written in place only where no file beside can take
// its place. A file without write permission is opened for reading only, so that its first
// write fails with error 38 and it stays as it was.
//
// One run per object file: the run holds an exclusive flock on the object file itself
// from the open to the end of the run, and a second run that finds it locked stops with
// open failure (30). A name that held no file is created empty for the run to lock (and
// removed again when the run fails), so that two runs on a new name meet there too. A
// run that locks a file which another run's rename has taken the name from meanwhile
// lets it go and opens the new one, so that it never writes to a file no name leads to.
class PosixFileSystem : public FileSystem {
 public:
  // `console_input_fd` is the descriptor that console answers are read from,
  // `console_output_fd` the one the transcript goes to.
  explicit PosixFileSystem(int console_input_fd = standard_input, int console_output_fd = 1)
      : console_input_fd_(console_input_fd), console_output_fd_(console_output_fd) {}
  std::unique_ptr<std::istream> open_input(const std::string& name) override;
  std::unique_ptr<ObjectSink> open_object(const std::string& name) override;

 private:
  int console_input_fd_;
  int console_output_fd_;
  bool have_input_ = false;
  dev_t input_device_ = 0;
  ino_t input_inode_ = 0;
};

}  // namespace hornwall
