#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/view/wall.hpp"

// The wall as a DXF drawing, for CAD programs and the workshop: AutoCAD R12 ASCII, whose
// 2D POLYLINE every CAD and CAM program reads, with the drawing's unit in $INSUNITS.
namespace hornwall::view {

// The most bytes of a layer name that every reader of the drawing takes.
inline constexpr std::size_t most_layer_bytes = 31;

// The layers of the axis (rho = 0) and of the aperture plane (z = 0).
inline constexpr std::string_view axis_layer = "AXIS";
inline constexpr std::string_view aperture_layer = "APERTURE";

// The $INSUNITS code of a length unit of an object file: in 1, ft 2, mm 4, cm 5, m 6; none
// for any other unit, and for none.
std::optional<int> dxf_unit_code(std::string_view unit);

// The profile of `wall` whose unit the drawing takes: the first whose length unit
// dxf_unit_code names; none when no profile has such a unit.
std::optional<std::size_t> drawing_unit_profile(const Wall& wall);

// The $INSUNITS code of the drawing of `wall`: the unit of drawing_unit_profile() when
// every profile has that unit, else 0 (no unit), as for a wall without profiles. A
// drawing never claims a unit that one of its profiles is not in.
int drawing_unit_code(const Wall& wall);

// The layer of each of the profiles named `names`, in order: the name in upper case, each
// byte other than a letter, a digit, '$', '-' or '_' made '_', cut to most_layer_bytes;
// a name already taken (by an earlier profile, by "0", "DEFPOINTS" or the axis' or the
// aperture's layer) gets the first of "_2", "_3", ... that makes it free, the name cut
// to leave it room.
std::vector<std::string> layer_names(std::span<const std::string_view> names);

// Writes the evaluated nodes of `wall` to `out` as an AutoCAD R12 DXF drawing, z along x
// and rho along y in the file's length unit (see drawing_unit_code), each number in the
// shortest form that reads back to the same double. Each profile lies on its own layer
// (see layer_names), after layer 0 and the axis' and the aperture's layers: a polyline
// through each run of consecutive evaluated nodes (a node that could not be evaluated
// breaks it, so that no segment is drawn that the wall does not have), a lone evaluated
// node as a point; with `mirror`, the same again with rho negated, on the same layer.
// The axis runs along z and the aperture plane along rho, each over the drawn nodes and
// zero; neither is drawn where it would have no length. Lines end in '\n'.
void write_dxf(const Wall& wall, bool mirror, std::ostream& out);

}  // namespace hornwall::view
