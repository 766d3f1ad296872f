// Feeds arbitrary answers files to every program, in-process: no input may crash a
// program, hang it or reach undefined behaviour. The first byte picks the program; the
// rest is the answers file. Object files are counted, not kept, and one that grows past
// a bound ends the run as a full disk would, since huge counts are legitimately huge.
// The corpus (corpus/) holds the example answers files and every input that found a
// fault; a few of its inputs are longer than 4096 bytes.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>

#include "hornwall/frame.hpp"
#include "hornwall/generators.hpp"

namespace {

using namespace hornwall;

constexpr std::size_t object_file_bound = 1 << 20;

class CountingSink : public ObjectSink {
 public:
  void write(std::string_view bytes) override {
    written_ += bytes.size();
    if (written_ > object_file_bound)
      throw channel_error(Failure::write_error, object_file_unit, "full");
  }
  void close() override {}

 private:
  std::size_t written_ = 0;
};

class FuzzFiles : public FileSystem {
 public:
  explicit FuzzFiles(std::string answers) : answers_(std::move(answers)) {}
  std::unique_ptr<std::istream> open_input(const std::string&) override {
    return std::make_unique<std::istringstream>(answers_);
  }
  std::unique_ptr<ObjectSink> open_object(const std::string&) override {
    return std::make_unique<CountingSink>();
  }

 private:
  std::string answers_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Program& program = *generators[data[0] % std::size(generators)];
  FuzzFiles files(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::istringstream in("1\nanswers.txt\nblank.zul\n");
  std::ostringstream out;
  std::ostringstream err;
  const std::string arguments[] = {"argument.zul"};
  const int status = run_program(program, Console{in, out, err}, files, arguments);
  if (status != 0 && status != 1) __builtin_trap();
  // A failure is one catalogue line, and at most one more that says where in the answers.
  const std::string error = err.str();
  if ((status == 1) != error.starts_with("severe (")) __builtin_trap();
  const auto first_end = error.find('\n');
  if (status == 1 && first_end + 1 != error.size()) {
    const std::string_view where = std::string_view(error).substr(first_end + 1);
    if (!where.starts_with("answers.txt:") || where.find('\n') + 1 != where.size())
      __builtin_trap();
  }
  return 0;
}
