#include "frame.hpp"

#include <csignal>
#include <cstdint>
#include <iostream>
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

void run_generator(const Program& program, Dialogue& dialogue) {
  if (program.dual_band == nullptr) {
    program.single_band(dialogue);
    return;
  }
  std::int32_t corrugation_type = 0;
  dialogue.ask(" Enter corrugation type: 1 single, 2 dual band ", {&corrugation_type});
  if (corrugation_type == single_band) program.single_band(dialogue);
  if (corrugation_type == dual_band) program.dual_band(dialogue);
}

}  // namespace

int run_program(const Program& program, Console console, FileSystem& files,
                std::span<const std::string> arguments) {
  Dialogue dialogue(console, files, arguments);
  try {
    dialogue.write_prompt(std::string(program.banner) + " Enter 1 for file input ");
    choose_input_source(dialogue);
    run_generator(program, dialogue);
    dialogue.finish();
    return 0;
  } catch (const RunError& failure) {
    dialogue.abandon();
    console.err << error_line(failure) << std::flush;
    return 1;
  }
}

int run_with_real_console(int argc, char** argv, ProgramRun run) {
  // A closed console must surface as a write failure, not end the process.
  std::signal(SIGPIPE, SIG_IGN);
  std::ios::sync_with_stdio(false);
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  PosixFileSystem files;
  return run(Console{std::cin, std::cout, std::cerr}, files, arguments);
}

}  // namespace hornwall
