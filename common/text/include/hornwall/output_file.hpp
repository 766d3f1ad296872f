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
// file, are written in place. A replaced file keeps its permission bits; a new one gets
// 0666 less the umask.
class OutputFile : public std::ostream {
 public:
  OutputFile();
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Makes the file ready to write for `path`. Returns done or the system's reason
  // ("Permission denied").
  Result<void> open(const std::string& path);
  // Writes out what is buffered, closes the file and, when it was written under a
  // temporary name, renames it over its own. Returns done or the system's reason of the
  // first failure of any write, of the close or of the rename ("No space left on
  // device"); after a failure the temporary is removed.
  Result<void> commit();

 private:
  class Buffer;
  void discard() noexcept;

  std::unique_ptr<Buffer> buffer_;
  std::string path_;       // the name the file gets
  std::string temporary_;  // the name it is written under, empty when written in place
};

}  // namespace hornwall
