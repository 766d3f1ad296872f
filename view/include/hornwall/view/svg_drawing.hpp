#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "hornwall/band_figures.hpp"
#include "hornwall/bands.hpp"
#include "hornwall/view/wall.hpp"

// The drawing of a wall as an SVG picture.
namespace hornwall::view {

// What the drawing shows beyond the profiles.
struct DrawingOptions {
  std::string_view title;  // shown as the picture's title (the object file's name)
  bool mirror = false;     // add the mirror image below the axis
  // The bands checked. With any, the title names them and the verdict, and when a profile
  // has corrugations a panel under the wall, on the same z axis (its ticks under the
  // panel), shows frequency upwards: each band shaded between its edges drawn as lines,
  // and each corrugation as a bar coloured at the frequencies at which it is capacitive.
  // The axis spans every band, the quarter-wave frequency of every corrugation that
  // serves one and the ends of each margin, 5% beyond (never past half the lowest band's
  // bottom or one and a half times the highest band's top). Right of it, on the same
  // frequency axis, a coverage plot: for each corrugated profile (the first 8) the part
  // of its corrugations capacitive at each frequency, thick over each band's own judged
  // frequencies, each band's worst point marked, and the threshold as a line; right of
  // that, the bands' names.
  std::span<const FrequencyBand> bands = {};
  double min_coverage = default_min_coverage;  // the threshold, in percent
  std::string_view verdict = {};               // how the check came out, for the title: "passes"
};

// Appends `value` with two decimals, exactly as std::to_chars writes it in fixed form with
// a precision of 2 (to nearest from the exact binary value, ties to even): the form of
// every coordinate and size in the picture. A value that is not finite, or that needs
// more than 31 characters (beyond 1e28), appends "0": no picture holds such a number.
void append_fixed(std::string& out, double value);

// True when the evaluated nodes of `wall` (with their mirror image, when `mirror`) can be
// drawn at one scale: they lie neither too far apart (beyond what a double can span) nor
// too close together (less than the smallest normal double).
bool fits_picture(const Wall& wall, bool mirror);

// The frequencies, in hertz, that the band panel of `wall` checked against `bands` spans:
// every band, the quarter-wave frequency of every corrugation that serves a band (is
// capacitive over some of it) and the ends of each margin of a band that meets its
// threshold, but never below half the lowest band's bottom nor above one and a half times
// the highest band's top (the shifts a margin searches); then 5% beyond that at each end.
// Nothing for no bands.
FrequencyRange band_panel_range(const Wall& wall, std::span<const FrequencyBand> bands);

// Writes an SVG picture of the evaluated nodes of `wall` to `out`: z horizontal, rho
// vertical at the same scale, each profile in its own colour with a legend, the axis
// (rho = 0) and the aperture plane (z = 0) marked, ticks labelled in the length unit of
// the first profile that names one, and a dot on every node of a profile with at most
// 200 nodes. Nodes that could not be evaluated are left out, breaking the line. The
// coordinates are written with two decimals of the picture's own units, so a wall of
// 100 000 nodes stays a few megabytes. A wall that does not fit_picture() is drawn as an
// empty frame, still well-formed. A panel of more than 5 000 corrugations shows the bands
// and a note instead of the bars.
void write_svg(const Wall& wall, const DrawingOptions& options, std::ostream& out);

}  // namespace hornwall::view
