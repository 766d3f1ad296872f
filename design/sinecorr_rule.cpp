#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "hornwall/corrugation.hpp"
#include "hornwall/sinecorr_wall.hpp"
#include "wall_rules.hpp"

// The rule of hornwall_sinecorr's wall: raised-cosine corrugations a pitch long, one after
// the other, the first NVAR with variables of their own, the rest on the remaining
// heights' tapers.
namespace hornwall::design {
namespace {

constexpr std::array<std::string_view, 4> options = {"final-radius", "taper", "variable", "points"};
constexpr std::array<std::string_view, 1> needs = {"final-radius"};

// A corrugation a pitch long, each starting where the last one ends.
Stride stride(const Plan& plan) { return {plan.pitch, plan.pitch, 1}; }

Result<Layout> lay_out(const Plan& plan, int count) {
  Layout layout;
  layout.count = count;
  layout.variable = variable_corrugations(plan, count);
  layout.end = end_digits(plan.first + (count - 1) * plan.pitch + plan.pitch);
  SymbolValues& values = layout.values;
  values = base_line_values(plan, layout.end);
  values["NCORR"] = count;
  values["NSPL"] = plan.request->points;
  values["D1"] = plan.first;
  values["NVAR"] = layout.variable;
  for (int k = 1; k <= layout.variable; ++k) {
    values[numbered("D", k + 1)] = plan.pitch;  // the length of variable corrugation k
    values[numbered("C", k)] = plan.height(k - 1, count);
  }
  const int remaining = count - layout.variable;
  if (plan.dual()) {
    // Odd corrugations take the first taper and serve the lower band, even ones the upper.
    set_dual_tapers(plan, values);
  } else if (remaining > 0) {
    const double first = plan.height(layout.variable, count);
    double last = plan.height(count - 1, count);
    if (plan.request->taper && remaining > 1) {
      // Its taper stops one step short of the last height it is given, and divides by
      // the count of remaining corrugations as the object file writes it, with 5 digits.
      const double steps = viewer_reads(static_cast<float>(remaining));
      last = height_digits(first + (last - first) * steps / (remaining - 1));
    }
    values["CD1"] = first;
    values["CD2"] = last;
  } else {
    values["CD1"] = values["CD2"] = plan.height(count - 1, count);
  }
  layout.shape =
      ", each corrugation " + answer_real(plan.pitch) + " " + plan.request->unit + " long";
  layout.extent =
      extent_text(plan, count, "corrugations (" + std::to_string(layout.variable) + " variable)",
                  answer_real(layout.end)) +
      " (ZW2)";
  return layout;
}

// The nodes of a sinecorr wall as hornwall_sinecorr writes them: after the start, the
// first corrugation's foot on the base line, then each corrugation's NSPL points of a
// raised cosine, the last of them back on the base line.
class SineNodes final : public WrittenNodes {
 public:
  explicit SineNodes(const Design& design)
      : base_(design),
        nvar_(design.variable),
        ncr_(std::int64_t{design.count} - design.variable),
        nspl_(static_cast<int>(design.values.at("NSPL"))),
        dual_(design.bands.size() == 2) {
    nspl_value_ = viewer_reads(static_cast<float>(nspl_));
    splc_ = viewer_reads(
        static_cast<float>(2.0 * static_cast<double>(std::numbers::pi_v<float>) / nspl_));
    double zc = field_read(design, "D1");  // ZC1 = REF(D1)
    zc_.push_back(zc);
    for (int k = 1; k <= nvar_; ++k) {
      const double length = field_read(design, numbered("D", k + 1));
      zc = zc + length;  // ZC(k+1) = REF(ZCk)+REF(D(k+1))
      zc_.push_back(zc);
      length_.push_back(length);
      c_.push_back(field_read(design, numbered("C", k)));
    }
    rc1_ = base_.radius(zc_[0]);
    zcf_ = zc;
    if (ncr_ > 0) {
      zcs_ = (base_.zw2 - zcf_) / static_cast<double>(ncr_);
      ncr_value_ = viewer_reads(static_cast<float>(ncr_));
    }
    cd_ = {field_read(design, "CD1"), field_read(design, "CD2"), field_read(design, "CD3"),
           field_read(design, "CD4")};
  }

  std::int64_t corrugations() const override { return nvar_ + ncr_; }
  std::size_t before(Nodes& out) const override {
    out[0] = base_.start();
    return 1;
  }

  // A remaining one's height follows the first taper or, in the dual band, the second.
  double height(std::int64_t k) override {
    if (k < nvar_) return c_[static_cast<std::size_t>(k)];
    const std::int64_t i = k - nvar_ + 1;
    const bool second = takes_second_taper(dual_ ? Band::dual : Band::single, i);
    const double first = cd_[second ? 2 : 0];
    const double last = cd_[second ? 3 : 1];
    return first + (last - first) * (static_cast<double>(i) - 1.0) / ncr_value_;
  }

  std::size_t nodes(std::int64_t k, Nodes& out) override {
    std::size_t n = 0;
    if (k < nvar_) {
      const auto v = static_cast<std::size_t>(k);
      if (k == 0) out[n++] = {-zc_[0], rc1_};
      for (int j = 1; j <= nspl_; ++j) {
        const auto at = static_cast<double>(j);
        const double along = zc_[v] + length_[v] / nspl_value_ * at;
        out[n++] = {-zc_[v] - length_[v] / nspl_value_ * at,
                    base_.radius(along) + c_[v] / 2.0 * (1.0 - std::cos(splc_ * at))};
      }
      return n;
    }
    const double height = this->height(k);
    const auto before = static_cast<double>(k - nvar_);
    for (int j = 1; j <= nspl_; ++j) {
      const auto at = static_cast<double>(j);
      const double along = before + at / nspl_value_;
      out[n++] = {-zcf_ - zcs_ * along,
                  base_.radius(zcf_ + zcs_ * along) + height / 2.0 * (1.0 - std::cos(splc_ * at))};
    }
    return n;
  }

 private:
  WrittenBaseLine base_;
  int nvar_;
  std::int64_t ncr_;
  int nspl_;
  bool dual_;
  double nspl_value_ = 0.0;  // NSPL, SPLC and NCR as the file gives them
  double splc_ = 0.0;
  double ncr_value_ = 0.0;
  std::vector<double> zc_, length_, c_;  // ZCk, D(k+1) and Ck of the variable corrugations
  double rc1_ = 0.0;
  double zcf_ = 0.0;
  double zcs_ = 0.0;
  std::array<double, 4> cd_{};
};

std::unique_ptr<WrittenNodes> written(const Design& design) {
  return std::make_unique<SineNodes>(design);
}

}  // namespace

const WallRule sinecorr_rule{"sinecorr", &sinecorr_program, options, needs, nullptr,
                             stride,     lay_out,           written};

}  // namespace hornwall::design
