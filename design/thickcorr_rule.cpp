#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "hornwall/arithmetic.hpp"
#include "hornwall/thickcorr_wall.hpp"
#include "wall_rules.hpp"

// The rule of hornwall_thickcorr's wall: ridges of one thickness a pitch apart on a wall
// whose thickness steps from WT1 to WT2, then a final wall up to the length. In two bands a
// second row of ridges stands half the first row's spacing H behind each first-row ridge's
// back face (behind ridge 0's front face): the ridges stand alternately H - CT and H + CT
// apart, and the pitch is the wider.
namespace hornwall::design {
namespace {

constexpr std::array<std::string_view, 4> options = {"wall-thickness", "taper", "slot-ratio",
                                                     "min-thickness"};
constexpr std::array<std::string_view, 1> needs = {"wall-thickness"};

// Every slot half its pitch. In two bands the narrower slot, H - 2 CT beside a pitch of
// H - CT, is the tighter: H at least 3 CT, the pitch H + CT at least 4 CT.
double least_pitch(double thickness, bool dual) { return (dual ? 4.0 : 2.0) * thickness; }

// The ridges' spacing in two bands, twice H.
double row_spacing(const Plan& plan) { return 2.0 * (plan.pitch - plan.thickness); }

// One ridge a pitch behind the last, and after the last a slot before the wall may end;
// in two bands, a pair of ridges for each first-row ridge, the pair's second ending
// H + 2 CT behind the first's front face, then a slot of H.
Stride stride(const Plan& plan) {
  if (plan.dual()) return {row_spacing(plan), 2.0 * plan.pitch, 2};
  return {plan.pitch, plan.pitch, 1};
}

Result<Layout> lay_out(const Plan& plan, int count) {
  const Request& request = *plan.request;
  const bool dual = plan.dual();
  const int nc = (dual ? count / 2 : count) - 1;
  const std::string unit = " " + request.unit;
  if (dual && nc < 1) {
    // The second row stands by half the first row's spacing, which one ridge has not.
    return Reason{"no room for the four corrugations of two rows of ridges: the wall is " +
                  shortest_text(request.length) + unit + " long"};
  }
  Layout layout;
  layout.count = count;
  SymbolValues& values = layout.values;
  const double lc = end_digits(nc * (dual ? row_spacing(plan) : plan.pitch));
  const double h = dual ? lc / nc / 2.0 : 0.0;
  layout.end = plan.first + lc + plan.thickness + (dual ? h + plan.thickness : 0.0);
  values["RA"] = request.aperture_radius;
  values["AT"] = values["WT1"] = request.wall_thickness;
  values["ZI"] = plan.first;
  values["WT2"] = values["FT"] = request.last_wall_thickness;
  values["LC"] = lc;
  values["NC"] = nc;
  values["CT"] = plan.thickness;
  // The final wall runs from the back face of the last first-row ridge to the length, its
  // end behind ridge 0 with the 5 digits that the object file holds, at or before it.
  const double final_offset = end_digits(request.length - plan.first);
  values["FL"] = round_to_digits(final_offset - lc - plan.thickness, 5, Towards::down);
  if (dual) {
    // The first row serves the lower band and the second, its ridges even, the upper.
    set_dual_tapers(plan, values);
  } else {
    values["CD1"] = plan.height(0, count);
    values["CD2"] = plan.height(count - 1, count);
  }
  // The floor steps up behind each first-row ridge: a ridge whose back face would not come
  // down again is no corrugation to hornwall_view.
  const double step = (request.last_wall_thickness - request.wall_thickness) / nc;
  const double lowest = std::min(values["CD1"], values["CD2"]);
  if (nc > 0 && step >= lowest) {
    return Reason{"the wall thickens by " + figure_text(step) + unit +
                  " behind each corrugation, at least the height of the lowest of them, " +
                  figure_text(lowest) + unit +
                  ": their back faces would not come down; give wall thicknesses nearer each "
                  "other or a longer wall"};
  }
  layout.shape = ", thickness " + answer_real(plan.thickness) + unit;
  if (dual) {
    layout.shape += ", slots " + length_text(h) + " and " + length_text(h - 2.0 * plan.thickness) +
                    unit + ", each row's ridges " + length_text(lc / nc) + unit + " apart";
  } else {
    layout.shape += ", slot " + answer_real(plan.pitch - plan.thickness) + unit;
  }
  layout.extent = extent_text(plan, count, "corrugations", length_text(layout.end)) +
                  ", the final wall at " + length_text(plan.first + final_offset) + unit;
  return layout;
}

// The nodes of a thickcorr wall as hornwall_thickcorr writes them: the aperture wall's
// node, then each ridge's four (the floor in front, up its front face, along its top, down
// its back face to the floor behind), in the dual band a ridge of each row in turn, then
// the final wall's end.
class RidgeNodes final : public WrittenNodes {
 public:
  explicit RidgeNodes(const Design& design) : dual_(design.bands.size() == 2) {
    wall_.ra = answer_read(design, "RA");
    wall_.at = answer_read(design, "AT");
    wall_.zi = answer_read(design, "ZI");
    wall_.wt1 = answer_read(design, "WT1");
    wall_.wt2 = answer_read(design, "WT2");
    wall_.lc = answer_read(design, "LC");
    wall_.nc = static_cast<std::int32_t>(design.values.at("NC"));
    wall_.ct = answer_read(design, "CT");
    wall_.fl = answer_read(design, "FL");
    wall_.ft = answer_read(design, "FT");
    zi_ = viewer_reads(wall_.zi);
    h_ = dual_ ? half_spacing(wall_) : 0.0f;
    cd_ = {field_read(design, "CD1"), field_read(design, "CD2"), field_read(design, "CD3"),
           field_read(design, "CD4")};
  }

