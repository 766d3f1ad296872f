#pragma once

#include <ostream>

#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/wall.hpp"

// The short account of a file that the viewer prints.
namespace hornwall::view {

// Writes one line per profile: its name, length unit, node count (and how many of them
// could not be evaluated), z and rho ranges of its evaluated nodes, and how it ends
// (closed, open at the end of the file, or cut short); then the number of variables,
// then the numbers of errors and warnings in `diagnostics`:
//   profile horn_exterior: unit mm, 2 nodes, z -10 to 0, rho 10 to 11, closed
//   variables: 9
//   errors: 0, warnings: 0
// Names are cut and escaped as messages show them.
void write_summary(const Wall& wall, const Diagnostics& diagnostics, std::ostream& out);

}  // namespace hornwall::view
