#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

// The frame of a tool that asks no questions (hornwall_view, hornwall_design).
namespace hornwall {

// The console of a tool's run.
struct ToolConsole {
  std::ostream& out;
  std::ostream& err;
};

// A tool's run: its command-line arguments (without the program's name) in, the exit
// status out.
using ToolRun = int (*)(std::span<const std::string> arguments, ToolConsole console);

// The main() of the tool `name`: runs `run` on the real console with a closed console
// surfacing as a write failure, not ending the process. Anything that escapes the run
// (memory running out on a huge input, above all) ends it with one line,
// "NAME: out of memory" or "NAME: REASON", and status 2, after the open files have been
// closed and the temporary outputs removed.
int run_tool(int argc, char** argv, std::string_view name, ToolRun run);

}  // namespace hornwall
