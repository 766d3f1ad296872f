#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "hornwall/json.hpp"
#include "hornwall/view/command_line.hpp"
#include "hornwall/view/view.hpp"

// The machine-readable account of a run of the viewer: what the summary, the messages and
// the band figures say, as one JSON object whose form hornwall_view(1) describes.
namespace hornwall::view {

// The version of the report's form: a reader that knows this version reads every report
// that carries it. A field added keeps it; a field renamed, removed or changed in meaning
// raises it.
inline constexpr int json_version = 1;

// Writes the report of the file `examined`, read and checked as `options` asked, to `out`:
// the version, the file, the bands and the threshold, each profile (name, line, unit,
// nodes, z and rho ranges, how it ends, its corrugations' figures and each band's figures
// of merit), the counts of variables, errors and warnings, the exit status the findings
// give, every finding kept with its file, line, kind, severity and text, the findings only
// counted, by kind, and the outputs the run writes.
void write_json_report(const Examined& examined, const ViewOptions& options, std::ostream& out);

}  // namespace hornwall::view
