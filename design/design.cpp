#include "hornwall/design/design.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "hornwall/text.hpp"
#include "written_wall.hpp"

namespace hornwall::design {
namespace {

constexpr int most_variable = 7;  // the variable corrugations that have variables of their own
constexpr double default_min_thickness = 0.5e-3;  // metres

// `value` cut down (or, with `up`, raised) to `digits` significant digits: numbers that the
// object file's 5-digit fields then hold exactly.
double to_digits(double value, int digits, bool up = false) {
  if (value == 0.0 || !std::isfinite(value)) return value;
  const int exponent = static_cast<int>(std::floor(std::log10(std::abs(value))));
  const double scale = std::pow(10.0, digits - 1 - exponent);
  // A value that is already so short stays as it is, and so does one so near the ends of
  // the doubles that the power of ten that would scale it is none.
  const double scaled = value * scale;
  if (!std::isfinite(scaled) || scale == 0.0) return value;
  const double whole = std::round(scaled);
  if (std::abs(scaled - whole) <= 1e-9 * std::abs(scaled)) return whole / scale;
  return (up ? std::ceil(scaled) : std::floor(scaled)) / scale;
}

// Lengths the answers file gives with 4 significant digits, the wall's end with 5, all that
// the object file's fields hold (a length a hair from such a number is taken as it);
// heights with 5, rounded up, so that each band keeps within the windows of its
// corrugations: a deeper corrugation's window opens lower.
double length_digits(double value, bool up = false) { return to_digits(value, 4, up); }
double end_digits(double value) { return to_digits(value, 5); }
double height_digits(double value) { return round_to_digits(value, 5, Towards::up); }

// A height in metres as the answers file gives it in the unit.
double height_in_unit(double metres, double per_unit) { return height_digits(metres / per_unit); }

// The band joined from two, for one set of corrugations.
FrequencyBand joined(std::span<const FrequencyBand> bands) {
  return {bands.front().low, bands.back().high};
}

// Refuses a band wider than the window of its quarter-wave height.
Result<void> fits_window(const FrequencyBand& band, double margin) {
  const double top = 2.0 * band.low * (1.0 - margin);
  if (band.high < top) return {};
  return Reason{"band " + band.label() + " is wider than one capacitive window: corrugations " +
                "a quarter wave deep at " + shortest_text(band.low * (1.0 - margin) / 1e9) +
                " GHz serve up to twice that, " + shortest_text(top / 1e9) +
                " GHz, below the band's top; use --taper to taper the heights over the band"};
}

struct Spacing {
  double pitch;
  double wanted;
  double thickness;
};

Result<Spacing> spacing(const Request& request, double top, double per_unit) {
  const double wavelength = speed_of_light / top / per_unit;  // in the unit
  const double widest = wavelength / fewest_per_wavelength;
  // Never wider than asked: the band check counts corrugations per wavelength exactly.
  Spacing found{round_to_digits(wavelength / request.per_wavelength, 4, Towards::down), 0.0, 0.0};
  found.wanted = found.pitch;
  if (request.wall == WallKind::sinecorr) return found;
  const double least = request.min_thickness.value_or(default_min_thickness / per_unit);
  found.thickness = length_digits(std::max((1.0 - request.slot_ratio) * found.pitch, least), true);
  if (found.pitch - found.thickness < found.pitch / 2.0) {
    // The minimum thickness leaves too narrow a slot: the pitch grows to twice it.
    found.pitch = length_digits(2.0 * found.thickness, true);
    if (found.pitch > widest * (1.0 - 1e-6)) {
      return Reason{"no pitch up to a fifth of the wavelength at " + shortest_text(top / 1e9) +
                    " GHz (" + shortest_text(length_digits(widest)) + " " + request.unit +
                    ") leaves a slot of half the pitch beside the minimum thickness of " +
                    shortest_text(found.thickness) + " " + request.unit};
    }
  }
  return found;
}

// The height planned for corrugation `k` (0 nearest the aperture): its band's, or, tapered,
// a step along from the band's bottom to its top.
double planned_height(const Design& design, int k) {
  const Request& request = design.request;
  if (request.taper && design.count > 1) {
    const double per_unit = *metres_per_unit(request.unit);
    const double deepest = quarter_wave_height(design.bands[0].low, request.margin);
    const double shallowest = quarter_wave_height(design.bands[0].high, request.margin);
    return height_in_unit(deepest + (shallowest - deepest) * k / (design.count - 1), per_unit);
  }
  return design.band_heights[static_cast<std::size_t>(k) % design.band_heights.size()];
}

// The first stretch of `band` at which `coverage` finds no capacitive corrugation, as
// hornwall_view's warning names it ("at 7.86", "from 7.86 to 8.81"), and whether it
// takes in the band's bottom; none when every frequency has one.
struct Gap {
  std::string where;
  bool at_bottom;
};
std::optional<Gap> first_gap(const FrequencyBand& band, const Coverage& coverage) {
  const auto& counts = coverage.counts;
  const auto first = std::find(counts.begin(), counts.end(), 0u);
  if (first == counts.end()) return std::nullopt;
  const auto i = static_cast<std::size_t>(first - counts.begin());
  std::size_t last = i;
  while (last + 1 < counts.size() && counts[last + 1] == 0) ++last;
  const std::string where = last == i ? "at " + band.frequency_text(band.sample(i))
                                      : "from " + band.frequency_text(band.sample(i)) + " to " +
                                            band.frequency_text(band.sample(last));
  return Gap{where, i == 0};
}

// Refuses a design whose written wall hornwall_view would not pass: other corrugations
// than those designed, or other heights, a frequency of a band without a capacitive corrugation,
// fewer than 5 corrugations per wavelength at a band's top, a broken interleave of two bands.
Result<void> judge(const Design& design) {
  const Request& request = design.request;
  const WallMeasure& measured = design.measured;
  const std::string unit = " " + request.unit;
  // Why the viewer would see other corrugations than those written.
  const std::string coarse = ": it tells apart only what lies more than " +
                             figure_text(measured.tolerance) + unit +
                             " apart, a millionth of the wall's largest coordinate, " +
                             figure_text(measured.largest) + unit;
  if (measured.corrugations != static_cast<std::size_t>(design.count)) {
    return Reason{"hornwall_view would find " + std::to_string(measured.corrugations) +
                  " corrugations on the wall as written, not the " + std::to_string(design.count) +
                  " designed" + coarse};
  }
  if (const auto& misread = measured.misread) {
    return Reason{"hornwall_view would measure corrugation " +
                  std::to_string(misread->corrugation + 1) + " of the wall as written " +
                  figure_text(misread->measured) + unit + " high, not " +
                  figure_text(misread->written) + unit + coarse};
  }
  const double per_unit = *metres_per_unit(request.unit);
  for (std::size_t b = 0; b < design.bands.size(); ++b) {
    const FrequencyBand& band = design.bands[b];
    const std::optional<Gap> gap = first_gap(band, measured.coverage[b]);
    if (!gap) continue;
    const std::string cure =
        request.taper    ? "too few corrugations share the taper; lengthen the wall or raise "
                           "--per-wavelength"
        : gap->at_bottom ? "their heights leave too little margin; raise --margin"
                         : "the band reaches too near the top of their window; narrow the band "
                           "or lower --margin";
    return Reason{"no corrugation of the wall as written is capacitive " + gap->where +
                  " GHz of band " + band.label() + ": " + cure};
  }
  for (const FrequencyBand& band : design.bands) {
    if (!measured.widest_pitch) break;
    const double pitch = *measured.widest_pitch * per_unit;
    const double density = per_wavelength(pitch, band.high);
    if (density >= fewest_per_wavelength) continue;
    return Reason{"the wall as written has fewer than 5 corrugations per wavelength at " +
                  band.frequency_text(band.high) + " GHz, " + shortest_text(density) +
                  ": raise --per-wavelength or lower --min-thickness"};
  }
  for (std::size_t b = 0; b < design.bands.size() && design.bands.size() == 2; ++b) {
    const auto& broken = measured.interleave_breaks[b];
    if (!broken) continue;
    return Reason{"the interleave for band " + design.bands[b].label() +
                  " breaks at corrugations " + std::to_string(broken->first + 1) + " to " +
                  std::to_string(broken->second + 1) + " of the wall as written"};
  }
  return {};
}

}  // namespace

double quarter_wave_height(double frequency, double margin) {
  return speed_of_light / (4.0 * frequency * (1.0 - margin));
}

Result<Design> design_wall(const Request& request) {
  Design design;
  design.request = request;
  std::vector<FrequencyBand> bands = request.bands;
  std::sort(bands.begin(), bands.end(),
            [](const FrequencyBand& a, const FrequencyBand& b) { return a.low < b.low; });
  if (bands.size() == 2) {
    if (bands[1].low <= bands[0].high) {
      return Reason{"bands " + bands[0].label() + " and " + bands[1].label() +
                    " overlap: a dual band needs two bands apart"};
    }
    const double reach = 2.0 * bands[0].low * (1.0 - request.margin);
    design.one_window = bands[1].high < reach;
    if (request.one_set) {
      if (!design.one_window) {
        return Reason{"bands " + bands[0].label() + " and " + bands[1].label() +
                      " do not fit one window: corrugations for " + bands[0].label() +
                      " serve up to " + shortest_text(reach / 1e9) + " GHz"};
      }
      bands = {joined(bands)};
    }
  }
  design.bands = bands;
  const double per_unit = *metres_per_unit(request.unit);
  for (const FrequencyBand& band : bands) {
    if (request.taper) break;
    if (const Result<void> fits = fits_window(band, request.margin); !fits.ok()) {
      return Reason{fits.reason()};
    }
  }
  const double top = bands.back().high;
  const Result<Spacing> found = spacing(request, top, per_unit);
  if (!found.ok()) return Reason{found.reason()};
  design.pitch = found.value().pitch;
  design.wanted_pitch = found.value().wanted;
  design.thickness = found.value().thickness;
  design.first = request.first ? *request.first : design.pitch;

  // As many as fit, all a pitch apart; the last ends at or before the length.
  const double tail = request.wall == WallKind::corr ? design.thickness : design.pitch;
  const double room = request.length - design.first - tail;
  const int dual = bands.size() == 2 ? 2 : 1;
  if (room < -1e-9 * request.length) {
    return Reason{"no room for one corrugation: the first stands " + shortest_text(design.first) +
                  " " + request.unit + " behind the aperture and takes " + shortest_text(tail) +
                  " " + request.unit + ", but the wall is " + shortest_text(request.length) + " " +
                  request.unit + " long"};
  }
  const double fit = std::floor(std::max(room, 0.0) / design.pitch + 1e-9) + 1.0;
  if (!(fit <= most_corrugations)) {
    const std::string held = std::isfinite(fit) ? shortest_text(fit) : "more than 1.8e308";
    return Reason{"the wall holds " + held + " corrugations at the pitch of " +
                  shortest_text(design.pitch) + " " + request.unit + ", more than the " +
                  std::to_string(most_corrugations) +
                  " a design may have: shorten the wall or lower --per-wavelength"};
  }
  design.count = static_cast<int>(fit);
  if (design.count < dual) {
    return Reason{"no room for the two corrugations a dual band needs: the wall is " +
                  shortest_text(request.length) + " " + request.unit + " long"};
  }
  design.end = end_digits(design.first + (design.count - 1) * design.pitch + tail);
  design.variable = std::min({request.variable, most_variable, design.count});
  if (dual == 2 && design.variable % 2 != 0) --design.variable;

  // The heights: one per band, or, tapered, from the band's bottom to its top.
  for (const FrequencyBand& band : bands) {
    design.band_heights.push_back(
        height_in_unit(quarter_wave_height(band.low, request.margin), per_unit));
  }
  const int remaining = design.count - design.variable;
  if (dual == 2) {
    // Odd corrugations take the first taper and serve the lower band, even ones the upper.
    design.cd1 = design.cd2 = design.band_heights[0];
    design.cd3 = design.cd4 = design.band_heights[1];
  } else if (remaining > 0) {
    design.cd1 = planned_height(design, design.variable);
    design.cd2 = planned_height(design, design.count - 1);
    if (request.wall == WallKind::sinecorr && request.taper && remaining > 1) {
      // Its taper stops one step short of the last height it is given, and divides by
      // the count of remaining corrugations as the object file writes it, with 5 digits.
      const double steps = viewer_reads(static_cast<float>(remaining));
      design.cd2 = height_digits(design.cd1 + (design.cd2 - design.cd1) * steps / (remaining - 1));
    }
  } else {
    design.cd1 = design.cd2 = planned_height(design, design.count - 1);
  }
  for (int k = 0; k < design.variable; ++k)
    design.variable_heights.push_back(planned_height(design, k));

  // The wall as the generator will write it and hornwall_view will measure it.
  if (const Result<void> readable = check_readable(design); !readable.ok()) {
    return Reason{readable.reason()};
  }
  Result<WallMeasure> measured = measure_written_wall(design);
  if (!measured.ok()) return Reason{measured.reason()};
  design.measured = std::move(measured).value();
  if (const Result<void> judged = judge(design); !judged.ok()) return Reason{judged.reason()};
  return design;
}

}  // namespace hornwall::design
