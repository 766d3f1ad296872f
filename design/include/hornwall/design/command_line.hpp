#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "hornwall/design/design.hpp"
#include "hornwall/result.hpp"
#include "hornwall/tool_main.hpp"

// The command line of hornwall_design, read as GNU tools read theirs, and its run.
namespace hornwall::design {

// What one invocation asks for.
struct Invocation {
  Request request;
  bool help = false;
  bool version = false;
};

// Reads the arguments (without the program's name): the wall (corr or sinecorr, or
// hornwall_corr, hornwall_sinecorr), --band once or twice, --aperture-radius, --final-radius
// and --length (all needed, above zero), and the options of the help text, anywhere among
// them; long names may be shortened, "--" ends the options. Returns the invocation, or what
// is wrong with it: an unknown option, a missing or unreadable value, a value outside its
// range (--min-coverage as hornwall_view reads it), a unit the wall's program does not
// have, an option that does not go with the wall or with the number of bands.
Result<Invocation> parse_design_command_line(std::span<const std::string> arguments);

// The usage line, with its line end.
std::string_view design_usage();
// The text of --help.
std::string_view design_help();

// The console of a run.
using DesignConsole = ToolConsole;

// Runs hornwall_design: designs the wall, writes the answers file (to -o, whole or not at
// all, else to standard output), the report (to standard output after -o, else to
// standard error) and, with --json, the JSON report (to its file, whole or not at all, or
// to standard output, the report then going to standard error). A refused request still
// writes its JSON report. Files take their names only once every output is complete and
// the console has taken its part. Returns 0; 1 when the request is impossible, said in one
// line; 2 for a usage error, outputs that clash (both on standard output, or one file for
// both), or an output that cannot be written.
int run_design(std::span<const std::string> arguments, DesignConsole console);

}  // namespace hornwall::design
