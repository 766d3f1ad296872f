#include <optional>
#include <string>

#include "hornwall/design/design.hpp"
#include "hornwall/text.hpp"
#include "wall_rules.hpp"
#include "written_wall.hpp"

namespace hornwall::design {
namespace {

// The bands as hornwall_view takes them: "--band 10:12 --band 17:20".
std::string bands_options(const Design& design) {
  std::string text;
  for (const FrequencyBand& band : design.bands) {
    if (!text.empty()) text += ' ';
    text += "--band " + band.option();
  }
  return text;
}

// What the first line's comment says of the design: its bands and its rule.
std::string design_comment(const Design& design) {
  const Request& request = design.request;
  std::string margin = answer_real(100.0 * request.margin);
  if (margin.ends_with(".0")) margin.erase(margin.size() - 2);
  const bool dual = design.bands.size() == 2;
  std::string rule = dual ? "quarter waves" : "quarter wave";
  if (request.taper) rule += " tapered over the band";
  return std::string(dual ? "dual band: " : "single band: ") + bands_options(design) + " (" + rule +
         ", " + margin + "% margin)";
}

}  // namespace

Result<std::string> answers_text(const Design& design, std::string_view object_file) {
  const std::string note = design_comment(design);
  return answers_file_text(
      *design.request.wall->program->answers,
      {design.bands.size() == 2, object_file, design.request.unit, design.values, note});
}

std::string report_text(const Design& design) {
  const Request& request = design.request;
  const double per_unit = *metres_per_unit(request.unit);
  const std::string unit = " " + request.unit;
  std::string text = "hornwall_design: " + std::string(request.wall->program->name) + ", " +
                     design_comment(design) + "\n";
  const WallMeasure& measured = design.measured;
  if (request.taper) {
    text += "  heights taper from " + answer_real(design.heights.front()) + " to " +
            answer_real(design.heights.back()) + unit + ", the deepest nearest the aperture\n";
  }
  for (std::size_t b = 0; b < design.band_heights.size() && !request.taper; ++b) {
    const double height = design.band_heights[b];
    const double wavelengths = height * per_unit * design.bands[b].low / speed_of_light;
    text += "  height " + answer_real(height) + unit + " (" + fixed_text(wavelengths, 3) +
            " wavelengths at " + answer_real(design.bands[b].low / 1e9) + " GHz)";
    if (design.bands.size() == 2) text += b == 0 ? ", odd corrugations" : ", even corrugations";
    text += "\n";
  }
  text += "  pitch " + answer_real(design.pitch) + unit;
  if (design.pitch != design.wanted_pitch) {
    text += " (grown from " + answer_real(design.wanted_pitch) + unit +
            " so that the slot beside the minimum thickness is half the pitch)";
  }
  text += design.shape + "\n  " + design.extent + "\n";
  // Each band's line as hornwall_view's summary gives it, from the wall as written.
  const std::optional<double> pitch =
      measured.widest_pitch ? std::optional(*measured.widest_pitch * per_unit) : std::nullopt;
  for (std::size_t b = 0; b < design.bands.size(); ++b) {
    text += "  " + figures_text(design.bands[b], measured.figures[b], pitch) + "\n";
  }
  if (design.one_window && !request.one_set) {
    text +=
        "  both bands fit one window of the lower band's corrugations: --one-set designs "
        "one set for both\n";
  }
  return text;
}

}  // namespace hornwall::design
