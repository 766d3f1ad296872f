#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hornwall/corr_wall.hpp"
#include "hornwall/corrugation.hpp"
#include "wall_rules.hpp"

// The rule of hornwall_corr's wall: rectangular corrugations a pitch apart, the first
// NVAR with variables of their own, the rest on the remaining heights' tapers.
namespace hornwall::design {
namespace {

constexpr std::array<std::string_view, 5> options = {"final-radius", "taper", "variable",
                                                     "slot-ratio", "min-thickness"};
constexpr std::array<std::string_view, 1> needs = {"final-radius"};

// Every slot half the pitch: the pitch at least twice the thickness.
double least_pitch(double thickness, bool) { return 2.0 * thickness; }

// A corrugation a pitch behind the last; the last takes its thickness.
Stride stride(const Plan& plan) { return {plan.pitch, plan.thickness, 1}; }

Result<Layout> lay_out(const Plan& plan, int count) {
  Layout layout;
  layout.count = count;
  layout.variable = variable_corrugations(plan, count);
  layout.end = end_digits(plan.first + (count - 1) * plan.pitch + plan.thickness);
  SymbolValues& values = layout.values;
  values = base_line_values(plan, layout.end);
  values["NCORR"] = count;
  values["CT"] = plan.thickness;
  values["D1"] = plan.first;
  values["NVAR"] = layout.variable;
  // The gap before each variable corrugation after the first, from the far face of the last.
  const double gap = plan.pitch - plan.thickness;
  for (int k = 1; k <= layout.variable; ++k) {
    if (k >= 2) values[numbered("D", k)] = gap;
    values[numbered("C", k)] = plan.height(k - 1, count);
  }
  if (plan.dual()) {
    // Odd corrugations take the first taper and serve the lower band, even ones the upper.
    set_dual_tapers(plan, values);
  } else if (count > layout.variable) {
    values["CD1"] = plan.height(layout.variable, count);
    values["CD2"] = plan.height(count - 1, count);
  } else {
    values["CD1"] = values["CD2"] = plan.height(count - 1, count);
  }
  const std::string unit = " " + plan.request->unit;
  layout.shape =
      ", thickness " + answer_real(plan.thickness) + unit + ", slot " + answer_real(gap) + unit;
  layout.extent =
      extent_text(plan, count, "corrugations (" + std::to_string(layout.variable) + " variable)",
                  answer_real(layout.end)) +
      " (ZW2)";
  return layout;
}

// The nodes of a corr wall as hornwall_corr writes them: after the start, each
// corrugation up its near face, across its top and down its far face, both faces standing
// on the base line's radius at the near face.
class CorrNodes final : public WrittenNodes {
 public:
  explicit CorrNodes(const Design& design)
      : base_(design),
        nvar_(design.variable),
        nrem_(std::int64_t{design.count} - design.variable),
        band_(design.bands.size() == 2 ? Band::dual : Band::single),
        tapers_{answer_read(design, "CD1"), answer_read(design, "CD2"), answer_read(design, "CD3"),
                answer_read(design, "CD4")} {
    ct_ = field_read(design, "CT");
    double zc = field_read(design, "D1");  // ZC1 = REF(D1)
    for (int k = 1; k <= nvar_; ++k) {
      if (k > 1) zc = zc + field_read(design, numbered("D", k)) + ct_;  // ZC(k-1)+Dk+CT
      zc_.push_back(zc);
      rc_.push_back(base_.radius(zc));
      c_.push_back(field_read(design, numbered("C", k)));
    }
    zcf_ = zc;
    if (nrem_ > 0) zcs_ = (base_.zw2 - zcf_ - ct_) / static_cast<double>(nrem_);
  }

  std::int64_t corrugations() const override { return nvar_ + nrem_; }
  std::size_t before(Nodes& out) const override {
    out[0] = base_.start();
    return 1;
  }

  double height(std::int64_t k) override {
    if (k < nvar_) return c_[static_cast<std::size_t>(k)];
    const float height = remaining_height(tapers_, band_, k - nvar_ + 1, nrem_);
    if (height != last_height_) {
      // Heights repeat along a wall: each is read back once per run of them.
      last_height_ = height;
      last_read_ = viewer_reads(height);
    }
    return last_read_;
  }

  std::size_t nodes(std::int64_t k, Nodes& out) override {
    double near = 0.0, far = 0.0, foot = 0.0, top = 0.0;
    if (k < nvar_) {
      const auto v = static_cast<std::size_t>(k);
      near = -zc_[v];
      far = -zc_[v] - ct_;
      foot = rc_[v];
      top = rc_[v] + c_[v];
    } else {
      const auto at = static_cast<double>(k - nvar_ + 1);
      near = -zcf_ - zcs_ * at;
      far = -zcf_ - zcs_ * at - ct_;
      foot = base_.radius(zcf_ + zcs_ * at);
      top = foot + height(k);
    }
    out[0] = {near, foot};
    out[1] = {near, top};
    out[2] = {far, top};
    out[3] = {far, foot};
    return 4;
  }

 private:
  WrittenBaseLine base_;
  int nvar_;
  std::int64_t nrem_;
  Band band_;
  Tapers tapers_;  // CD1 to CD4, as the generator holds them
  double ct_ = 0.0;
  std::vector<double> zc_, rc_, c_;  // ZCk, RCk and Ck of the variable corrugations
  double zcf_ = 0.0;
  double zcs_ = 0.0;
  float last_height_ = 0.0f;  // the last remaining height read back, and its value
  double last_read_ = 0.0;
};

std::unique_ptr<WrittenNodes> written(const Design& design) {
  return std::make_unique<CorrNodes>(design);
}

}  // namespace

const WallRule corr_rule{"corr",      &corr_program, options, needs,
                         least_pitch, stride,        lay_out, written};

}  // namespace hornwall::design
