#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "hornwall/interruption.hpp"
#include "hornwall/result.hpp"

// The one way every program writes a file it makes: the generators' object file and the
// tools' pictures, tables and answers files.
namespace hornwall {

// A file as the file system knows it, whatever name leads to it.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
};

// The file that standard output (or the console output `fd`) writes to, when writing an
// output there too would mix the two: a regular file, a pipe, a socket or a terminal; none
// for /dev/null and the other devices, which take both.
std::optional<FileIdentity> standard_output_identity(int fd = 1);

// True when `path` leads to the file that standard output writes to (see
// standard_output_identity): an output there would be mixed with what the console shows.
bool is_standard_output(const std::string& path);

// True when `a` and `b` name the same file: one existing file reached by both (through a
// link too), or the same place once both are made absolute and normal; two outputs of a
// run must not be given one name.
bool same_file(const std::string& a, const std::string& b);

// True for an existing file that is neither a regular file nor a folder: a device, which
// may take several outputs at once (/dev/null).
bool is_device(const std::string& path);

// What an output's open does where the file is not like the others.
struct OutputRules {
  // Holds an exclusive lock on the file from the open to the end of the run, and refuses a
  // file that another run holds. A name that held no file is created empty for the lock,
  // and removed again when the run ends without giving it an output.
  bool lock = false;
  // A file the run may not write is opened for reading only, so that the first write
  // fails and the file stays as it was; otherwise the open refuses it.
  bool protected_fails_at_first_write = false;
  // Files the output may never be (the answers, standard output): the open refuses them.
  std::span<const FileIdentity> forbidden = {};
};

// Why an output could not be opened.
struct OutputRefusal {
  enum class Cause {
    system,     // a call failed: `error` is its errno
    forbidden,  // the file is rules.forbidden[which]
    held,       // another run holds the file's lock
  };
  Cause cause = Cause::system;
  int error = 0;
  std::size_t which = 0;
  // The system's words for `error` ("No space left on device"), or what the cause is.
  std::string reason() const;
};

// An output file that a run leaves whole or not at all.
//
// The file is written beside its name, under a hidden name in the same folder
// (".out.zul.XXXXXX", the name cut short where the whole would be too long for the
// folder), with the old file's owner, group, permission bits and extended attributes
// (POSIX ACLs among them); a new file gets 0666 less the umask. commit() syncs it to the
// disk, renames it over the name and syncs the folder, so that after a power cut the name
// holds the old file or the new one, whole. A symbolic link is followed: the file it leads
// to is replaced (or made, for a link that leads nowhere yet) and the link stays. Until the
// commit, the name keeps its old file (or none); an output destroyed without commit, or
// whose run a signal ends, removes its hidden file.
//
// Only these are written in place, because no file beside can take their place: a device,
// a pipe or a socket; a file with several links (the others would keep the old contents);
// a file whose folder the run may not write; a file whose owner, group or extended
// attributes the new file cannot be given. Such a file is emptied only when the first
// bytes go out, and a write that fails cuts a regular file back to the end of the last
// whole line written. A file the run may not write is never replaced (see OutputRules).
// Any other failure to make or prepare the hidden file refuses the open, leaving the old
// file as it was.
//
// The stream buffers what it is given; put() writes bytes straight to the file.
class OutputFile : public std::ostream {
 public:
  OutputFile();
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the output named `path` by `rules`. Returns the refusal when it cannot be
  // written; nothing has then changed.
  std::optional<OutputRefusal> open(const std::string& path, const OutputRules& rules = {});
  // Writes `bytes` after whatever the stream holds. The first call, even with no bytes,
  // empties a file written in place. False after a failure, this one's or an earlier one's:
  // nothing more is written.
  bool put(std::string_view bytes);
  // Writes out what is buffered, syncs the file and closes it, without giving it its
  // name yet. Returns done or the system's reason of the first failure of any write, the
  // sync or the close ("No space left on device"); after a failure the hidden file is
  // removed. A run with several outputs finishes them all before it commits any.
  Result<void> finish();
  // Finishes the file when that is still to do and gives it its name. Returns done or the
  // reason of the first failure; after a failure before the rename the hidden file is
  // removed and the name keeps its old file. An output given no bytes at all leaves the
  // name as it was.
  Result<void> commit();
  // Whether the file is written in place (see above).
  bool in_place() const;

 private:
  class Buffer;
  struct Place;
  void discard() noexcept;

  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<Place> place_;
};

}  // namespace hornwall
