#include "wall_rules.hpp"

#include <algorithm>

namespace hornwall::design {
namespace {

// The designable walls, in the order that messages list them.
const WallRule* const walls[] = {&corr_rule, &sinecorr_rule, &thickcorr_rule, &spline_rule};

}  // namespace

std::span<const WallRule* const> designable_walls() { return walls; }

int variable_corrugations(const Plan& plan, int count) {
  const std::int64_t named = plan.request->wall->program->answers->named_passes;
  int variable = static_cast<int>(std::min<std::int64_t>({plan.request->variable, named, count}));
  if (plan.dual() && variable % 2 != 0) --variable;
  return variable;
}

void set_dual_tapers(const Plan& plan, SymbolValues& values) {
  values["CD1"] = values["CD2"] = plan.band_heights[0];
  values["CD3"] = values["CD4"] = plan.band_heights[1];
}

SymbolValues base_line_values(const Plan& plan, double end) {
  return {{"RW1", plan.request->aperture_radius},
          {"ZW1", 0.0},
          {"RW2", plan.request->final_radius},
          {"ZW2", end}};
}

std::string extent_text(const Plan& plan, int count, std::string_view what, std::string_view end) {
  const std::string unit = " " + plan.request->unit;
  return std::to_string(count) + " " + std::string(what) + ", the first at " +
         answer_real(plan.first) + unit + ", the last ending at " + std::string(end) + unit;
}

}  // namespace hornwall::design
