#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/band_figures.hpp"
#include "hornwall/bands.hpp"
#include "hornwall/view/names.hpp"
#include "hornwall/view/object_file.hpp"

// The wall an object file describes, evaluated: every profile with its nodes.
namespace hornwall::view {

// The part of the largest coordinate magnitude by which the geometric checks and the
// measures of the corrugations tell two coordinates apart.
inline constexpr double relative_tolerance = 1e-6;

// One evaluated node; `ok` when both coordinates evaluated to finite numbers. Kept small:
// a wall may have millions.
struct Node {
  double z = 0.0;
  double rho = 0.0;
  std::uint64_t line : 63 = 0;  // the line of its row
  std::uint64_t ok : 1 = 0;
};

// How a profile's wall carries its corrugations.
enum class Corrugated {
  none,    // it has none: a plain cone, a straight stretch
  faced,   // with radial faces: fins and ridges
  smooth,  // without: bumps and ripples above a base
};

// One corrugation of a profile, in the file's length unit.
struct Corrugation {
  double z_near = 0.0;          // its rising face; of a bump, the base node before it
  double z_far = 0.0;           // its falling face; of a bump, the base node after it
  double height = 0.0;          // the length of its rising face; of a bump, its most above the base
  double far_height = 0.0;      // the length of its falling face (of a bump, its height)
  double thickness = 0.0;       // from z_near to z_far: a fin's thickness, a bump's extent
  double peak_z = 0.0;          // where it stands highest: its rising face, a bump's peak
  std::optional<double> gap;    // faced: from its falling face to the next rising face
  std::optional<double> pitch;  // to the next corrugation's rising face (or peak)
  std::uint64_t line = 0;       // the line of its first node row
  // For each band checked, at how many of its band_samples frequencies it is capacitive.
  std::array<std::uint16_t, most_bands> capacitive{};
};

// One profile and its nodes, one per row of its table, in table order.
struct Profile {
  std::string name;
  std::uint64_t line = 0;  // the line of its name
  std::string unit;        // the length_unit setting, empty when there is none
  ProfileEnd end = ProfileEnd::cut;
  std::vector<Node> nodes;
  std::size_t missing = 0;  // nodes that are not ok
  Corrugated corrugated = Corrugated::none;
  std::vector<Corrugation> corrugations;  // in file order
  std::vector<BandFigures> bands;         // one per band checked, when its unit is known

  // The line of its first node row, or of its name when it has none.
  std::uint64_t first_row_line() const { return nodes.empty() ? line : nodes.front().line; }
};

// A whole evaluated file.
struct Wall {
  std::vector<Profile> profiles;
  std::size_t variable_count = 0;
  Names names;
  std::vector<double> values;  // by name: the value of its last definition, NaN for none
  // The tolerance of the geometric checks and of the corrugations' measures, set once the
  // nodes are evaluated (see geometry_tolerance).
  double tolerance = 0.0;

  // The value of the variable called `name`, if it has one.
  std::optional<double> value(std::string_view name) const;
};

// Evaluates every variable of `file` (a variable may reference one defined later; a name
// defined twice takes its later value), then reads the node rows of every profile again
// from `source` and evaluates them. Reports as errors, on the line of the variable or node
// row: a reference to an undefined variable (each name once per expression), variables
// that reference each other in a cycle (each cycle once, named from its first member in
// the file along its references: the first five and how many more), a row that does not
// parse, and a value that is not finite. A value that depends on a variable already
// reported is left out silently. The file's variables are let go before the rows are
// read, so that only the values stay. Throws ReadFailure.
Wall evaluate_wall(ObjectFile file, ByteSource& source, Diagnostics& diagnostics);

// The rectangle that the evaluated nodes of `wall` and the origin span, so that the axis and
// the aperture plane lie in it; with `mirror`, the nodes mirrored in the axis too.
struct Extent {
  double z_low = 0.0, z_high = 0.0, rho_low = 0.0, rho_high = 0.0;
};
Extent extent_of(const Wall& wall, bool mirror);

}  // namespace hornwall::view
