#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "hornwall/frame.hpp"
#include "hornwall/run_error.hpp"

namespace hornwall::testing {

// A folder of its own under the temporary folder, emptied and removed at the end of the
// test, even when a test took its permissions away.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix)
      : folder_(std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()))) {
    std::filesystem::create_directories(folder_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  // The path of file `name` in the folder.
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  // Writes `text` as file `name`.
  void put(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  // What file `name` holds.
  std::string contents(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // What the folder holds, hidden files too, in name order: "name[contents]" for a file,
  // "name->target" for a link, "name/" for a folder.
  std::string listing() const {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_symlink()) {
        entries.push_back(name + "->" + std::filesystem::read_symlink(entry.path()).string());
      } else if (entry.is_directory()) {
        entries.push_back(name + "/");
      } else {
        entries.push_back(name + "[" + contents(name) + "]");
      }
    }
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const std::string& entry : entries) text += (text.empty() ? "" : " ") + entry;
    return text;
  }
  // Empties the folder.
  void clear() const {
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      std::filesystem::remove_all(entry.path());
    }
  }

 private:
  std::filesystem::path folder_;
};

// Files held in memory, with the open-or-create rules of the real file system: an
// object file may not be the input text file, and it is written in place (as a device or
// a file with several links is), keeping its old contents until the first write, or with
// `write_beside`, as a regular file is: the old file stays until the sink's close.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  bool write_beside = false;

  std::unique_ptr<std::istream> open_input(const std::string& name) override {
    const auto file = files.find(name);
    if (file == files.end()) throw channel_error(Failure::file_not_found, input_file_unit, name);
    input_name_ = name;
    return std::make_unique<std::istringstream>(file->second);
  }

  std::unique_ptr<ObjectSink> open_object(const std::string& name) override {
    if (name == input_name_) throw channel_error(Failure::open_failure, object_file_unit, name);
    if (write_beside) return std::make_unique<BesideSink>(files, name);
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

  class BesideSink : public ObjectSink {
   public:
    BesideSink(std::map<std::string, std::string>& files, std::string name)
        : files_(files), name_(std::move(name)) {}
    void write(std::string_view bytes) override {
      started_ = true;
      written_.append(bytes);
    }
    void close() override {
      if (started_) {
        files_[name_] = written_;
      } else {
        files_.try_emplace(name_);
      }
    }

   private:
    std::map<std::string, std::string>& files_;
    std::string name_;
    std::string written_;
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
inline RunResult run_in_memory(const Program& program, const std::string& console_input,
                               MemoryFileSystem& files,
                               const std::vector<std::string>& arguments = {}) {
  std::istringstream in(console_input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = run_program(program, Console{in, out, err}, files, arguments);
  return {status, out.str(), err.str()};
}

// What one run on an answers file left: the console and the object file.
struct WallRun {
  RunResult console;
  std::string file;  // the object file, empty when none was created
  bool created;      // whether the object file exists after the run
};

// Runs `program` with its answers from the file `answers` (the console answers 1 and
// the file's name) and returns what it left in the object file `object_name`, which holds
// `old_object_file` before the run when one is given.
inline WallRun run_answers(const Program& program, const std::string& answers,
                           const std::string& object_name,
                           const std::string* old_object_file = nullptr) {
  MemoryFileSystem files;
  files.files["answers.txt"] = answers;
  if (old_object_file != nullptr) files.files[object_name] = *old_object_file;
  RunResult console = run_in_memory(program, "1\nanswers.txt\n", files);
  const auto file = files.files.find(object_name);
  const bool created = file != files.files.end();
  return {console, created ? file->second : "", created};
}

// `text` written `count` times.
inline std::string repeated(std::string_view text, int count) {
  std::string all;
  for (int i = 0; i < count; ++i) all.append(text);
  return all;
}

// The lines of `text`, without their line ends; a last line without one counts too.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The names of an object file's variable blocks, in order, separated by blanks.
inline std::string block_names(const std::string& object_file) {
  std::string names;
  for (const std::string& line : lines_of(object_file)) {
    const auto end = line.find("  real_variable");
    if (end == std::string::npos) continue;
    if (!names.empty()) names += ' ';
    names.append(line, 0, end);
  }
  return names;
}

// The value line of variable block `name`, or "" when there is no such block.
inline std::string value_line_of(const std::string& object_file, const std::string& name) {
  const std::vector<std::string> lines = lines_of(object_file);
  for (std::size_t n = 0; n + 2 < lines.size(); ++n) {
    if (lines[n] == name + "  real_variable") return lines[n + 2];
  }
  return "";
}

// The node rows of an object file's first profile: the lines after the opening of its
// nodes table, up to its close or the end of the file.
inline std::vector<std::string> node_rows(const std::string& object_file) {
  const std::vector<std::string> lines = lines_of(object_file);
  auto first = std::find(lines.begin(), lines.end(), "    (");
  if (first != lines.end()) ++first;
  const auto last = std::find_if(first, lines.end(), [](const std::string& line) {
    return line == "    )" || line == "   )";
  });
  return {first, last};
}

}  // namespace hornwall::testing
