#pragma once

#include <ostream>
#include <span>
#include <string>

#include "hornwall/tool_main.hpp"
#include "hornwall/view/checks.hpp"
#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/source.hpp"
#include "hornwall/view/wall.hpp"

// One run of the viewer.
namespace hornwall::view {

// An object file read, evaluated and checked.
struct Examined {
  Diagnostics diagnostics;
  Wall wall;
};

// Reads the object file in `source`, evaluates its wall and runs every check with
// `settings` (whose tolerance is set from the wall). Throws ReadFailure.
Examined examine(ByteSource& source, CheckSettings settings);

// The console of a run: `out` takes the summary, --help, --version and a table going to
// "-"; `err` the messages, and the summary when a table goes to "-".
using ViewConsole = ToolConsole;

// Runs hornwall_view with the command-line `arguments` (without the program's name):
// reads the object file, writes its messages, the picture and the table (each under a
// temporary name, and renamed into place only when every output is complete) and the
// summary, which ends with the files written ("picture: horn.zul.svg"). Returns the exit
// status: 0 when the file has no error (warnings allowed, unless --strict), 1 when it has
// errors (or, with --strict, warnings), 2 for a
// usage error, a file that cannot be read, an output that would destroy a file or that
// cannot be written (nothing written is then left, and no existing output changes).
int run_view(std::span<const std::string> arguments, ViewConsole console);

}  // namespace hornwall::view
