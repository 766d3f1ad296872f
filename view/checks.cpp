#include "hornwall/view/checks.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "hornwall/text.hpp"
#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/crossings.hpp"
#include "hornwall/view/dxf_drawing.hpp"
#include "hornwall/view/svg_drawing.hpp"

namespace hornwall::view {
namespace {

// A point of a join: with 10 digits, so that points apart by more than the tolerance
// show apart.
std::string point(const Node& node) {
  constexpr int digits = 10;
  std::string text = "(";
  text += short_number(node.z, digits) + ", " + short_number(node.rho, digits) + ")";
  return text;
}

std::string node_place(std::size_t index, const Profile& profile) {
  return "node " + std::to_string(index + 1) + " of " + shown_name(profile.name);
}

void check_has_profile(const Wall& wall, const CheckSettings&, Diagnostics& diagnostics) {
  if (wall.profiles.empty())
    diagnostics.report(Finding::no_profile, 1, "the file holds no profile");
}

void check_node_counts(const Wall& wall, const CheckSettings&, Diagnostics& diagnostics) {
  for (const Profile& profile : wall.profiles) {
    if (profile.nodes.size() >= 2) continue;
    diagnostics.report(Finding::few_nodes, profile.line,
                       "profile " + shown_name(profile.name) + " has " +
                           (profile.nodes.empty() ? "no nodes" : "only one node"));
  }
}

void check_nodes(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  const double tolerance = settings.tolerance;
  for (const Profile& profile : wall.profiles) {
    const Node* previous = nullptr;
    for (std::size_t i = 0; i < profile.nodes.size(); ++i) {
      const Node& node = profile.nodes[i];
      if (!node.ok) continue;
      if (node.rho < -tolerance) {
        diagnostics.report(Finding::negative_radius, node.line, [&] {
          return node_place(i, profile) + " has a negative radius (" + short_number(node.rho) + ")";
        });
      }
      if (previous != nullptr && node.z > previous->z + tolerance) {
        diagnostics.report(Finding::runs_back, node.line, [&] {
          return node_place(i, profile) + " runs back towards the aperture: z rises from " +
                 short_number(previous->z) + " to " + short_number(node.z);
        });
      }
      previous = &node;
    }
  }
}

void check_crossings(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  const auto segment = [](WallSegment s) {
    return "the segment from node " + std::to_string(s.from + 1) + " to node " +
           std::to_string(s.to + 1);
  };
  for (const Profile& profile : wall.profiles) {
    for (const Crossing& c : find_crossings(profile, settings.tolerance)) {
      diagnostics.report(Finding::crossing, c.later.line, [&] {
        const std::string_view verb = c.how == Meeting::crosses    ? " crosses "
                                      : c.how == Meeting::overlaps ? " overlaps "
                                                                   : " folds back over ";
        return segment(c.later) + " of " + shown_name(profile.name) + std::string(verb) +
               segment(c.earlier) + " (line " + std::to_string(c.earlier.line) + ")";
      });
    }
  }
}

void check_joins(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  const double tolerance = settings.tolerance;
  const Profile* previous = nullptr;  // the last profile with nodes so far
  for (const Profile& profile : wall.profiles) {
    if (profile.nodes.empty()) continue;
    if (previous != nullptr) {
      const Node& end = previous->nodes.back();
      const Node& start = profile.nodes.front();
      if (end.ok && start.ok &&
          (std::abs(start.z - end.z) > tolerance || std::abs(start.rho - end.rho) > tolerance)) {
        const std::string before = shown_name(previous->name);
        diagnostics.report(Finding::no_join, start.line,
                           "profile " + shown_name(profile.name) + " does not join " + before +
                               ": it starts at " + point(start) + ", " + before + " ends at " +
                               point(end));
      }
    }
    previous = &profile;
  }
}

void check_drawable(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  if (fits_picture(wall, settings.mirror)) return;
  diagnostics.report(Finding::undrawable, wall.profiles.empty() ? 1 : wall.profiles.front().line,
                     "the nodes lie too far apart or too close together to draw; the picture "
                     "shows an empty frame");
}

// A length for a message: the shortest form, with at least one decimal ("-8.0", "14.7").
std::string length(double value) {
  std::string text = short_number(value);
  ensure_point(text);
  return text;
}

void check_band_units(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  if (settings.bands.empty()) return;
  for (const Profile& profile : wall.profiles) {
    if (profile.corrugations.empty() || metres_per_unit(profile.unit)) continue;
    diagnostics.report(Finding::band_unit, profile.line, [&] {
      const std::string named = "profile " + shown_name(profile.name);
      if (profile.unit.empty()) return named + " has no length unit, which a band check needs";
      return named + " has the length unit " + shown_name(profile.unit) +
             ", which a band check cannot convert (in, ft, mm, cm, m)";
    });
  }
}

void check_drawing_units(const Wall& wall, const CheckSettings& settings,
                         Diagnostics& diagnostics) {
  if (!settings.drawing) return;
  const std::optional<std::size_t> from = drawing_unit_profile(wall);
  for (const Profile& profile : wall.profiles) {
    if (from && profile.unit == wall.profiles[*from].unit) continue;
    diagnostics.report(Finding::drawing_unit, profile.line, [&] {
      const std::string named = "profile " + shown_name(profile.name);
      if (profile.unit.empty()) return named + " has no length unit, which a DXF drawing needs";
      const std::string unit = named + " has the length unit " + shown_name(profile.unit);
      if (!dxf_unit_code(profile.unit)) {
        return unit + ", which a DXF drawing cannot name (in, ft, mm, cm, m)";
      }
      const Profile& first = wall.profiles[*from];  // there is one: this profile's unit is named
      return unit + ", but the DXF drawing takes " + shown_name(first.unit) + " from profile " +
             shown_name(first.name);
    });
  }
}

// The stretches of a band's frequencies at which fewer than the threshold of a profile's
// corrugations are capacitive, a warning a stretch, naming its worst frequency. Only a
// profile whose worst coverage is below the threshold is counted again.
void check_coverage(const Profile& profile, const BandFigures& figures, CoverageCounter& counter,
                    double metres, Diagnostics& diagnostics) {
  const std::uint64_t total = figures.coverage.corrugations;
  const double percent = figures.min_coverage;
  if (meets_percent(figures.coverage.fewest, total, percent)) return;
  count_band(counter, profile, metres);
  const Coverage& coverage = counter.coverage();
  const FrequencyBand& band = counter.band();
  const auto below = [&](std::size_t i) {
    return !meets_percent(coverage.counts[i], total, percent);
  };
  for (std::size_t i = 0; i < band_samples;) {
    if (!below(i)) {
      ++i;
      continue;
    }
    std::size_t last = i, worst = i;
    for (; last + 1 < band_samples && below(last + 1); ++last) {
      if (coverage.counts[last + 1] < coverage.counts[worst]) worst = last + 1;
    }
    diagnostics.report(Finding::low_coverage, profile.first_row_line(), [&] {
      const auto at = [&](std::size_t sample) { return band.frequency_text(band.sample(sample)); };
      const std::string count =
          std::to_string(coverage.counts[worst]) + " of " + std::to_string(total);
      const std::string where = last == i
                                    ? "at " + at(i) + " GHz (" + count + ")"
                                    : "from " + at(i) + " to " + at(last) + " GHz (at worst " +
                                          count + ", at " + at(worst) + " GHz)";
      return "fewer than " + shortest_text(percent) + "% of the corrugations of " +
             shown_name(profile.name) + " are capacitive " + where;
    });
    i = last + 1;
  }
}

void check_density(const Profile& profile, const FrequencyBand& band, double metres,
                   Diagnostics& diagnostics) {
  const std::optional<double> pitch = widest_pitch(profile);
  if (!pitch) return;
  if (per_wavelength(*pitch * metres, band.high) >= fewest_per_wavelength) return;
  diagnostics.report(Finding::sparse, profile.first_row_line(), [&] {
    return "profile " + shown_name(profile.name) + " has " + density_text(*pitch * metres, band) +
           " (at least 5 are needed)";
  });
}

// Two or more consecutive corrugations capacitive over none of band `b`, between
// corrugations that are.
void check_interleave(const Profile& profile, const FrequencyBand& band, std::size_t b,
                      Diagnostics& diagnostics) {
  const std::vector<Corrugation>& found = profile.corrugations;
  const auto serves = [&](std::size_t i) { return found[i].capacitive[b] > 0; };
  for (std::size_t i = 1; i < found.size();) {
    if (serves(i) || !serves(i - 1)) {
      ++i;
      continue;
    }
    std::size_t last = i;
    while (last + 1 < found.size() && !serves(last + 1)) ++last;
    if (last + 1 < found.size() && last > i) {
      diagnostics.report(Finding::interleave, profile.first_row_line(), [&] {
        const std::string which = last == i + 1
                                      ? std::to_string(i + 1) + " and " + std::to_string(last + 1)
                                      : std::to_string(i + 1) + " to " + std::to_string(last + 1);
        const std::string unit = profile.unit.empty() ? "" : " " + profile.unit;
        return "the interleave for band " + band.label() + " breaks at corrugations " + which +
               " (z " + length(profile.corrugations[i].z_near) + " to " +
               length(profile.corrugations[last].z_far) + unit + ")";
      });
    }
    i = last + 1;
  }
}

void check_bands(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  std::vector<CoverageCounter> counters(settings.bands.begin(), settings.bands.end());
  for (const Profile& profile : wall.profiles) {
    const std::optional<double> metres = metres_per_unit(profile.unit);
    if (profile.bands.empty() || profile.bands.size() != settings.bands.size() || !metres) {
      continue;
    }
    for (std::size_t b = 0; b < settings.bands.size(); ++b) {
      check_coverage(profile, profile.bands[b], counters[b], *metres, diagnostics);
      check_density(profile, settings.bands[b], *metres, diagnostics);
      if (settings.bands.size() == 2) {
        check_interleave(profile, settings.bands[b], b, diagnostics);
      }
    }
  }
}

// One check: reads the wall and reports its findings.
using Check = void (*)(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics);

// The checks, in the order they run; their count is the list's.
constexpr auto checks = std::to_array<Check>({check_has_profile, check_node_counts, check_nodes,
                                              check_crossings, check_joins, check_drawable,
                                              check_band_units, check_bands, check_drawing_units});

}  // namespace

double geometry_tolerance(const Wall& wall) {
  double largest = 0.0;
  for (const Profile& profile : wall.profiles) {
    for (const Node& node : profile.nodes) {
      if (node.ok) largest = std::max({largest, std::abs(node.z), std::abs(node.rho)});
    }
  }
  return relative_tolerance * largest;
}

void check_wall(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  for (const Check check : checks) check(wall, settings, diagnostics);
}

}  // namespace hornwall::view