  std::int64_t corrugations() const override { return (dual_ ? 2 : 1) * (wall_.nc + 1); }

  std::size_t before(Nodes& out) const override {
    out[0] = {0.0, viewer_reads(sum(wall_.at, wall_.ra))};
    return 1;
  }

  std::size_t after(Nodes& out) const override {
    out[0] = {behind(final_offset(wall_)), viewer_reads(sum(wall_.ft, wall_.ra))};
    return 1;
  }

  // Ridge i of a row: i steps from its first height towards its last,
  // i*(REF(last)-REF(first))/NC+REF(first), as hornwall_view evaluates it.
  double height(std::int64_t k) override {
    const bool second = dual_ && k % 2 == 1;
    const double first = cd_[second ? 2 : 0];
    const double last = cd_[second ? 3 : 1];
    const std::int64_t i = dual_ ? k / 2 : k;
    if (i == 0) return first;
    return static_cast<double>(i) * (last - first) / static_cast<double>(wall_.nc) + first;
  }

  std::size_t nodes(std::int64_t k, Nodes& out) override {
    const bool second = dual_ && k % 2 == 1;
    const std::int64_t i = dual_ ? k / 2 : k;
    // The offsets of the ridge's faces behind the front face of ridge 0, the floors in
    // front of it and behind it.
    float front = 0.0f, floor_in_front = first_floor(wall_), floor_behind = floor_in_front;
    if (i > 0) {
      floor_in_front = i == 1 ? first_floor(wall_) : floor_radius(wall_, i - 1);
      floor_behind = floor_radius(wall_, i);
      front = ridge_offset(wall_, i);
    }
    if (second) {
      floor_in_front = floor_behind;
      front = i == 0 ? h_ : sum(sum(front, wall_.ct), h_);
    }
    const float back = sum(front, wall_.ct);
    const double near = i == 0 && !second ? -zi_ : behind(front);
    const double foot = viewer_reads(floor_in_front);
    const double top = height(k) + foot;
    out[0] = {near, foot};
    out[1] = {near, top};
    out[2] = {behind(back), top};
    out[3] = {behind(back), viewer_reads(floor_behind)};
    return 4;
  }

 private:
  // Two stored values added as the generator adds them.
  static float sum(float a, float b) { return to_single(as_double(a) + as_double(b)); }
  // A z `offset` behind the front face of ridge 0: -REF(ZI)- offset.
  double behind(float offset) const { return -zi_ - viewer_reads(offset); }

  bool dual_;
  ThickCorrWall wall_{};  // the answers as the generator holds them
  double zi_ = 0.0;
  float h_ = 0.0f;
  std::array<double, 4> cd_{};  // CD1 to CD4, as hornwall_view reads them
};

std::unique_ptr<WrittenNodes> written(const Design& design) {
  return std::make_unique<RidgeNodes>(design);
}

}  // namespace

const WallRule thickcorr_rule{
    "thickcorr", &thickcorr_program, options, needs, least_pitch, stride, lay_out, written};

}  // namespace hornwall::design
