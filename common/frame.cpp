#include "hornwall/frame.hpp"

#include <csignal>
#include <cstdint>
#include <iostream>
#include <new>
#include <vector>

namespace hornwall {
namespace {

constexpr std::int32_t file_input = 1;
constexpr std::int32_t single_band = 1;
constexpr std::int32_t dual_band = 2;

void choose_input_source(Dialogue& dialogue) {
  std::int32_t choice = 0;
  dialogue.read_console_values({&choice});
  if (choice != file_input) return;
  dialogue.write_prompt(" Enter input text file ");
  dialogue.use_input_file(dialogue.read_console_line());
}

// Runs the generator for the band that the corrugation type names; any other type runs
// nothing, and the program ends without an object file.
void run_generator(const Program& program, Dialogue& dialogue) {
  if (const auto* wall = std::get_if<WallGenerator>(&program.generator)) {
    (*wall)(dialogue);
    return;
  }
  const BandedGenerator banded_wall = std::get<BandedGenerator>(program.generator);
  std::int32_t corrugation_type = 0;
  dialogue.ask(" Enter corrugation type: 1 single, 2 dual band ", {&corrugation_type});
  if (corrugation_type == single_band) banded_wall(dialogue, Band::single);
  if (corrugation_type == dual_band) banded_wall(dialogue, Band::dual);
}

void report(std::ostream& err, const RunError& failure) {
  err << error_line(failure);
  if (!failure.where().empty()) err << failure.where() << '\n';
  err.flush();
}

}  // namespace

int run_program(const Program& program, Console console, FileSystem& files,
                std::span<const std::string> arguments) {
  Dialogue dialogue(console, files, NameArguments(arguments));
  try {
    dialogue.write_prompt(std::string(program.banner) + " Enter 1 for file input ");
    choose_input_source(dialogue);
    run_generator(program, dialogue);
    dialogue.finish();
    return 0;
  } catch (const RunError& failure) {
    dialogue.abandon();
    report(console.err, failure);
    return 1;
  } catch (const std::bad_alloc&) {
    dialogue.abandon();
    const std::string_view line = out_of_memory_line();
    console.err.write(line.data(), static_cast<std::streamsize>(line.size()));
    console.err.flush();
    return 1;
  }
}

int run_with_real_console(int argc, char** argv, const Program& program) {
  // A closed console or a file-size limit must surface as a write failure, not end the
  // process.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  std::ios::sync_with_stdio(false);
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  PosixFileSystem files;
  return run_program(program, Console{std::cin, std::cout, std::cerr}, files, arguments);
}

}  // namespace hornwall
