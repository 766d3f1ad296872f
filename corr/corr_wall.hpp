#pragma once

#include <span>
#include <string>

#include "dialogue.hpp"

namespace hornwall {

// The single-band corrugated wall generator: asks for a straight base line that carries
// rectangular corrugations of one thickness, up to seven variable corrugations with
// variables of their own, then remaining corrugations spaced evenly up to the end of the
// corrugated section, whose heights follow one linear taper. Writes the variables and
// the horn_exterior profile. Raises the failures of the dialogue and of the writer, and
// unit code not in table (66) for a unit code outside 1 to 4.
void corr_single_band(Dialogue& dialogue);

// The dual-band corrugated wall generator: as corr_single_band, with a second taper
// asked after the first; the odd-numbered remaining corrugations take their heights from
// the first taper, the even-numbered ones from the second. Raises as corr_single_band.
void corr_dual_band(Dialogue& dialogue);

// The hornwall_corr program: its banner, the choice of input source, the corrugation
// type and the generator of that type. Returns the exit status.
int run_corr(Console console, FileSystem& files, std::span<const std::string> arguments);

}  // namespace hornwall
