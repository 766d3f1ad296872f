#pragma once

#include <cstdint>

#include "hornwall/corrugation.hpp"
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

// One run's answers. Everything starts at zero, and an answer left empty keeps the value
// it had. Ridges are numbered 0 to nc.
struct ThickCorrWall {
  float ra;                // horn aperture radius; every outer radius is measured from it
  std::int32_t unit_code;  // position in the four-unit table
  float at;                // wall thickness at the aperture plane
  float zi;                // distance from the aperture plane to the front face of ridge 0
  float wt1;               // wall thickness under ridge 0 and in front of ridge 1
  float wt2;               // wall thickness behind the last ridge
  float lc;                // from the front face of ridge 0 to that of the last ridge
  std::int32_t nc;         // number of ridges after ridge 0
  float ct;                // axial thickness of every ridge
  Tapers heights;          // CD1, CD2: first row's ridge 0 and last; CD3, CD4: second row's
  float fl;                // length of the final wall, from the back face of the last ridge
  float ft;                // wall thickness at the far end of the final wall
};

// The numbers that the wall computes and writes as numbers, each in double precision from
// the stored values and rounded once:
// the front face of ridge i behind that of ridge 0, (i * LC) / NC;
float ridge_offset(const ThickCorrWall& wall, std::int64_t i);
// the floor radius under ridge 0 and in front of ridge 1, WT1 + RA;
float first_floor(const ThickCorrWall& wall);
// the floor radius after k equal steps from WT1 towards WT2;
float floor_radius(const ThickCorrWall& wall, std::int64_t k);
// H, half the spacing of the ridges: NC = 0 makes it infinite (NaN when LC is 0 too);
float half_spacing(const ThickCorrWall& wall);
// the far end of the final wall behind the front face of ridge 0, (LC + FL) + CT.
float final_offset(const ThickCorrWall& wall);

// The hornwall_thickcorr program: its banner, the choice of input source, the
// corrugation type and the generator for that band.
extern const Program thickcorr_program;

// The questions of hornwall_thickcorr, in the order a run asks them.
extern const AnswersSchema thickcorr_answers;

}  // namespace hornwall
