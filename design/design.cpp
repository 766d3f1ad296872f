#include "hornwall/design/design.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "hornwall/number_text.hpp"
#include "hornwall/text.hpp"
#include "wall_rules.hpp"
#include "written_wall.hpp"

namespace hornwall::design {
namespace {

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

// The pitch, from the wavelength at the top frequency, and for a wall whose corrugations
// have a thickness, that thickness; the pitch grows where the minimum thickness leaves a
// slot narrower than half the pitch.
Result<void> space(Plan& plan) {
  const Request& request = *plan.request;
  const double top = plan.bands.back().high;
  const double wavelength = speed_of_light / top / plan.per_unit;  // in the unit
  const double widest = wavelength / fewest_per_wavelength;
  // Never wider than asked: the band check counts corrugations per wavelength exactly.
  plan.pitch = round_to_digits(wavelength / request.per_wavelength, 4, Towards::down);
  plan.wanted_pitch = plan.pitch;
  const auto least_pitch = request.wall->least_pitch;
  if (!least_pitch) return {};
  const double least = request.min_thickness.value_or(default_min_thickness / plan.per_unit);
  plan.thickness = length_digits(std::max((1.0 - request.slot_ratio) * plan.pitch, least), true);
  const double grown = length_digits(least_pitch(plan.thickness, plan.dual()), true);
  if (plan.pitch < grown) {
    plan.pitch = grown;
    if (plan.pitch > widest * (1.0 - 1e-6)) {
      return Reason{"no pitch up to a fifth of the wavelength at " + shortest_text(top / 1e9) +
                    " GHz (" + shortest_text(length_digits(widest)) + " " + request.unit +
                    ") leaves a slot of half the pitch beside the minimum thickness of " +
                    shortest_text(plan.thickness) + " " + request.unit};
    }
  }
  return {};
}

// How many corrugations the wall holds along its length; the reason when none fit, when
// fewer than two fit two bands, or when more fit than a design may have.
Result<int> fit(const Plan& plan) {
  const Request& request = *plan.request;
  const Stride stride = request.wall->stride(plan);
  const double room = request.length - plan.first - stride.tail;
  const std::string unit = " " + request.unit;
  const bool dual = plan.dual();
  if (room < -1e-9 * request.length) {
    if (dual && stride.group == 2) {
      return Reason{"no room for the two corrugations a dual band needs: the wall is " +
                    shortest_text(request.length) + unit + " long"};
    }
    return Reason{"no room for one corrugation: the first stands " + shortest_text(plan.first) +
                  unit + " behind the aperture and takes " + shortest_text(stride.tail) + unit +
                  ", but the wall is " + shortest_text(request.length) + unit + " long"};
  }
  const double fit = (std::floor(std::max(room, 0.0) / stride.step + 1e-9) + 1.0) * stride.group;
  if (!(fit <= most_corrugations)) {
    const std::string held = std::isfinite(fit) ? shortest_text(fit) : "more than 1.8e308";
    return Reason{"the wall holds " + held + " corrugations at the pitch of " +
                  shortest_text(plan.pitch) + unit + ", more than the " +
                  std::to_string(most_corrugations) +
                  " a design may have: shorten the wall or lower --per-wavelength"};
  }
  const int count = static_cast<int>(fit);
  if (dual && count < 2) {
    return Reason{"no room for the two corrugations a dual band needs: the wall is " +
                  shortest_text(request.length) + unit + " long"};
  }
  return count;
}

// Why the worst coverage of `band` on the wall as written, `figures`, is below the
// request's least coverage, and what would raise it.
std::string coverage_refusal(const Design& design, const FrequencyBand& band,
                             const BandFigures& figures) {
  const Request& request = design.request;
  const CoverageSummary& coverage = figures.coverage;
  const std::uint64_t total = coverage.corrugations;
  const std::string percent = shortest_text(request.min_coverage) + "%";
  // The share of a taper's corrugations that serve the band's bottom and its top: the most
  // it can give either end, however many corrugations share it.
  const TaperHeights ends = taper_heights(band, request.margin);
  const double share = ends.deepest > ends.shallowest
                           ? std::clamp((speed_of_light / (2.0 * band.high) - ends.shallowest) /
                                            (ends.deepest - ends.shallowest),
                                        0.0, 1.0)
                           : 1.0;
  const bool at_end = coverage.fewest_at == 0 || coverage.fewest_at == band_samples - 1;
  std::string cure;
  if (request.taper && (at_end || 100.0 * share < request.min_coverage)) {
    cure = "a taper over this band serves each of its ends with about " +
           fixed_text(100.0 * share, 1) +
           "% of its corrugations; narrow the band or lower --min-coverage";
  } else if (request.taper) {
    cure =
        "too few corrugations share the taper to serve every frequency between its ends; "
        "lengthen the wall or raise --per-wavelength";
  } else if (design.bands.size() == 2 && coverage.fewest > 0) {
    cure = "each band has about half the corrugations; lower --min-coverage";
  } else if (coverage.fewest_at == 0) {
    cure = "their heights leave too little margin; raise --margin";
  } else {
    cure = "the band reaches too near the top of their window; narrow the band or lower --margin";
  }
  return "band " + band.label() + ": worst " + std::to_string(coverage.fewest) + " of " +
         std::to_string(total) + " capacitive (" +
         percent_text(coverage.fewest, total, request.min_coverage) + ") at " +
         band.frequency_text(band.sample(coverage.fewest_at)) +
         " GHz on the wall as written, below --min-coverage " + percent + ", which needs " +
         std::to_string(needed_count(total, request.min_coverage)) + " of " +
         std::to_string(total) + ": " + cure;
}

}  // namespace

Result<void> judge_wall(const Design& design) {
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
    const BandFigures& figures = measured.figures[b];
    if (!figures.meets) return Reason{coverage_refusal(design, design.bands[b], figures)};
  }
  for (const FrequencyBand& band : design.bands) {
    if (!measured.widest_pitch) break;
    const double pitch = *measured.widest_pitch * per_unit;
    const double density = per_wavelength(pitch, band.high);
    if (density >= fewest_per_wavelength) continue;
    return Reason{"the wall as written has fewer than 5 corrugations per wavelength at " +
                  band.frequency_text(band.high) + " GHz, " + shortest_text(density) +
                  (design.request.wall->least_pitch
                       ? ": raise --per-wavelength or lower --min-thickness"
                       : ": raise --per-wavelength")};
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

double length_digits(double value, bool up) { return to_digits(value, 4, up); }
double end_digits(double value) { return to_digits(value, 5); }
double height_digits(double value) { return round_to_digits(value, 5, Towards::up); }

double stated_height(double value) {
  std::string text;
  append_general(text, value, 5);
  return read_double(text).value;
}

std::string numbered(std::string_view letters, int k) {
  return std::string(letters) + std::to_string(k);
}

double Plan::height(int k, int count) const {
  if (request->taper && count > 1) {
    const TaperHeights ends = taper_heights(bands[0], request->margin);
    return height_in_unit(ends.deepest + (ends.shallowest - ends.deepest) * k / (count - 1),
                          per_unit);
  }
  return band_heights[static_cast<std::size_t>(k) % band_heights.size()];
}

double quarter_wave_height(double frequency, double margin) {
  return speed_of_light / (4.0 * frequency * (1.0 - margin));
}

TaperHeights taper_heights(const FrequencyBand& band, double margin) {
  const double shallowest = quarter_wave_height(band.high, margin);
  const double deepest =
      speed_of_light / (4.0 * band.low) + speed_of_light / (2.0 * band.high) - shallowest;
  return {std::max(deepest, shallowest), shallowest};
}

std::vector<FrequencyBand> bands_by_frequency(std::span<const FrequencyBand> bands) {
  std::vector<FrequencyBand> sorted(bands.begin(), bands.end());
  std::sort(sorted.begin(), sorted.end(),
            [](const FrequencyBand& a, const FrequencyBand& b) { return a.low < b.low; });
  return sorted;
}

Result<Design> lay_out_wall(const Request& request) {
  Design design;
  design.request = request;
  Plan plan;
  plan.request = &design.request;
  std::vector<FrequencyBand> bands = bands_by_frequency(request.bands);
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
  plan.bands = bands;
  plan.per_unit = *metres_per_unit(request.unit);
  for (const FrequencyBand& band : bands) {
    if (request.taper) break;
    if (const Result<void> fits = fits_window(band, request.margin); !fits.ok()) {
      return Reason{fits.reason()};
    }
  }
  if (const Result<void> spaced = space(plan); !spaced.ok()) return Reason{spaced.reason()};
  plan.first = request.first ? *request.first : plan.pitch;
  // The heights: one per band, or, tapered, from the band's bottom to its top.
  for (const FrequencyBand& band : bands) {
    plan.band_heights.push_back(
        height_in_unit(quarter_wave_height(band.low, request.margin), plan.per_unit));
  }
  const Result<int> fits = fit(plan);
  if (!fits.ok()) return Reason{fits.reason()};
  Result<Layout> laid = request.wall->lay_out(plan, fits.value());
  if (!laid.ok()) return Reason{laid.reason()};
  Layout& layout = laid.value();

  design.bands = plan.bands;
  design.band_heights = plan.band_heights;
  design.pitch = plan.pitch;
  design.wanted_pitch = plan.wanted_pitch;
  design.thickness = plan.thickness;
  design.first = plan.first;
  design.count = layout.count;
  design.variable = layout.variable;
  design.end = layout.end;
  design.values = std::move(layout.values);
  design.shape = std::move(layout.shape);
  design.extent = std::move(layout.extent);

  // The wall as the generator will write it and hornwall_view will measure it.
  if (const Result<void> readable = check_readable(design); !readable.ok()) {
    return Reason{readable.reason()};
  }
  Result<WallMeasure> measured = measure_written_wall(design);
  if (!measured.ok()) return Reason{measured.reason()};
  design.measured = std::move(measured).value();
  design.heights = plan.band_heights;
  if (request.taper) {
    design.heights = {stated_height(design.measured.highest),
                      stated_height(design.measured.lowest)};
  }
  return design;
}

Result<Design> design_wall(const Request& request) {
  Result<Design> laid = lay_out_wall(request);
  if (!laid.ok()) return laid;
  if (const Result<void> judged = judge_wall(laid.value()); !judged.ok()) {
    return Reason{judged.reason()};
  }
  return laid;
}

}  // namespace hornwall::design
