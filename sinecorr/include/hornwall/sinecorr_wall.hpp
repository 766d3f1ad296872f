#pragma once

#include "hornwall/dialogue.hpp"
#include "hornwall/frame.hpp"

namespace hornwall {

// The sine-corrugated wall: asks for a conical wall that carries up to seven variable
// corrugations, each with its own length and height, then evenly spaced remaining
// corrugations whose height tapers linearly from CD1 towards CD2, and writes every
// dimension as a variable and the wall as the profile horn_exterior, its nodes
// expressions over those variables. In the dual band the even-numbered remaining
// corrugations follow a second taper, CD3 towards CD4, asked for right after CD1 and CD2.
// Raises the failures of the dialogue and of the writer, and unit code not in table (66)
// for a unit code outside 1 to 5.
void sinecorr_wall(Dialogue& dialogue, Band band);

// The hornwall_sinecorr program: its banner, the choice of input source and the
// corrugation type (1 single band, 2 dual band; any other ends the run without an
// object file).
extern const Program sinecorr_program;

// The questions of hornwall_sinecorr, in the order a run asks them.
extern const AnswersSchema sinecorr_answers;

}  // namespace hornwall
