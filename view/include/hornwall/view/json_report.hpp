#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "hornwall/view/command_line.hpp"
#include "hornwall/view/view.hpp"

// The machine-readable account of a run of the viewer: what the summary, the messages and
// the band figures say, as one JSON object whose form hornwall_view(1) describes.
namespace hornwall::view {

// The version of the report's form: a reader that knows this version reads every report
// that carries it. A field added keeps it; a field renamed, removed or changed in meaning
// raises it.
inline constexpr int json_version = 1;

// Appends `text` as a JSON string, in quotes. Every byte is kept: '"' and '\' escaped, a
// control byte, DEL and every byte above 0x7f written as \u00XX (the byte read as
// Latin-1), so that the report is ASCII and a reader gets the bytes back by taking each
// character of the string as one byte.
void append_json_string(std::string& out, std::string_view text);

// Appends `value` as a JSON number in the shortest form that reads back to the same double
// ("10", "9.5", "1e-07", "-0"), or null when it is not finite.
void append_json_number(std::string& out, double value);

// Writes the report of the file `examined`, read and checked as `options` asked, to `out`:
// the version, the file, the bands and the threshold, each profile (name, line, unit,
// nodes, z and rho ranges, how it ends, its corrugations' figures and each band's figures
// of merit), the counts of variables, errors and warnings, the exit status the findings
// give, every finding kept with its file, line, kind, severity and text, the findings only
// counted, by kind, and the outputs the run writes.
void write_json_report(const Examined& examined, const ViewOptions& options, std::ostream& out);

}  // namespace hornwall::view
