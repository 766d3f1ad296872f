#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/frame.hpp"
#include "hornwall/result.hpp"

namespace hornwall {

// What one invocation of a program is asked to do.
enum class Action { run, help, version, print_template };

// The command line of a run, read as GNU tools read theirs.
struct RunOptions {
  Action action = Action::run;
  std::optional<std::string> answers_file;  // --answers: the answers file, as if typed
  std::optional<Band> template_band;        // --template single|dual (corrugated walls only)
  std::vector<std::string> names;           // stand-ins for blank file-name answers, in order
};

// Reads the arguments of `program` (without the program's own name). Options are only
// the arguments that begin with "--" before the first other argument; "--" ends them.
// --help and --version win wherever they stand among the options (the first of them),
// even over a wrong option. Returns the options, or the first thing that was wrong, in
// words that follow the program's name ("unrecognized option '--frobnicate'"):
// an unknown option, a value missing or given where none is taken, a band that is not
// single or dual (or one given to a program without bands), a blank answers file,
// --template with --answers or with names.
Result<RunOptions> parse_run_options(const Program& program,
                                     std::span<const std::string> arguments);

// The usage line without its "usage: " and line end:
// "hornwall_corr [--answers FILE] [--template single|dual] [--] [NAME...]".
std::string synopsis(const Program& program);

// The --help text of `program`: the usage, what it describes, the options, the names and
// where to read more; every line with its line end.
std::string help_text(const Program& program);

// The --version line, "hornwall_corr (hornwall) 1.1.0", with its line end.
std::string version_line(const Program& program);

}  // namespace hornwall
