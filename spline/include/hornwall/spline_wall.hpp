#pragma once

#include <cstdint>

#include "hornwall/dialogue.hpp"
#include "hornwall/frame.hpp"

namespace hornwall {

// The spline wall generator: asks for a conical wall that carries a sinusoidal ripple
// of whole periods over one stretch, and writes it as three profiles: horn_exterior,
// sinusoid_outer and horn_exterior_2. Raises the failures of the dialogue and of the
// writer, and unit code not in table (66) for a unit code outside 1 to 5.
void spline_wall(Dialogue& dialogue);

// The steps between two ripple points: DZ = SPL / (NPTS - 1) along the axis and DPHI =
// 2 PI NSIN / (NPTS - 1) in phase, each computed in double precision from the stored
// values and rounded once. NPTS = 1 divides by zero: they are infinite or not a number.
struct RippleSteps {
  float dz;
  float dphi;
};
RippleSteps ripple_steps(float spl, std::int32_t nsin, std::int32_t npts);

// A ripple point: its offset ZS behind the ripple's start and its height RSP above the
// base line.
struct RipplePoint {
  float zs;
  float rsp;
};

// Ripple point `i` (from 1) of a ripple `ht` high, peak to trough: (i - 1) steps behind
// the ripple's start, on a raised cosine that starts at zero.
RipplePoint ripple_point(float ht, const RippleSteps& steps, std::int64_t i);

// The hornwall_spline program: its banner, the choice of input source, spline_wall.
extern const Program spline_program;

// The questions of hornwall_spline, in the order a run asks them.
extern const AnswersSchema spline_answers;

}  // namespace hornwall
