#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "hornwall/dialogue.hpp"

namespace hornwall {

// The corrugation type: one height taper, or two that alternate.
enum class Band { single, dual };

// A generator routine: opens the object file through the dialogue, asks its questions
// and writes its blocks. A wall with two bands takes the band that the corrugation
// type chose; a wall without them is run with no corrugation-type question.
using WallGenerator = void (*)(Dialogue&);
using BandedGenerator = void (*)(Dialogue&, Band);

// What makes one program of the family.
struct Program {
  std::string_view name;    // the command's name: "hornwall_corr"
  std::string_view banner;  // the program banner: its lines, each with its line end
  std::variant<WallGenerator, BandedGenerator> generator;
};

// Runs `program` on the console: the banner, the choice of the input source, the
// corrugation type, the generator. Returns the exit status: 0, or 1 after a failure,
// which is reported on the console's error stream as "severe (N): MESSAGE".
int run_program(const Program& program, Console console, FileSystem& files,
                std::span<const std::string> arguments);

// The body of every main: binds standard input, output and error, the real file
// system and the command-line arguments, and runs `program`.
int run_with_real_console(int argc, char** argv, const Program& program);

}  // namespace hornwall
