#pragma once

#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "hornwall/files.hpp"

// The file system of a generator run inside a script: the answers held in memory, and the
// object file kept in memory, never written to the disk.
namespace hornwall::python {

class MemoryFiles : public FileSystem {
 public:
  // Files that hold `answers` under the name `name`, and no object file yet.
  MemoryFiles(std::string name, std::string answers)
      : answers_name_(std::move(name)), answers_(std::move(answers)) {}

  // The answers, when `name` is theirs; else file not found (29) for unit 50.
  std::unique_ptr<std::istream> open_input(const std::string& name) override;
  // A sink that keeps the object file in memory as it is written and makes it the object
  // file when it is closed; open failure (30) for unit 43 when `name` is the answers'.
  std::unique_ptr<ObjectSink> open_object(const std::string& name) override;

  // The name the run gave its object file, once it opened one.
  const std::optional<std::string>& object_name() const { return object_name_; }
  // The object file as it was closed; none when the run closed none.
  const std::optional<std::string>& object_file() const { return object_file_; }

 private:
  std::string answers_name_;
  std::string answers_;
  std::optional<std::string> object_name_;
  std::optional<std::string> object_file_;
};

}  // namespace hornwall::python
