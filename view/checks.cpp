#include "hornwall/view/checks.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "hornwall/text.hpp"
#include "hornwall/view/crossings.hpp"
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
  for (const Profile& profile : wall.profiles) {
    const auto segment = [](WallSegment s) {
      return "the segment from node " + std::to_string(s.from + 1) + " to node " +
             std::to_string(s.to + 1);
    };
    find_crossings(
        profile, settings.tolerance, [&](WallSegment later, WallSegment earlier, Meeting how) {
          diagnostics.report(Finding::crossing, later.line, [&] {
            const std::string_view verb = how == Meeting::crosses    ? " crosses "
                                          : how == Meeting::overlaps ? " overlaps "
                                                                     : " folds back over ";
            return segment(later) + " of " + shown_name(profile.name) + std::string(verb) +
                   segment(earlier) + " (line " + std::to_string(earlier.line) + ")";
          });
        });
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

constexpr std::array<Check, 6> checks = {check_has_profile, check_node_counts, check_nodes,
                                         check_crossings,   check_joins,       check_drawable};

}  // namespace

double geometry_tolerance(const Wall& wall) {
  double largest = 0.0;
  for (const Profile& profile : wall.profiles) {
    for (const Node& node : profile.nodes) {
      if (node.ok) largest = std::max({largest, std::abs(node.z), std::abs(node.rho)});
    }
  }
  return 1e-6 * largest;
}

std::span<const Check> wall_checks() { return checks; }

void check_wall(const Wall& wall, const CheckSettings& settings, Diagnostics& diagnostics) {
  for (const Check check : wall_checks()) check(wall, settings, diagnostics);
}

}  // namespace hornwall::view
