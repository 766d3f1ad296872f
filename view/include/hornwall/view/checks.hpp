#pragma once

#include <vector>

#include "hornwall/band_figures.hpp"
#include "hornwall/bands.hpp"
#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/wall.hpp"

// The checks of an evaluated wall: each a function over the wall that reports what it
// finds.
namespace hornwall::view {

// What the checks are told beyond the wall itself.
struct CheckSettings {
  // The tolerance of the geometric checks (see geometry_tolerance).
  double tolerance = 0.0;
  // The picture draws the mirror image too (its frame must hold both).
  bool mirror = false;
  // The frequency bands the corrugations are checked against: none, one or two.
  std::vector<FrequencyBand> bands;
  // The least coverage of a band, in percent: the part of a profile's corrugations that
  // must be capacitive at each of its frequencies.
  double min_coverage = default_min_coverage;
  // A DXF drawing is written, which has one length unit: every profile must be in it.
  bool drawing = false;
};

// The tolerance of the geometric checks: 1e-6 of the largest coordinate magnitude of
// the evaluated nodes. The nodes compared are written from the same expressions over
// the same variables, so in a sound wall they agree to double rounding; the tolerance
// ignores those last digits and still catches a real gap or step back.
double geometry_tolerance(const Wall& wall);

// Runs every check over `wall`, in this order:
// - a file without profiles (an error, on line 1: there is no wall to check);
// - per profile: fewer than two nodes (on its name's line), a node with a radius below
//   zero, a node whose z rises over the previous evaluated node's (the wall runs back
//   towards the aperture), two segments that cross or overlap other than consecutive
//   segments at their shared node (an error, naming both), a profile whose first node is
//   not where the previous profile with nodes ends (on its first row's line);
// - nodes too far apart or too close together to draw;
// - with bands, for each corrugated profile: a length unit that does not convert to
//   metres (an error), and for each band each stretch of its frequencies at which fewer
//   than min_coverage percent of the corrugations are capacitive (none at all when that is
//   0), fewer than 5 corrugations per wavelength at the band's top (judged by the
//   widest pitch), and, with two bands, two or more consecutive corrugations capacitive
//   over none of one band while the corrugations on both sides of them are (the
//   interleave breaks); on the profile's first node row;
// - with a drawing, each profile without a length unit, with one that dxf_unit_code does
//   not name, or with another than drawing_unit_profile()'s (an error, on its name's line).
// All but the first, the crossings and the units are warnings. Nodes that could not be
// evaluated are skipped.
void check_wall(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics);

}  // namespace hornwall::view
