#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/object_file_reader.hpp"

// Evaluates the variables and the node tables of an object file.
namespace hornwall {

// One evaluated node; `ok` when both coordinates evaluated to finite numbers.
struct Node {
  double z = 0.0;
  double rho = 0.0;
  bool ok = false;
};

// The nodes of one profile, one per row of its table, in table order.
struct EvaluatedProfile {
  std::vector<Node> nodes;
  std::size_t missing = 0;  // nodes that are not ok
};

// The values of a whole file.
struct EvaluatedFile {
  std::vector<std::optional<double>> values;  // one per variable block; none: it failed
  std::vector<EvaluatedProfile> profiles;     // one per profile block, in order
};

// Evaluates every variable (a variable may reference one defined later; a name defined
// twice takes its later value) and every node coordinate of `file`. Reports as errors,
// on the line of the variable or node row: an expression that does not parse, a
// reference to an undefined variable, variables that reference each other in a cycle
// (named from the first in the file, the first five of a longer cycle and how many
// more), and a value that is not finite. A value that depends on a variable already reported
// is left out silently. Reports a variable defined twice as a warning.
EvaluatedFile evaluate_object_file(const ObjectFile& file, Diagnostics& diagnostics);

}  // namespace hornwall
