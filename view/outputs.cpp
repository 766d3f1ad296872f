#include "hornwall/view/outputs.hpp"

#include "hornwall/view/command_line.hpp"
#include "hornwall/view/corrugation_table.hpp"
#include "hornwall/view/dxf_drawing.hpp"
#include "hornwall/view/json_report.hpp"
#include "hornwall/view/node_table.hpp"
#include "hornwall/view/svg_drawing.hpp"
#include "hornwall/view/view.hpp"

namespace hornwall::view {

void write_picture(const Examined& examined, const ViewOptions& options, std::ostream& out) {
  const std::string verdict = verdict_text(examined.diagnostics, options.strict);
  write_svg(examined.wall,
            {options.file, options.mirror, options.bands, options.min_coverage, verdict}, out);
}

void write_nodes(const Examined& examined, const ViewOptions&, std::ostream& out) {
  write_node_table(examined.wall, out);
}

void write_corrugations(const Examined& examined, const ViewOptions& options, std::ostream& out) {
  write_corrugation_table(examined.wall, options.bands, out);
}

void write_json(const Examined& examined, const ViewOptions& options, std::ostream& out) {
  write_json_report(examined, options, out);
}

void write_drawing(const Examined& examined, const ViewOptions& options, std::ostream& out) {
  write_dxf(examined.wall, options.mirror, out);
}

}  // namespace hornwall::view
