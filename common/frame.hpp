#pragma once

#include <span>
#include <string>
#include <string_view>

#include "dialogue.hpp"

namespace hornwall {

// A generator routine: asks its questions through the dialogue, writes the object
// file and closes it.
using Generator = void (*)(Dialogue&);

// What makes one program of the family.
struct Program {
  std::string_view banner;  // the program banner: its lines, each with its line end
  Generator single_band;    // the generator for corrugation type 1, or the only one
  Generator dual_band;      // the generator for type 2; none: no corrugation-type question
};

// Runs `program` on the console: the banner, the choice of the input source, the
// corrugation type, the generator. Returns the exit status: 0, or 1 after a failure,
// which is reported on the console's error stream as "severe (N): MESSAGE".
int run_program(const Program& program, Console console, FileSystem& files,
                std::span<const std::string> arguments);

// A program's run function, as main binds it to the real console and files.
using ProgramRun = int (*)(Console console, FileSystem& files,
                           std::span<const std::string> arguments);

// The body of every main: binds standard input, output and error, the real file
// system and the command-line arguments, and runs `run`.
int run_with_real_console(int argc, char** argv, ProgramRun run);

}  // namespace hornwall
