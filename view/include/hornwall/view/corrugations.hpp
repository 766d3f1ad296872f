#pragma once

#include <optional>
#include <vector>

#include "hornwall/bands.hpp"
#include "hornwall/view/wall.hpp"

// The design figures of a wall: its corrugations, found from the evaluated nodes, and how
// they suit a frequency band.
namespace hornwall::view {

// Finds the corrugations of `profile` from its evaluated nodes and sets its `corrugated`
// and `corrugations`. Two rho differ by more than the geometric `tolerance`; two z by more
// than relative_tolerance of the profile's largest z magnitude, whatever its radii.
// - a radial face is a step between consecutive nodes of equal z and different rho (steps
//   in one direction at one z make one face); a corrugation is a rising face (rho outward)
//   followed, with no other radial face between, by a falling face. The step from the
//   profile's first node is its rim, a face of its own and never a corrugation's: a fin
//   standing right behind the rim is measured from the node where the wall's base begins;
// - a profile without radial faces is measured against its base, the lower convex hull of
//   its nodes in (z, rho): a corrugation is a run of consecutive nodes above the base by
//   more than the tolerance, as high as its highest node above the base (in rho) and as
//   long as the base nodes that bound it lie apart.
// Nodes that could not be evaluated break the wall.
void find_corrugations(Profile& profile, double tolerance);

// The widest pitch of the corrugations of `profile`, if it has one: what the density of a
// band check goes by.
std::optional<double> widest_pitch(const Profile& profile);
// The same in metres; none too for a profile whose unit is no length.
std::optional<double> widest_pitch_metres(const Profile& profile);

// Measures every corrugated profile of `wall` against each of `bands` (at most
// most_bands), for the profiles whose length unit converts to metres: sets the profile's
// `bands` to the figures of merit against `min_coverage` percent and each corrugation's
// `capacitive`. The bands' frequencies are worked out once for the wall, and a profile
// keeps a few numbers per band whatever its corrugations.
void measure_bands(Wall& wall, const std::vector<FrequencyBand>& bands,
                   double min_coverage = default_min_coverage);

// Counts into `counter`, reset first, the corrugations of `profile`, whose length unit is
// `metres` long: the band's counts at each of its frequencies, for a check that needs more
// than the profile's summary.
void count_band(CoverageCounter& counter, const Profile& profile, double metres);

}  // namespace hornwall::view
