#pragma once

#include "hornwall/dialogue.hpp"
#include "hornwall/frame.hpp"

namespace hornwall {

// The ridged-wall generator: asks for a row of ridges standing on a wall whose thickness
// changes in equal steps from ridge to ridge, followed by a final wall, and only then
// writes the variables ZI, CD1 and CD2 and the profile horn_exterior, with nearly every
// coordinate as a number. In the dual band a second row of ridges is interleaved with
// the first, its heights in the variables CD3 and CD4. Raises the failures of the
// dialogue and of the writer, and unit code not in table (66) for a unit code outside
// 1 to 4.
void thickcorr_wall(Dialogue& dialogue, Band band);

// The hornwall_thickcorr program: its banner, the choice of input source, the
// corrugation type and the generator for that band.
extern const Program thickcorr_program;

// The questions of hornwall_thickcorr, in the order a run asks them.
extern const AnswersSchema thickcorr_answers;

}  // namespace hornwall
