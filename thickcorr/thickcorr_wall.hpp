#pragma once

#include <span>
#include <string>

#include "dialogue.hpp"

namespace hornwall {

// The single-band generator: asks for a row of ridges standing on a wall whose
// thickness changes in equal steps from ridge to ridge, followed by a final wall, and
// only then writes the variables ZI, CD1 and CD2 and the profile horn_exterior, with
// nearly every coordinate as a number. Raises the failures of the dialogue and of the
// writer, and unit code not in table (66) for a unit code outside 1 to 4.
void thickcorr_single_band(Dialogue& dialogue);

// The dual-band generator: as the single band, with a second row of ridges interleaved
// with the first, its heights in the variables CD3 and CD4. Raises the same failures.
void thickcorr_dual_band(Dialogue& dialogue);

// The hornwall_thickcorr program: its banner, the choice of input source, the
// corrugation type and one of the two generators. Returns the exit status.
int run_thickcorr(Console console, FileSystem& files, std::span<const std::string> arguments);

}  // namespace hornwall
