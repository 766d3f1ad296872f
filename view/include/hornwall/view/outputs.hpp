#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "hornwall/options.hpp"

// The files a run of the viewer writes: one row each, read by the option reader, the help,
// the check that no output destroys a file, the loop that finishes and names them and the
// summary. A new output is one row and its writer.
namespace hornwall::view {

struct Examined;
struct ViewOptions;

// The outputs, in the order they are written, checked and listed.
enum class Output : std::uint8_t { picture, table, corrugations, json, drawing };
inline constexpr std::size_t output_kinds = static_cast<std::size_t>(Output::drawing) + 1;

// Writes an output of the run that `options` describe from the file `examined` to `out`.
using OutputWriter = void (*)(const Examined& examined, const ViewOptions& options,
                              std::ostream& out);

// What is known of one output.
struct OutputRow {
  Output output;
  std::string_view name;     // as the messages and the summary name it: "picture"
  OptionSpec option;         // the option that names its file
  std::string_view operand;  // how --help names that file: "OUT.svg"
  std::string_view help;     // what --help says of it, in lines of at most 52 bytes
  std::string_view suffix;   // the ending its name must have (any case), or empty
  bool console;              // "-" sends it to standard output (the summary then goes to
                             // standard error); else "-" is refused
  bool always;               // written by every run, under FILE plus `suffix` by default
  OutputWriter write;
};

// The writers of the outputs (defined beside the table).
void write_picture(const Examined& examined, const ViewOptions& options, std::ostream& out);
void write_nodes(const Examined& examined, const ViewOptions& options, std::ostream& out);
void write_corrugations(const Examined& examined, const ViewOptions& options, std::ostream& out);
void write_json(const Examined& examined, const ViewOptions& options, std::ostream& out);
void write_drawing(const Examined& examined, const ViewOptions& options, std::ostream& out);

// The outputs, one row each in the order of `Output`: the compiler refuses a table that
// misses an output or holds one out of its place.
inline constexpr std::array<OutputRow, output_kinds> output_table = {{
    {Output::picture,
     "picture",
     {"output", 'o', true},
     "OUT.svg",
     "write the picture to OUT.svg (default: FILE.svg); its\nname must end in .svg",
     ".svg",
     false,
     true,
     write_picture},
    {Output::table,
     "table",
     {"table", 0, true},
     "OUT.csv",
     "write the evaluated nodes as CSV (profile,index,z,rho);\n'-' writes them to standard "
     "output, and the summary\nthen goes to standard error",
     "",
     true,
     false,
     write_nodes},
    {Output::corrugations,
     "corrugations",
     {"corrugations", 0, true},
     "OUT.csv",
     "write the corrugations as CSV (profile,index,z_near,\nz_far,height,thickness,gap,pitch; "
     "with --band also\nq_GHz and the part of each band each is capacitive\nover); '-' as for "
     "--table",
     "",
     true,
     false,
     write_corrugations},
    {Output::json,
     "report",
     {"json", 0, true},
     "OUT.json",
     "write what the summary, the messages and the band\nfigures say as JSON (its form: "
     "hornwall_view(1));\n'-' as for --table",
     "",
     true,
     false,
     write_json},
    {Output::drawing,
     "drawing",
     {"dxf", 0, true},
     "OUT.dxf",
     "write the profiles as a DXF drawing for CAD and the\nworkshop (its layers and version: "
     "hornwall_view(1));\n"
     "its name must end in .dxf; '-' as for --table",
     ".dxf",
     true,
     false,
     write_drawing},
}};

// True when every row of `table` stands at its output's place and has a name and an
// option (a row cut short before its writer has neither).
constexpr bool rows_in_place(const std::array<OutputRow, output_kinds>& table) {
  for (std::size_t k = 0; k < table.size(); ++k) {
    const OutputRow& row = table[k];
    if (static_cast<std::size_t>(row.output) != k || row.name.empty() || row.option.name.empty()) {
      return false;
    }
  }
  return true;
}
static_assert(rows_in_place(output_table), "one row per output, in the enum's order");

// The row of an output.
constexpr const OutputRow& output_row(Output output) {
  return output_table[static_cast<std::size_t>(output)];
}

}  // namespace hornwall::view
