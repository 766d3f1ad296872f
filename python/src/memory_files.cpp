#include "memory_files.hpp"

#include <sstream>
#include <utility>

#include "hornwall/run_error.hpp"

namespace hornwall::python {
namespace {

// Collects what the writer writes, and hands it over only when it is closed, as a file
// written beside its name takes the name only then.
class MemorySink : public ObjectSink {
 public:
  explicit MemorySink(std::optional<std::string>& file) : file_(file) {}
  void write(std::string_view bytes) override {
    started_ = true;
    written_.append(bytes);
  }
  // A sink that was given nothing leaves the object file as it was: none.
  void close() override {
    if (started_) file_ = std::move(written_);
  }

 private:
  std::optional<std::string>& file_;
  std::string written_;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<std::istream> MemoryFiles::open_input(const std::string& name) {
  if (name != answers_name_) throw channel_error(Failure::file_not_found, input_file_unit, name);
  return std::make_unique<std::istringstream>(answers_);
}

std::unique_ptr<ObjectSink> MemoryFiles::open_object(const std::string& name) {
  if (name == answers_name_) throw channel_error(Failure::open_failure, object_file_unit, name);
  object_name_ = name;
  return std::make_unique<MemorySink>(object_file_);
}

}  // namespace hornwall::python
