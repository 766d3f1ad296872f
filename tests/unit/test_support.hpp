#pragma once

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "frame.hpp"
#include "run_error.hpp"

namespace hornwall::testing {

// Files held in memory, with the open-or-create rules of the real file system: an
// object file keeps its old contents until the first write, and may not be the
// input text file.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;

  std::unique_ptr<std::istream> open_input(const std::string& name) override {
    const auto file = files.find(name);
    if (file == files.end()) throw channel_error(Failure::file_not_found, input_file_unit, name);
    input_name_ = name;
    return std::make_unique<std::istringstream>(file->second);
  }

  std::unique_ptr<ObjectSink> open_object(const std::string& name) override {
    if (name == input_name_) throw channel_error(Failure::open_failure, object_file_unit, name);
    return std::make_unique<Sink>(files[name]);
  }

 private:
  class Sink : public ObjectSink {
   public:
    explicit Sink(std::string& file) : file_(file) {}
    void write(std::string_view bytes) override {
      if (!started_) file_.clear();
      started_ = true;
      file_.append(bytes);
    }
    void close() override {}

   private:
    std::string& file_;
    bool started_ = false;
  };

  std::string input_name_;
};

// What one run of a program left on the console.
struct RunResult {
  int status;
  std::string out;
  std::string err;
};

// Runs a program in-process on `console_input`, with `files` as its file system.
inline RunResult run_in_memory(ProgramRun run, const std::string& console_input,
                               MemoryFileSystem& files,
                               const std::vector<std::string>& arguments = {}) {
  std::istringstream in(console_input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = run(Console{in, out, err}, files, arguments);
  return {status, out.str(), err.str()};
}

}  // namespace hornwall::testing
