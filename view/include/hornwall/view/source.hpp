#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "hornwall/result.hpp"

// The bytes of an object file, read as often and from wherever the reader needs them, so
// that a file is never held in memory whole.
namespace hornwall::view {

// A read that the system refused; what() is the system's reason ("Input/output error").
struct ReadFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The number of bytes, fixed when the source was opened.
  virtual std::uint64_t size() const = 0;
  // Reads at most `count` bytes starting at `offset` into `buffer` and returns how many
  // it read: fewer only at the end (0 there). Throws ReadFailure.
  virtual std::size_t read(std::uint64_t offset, char* buffer, std::size_t count) = 0;
};

// A source over text in memory, which must outlive it.
class TextSource : public ByteSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  std::uint64_t size() const override { return text_.size(); }
  std::size_t read(std::uint64_t offset, char* buffer, std::size_t count) override;

 private:
  std::string_view text_;
};

// A source over a regular file, read with pread. The file's size is taken when it is
// opened: bytes added later are not read, and a file cut short reads as ending early.
class FileSource : public ByteSource {
 public:
  // Opens the regular file at `path`. Returns done or why it cannot be read:
  // "cannot open 'PATH': REASON", or "cannot read 'PATH': REASON" for a directory
  // ("Is a directory"), anything else that is not a regular file ("not a regular file")
  // or a failing status. PATH is shown with every byte outside printable ASCII as \xNN.
  Result<void> open(const std::string& path);
  ~FileSource() override;
  FileSource() = default;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::uint64_t size() const override { return size_; }
  std::size_t read(std::uint64_t offset, char* buffer, std::size_t count) override;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace hornwall::view
