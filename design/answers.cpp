#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string>

#include "hornwall/design/design.hpp"
#include "hornwall/text.hpp"
#include "written_wall.hpp"

namespace hornwall::design {
namespace {

// A height for the report, with the 5 significant digits of the object file's fields:
// hornwall_view's measure of a written 7.6477 may differ from it in its last bits.
std::string height_text(double value) {
  std::array<char, 32> text{};
  const auto written =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 5);
  double rounded = 0.0;
  std::from_chars(text.data(), written.ptr, rounded);
  return answer_real(rounded);
}

// One line of the answers file: the value in 17 columns, then what it answers.
void line(std::string& text, const std::string& value, std::string_view comment) {
  text += value;
  text.append(value.size() < 17 ? 17 - value.size() : 1, ' ');
  text += comment;
  text += '\n';
}

// The unit's code in the generator's table.
int unit_code(const Request& request) {
  constexpr std::array<std::string_view, 5> five = {"in", "ft", "mm", "cm", "m"};
  constexpr std::array<std::string_view, 4> four = {"in", "ft", "mm", "m"};
  if (request.wall == WallKind::sinecorr) {
    return static_cast<int>(std::find(five.begin(), five.end(), request.unit) - five.begin()) + 1;
  }
  return static_cast<int>(std::find(four.begin(), four.end(), request.unit) - four.begin()) + 1;
}

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

std::string answers_text(const Design& design, std::string_view object_file) {
  const Request& request = design.request;
  const bool sine = request.wall == WallKind::sinecorr;
  const std::string unit = " (" + request.unit + ")";
  std::string text;
  const bool dual = design.bands.size() == 2;
  line(text, dual ? "2" : "1", "corrugation type, " + design_comment(design));
  text += object_file;
  text += '\n';
  line(text, answer_real(request.aperture_radius), "horn aperture outer radius RW1" + unit);
  line(text, std::to_string(unit_code(request)),
       sine ? "units: 1 in, 2 ft, 3 mm, 4 cm, 5 m" : "units: 1 in, 2 ft, 3 mm, 4 m");
  line(text, "0.0", "initial outer Z position ZW1, behind the aperture plane" + unit);
  line(text, answer_real(request.final_radius), "radius of final corrugation RW2" + unit);
  line(text, answer_real(design.end),
       sine ? "end of corrugations Z position ZW2, positive" + unit
            : "end of corrugations Z position ZW2, far face of the last one" + unit);
  line(text, std::to_string(design.count),
       "number of corrugations NCORR, variable and remaining together");
  if (sine) {
    line(text, std::to_string(request.points),
         "sine corrugation points NSPL, points per corrugation");
    line(text, answer_real(design.first), "Z distance to first corrugation D1" + unit);
  } else {
    line(text, answer_real(design.thickness), "corrugation thickness CT, axial" + unit);
    line(text, answer_real(design.first),
         "Z distance to first corrugation D1, to its near face" + unit);
  }
  line(text, std::to_string(design.variable), "number of variable corrugations NVAR (at most 7)");
  for (int k = 1; k <= design.variable; ++k) {
    const std::string n = std::to_string(k);
    if (sine) {
      line(text, answer_real(variable_step(design)),
           "variable corrugation " + n + ": length D" + std::to_string(k + 1) + unit);
    } else if (k >= 2) {
      line(text, answer_real(variable_step(design)),
           "variable corrugation " + n + ": gap D" + n + " from the far face of " +
               std::to_string(k - 1) + unit);
    }
    line(text, answer_real(design.variable_heights[static_cast<std::size_t>(k - 1)]),
         "variable corrugation " + n + ": height C" + n + unit);
  }
  if (design.bands.size() == 2) {
    line(text, answer_real(design.cd1) + " " + answer_real(design.cd2),
         "first band (odd) remaining heights: first CD1, last CD2" + unit);
    line(text, answer_real(design.cd3) + " " + answer_real(design.cd4),
         "second band (even) remaining heights: first CD3, last CD4" + unit);
  } else {
    line(text, answer_real(design.cd1) + " " + answer_real(design.cd2),
         "remaining corrugation heights: first CD1, last CD2" + unit);
  }
  return text;
}

std::string report_text(const Design& design) {
  const Request& request = design.request;
  const double per_unit = *metres_per_unit(request.unit);
  const std::string unit = " " + request.unit;
  std::string text = "hornwall_design: hornwall_";
  text += request.wall == WallKind::corr ? "corr" : "sinecorr";
  text += ", " + design_comment(design) + "\n";
  const WallMeasure& measured = design.measured;
  if (request.taper) {
    text += "  heights taper from " + height_text(measured.highest) + " to " +
            height_text(measured.lowest) + unit + ", the deepest nearest the aperture\n";
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
  if (request.wall == WallKind::corr) {
    text += ", thickness " + answer_real(design.thickness) + unit + ", slot " +
            answer_real(design.pitch - design.thickness) + unit;
  } else {
    text += ", each corrugation " + answer_real(design.pitch) + unit + " long";
  }
  text += "\n  " + std::to_string(design.count) + " corrugations (" +
          std::to_string(design.variable) + " variable), the first at " +
          answer_real(design.first) + unit + ", the last ending at " + answer_real(design.end) +
          unit + " (ZW2)\n";
  // Each band's line as hornwall_view's summary gives it, from the wall as written.
  const std::optional<double> pitch =
      measured.widest_pitch ? std::optional(*measured.widest_pitch * per_unit) : std::nullopt;
  for (std::size_t b = 0; b < design.bands.size(); ++b) {
    text += "  " + coverage_text(design.bands[b], measured.coverage[b], pitch) + "\n";
  }
  if (design.one_window && !request.one_set) {
    text +=
        "  both bands fit one window of the lower band's corrugations: --one-set designs "
        "one set for both\n";
  }
  return text;
}

}  // namespace hornwall::design
