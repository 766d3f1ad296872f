#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/band_figures.hpp"
#include "hornwall/bands.hpp"
#include "hornwall/result.hpp"
#include "hornwall/view/outputs.hpp"

// The command line of hornwall_view, read as GNU tools read theirs.
namespace hornwall::view {

// What a run of the viewer is asked to do.
struct ViewOptions {
  std::string file;  // the object file to read
  // Where each output goes, by `Output`: its option's value, "-" for standard output,
  // empty for none; the picture, which every run writes, by default FILE.svg.
  std::array<std::string, output_kinds> paths;
  std::vector<FrequencyBand> bands;            // --band, given once or twice
  double min_coverage = default_min_coverage;  // --min-coverage, in percent
  bool strict = false;                         // --strict: warnings count as errors for the status
  bool mirror = false;                         // --mirror: draw the mirror image below the axis too
  bool quiet = false;                          // --quiet: no summary
  bool help = false;                           // --help was given
  bool version = false;                        // --version was given

  const std::string& path(Output output) const { return paths[static_cast<std::size_t>(output)]; }
};

// Reads the arguments (without the program name). Options may stand before or after
// FILE: each output's option (-o OUT, -oOUT, --output OUT, --output=OUT, --table OUT,
// ...), --band F1:F2 (at most twice), --min-coverage P (a percentage from 0 to 100; the
// last one given counts), --strict, --mirror, -q/--quiet, -h/--help,
// --version; short flags may be grouped (-qoOUT); a long option may be shortened to any
// unambiguous prefix; "--" ends the options. Exactly one FILE is needed unless --help or
// --version is given. A missing or empty value is refused ("option '--table' needs a
// value"), and so are a band that parse_band refuses, a third band, a minimum coverage
// that parse_min_coverage refuses, "-" for an output
// that cannot go to standard output, a name without the ending its output needs (the
// picture's ".svg", the drawing's ".dxf", in any case) and two outputs going to standard
// output.
// Returns the options, or what was wrong with them ("unknown option '--colour'").
Result<ViewOptions> parse_command_line(std::span<const std::string> arguments);

// The usage line, "usage: hornwall_view [OPTIONS] FILE", with its line end.
std::string_view usage_line();

// The text of --help, ending with a line end.
std::string help_text();

// The line of --version: "hornwall_view (hornwall) VERSION" and a line end.
std::string version_line();

}  // namespace hornwall::view
