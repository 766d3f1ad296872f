#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

#include "hornwall/result.hpp"

// An output file that a run leaves whole or not at all.
namespace hornwall {

// A file written under a temporary name beside its own and renamed over it only by
// commit(), so that an existing file stays as it was until the new one is complete; the
// temporary is removed unless committed. A symbolic link is followed (its target is
// replaced, the link stays). A device or a pipe, and a name whose folder takes no new
// file, are written in place; such a file is emptied only when the first bytes go out.
// A replaced file keeps its permission bits; a new one gets 0666 less the umask.
class OutputFile : public std::ostream {
 public:
  OutputFile();
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Makes the file ready to write for `path`. Returns done or the system's reason
  // ("Permission denied").
  Result<void> open(const std::string& path);
  // Writes out what is buffered and closes the file, without giving it its name yet.
  // Returns done or the system's reason of the first failure of any write or of the close
  // ("No space left on device"); after a failure the temporary is removed. A run with
  // several outputs finishes them all before it commits any.
  Result<void> finish();
  // Finishes the file when that is still to do and, when it was written under a
  // temporary name, renames it over its own. Returns done or the reason of the first
  // failure; after a failure the temporary is removed.
  Result<void> commit();

 private:
  class Buffer;
  void discard() noexcept;

  std::unique_ptr<Buffer> buffer_;
  std::string path_;       // the name the file gets
  std::string temporary_;  // the name it is written under, empty when written in place
  bool finished_ = false;
};

}  // namespace hornwall
