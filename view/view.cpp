#include "hornwall/view/view.hpp"

#include "hornwall/view/checks.hpp"
#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/evaluation.hpp"
#include "hornwall/view/node_table.hpp"
#include "hornwall/view/object_file_reader.hpp"
#include "hornwall/view/summary.hpp"
#include "hornwall/view/svg_drawing.hpp"

namespace hornwall {

int view_object_file(std::string_view text, const ViewOptions& options,
                     const ViewOutputs& outputs) {
  Diagnostics diagnostics;
  const ObjectFile file = read_object_file(text, diagnostics);
  const EvaluatedFile evaluated = evaluate_object_file(file, diagnostics);
  check_wall(file, evaluated, diagnostics);

  if (!write_svg(file, evaluated, {options.file, options.mirror}, outputs.svg)) {
    diagnostics.warning(file.profiles.empty() ? 1 : file.profiles.front().line,
                        "the nodes lie too far apart or too close together to draw; the picture "
                        "shows an empty frame");
  }
  write_diagnostics(diagnostics, options.file, outputs.messages);
  if (outputs.table != nullptr) write_node_table(file, evaluated, *outputs.table);
  if (!options.quiet) write_summary(file, evaluated, diagnostics, outputs.summary);
  return diagnostics.error_count() == 0 ? 0 : 1;
}

}  // namespace hornwall
