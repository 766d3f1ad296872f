#pragma once

#include <ostream>
#include <span>

#include "hornwall/bands.hpp"
#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/wall.hpp"

// The short account of a file that the viewer prints.
namespace hornwall::view {

// Writes for each profile a line with its name, length unit, node count (and how many of
// them could not be evaluated), z and rho ranges of its evaluated nodes, and how it ends
// (closed, open at the end of the file, or cut short); a line on its corrugations (their
// count and the ranges of their heights, thicknesses or extents and pitches, in the
// file's unit, or that it has none); and for each of `bands` a line of the figures of merit
// of its corrugations (as figures_text writes it: the worst coverage and where, the mean
// coverage, the margin against the threshold, the density at the band's top). Then the
// number of variables, then the numbers of errors and warnings:
//   profile horn_exterior: unit mm, 2 nodes, z -10 to 0, rho 10 to 11, closed
//     no corrugations
//   variables: 9
//   errors: 0, warnings: 0
// Names are cut and escaped as messages show them.
void write_summary(const Wall& wall, const Diagnostics& diagnostics, std::ostream& out,
                   std::span<const FrequencyBand> bands = {});

}  // namespace hornwall::view
