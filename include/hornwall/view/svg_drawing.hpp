#pragma once

#include <ostream>
#include <string_view>

#include "hornwall/view/evaluation.hpp"
#include "hornwall/view/object_file_reader.hpp"

// The drawing of a wall as an SVG picture.
namespace hornwall {

// What the drawing shows beyond the profiles.
struct DrawingOptions {
  std::string_view title;  // shown as the picture's title (the object file's name)
  bool mirror = false;     // add the mirror image below the axis
};

// Writes an SVG picture of the evaluated nodes of `file` to `out`: z horizontal, rho
// vertical at the same scale, each profile in its own colour with a legend, the axis
// (rho = 0) and the aperture plane (z = 0) marked, ticks labelled in the length unit of
// the first profile that names one, and a dot on every node of a profile with at most
// 200 nodes. Nodes that could not be evaluated are left out, breaking the line. The
// coordinates are written with two decimals of the picture's own units, so a wall of
// 100 000 nodes stays a few megabytes. Returns false when the nodes lie too far apart
// (beyond what a double can span) or too close together (less than the smallest normal
// double) for any scale: the picture then shows an empty frame, still well-formed.
bool write_svg(const ObjectFile& file, const EvaluatedFile& evaluated,
               const DrawingOptions& options, std::ostream& out);

}  // namespace hornwall
