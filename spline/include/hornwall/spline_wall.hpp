#pragma once

#include "hornwall/dialogue.hpp"
#include "hornwall/frame.hpp"

namespace hornwall {

// The spline wall generator: asks for a conical wall that carries a sinusoidal ripple
// of whole periods over one stretch, and writes it as three profiles: horn_exterior,
// sinusoid_outer and horn_exterior_2. Raises the failures of the dialogue and of the
// writer, and unit code not in table (66) for a unit code outside 1 to 5.
void spline_wall(Dialogue& dialogue);

// The hornwall_spline program: its banner, the choice of input source, spline_wall.
extern const Program spline_program;

// The questions of hornwall_spline, in the order a run asks them.
extern const AnswersSchema spline_answers;

}  // namespace hornwall
