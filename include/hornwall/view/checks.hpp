#pragma once

#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/evaluation.hpp"
#include "hornwall/view/object_file_reader.hpp"

// The geometric checks of an evaluated wall.
namespace hornwall {

// The tolerance of the geometric checks: 1e-6 of the largest coordinate magnitude of
// the evaluated nodes. The nodes compared are written from the same expressions over
// the same variables, so in a sound wall they agree to double rounding; the tolerance
// ignores those last digits and still catches a real gap or step back.
double geometry_tolerance(const EvaluatedFile& evaluated);

// Checks the evaluated nodes of `file` and reports warnings: a file without profiles
// (on line 1), a profile with fewer than
// two nodes (on its name's line), a node with a radius below zero, a node whose z
// rises over the previous evaluated node's (the wall runs back towards the aperture),
// and a profile whose first node is not where the previous profile with nodes ends (on
// its first row's line). Nodes that could not be evaluated are skipped.
void check_wall(const ObjectFile& file, const EvaluatedFile& evaluated, Diagnostics& diagnostics);

}  // namespace hornwall
