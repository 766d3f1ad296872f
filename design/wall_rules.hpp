#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/design/design.hpp"
#include "hornwall/frame.hpp"
#include "hornwall/result.hpp"
#include "written_wall.hpp"

// What each designable wall adds to the rules that every design follows: how its
// corrugations stand along the wall, what its answers are, and how its generator writes
// the nodes that hornwall_view measures. Everything else (the bands, the heights, the
// pitch, the answers file, the measure, the judgement and the report) is the same for
// every wall.
namespace hornwall::design {

// What the quarter-wave rule gives every wall of a request before its own rule lays it out.
struct Plan {
  const Request* request = nullptr;
  std::vector<FrequencyBand> bands;  // the bands served: one (--one-set joins two), or two
  std::vector<double> band_heights;  // for each band, the quarter wave of its bottom, in the unit
  double per_unit = 0.0;             // metres in the unit
  double pitch = 0.0;                // in the unit
  double wanted_pitch = 0.0;         // the pitch per wavelength asked for, before it grew
  double thickness = 0.0;            // of a wall whose corrugations have one
  double first = 0.0;                // the aperture plane to the first corrugation

  bool dual() const { return bands.size() == 2; }
  // The height planned for corrugation `k` of `count` (from 0, nearest the aperture), in
  // the unit, as the answers file gives it: its band's (two bands alternate, the lower
  // first) or, tapered, a step along from the quarter wave of the band's bottom to that of
  // its top.
  double height(int k, int count) const;
};

// How a wall's corrugations stand along it: groups of `group` corrugations (two bands'
// corrugations that the wall lays out together, or one), each group `step` behind the
// last; the last group takes `tail` from its front to where the wall may end.
struct Stride {
  double step = 0.0;
  double tail = 0.0;
  int group = 1;
};

// A wall laid out by its rule.
struct Layout {
  int count = 0;        // the corrugations: as many as fit, or fewer
  int variable = 0;     // the variable corrugations, for a wall that has them
  double end = 0.0;     // where the last corrugation ends, behind the aperture plane
  SymbolValues values;  // every answer, by its symbol, in the unit
  std::string shape;    // the report's words on each corrugation, after the pitch
  std::string extent;   // the report's line on the count and where the corrugations stand
};

// A designable wall: its name on the command line, its generator, the options of its own
// that it takes and needs, and its rules.
struct WallRule {
  std::string_view name;  // "corr"
  const Program* program;
  std::span<const std::string_view> options;  // of the options that not every wall takes
  std::span<const std::string_view> needs;    // of those, the ones it cannot do without
  // The least pitch that leaves every slot at least half its pitch beside corrugations
  // `thickness` thick, in one band or two; none for a wall without thickness.
  double (*least_pitch)(double thickness, bool dual);
  // How its corrugations stand along the wall.
  Stride (*stride)(const Plan& plan);
  // Its answers for the `count` corrugations that fit, or for fewer; the reason when the
  // wall cannot have them.
  Result<Layout> (*lay_out)(const Plan& plan, int count);
  // The nodes that its generator writes from the answers of `design`.
  std::unique_ptr<WrittenNodes> (*written)(const Design& design);
};

// The designable walls, in the order that messages list them.
std::span<const WallRule* const> designable_walls();

// The rules of each wall, beside its written nodes.
extern const WallRule corr_rule;
extern const WallRule sinecorr_rule;
extern const WallRule thickcorr_rule;
extern const WallRule spline_rule;

// The variable corrugations of a wall that has them: as many as asked, but no more than
// the corrugations nor than those of its generator that have variables of their own, and
// an even number in two bands, so that the bands keep alternating into the remaining ones.
int variable_corrugations(const Plan& plan, int count);

// The answers of the conical base line that `end` behind the aperture plane has the final
// radius: RW1, ZW1 (0), RW2 and ZW2.
SymbolValues base_line_values(const Plan& plan, double end);

// The tapers of two bands, each flat at its band's height: CD1 and CD2 the first, CD3 and
// CD4 the second.
void set_dual_tapers(const Plan& plan, SymbolValues& values);

// The report's words on where the corrugations stand: "47 corrugations (2 variable), the
// first at 3.122 mm, the last ending at 147.35 mm", `what` saying what they are and `end`
// where the last ends.
std::string extent_text(const Plan& plan, int count, std::string_view what, std::string_view end);

// A height or a length of the answers file: the shortest form of the length that `value`
// holds to `digits` significant digits, which the object file's fields then hold exactly.
// Lengths take 4 digits and the end of a wall 5, each cut down (a length a hair from such a
// number is taken as it) or, with `up`, rounded up; heights take 5, rounded up.
double length_digits(double value, bool up = false);
double end_digits(double value);
double height_digits(double value);
// A height that hornwall_view measures, as the report states it: with the 5 significant
// digits of the object file's fields, to nearest (its measure of a written 7.6477 may
// differ from it in its last bits).
double stated_height(double value);

// The symbol `letters` numbered `k`: "C3".
std::string numbered(std::string_view letters, int k);

}  // namespace hornwall::design
