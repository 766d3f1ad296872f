#pragma once

#include "hornwall/dialogue.hpp"
#include "hornwall/frame.hpp"

namespace hornwall {

// The corrugated wall generator: asks for a straight base line that carries rectangular
// corrugations of one thickness, up to seven variable corrugations with variables of
// their own, then remaining corrugations spaced evenly up to the end of the corrugated
// section, whose heights follow one linear taper (in the dual band two, the odd-numbered
// corrugations the first, the even-numbered ones the second, asked after the first).
// Writes the variables and the horn_exterior profile. Raises the failures of the
// dialogue and of the writer, and unit code not in table (66) for a unit code outside
// 1 to 4.
void corr_wall(Dialogue& dialogue, Band band);

// The questions of hornwall_corr, in the order a run asks them.
extern const AnswersSchema corr_answers;

// The hornwall_corr program: its banner, the choice of input source, the corrugation
// type and the generator for that band.
extern const Program corr_program;

}  // namespace hornwall
