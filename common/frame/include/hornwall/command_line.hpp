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
  bool quiet = false;                       // --quiet: no prompts or echoes on the console
  bool close = false;                       // --close: the open profile closed at the end
  bool parametric_heights = false;          // --parametric-heights: heights as expressions
  std::vector<Setting> settings;            // --set NAME=VALUE, one for each symbol, in order
};

// Reads the arguments of `program` (without the program's own name), as GNU tools read
// theirs: options may stand anywhere, -q for --quiet, and "--" ends them, so that a name
// that begins with "-" follows it. --help and --version win wherever they stand (the
// first of them), even over a wrong option. Returns the options, or the first thing that
// was wrong, in words that follow the program's name ("unrecognized option
// '--frobnicate'"): an unknown option (any other argument that begins with "-" but "-"
// itself), a value missing or given where none is taken, a band that is not single or
// dual (or one given to a program without bands), a blank answers file, --template with
// --answers or with names, --set without --answers, a --set that is not NAME=VALUE or
// names no symbol of the program's questions (the reason lists them). --close is an
// option of the walls whose profile is left open, --parametric-heights of those whose
// remaining heights are numbers. A symbol may be given in any case; a second --set of one
// symbol replaces the first.
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
