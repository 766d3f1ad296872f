#pragma once

#include <ostream>
#include <span>

#include "hornwall/bands.hpp"
#include "hornwall/view/wall.hpp"

// The corrugations of a wall as a CSV table, for other tools.
namespace hornwall::view {

// Writes the header "profile,index,z_near,z_far,height,thickness,gap,pitch" (with bands,
// then "q_GHz" and "capacitive_1", "capacitive_2", ...) and one line per corrugation of
// every profile, in file order: the profile's name, the corrugation's 1-based index, its
// figures in the file's unit in the shortest form that reads back to the same double (a
// bump's extent as its thickness; no gap for a bump; no gap or pitch for the last), its
// quarter-wave frequency c / 4h in GHz and the part of each band over which it is
// capacitive. Without a known length unit the band columns are empty.
void write_corrugation_table(const Wall& wall, std::span<const FrequencyBand> bands,
                             std::ostream& out);

}  // namespace hornwall::view
