#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "hornwall/spline_wall.hpp"
#include "hornwall/text.hpp"
#include "wall_rules.hpp"

// The rule of hornwall_spline's wall: a ripple of whole periods, each period a pitch long
// and a corrugation to hornwall_view, its peak-to-trough height the quarter wave, from the
// first distance as far as the length lets it run; the straight wall goes on to the
// length, where the final radius is.
namespace hornwall::design {
namespace {

constexpr std::array<std::string_view, 2> options = {"final-radius", "points"};
constexpr std::array<std::string_view, 1> needs = {"final-radius"};

// A period a pitch long, each starting where the last one ends.
Stride stride(const Plan& plan) { return {plan.pitch, plan.pitch, 1}; }

Result<Layout> lay_out(const Plan& plan, int count) {
  const Request& request = *plan.request;
  const std::string unit = " " + request.unit;
  // The wall ends at the length as the object file holds it, and the ripple's end, with
  // the 5 digits of its length, at or before that.
  const double zw2 = end_digits(request.length);
  const auto ripple_length = [&](int periods) { return end_digits(periods * plan.pitch); };
  while (count > 1 && plan.first + ripple_length(count) > zw2) --count;
  if (plan.first + ripple_length(count) > zw2) {
    return Reason{"no room for one corrugation: the ripple starts " + shortest_text(plan.first) +
                  unit + " behind the aperture and a period takes " + shortest_text(plan.pitch) +
                  unit + ", but the wall ends at " + shortest_text(zw2) + unit};
  }
  // Each point is a node to judge, as each corrugation of the other walls is.
  const double points = static_cast<double>(count) * request.points + 1;
  if (points > most_corrugations) {
    return Reason{"the ripple takes " + shortest_text(points) + " points (NPTS), more than the " +
                  std::to_string(most_corrugations) +
                  " a design may have: shorten the wall or lower --per-wavelength or --points"};
  }
  Layout layout;
  layout.count = count;
  layout.end = plan.first + ripple_length(count);
  SymbolValues& values = layout.values;
  values = base_line_values(plan, zw2);
  values["NSIN"] = count;
  values["NPTS"] = points;
  values["HT"] = plan.height(0, count);
  values["D1"] = plan.first;
  values["SPL"] = ripple_length(count);
  layout.shape = ", a ripple period each, of " + std::to_string(request.points) + " points";
  layout.extent = extent_text(plan, count, "ripple periods (NSIN)", length_text(layout.end)) +
                  ", the wall at " + answer_real(zw2) + unit + " (ZW2)";
  return layout;
}

// The nodes of the ripple as hornwall_spline writes them in its profile sinusoid_outer:
// each point ZS behind the ripple's start, on the base line there and RSP above it; its
// first point, at the start of the first period, then the points of each period, the last
// at its end. The straight walls before and after it are profiles of their own.
class RippleNodes final : public WrittenNodes {
 public:
  explicit RippleNodes(const Design& design)
      : base_(design),
        nsin_(static_cast<std::int32_t>(design.values.at("NSIN"))),
        npts_(static_cast<std::int32_t>(design.values.at("NPTS"))),
        ht_(answer_read(design, "HT")),
        steps_(ripple_steps(answer_read(design, "SPL"), nsin_, npts_)),
        zc1_(field_read(design, "D1")),
        rw2_(field_read(design, "RW2")) {
    points_ = nsin_ > 0 ? (npts_ - 1) / nsin_ : 0;
  }

  std::int64_t corrugations() const override { return nsin_; }

  std::size_t before(Nodes& out) const override {
    out[0] = node(1);
    return 1;
  }

  std::size_t nodes(std::int64_t k, Nodes& out) override {
    for (std::int32_t j = 1; j <= points_; ++j) {
      out[static_cast<std::size_t>(j - 1)] = node(k * points_ + j + 1);
    }
    return static_cast<std::size_t>(points_);
  }

  // The height of a period's crest, the point halfway along it, as its RSP is written.
  double height(std::int64_t k) override {
    return viewer_reads(ripple_point(ht_, steps_, k * points_ + points_ / 2 + 1).rsp);
  }

  // The straight walls: from the aperture plane to the ripple's start, and from its end to
  // ZW2 at the radius RW2.
  double elsewhere() const override {
    return std::max({std::abs(base_.rw1), std::abs(zc1_), std::abs(base_.radius(zc1_)),
                     std::abs(base_.zw2), std::abs(rw2_)});
  }

  // horn_exterior_2 starts at the ripple's last point with its height as a number of 6
  // digits, where the ripple refers to the 5 of RSPn, and runs on to ZW2.
  std::optional<std::string> fault_elsewhere(double tolerance,
                                             const std::string& unit) const override {
    const RipplePoint last = ripple_point(ht_, steps_, npts_);
    const double zs = viewer_reads(last.zs, true);
    const double end = -zc1_ - zs;
    const double apart = std::abs(viewer_reads(last.rsp, true) - viewer_reads(last.rsp));
    if (apart > tolerance) {
      return "the wall as written breaks where its ripple ends, at z " + figure_text(end) + unit;
    }
    if (-base_.zw2 > end + tolerance) {
      return "the wall as written runs back towards the aperture after z " + figure_text(end) +
             unit;
    }
    return std::nullopt;
  }

 private:
  // Ripple point `i` (from 1): -ref(ZC1)-ZS, ref(RD)*(ref(ZC1)+ZS)/ref(ZD)+ref(RW1)+ref(RSPi).
  Point node(std::int64_t i) const {
    const RipplePoint point = ripple_point(ht_, steps_, i);
    const double zs = viewer_reads(point.zs, true);
    return {-zc1_ - zs, base_.radius(zc1_ + zs) + viewer_reads(point.rsp)};
  }

  WrittenBaseLine base_;
  std::int32_t nsin_;
  std::int32_t npts_;
  float ht_;
  RippleSteps steps_;
  double zc1_;  // ZC1 = REF(D1)
  double rw2_;
  std::int32_t points_ = 0;  // per period
};

std::unique_ptr<WrittenNodes> written(const Design& design) {
  return std::make_unique<RippleNodes>(design);
}

}  // namespace

const WallRule spline_rule{"spline", &spline_program, options, needs,
                           nullptr,  stride,          lay_out, written};

}  // namespace hornwall::design
