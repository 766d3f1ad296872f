#include "hornwall/design/design.hpp"

#include <algorithm>
#include <cmath>

#include "hornwall/text.hpp"

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

// Lengths the answers file gives with 4 significant digits; heights and the wall's end with
// 5, all that the object file's fields hold.
double length_digits(double value, bool up = false) { return to_digits(value, 4, up); }
double height_digits(double value) { return to_digits(value, 5); }

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
  Spacing found{length_digits(wavelength / request.per_wavelength), 0.0, 0.0};
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

// The heights the generator writes for the remaining corrugations, as the viewer will
// measure them: corr's taper rounded to single precision, then to the object file's 5
// digits; sinecorr's taper, whose divisor is their count.
double remaining_height(const Design& design, int i, int remaining) {
  const bool second = design.bands.size() == 2 && i % 2 == 0;
  const double first = second ? design.cd3 : design.cd1;
  const double last = second ? design.cd4 : design.cd2;
  if (design.request.wall == WallKind::sinecorr) {
    return first + (last - first) * (i - 1) / remaining;
  }
  if (remaining == 1) return first;
  const auto stored = static_cast<float>(first + (last - first) * (i - 1) / (remaining - 1));
  return height_digits(static_cast<double>(stored));
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
  design.end = height_digits(design.first + (design.count - 1) * design.pitch + tail);
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
      // Its taper stops one step short of the last height it is given.
      design.cd2 =
          height_digits(design.cd1 + (design.cd2 - design.cd1) * remaining / (remaining - 1));
    }
  } else {
    design.cd1 = design.cd2 = planned_height(design, design.count - 1);
  }
  for (int k = 0; k < design.variable; ++k)
    design.variable_heights.push_back(planned_height(design, k));
  return design;
}

double corrugation_height(const Design& design, int k) {
  if (k < design.variable) return design.variable_heights[static_cast<std::size_t>(k)];
  return remaining_height(design, k - design.variable + 1, design.count - design.variable);
}

}  // namespace hornwall::design
