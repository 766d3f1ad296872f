#pragma once

#include <ostream>
#include <string>

#include "hornwall/view/wall.hpp"

// The evaluated nodes as a CSV table, for other tools.
namespace hornwall::view {

// Writes the header "profile,index,z,rho" and one line per evaluated node of `wall`:
// the profile's name, the node's 1-based row in its table, z and rho in the shortest
// form that reads back to the same double. Nodes that could not be evaluated are left
// out (their index is skipped).
void write_node_table(const Wall& wall, std::ostream& out);

// The pieces of every CSV table (whose values are appended in the shortest form that reads
// back to the same double, append_shortest): a row ended, and what `text` holds written to
// `out` once it exceeds a megabyte (the caller writes the rest at the end).
void end_row(std::string& text, std::ostream& out);

}  // namespace hornwall::view
