#include "runs.hpp"

#include <sstream>
#include <vector>

#include "call_error.hpp"
#include "hornwall/command_line.hpp"
#include "hornwall/design/command_line.hpp"
#include "hornwall/design/design.hpp"
#include "hornwall/frame.hpp"
#include "hornwall/generators.hpp"
#include "hornwall/text.hpp"
#include "memory_files.hpp"

namespace hornwall::python {
namespace {

constexpr int failed_status = 1;
constexpr int usage_status = 2;

// The generator called `name`, by its wall ("corr") or its program's name.
const Program* generator_named(std::string_view name) {
  for (const Program* program : generators) {
    if (name == program->name || "hornwall_" + std::string(name) == program->name) return program;
  }
  return nullptr;
}

std::string generator_names() {
  std::string names;
  const std::size_t count = std::size(generators);
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0) names += k + 1 == count ? " or " : ", ";
    names += generators[k]->name.substr(std::string_view("hornwall_").size());
  }
  return names;
}

}  // namespace

Designed design_from_options(std::span<const std::string> arguments, std::string_view object_file) {
  const auto refuse = [](const std::string& reason, int status) {
    return CallError("hornwall_design: " + reason, status);
  };
  // The answers file gives the name alone on its line: a line end would end it there, and
  // the generators read it without the blanks that begin it.
  if (object_file.empty() || object_file.find_first_of("\r\n") != std::string_view::npos) {
    throw refuse("invalid object file name " + quoted_printable(object_file) +
                     ": a name on one line is needed",
                 usage_status);
  }
  if (object_file.front() == ' ') {
    throw refuse("invalid object file name " + quoted_printable(object_file) +
                     ": a name that begins with no blank is needed",
                 usage_status);
  }
  const Result<design::Invocation> read = design::parse_design_command_line(arguments);
  if (!read.ok()) throw refuse(read.reason(), usage_status);
  const Result<design::Design> designed = design::design_wall(read.value().request);
  if (!designed.ok()) throw refuse(designed.reason(), failed_status);
  Result<std::string> answers = design::answers_text(designed.value(), object_file);
  if (!answers.ok()) throw refuse(answers.reason(), failed_status);
  return {std::move(answers).value(), design::report_text(designed.value()),
          designed.value().values};
}

Generated generate_in_memory(std::string_view program_name, std::string answers,
                             std::span<const std::string> arguments) {
  const Program* program = generator_named(program_name);
  if (program == nullptr) {
    throw CallError(
        "hornwall: unknown program " + quoted_printable(program_name) + ": " + generator_names(),
        usage_status);
  }
  MemoryFiles files(std::string(answers_name), std::move(answers));
  std::vector<std::string> command_line{"--answers=" + std::string(answers_name)};
  command_line.insert(command_line.end(), arguments.begin(), arguments.end());
  // The usage line is the command line's, which the script did not type: only the reason.
  if (const Result<RunOptions> read = parse_run_options(*program, command_line); !read.ok()) {
    throw CallError(std::string(program->name) + ": " + read.reason(), usage_status);
  }
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const int status = run_program(*program, Console{in, out, err}, files, command_line);
  if (status != 0) throw CallError(err.str(), status);
  // A corrugation type that names neither band ends the run before its object file.
  if (!files.object_file()) {
    throw CallError(std::string(program->name) + ": the answers wrote no object file",
                    failed_status);
  }
  return {files.object_name().value_or(""), *files.object_file(), out.str()};
}

}  // namespace hornwall::python
