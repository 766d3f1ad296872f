#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "hornwall/band.hpp"
#include "hornwall/dialogue.hpp"

namespace hornwall {

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
  std::string_view description = {};  // --help's sentences on the wall, with line ends
  std::string_view example = {};      // its shipped example answers: "corr" for corr-single
  // The wall's profile is left open at the end of the file, which --close closes.
  bool leaves_profile_open = false;
  // The remaining heights are numbers, which --parametric-heights writes as expressions.
  bool numeric_heights = false;
  // Its questions, which --set names by their symbols.
  const AnswersSchema* answers = nullptr;
};

// Which of the console's streams are terminals.
struct Terminals {
  bool in = false;           // the answers typed on the console (their line ends echo)
  bool out_and_err = false;  // both the console output and the error output
  bool out = false;          // the console output, whatever the error output is
};

// Runs `program` with the command-line `arguments` (without the program's own name) on
// the console: reads the options (see parse_run_options) and prints the help, the version
// or an answers template, or runs the banner, the choice of the input source (--answers
// answers it), the corrugation type and the generator. Returns the exit status: 0; 1
// after a failure, which is reported on the console's error stream as
// "severe (N): MESSAGE" and, for an answer of the answers file, a line that says where;
// 2 after a usage error, reported as the usage line and what was wrong. When the output
// and error streams are terminals and the console line is left unfinished, a line end
// goes to the console before the error line, so that it starts a line of its own. When
// the console input and output are terminals, an answer typed there that cannot be read
// is asked again (see Dialogue).
int run_program(const Program& program, Console console, FileSystem& files,
                std::span<const std::string> arguments, Terminals terminals = {});

// The shipped example answers file of `program` for `band` (a wall without bands has one),
// with its line ends: what --template prints.
std::string_view answers_template(const Program& program, Band band);

// The body of every main: binds standard input, output and error, the real file
// system and the command-line arguments, tells which streams are terminals, and runs
// `program`.
int run_with_real_console(int argc, char** argv, const Program& program);

}  // namespace hornwall
